// New parts are deflated ahead, whole or piece by piece, and handed to
// libzip as compressed bytes; the package must still inflate each to its
// text with a matching checksum.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "XlsxTestSupport.h"
#include "xlsx/ZipPackage.h"

namespace speclore::test {
namespace {

TEST(XlsxZipPackage, ReplacedPartsReadBackAsWrittenHoweverWellTheyDeflate) {
    const xlsx::ZipPackage zip = xlsx::ZipPackage::fromBytes(readText(kXlsxTemplate));
    std::string cells;
    for (int row = 1; cells.size() < (4u << 20); ++row)
        cells += "<row r=\"" + std::to_string(row) +
                 "\"><c s=\"42\" t=\"inlineStr\"><is><t>テキスト型</t></is></c></row>";
    // Random bytes do not deflate to a quarter, nor at all.
    std::mt19937 random(14);
    std::string noise(300000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::map<size_t, std::string> texts = {{0, cells}, {1, noise}, {2, ""}, {3, cells + noise}};

    std::map<size_t, xlsx::DeflatedPart> replaced;
    for (const auto& [entry, text] : texts) {
        if (entry != 3) {
            replaced.emplace(entry, xlsx::DeflatedPart(text));
            continue;
        }
        // Given in pieces of every size, cut anywhere, as a sheet's text is.
        xlsx::DeflatedPart pieces;
        for (size_t at = 0, size = 1; at < text.size(); at += size, size = size * 3 + 1)
            pieces.append(std::string_view(text).substr(at, size));
        pieces.finish();
        EXPECT_EQ(pieces.size(), text.size());
        EXPECT_EQ(pieces.crc(), xlsx::DeflatedPart(text).crc());
        replaced.emplace(entry, std::move(pieces));
    }
    const xlsx::ZipPackage written = xlsx::ZipPackage::fromBytes(zip.withReplacedParts(replaced));

    ASSERT_EQ(written.entryCount(), zip.entryCount());
    for (size_t entry = 0; entry < zip.entryCount(); ++entry) {
        SCOPED_TRACE(zip.name(entry));
        EXPECT_EQ(written.name(entry), zip.name(entry));
        const auto text = texts.find(entry);
        EXPECT_EQ(written.read(entry, 8u << 20),
                  text != texts.end() ? text->second : zip.read(entry, 8u << 20));
    }
}

}  // namespace
}  // namespace speclore::test
