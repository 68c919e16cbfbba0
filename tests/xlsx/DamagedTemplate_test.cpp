// A damaged Template.xlsx: bytes changed anywhere in the package (the zip's
// headers, the compressed parts), or one part cut short so that it is no
// well-formed XML. Each must be refused with error 1004, or else give a
// workbook whose every part inflates and that openpyxl opens.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "XlsxTestSupport.h"
#include "app/AppError.h"
#include "support/Xlsxdump.h"
#include "xls/CatalogPattern.h"
#include "xlsx/WorkbookPackage.h"
#include "xlsx/XlsxApplication.h"
#include "xlsx/ZipPackage.h"

namespace speclore::test {
namespace {

// Every 37th byte of the package, in turn by one of the eight bits.
constexpr size_t kEveryNthByte = 37;

// The catalog run's calls on a workbook opened from these bytes, kept in
// memory; gives the package written, or nothing when the engine refused.
std::optional<std::string> runOn(const std::string& bytes, std::string& refusal) {
    try {
        xlsx::WorkbookPackage book = xlsx::WorkbookPackage::fromBytes(bytes);
        xlsx::XlsxWorksheet tables(book, book.worksheet(1));
        xlsx::XlsxWorksheet relations(book, book.worksheet(2));
        writeTableSheet(tables, kTables);
        writeRelationSheet(relations);
        return book.toBytes();
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::ApplicationDefined) << error.description();
        refusal = error.description();
        return std::nullopt;
    }
}

TEST(XlsxDamagedTemplate, IsRefusedOrGivesAWorkbookOthersRead) {
    const std::string original = readText(kXlsxTemplate);
    TempDir dir("speclore-xlsx-damaged");
    std::vector<std::string> written;
    size_t refused = 0;
    for (size_t at = 0, turn = 0; at < original.size(); at += kEveryNthByte, ++turn) {
        std::string bytes = original;
        bytes[at] = static_cast<char>(bytes[at] ^ (1u << (turn % 8)));
        std::string refusal;
        std::optional<std::string> workbook = runOn(bytes, refusal);
        if (!workbook) {
            ++refused;
            continue;
        }
        const std::string path = (dir / ("byte" + std::to_string(at) + ".xlsx")).string();
        writeText(path, *workbook);
        written.push_back(path);
    }
    std::cout << "damaged packages: " << original.size() / kEveryNthByte + 1 << ", refused: " << refused
              << ", accepted: " << written.size() << std::endl;
    EXPECT_GT(refused, 0u);
    // Every part inflates to its checksum, and openpyxl opens the package.
    std::vector<std::string> argv{xlsxdumpPath(), "--check"};
    argv.insert(argv.end(), written.begin(), written.end());
    const ProcessResult read = runProcess(argv, std::chrono::minutes(2));
    EXPECT_EQ(read.exitCode, 0) << read.out << read.err;
}

TEST(XlsxDamagedTemplate, APartThatIsNoWellFormedXmlIsRefusedNamingIt) {
    const xlsx::ZipPackage zip = xlsx::ZipPackage::fromBytes(readText(kXlsxTemplate));
    for (size_t entry = 0; entry < zip.entryCount(); ++entry) {
        SCOPED_TRACE(zip.name(entry));
        const std::string text = zip.read(entry, 1u << 20);
        std::map<size_t, xlsx::DeflatedPart> halved;
        halved.emplace(entry, xlsx::DeflatedPart(text.substr(0, text.size() / 2)));
        const std::string bytes = zip.withReplacedParts(halved);
        std::string refusal;
        EXPECT_FALSE(runOn(bytes, refusal)) << "accepted";
        EXPECT_NE(refusal.find(zip.name(entry)), std::string::npos) << refusal;
    }
}

}  // namespace
}  // namespace speclore::test
