// Sheets that carry an INDEX get it rebuilt with the DBCELL records of the
// 32-row blocks, every position pointing at the record it names.
#include <gtest/gtest.h>

#include <map>

#include "XlsTestSupport.h"
#include "xls/BiffRecord.h"
#include "xls/ByteIo.h"
#include "xls/CompoundFile.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

struct Record {
    uint16_t type;
    size_t offset;
    std::string data;
};

std::vector<Record> records(const std::string& stream) {
    std::vector<Record> out;
    for (size_t at = 0; at + 4 <= stream.size();) {
        uint16_t type = getU16(stream.data() + at), length = getU16(stream.data() + at + 2);
        if (type == 0 && length == 0) break;  // padding
        out.push_back({type, at, stream.substr(at + 4, length)});
        at += 4 + length;
    }
    return out;
}

// The fixture with a stale INDEX (all zeros, one block) after each sheet's BOF.
std::string withStaleIndexes() {
    CompoundFile file = CompoundFile::parse(test::readText(test::xlsFixture("two_sheets.xls")));
    std::string& stream = file.findRootStream(u"Workbook")->data;
    std::string rebuilt;
    std::map<uint32_t, uint32_t> moved;
    std::vector<size_t> boundSheets;
    for (const Record& r : records(stream)) {
        if (r.type == rt::Bof) moved[static_cast<uint32_t>(r.offset)] = static_cast<uint32_t>(rebuilt.size());
        if (r.type == rt::BoundSheet) boundSheets.push_back(rebuilt.size());
        appendRecord(rebuilt, r.type, r.data);
        if (r.type == rt::Bof && getU16(r.data.data() + 2) == 0x0010)
            appendRecord(rebuilt, rt::Index, std::string(20, '\0'));
    }
    for (size_t at : boundSheets) setU32(rebuilt.data() + at + 4, moved.at(getU32(rebuilt.data() + at + 4)));
    stream = rebuilt;
    return file.serialize();
}

TEST(WorkbookIndex, IndexAndDbCellPositionsPointAtTheirRecords) {
    test::TempDir dir;
    std::string path = (dir / "indexed.xls").string();
    test::writeText(path, withStaleIndexes());
    {
        XlsApplicationFactory factory;
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(path);
        for (int r = 3; r < 140; r += (r % 7 == 0) ? 3 : 1) {
            book->Sheets(1).SetValue("A" + std::to_string(r), r);
            if (r % 5 == 0) book->Sheets(1).SetValue("C" + std::to_string(r), "行" + std::to_string(r));
        }
        book->Close(true);
    }
    EXPECT_EQ(test::runXlsdump(path, {"--check"}).exitCode, 0);

    std::string stream = CompoundFile::parse(test::readText(path)).findRootStream(u"Workbook")->data;
    std::vector<Record> all = records(stream);
    std::map<size_t, const Record*> at;
    for (const Record& r : all) at[r.offset] = &r;
    auto typeAt = [&](size_t offset) { return at.count(offset) ? at[offset]->type : 0; };

    int indexes = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].type != rt::Index) continue;
        ++indexes;
        const std::string& d = all[i].data;
        EXPECT_EQ(typeAt(getU32(d.data() + 12)), rt::DefColWidth);
        size_t blocks = (d.size() - 16) / 4;
        size_t dbCellsInSheet = 0;
        for (size_t k = i; k < all.size() && all[k].type != rt::Eof; ++k)
            dbCellsInSheet += all[k].type == rt::DbCell;
        EXPECT_EQ(blocks, dbCellsInSheet);
        for (size_t b = 0; b < blocks; ++b) {
            size_t dbCell = getU32(d.data() + 16 + 4 * b);
            ASSERT_EQ(typeAt(dbCell), rt::DbCell) << "block " << b;
            const std::string& db = at[dbCell]->data;
            size_t firstRow = dbCell - getU32(db.data());
            ASSERT_EQ(typeAt(firstRow), rt::Row);
            // Each nonzero offset leads to the first cell of the matching row.
            size_t anchor = firstRow + 20, row = firstRow;
            for (size_t k = 0; 4 + 2 * k < db.size(); ++k, row += 20) {
                ASSERT_EQ(typeAt(row), rt::Row);
                uint16_t delta = getU16(db.data() + 4 + 2 * k);
                if (delta == 0) continue;
                size_t cell = anchor + delta;
                ASSERT_TRUE(at.count(cell)) << "row record " << k;
                EXPECT_EQ(getU16(at[cell]->data.data()), getU16(at[row]->data.data())) << "row " << k;
                anchor = cell;
            }
        }
        uint32_t rwMic = getU32(d.data() + 4), rwMac = getU32(d.data() + 8);
        EXPECT_LE(rwMic, rwMac);
    }
    EXPECT_EQ(indexes, 2);
}

}  // namespace
}  // namespace speclore::xls
