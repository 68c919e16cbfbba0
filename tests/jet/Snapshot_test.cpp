// The snapshot decoder trusts nothing the reader sends.
#include <gtest/gtest.h>

#include "jet/Snapshot.h"

namespace speclore::jet {
namespace {

Snapshot sample() {
    Snapshot s;
    s.format = SnapshotFormat::Jet3;
    s.sortOrder = 1041;
    CatalogObject table;
    table.name = "顧客";
    table.type = 1;
    table.flags = static_cast<int32_t>(0x80000000u);
    table.description = "説明";
    RawTable raw;
    raw.columns.push_back({"ID", 4, 0x07, 4, 1033, 0, "", std::nullopt});
    raw.columns.push_back({"名前", 10, 0x02, 100, 1041, 0xC0, "MSysComplexType_Text", "氏名"});
    raw.indexes.push_back({"PrimaryKey", 1, 0x89, {{0, true}}});
    raw.indexes.push_back({"名前ID", 0, 0x80, {{1, false}, {0, true}}});
    table.table = raw;
    s.objects.push_back(table);
    s.objects.push_back({"リンク", 6, 0x00200000, std::nullopt, std::nullopt});
    s.rowTables.push_back({"MSysRelationships",
                           {"szObject", "grbit"},
                           {{std::string("顧客"), int64_t{-1}}, {CellValue{}, int64_t{257}}}});
    return s;
}

TEST(Snapshot, DecodesWhatWasEncoded) {
    const Snapshot s = sample();
    const Snapshot back = decodeSnapshot(encodeSnapshot(s));
    EXPECT_EQ(back.format, s.format);
    EXPECT_EQ(back.sortOrder, 1041);
    ASSERT_EQ(back.objects.size(), 2u);
    EXPECT_EQ(back.objects[0].flags, s.objects[0].flags);
    EXPECT_EQ(back.objects[0].description, "説明");
    ASSERT_TRUE(back.objects[0].table);
    EXPECT_EQ(back.objects[0].table->columns[1].description, "氏名");
    EXPECT_EQ(back.objects[0].table->columns[1].length, 100);
    EXPECT_EQ(back.objects[0].table->columns[1].extraFlags, 0xC0);
    EXPECT_EQ(back.objects[0].table->columns[1].complexTypeTable, "MSysComplexType_Text");
    EXPECT_FALSE(back.objects[0].table->columns[0].description);
    ASSERT_EQ(back.objects[0].table->indexes[1].columns.size(), 2u);
    EXPECT_FALSE(back.objects[0].table->indexes[1].columns[0].ascending);
    EXPECT_FALSE(back.objects[1].table);
    const RowTable* rows = back.rowTable("MSysRelationships");
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->rows[0][1], CellValue{int64_t{-1}});
    EXPECT_EQ(rows->rows[1][0], CellValue{});
}

TEST(Snapshot, EveryTruncationAndAnyTrailingByteIsRejected) {
    const std::string bytes = encodeSnapshot(sample());
    for (size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_THROW(decodeSnapshot(std::string_view(bytes).substr(0, n)), MalformedSnapshot) << n;
    }
    EXPECT_THROW(decodeSnapshot(bytes + '\0'), MalformedSnapshot);
}

TEST(Snapshot, ValuesThatCannotBeTrueAreRejected) {
    Snapshot s = sample();
    s.objects[0].table->indexes[0].columns[0].column = 2;  // the table has two columns
    EXPECT_THROW(decodeSnapshot(encodeSnapshot(s)), MalformedSnapshot);

    s = sample();
    s.objects[0].name = "\xff\xfe";
    EXPECT_THROW(decodeSnapshot(encodeSnapshot(s)), MalformedSnapshot);

    s = sample();
    s.objects[0].name = "\xed\xa0\x80";  // a UTF-16 surrogate written as UTF-8
    EXPECT_THROW(decodeSnapshot(encodeSnapshot(s)), MalformedSnapshot);

    // ASCII is passed over eight bytes at a time: what follows it, or
    // straddles the eighth byte, is still checked.
    for (const char* bad : {"ABCDEFGH\xff", "ABCDEFGHIJKLMNO\xe9\xa1", "ABCDEFG\xe9\xa1"}) {
        s = sample();
        s.objects[0].name = bad;
        EXPECT_THROW(decodeSnapshot(encodeSnapshot(s)), MalformedSnapshot) << bad;
    }
    s = sample();
    s.objects[0].name = "ABCDEFG顧客ABCDEFGH";
    EXPECT_EQ(decodeSnapshot(encodeSnapshot(s)).objects[0].name, "ABCDEFG顧客ABCDEFGH");

    std::string bytes = encodeSnapshot(sample());
    bytes[8] = 9;  // no such format
    EXPECT_THROW(decodeSnapshot(bytes), MalformedSnapshot);

    // A count far beyond the bytes that follow must not be trusted.
    bytes = encodeSnapshot(sample());
    bytes[11] = bytes[12] = bytes[13] = bytes[14] = '\xff';
    EXPECT_THROW(decodeSnapshot(bytes), MalformedSnapshot);
}

// Hands the bytes out `step` at a time, as a pipe might.
class PieceSource : public SnapshotSource {
public:
    PieceSource(std::string bytes, size_t step) : bytes_(std::move(bytes)), step_(step) {}
    bool more(std::string& buffer) override {
        if (at_ == bytes_.size()) {
            endSeen = true;
            return false;
        }
        const size_t n = std::min(step_, bytes_.size() - at_);
        buffer.append(bytes_, at_, n);
        at_ += n;
        return true;
    }
    bool endSeen = false;

private:
    std::string bytes_;
    size_t step_;
    size_t at_ = 0;
};

TEST(Snapshot, DecodesPieceByPieceAsFromWholeBytes) {
    const std::string bytes = encodeSnapshot(sample());
    for (size_t step : {size_t{1}, size_t{3}, size_t{64}, bytes.size()}) {
        PieceSource source(bytes, step);
        EXPECT_EQ(encodeSnapshot(decodeSnapshot(source)), bytes) << step;
        EXPECT_TRUE(source.endSeen) << step;
    }
    for (size_t n = 0; n < bytes.size(); ++n) {
        PieceSource truncated(bytes.substr(0, n), 5);
        EXPECT_THROW(decodeSnapshot(truncated), MalformedSnapshot) << n;
    }
    PieceSource trailing(bytes + '\0', 7);
    EXPECT_THROW(decodeSnapshot(trailing), MalformedSnapshot);

    std::string falseCount = bytes;
    falseCount[11] = falseCount[12] = falseCount[13] = falseCount[14] = '\xff';
    PieceSource counted(falseCount, 2);
    EXPECT_THROW(decodeSnapshot(counted), MalformedSnapshot);
}

}  // namespace
}  // namespace speclore::jet
