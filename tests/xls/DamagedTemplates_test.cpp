// Damaged templates: single-byte changes of the two templates in every
// structure the engine reads (the compound file's header, FAT, mini FAT and
// directory, the Workbook stream's record headers and the records it parses
// or checks). Each one must be refused with error 1004, or else give a
// workbook that xlrd and LibreOffice read: never one that others refuse.
// The figures (how many refused, how many accepted, and how xlrd judges the
// damaged templates themselves) are printed for comparison.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "CatalogPattern.h"
#include "XlsTestSupport.h"
#include "app/AppError.h"
#include "support/LibreOffice.h"
#include "support/MissingTool.h"
#include "support/Xlsdump.h"
#include "xls/ByteIo.h"
#include "xls/CfbLayout.h"
#include "xls/WorkbookFile.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

using test::TempDir;

struct Damage {
    size_t offset;
    uint8_t mask;
};

// Where the structures of an intact version 3 compound file lie, found by
// following its chains without checks (the templates are well formed).
class Layout {
public:
    explicit Layout(const std::string& file) : file_(file) {
        for (uint32_t i = 0; i < getU32(at(cfb::header::kFatSectors)); ++i)
            fatSectors_.push_back(getU32(at(cfb::kHeaderDifatOffset + 4 * i)));
        directory_ = chainOffsets(getU32(at(cfb::header::kFirstDirectorySector)));
        miniFat_ = chainOffsets(getU32(at(cfb::header::kFirstMiniFatSector)));
    }

    size_t sectorOffset(uint32_t sector) const { return (static_cast<size_t>(sector) + 1) * kSector; }
    const std::vector<uint32_t>& fatSectors() const { return fatSectors_; }
    const std::vector<size_t>& directory() const { return directory_; }
    const std::vector<size_t>& miniFat() const { return miniFat_; }
    size_t entryCount() const { return directory_.size() / cfb::dirEntry::kSize; }
    // The file offset of byte `i` of directory entry `id`.
    size_t entryByte(size_t id, size_t i) const { return directory_[id * cfb::dirEntry::kSize + i]; }

    // File offsets of the named stream's bytes, in stream order.
    std::vector<size_t> streamOffsets(std::u16string_view name) const {
        for (size_t id = 1; id < entryCount(); ++id) {
            std::u16string entryName;
            for (size_t i = 0; i + 2 < getU16(entryAt(id, cfb::dirEntry::kNameBytes)); i += 2)
                entryName.push_back(static_cast<char16_t>(getU16(entryAt(id, i))));
            if (entryName != name) continue;
            const uint32_t size = getU32(entryAt(id, cfb::dirEntry::kStreamSizeLow));
            const uint32_t start = getU32(entryAt(id, cfb::dirEntry::kStartSector));
            std::vector<size_t> offsets;
            if (size >= cfb::kMiniCutoff) {
                offsets = chainOffsets(start);
            } else {
                const std::vector<size_t> mini =
                    chainOffsets(getU32(entryAt(0, cfb::dirEntry::kStartSector)));
                for (uint32_t s = start; s < cfb::kMaxRegularSect; s = getU32(file_.data() + miniFat_[4 * s]))
                    for (uint32_t i = 0; i < cfb::kMiniSectorSize; ++i)
                        offsets.push_back(mini[s * cfb::kMiniSectorSize + i]);
            }
            offsets.resize(size);
            return offsets;
        }
        return {};
    }

private:
    static constexpr size_t kSector = 512;
    const std::string& file_;
    std::vector<uint32_t> fatSectors_;
    std::vector<size_t> directory_;
    std::vector<size_t> miniFat_;

    const char* at(size_t offset) const { return file_.data() + offset; }
    const char* entryAt(size_t id, size_t i) const { return at(entryByte(id, i)); }

    uint32_t next(uint32_t sector) const {
        const size_t perSector = kSector / 4;
        return getU32(at(sectorOffset(fatSectors_[sector / perSector]) + 4 * (sector % perSector)));
    }

    std::vector<size_t> chainOffsets(uint32_t start) const {
        std::vector<size_t> offsets;
        for (uint32_t s = start; s < cfb::kMaxRegularSect; s = next(s))
            for (size_t i = 0; i < kSector; ++i) offsets.push_back(sectorOffset(s) + i);
        return offsets;
    }
};

// Records whose contents the engine parses or checks beyond their header.
bool contentsMatter(uint16_t type) {
    switch (type) {
    case 0x0809:  // BOF
    case 0x0085:  // BOUNDSHEET
    case 0x0017:  // EXTERNSHEET
    case 0x01AE:  // SUPBOOK
    case 0x0018:  // NAME
    case 0x00FC:  // SST
    case 0x003C:  // CONTINUE
    case 0x0200:  // DIMENSIONS
    case 0x0208:  // ROW
    case 0x00FD:  // LABELSST
    case 0x00BE:  // MULBLANK
    case 0x0031:  // FONT
    case 0x041E:  // FORMAT
    case 0x0293:  // STYLE
    case 0x007D:  // COLINFO
    case 0x0225:  // DEFAULTROWHEIGHT
    case 0x00E5:  // MERGEDCELLS
    case 0x0014:  // HEADER
    case 0x0015:  // FOOTER
    case 0x013D:  // TABID
    case 0x023E:  // WINDOW2
    case 0x0041:  // PANE
        return true;
    default: return false;
    }
}

constexpr size_t kEveryNthByte = 5;
// LibreOffice loads a workbook in about a fifth of a second: it reads an
// even sample of the accepted ones.
constexpr size_t kLibreOfficeSample = 12;

// The bytes of the header's fields, of the FAT entries in use, of the mini
// FAT's first entries and of the directory entries' fields, and of the
// record headers and the records that matter in the Workbook stream, each
// changed in one bit.
std::vector<Damage> damagesOf(const std::string& file) {
    const Layout layout(file);
    std::vector<size_t> offsets;
    for (size_t i = 0x18; i < cfb::kHeaderDifatOffset + 8; ++i) offsets.push_back(i);
    const size_t usedSectors = (file.size() - 512) / 512;
    for (size_t i = 0; i < 4 * usedSectors && i < 512; ++i)
        offsets.push_back(layout.sectorOffset(layout.fatSectors().front()) + i);
    for (size_t i = 0; i < layout.miniFat().size() && i < 128; ++i) offsets.push_back(layout.miniFat()[i]);
    for (size_t id = 0; id < layout.entryCount(); ++id) {
        if (file[layout.entryByte(id, cfb::dirEntry::kType)] == 0) continue;
        for (size_t i = 0; i < 16; ++i) offsets.push_back(layout.entryByte(id, i));
        for (size_t i = cfb::dirEntry::kNameBytes; i < 0x50; ++i) offsets.push_back(layout.entryByte(id, i));
        for (size_t i = cfb::dirEntry::kStartSector; i < cfb::dirEntry::kSize; ++i)
            offsets.push_back(layout.entryByte(id, i));
    }

    const std::vector<size_t> stream = layout.streamOffsets(u"Workbook");
    std::string bytes;
    for (size_t at : stream) bytes.push_back(file[at]);
    for (size_t position = 0; position + 4 <= bytes.size();) {
        const uint16_t type = getU16(bytes.data() + position);
        const uint16_t length = getU16(bytes.data() + position + 2);
        if (type == 0 && length == 0) break;
        const size_t end = position + 4 + (contentsMatter(type) ? length : 0);
        for (size_t i = position; i < end && i < stream.size(); ++i) offsets.push_back(stream[i]);
        position += 4 + static_cast<size_t>(length);
    }
    // Every fifth byte of these, so that the xlrd runs stay short; the
    // changed bit takes turns so that small and large changes both occur.
    std::vector<Damage> damages;
    for (size_t i = 0; i < offsets.size(); i += kEveryNthByte)
        damages.push_back({offsets[i], static_cast<uint8_t>(1u << (damages.size() * 3 % 8))});
    return damages;
}

std::string describe(const Damage& d) {
    std::ostringstream text;
    text << "byte 0x" << std::hex << d.offset << " ^ 0x" << static_cast<int>(d.mask);
    return text.str();
}

// The files xlrd cannot open, by path, with its reason.
std::map<std::string, std::string> refusedByXlrd(const std::vector<std::string>& paths) {
    std::map<std::string, std::string> refused;
    if (paths.empty()) return refused;
    std::vector<std::string> argv{test::xlsdumpPath(), "--check"};
    argv.insert(argv.end(), paths.begin(), paths.end());
    const test::ProcessResult run = test::runProcess(argv, std::chrono::minutes(5));
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.err;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("FAIL: ", 0) != 0) continue;
        const size_t end = line.find(".xls: ");
        refused[line.substr(6, end + 4 - 6)] = line.substr(end + 6);
    }
    return refused;
}

class DamagedTemplates : public testing::TestWithParam<std::string> {};

TEST_P(DamagedTemplates, AreRefusedOrGiveWorkbooksOthersRead) {
    const std::string original = test::readText(GetParam());
    TempDir dir("speclore-damaged");
    std::filesystem::create_directories(dir / "templates");
    std::filesystem::create_directories(dir / "written");
    std::vector<std::string> templates, distinct, refusedTemplates;
    std::map<std::string, std::string> damageOf;
    // Many damages leave the same workbook behind (a field the engine
    // rewrites anyway); each distinct one is read once.
    std::set<std::string> workbooks;
    size_t accepted = 0;
    for (const Damage& damage : damagesOf(original)) {
        std::string bytes = original;
        bytes[damage.offset] = static_cast<char>(bytes[damage.offset] ^ damage.mask);
        const std::string name = std::to_string(templates.size()) + ".xls";
        const std::string templatePath = (dir / "templates" / name).string();
        test::writeText(templatePath, bytes);
        templates.push_back(templatePath);
        damageOf[templatePath] = describe(damage);
        // The run's calls on the workbook opened from these bytes, kept in
        // memory: opening a file is reading it and this, and the saving
        // through a synced temporary file is tested elsewhere.
        try {
            WorkbookFile book = WorkbookFile::fromBytes(bytes);
            XlsWorksheet tables(book, book.worksheet(1));
            XlsWorksheet relations(book, book.worksheet(2));
            test::writeTableSheet(tables, test::kTables);
            test::writeRelationSheet(relations);
            ++accepted;
            std::string workbook = book.toBytes();
            // What the engine wrote, it must read again.
            EXPECT_NO_THROW(WorkbookFile::fromBytes(workbook)) << describe(damage);
            if (!workbooks.insert(workbook).second) continue;
            const std::string path = (dir / "written" / name).string();
            test::writeText(path, workbook);
            damageOf[path] = describe(damage);
            distinct.push_back(path);
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), err::ApplicationDefined)
                << describe(damage) << ": " << error.description();
            refusedTemplates.push_back(templatePath);
        }
    }

    for (const auto& [path, reason] : refusedByXlrd(distinct))
        ADD_FAILURE() << "accepted " << damageOf[path] << ", and xlrd refuses the result: " << reason;
    // How xlrd judges the templates we refuse: those it opens show where we
    // are stricter than it is.
    const size_t xlrdAlsoRefuses = refusedByXlrd(refusedTemplates).size();
    std::cout << "damaged templates: " << templates.size() << ", refused: " << refusedTemplates.size()
              << " (xlrd opens " << refusedTemplates.size() - xlrdAlsoRefuses
              << " of them), accepted: " << accepted << " (" << distinct.size() << " distinct workbooks)"
              << std::endl;
    EXPECT_FALSE(refusedTemplates.empty());

    if (!test::libreOfficeInstalled()) SPECLORE_MISSING_TOOL("soffice is not installed");
    // One LibreOffice run over the sample; LibreOffice repairs much on
    // loading, but it must at least load each one.
    std::vector<std::string> convert{
        "soffice",      "-env:UserInstallation=file://" + (dir / "lo-profile").string(),
        "--headless",   "--norestore",
        "--convert-to", "csv",
        "--outdir",     (dir / "csv").string()};
    std::vector<std::string> sample;
    for (size_t i = 0; i < kLibreOfficeSample && i < distinct.size(); ++i)
        sample.push_back(distinct[i * distinct.size() / std::min(kLibreOfficeSample, distinct.size())]);
    convert.insert(convert.end(), sample.begin(), sample.end());
    const test::ProcessResult libreOffice = test::runProcess(convert, std::chrono::minutes(2));
    for (const std::string& path : sample) {
        const std::filesystem::path csv =
            dir / "csv" / std::filesystem::path(path).filename().replace_extension(".csv");
        EXPECT_TRUE(std::filesystem::exists(csv))
            << "accepted " << damageOf[path]
            << ", and LibreOffice cannot load the result: " << libreOffice.err;
    }
}

// A sheet whose BOF names no kind of substream: xlrd refuses the workbook,
// and the engine, which would keep the sheet as it is, refuses the template.
TEST(DamagedTemplates, ASheetOfNoKnownKindIsRefused) {
    std::string bytes = test::readText(test::kTemplate);
    const std::vector<size_t> stream = Layout(bytes).streamOffsets(u"Workbook");
    std::string records;
    for (size_t at : stream) records.push_back(bytes[at]);
    size_t position = 4 + getU16(records.data() + 2);
    while (getU16(records.data() + position) != 0x0809) position += 4 + getU16(records.data() + position + 2);
    bytes[stream[position + 4 + 2]] ^= 0x01;  // worksheet 0x0010 -> 0x0011
    try {
        WorkbookFile::fromBytes(bytes);
        ADD_FAILURE() << "accepted";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::ApplicationDefined);
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, DamagedTemplates,
                         testing::Values(test::kTemplate, test::kLibreOfficeTemplate),
                         [](const auto& instance) {
                             return instance.param == test::kTemplate ? std::string("Template")
                                                                      : std::string("SavedByLibreOffice");
                         });

}  // namespace
}  // namespace speclore::xls
