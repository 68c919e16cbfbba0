// The shared string table read from records split as Excel splits them,
// and written back so that it reads the same.
#include <gtest/gtest.h>

#include "workbook/Utf8.h"
#include "xls/BiffRecord.h"
#include "xls/ByteIo.h"
#include "xls/SharedStrings.h"

namespace speclore::xls {
namespace {

std::vector<BiffRecord> split(const std::string& data, const std::vector<size_t>& cuts) {
    std::vector<BiffRecord> records;
    size_t start = 0;
    for (size_t cut : cuts) {
        records.push_back({records.empty() ? rt::Sst : rt::Continue, data.substr(start, cut - start)});
        start = cut;
    }
    records.push_back({records.empty() ? rt::Sst : rt::Continue, data.substr(start)});
    return records;
}

std::vector<const BiffRecord*> pointers(const std::vector<BiffRecord>& records) {
    std::vector<const BiffRecord*> out;
    for (const auto& r : records) out.push_back(&r);
    return out;
}

// Records of a written stream, from `out` (SST, CONTINUEs, EXTSST).
std::vector<BiffRecord> recordsOf(const std::string& out) {
    std::vector<BiffRecord> records;
    for (size_t at = 0; at + 4 <= out.size(); at += 4 + getU16(out.data() + at + 2))
        records.push_back({getU16(out.data() + at), out.substr(at + 4, getU16(out.data() + at + 2))});
    return records;
}

TEST(SharedStrings, RichAndPhoneticStringsSplitAcrossContinueReadBackAndAreNotShared) {
    std::string data;
    putU32(data, 3);
    putU32(data, 3);
    // 1: "ab" + "漢" in 16-bit, characters split over a CONTINUE that switches width.
    putU16(data, 3);
    putU8(data, 0x00);
    data += "ab";
    size_t cut1 = data.size();
    putU8(data, 0x01);
    putU16(data, u'漢');
    // 2: "rich" with 2 runs and 6 phonetic bytes, runs and ExtRst split.
    putU16(data, 4);
    putU8(data, 0x0C);
    putU16(data, 2);
    putU32(data, 6);
    data += "rich";
    putU32(data, 0x00010000);
    size_t cut2 = data.size();
    putU32(data, 0x00050002);
    data += "PHO";
    size_t cut3 = data.size();
    data += "NET";
    // 3: plain "ab漢".
    putU16(data, 3);
    putU8(data, 0x01);
    for (char16_t c : std::u16string(u"ab漢")) putU16(data, c);

    std::vector<BiffRecord> records = split(data, {cut1, cut2, cut3});
    SharedStrings strings;
    strings.read(pointers(records));
    ASSERT_EQ(strings.size(), 3u);
    EXPECT_TRUE(strings.text(0) == u"ab漢");
    EXPECT_TRUE(strings.text(1) == u"rich");
    EXPECT_EQ(strings.intern(u"ab漢"), 0u) << "the first of equal plain texts";
    EXPECT_EQ(strings.intern(u"rich"), 3u) << "a rich string is not reused for plain text";

    std::string out;
    strings.write(out, 7);
    std::vector<BiffRecord> written = recordsOf(out);
    ASSERT_EQ(written.back().type, rt::ExtSst);
    written.pop_back();
    EXPECT_EQ(getU32(written.front().data.data()), 7u);
    EXPECT_EQ(getU32(out.data() + SharedStrings::kTotalReferencesAt), 7u) << "where a later writer sets it";
    EXPECT_EQ(getU32(written.front().data.data() + 4), 4u);
    SharedStrings again;
    again.read(pointers(written));
    ASSERT_EQ(again.size(), 4u);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_TRUE(again.text(i) == strings.text(i)) << i;
    // The rich string keeps its runs and phonetic bytes: its header says so.
    size_t rich = 8 + 3 + 6;
    EXPECT_EQ(static_cast<uint8_t>(written.front().data[rich + 2]), 0x0C);
    EXPECT_EQ(written.front().data.substr(rich + 9 + 4 + 8, 6), "PHONET");
}

TEST(SharedStrings, LongTablesSplitIntoRecordsWithinTheLimitAndIndexEveryBucket) {
    SharedStrings strings;
    std::vector<std::u16string> texts;
    for (int i = 0; i < 3000; ++i) {
        std::u16string t = (i % 2 ? u"項目" : u"item") + std::u16string(static_cast<size_t>(i % 50), u'x');
        t += static_cast<char16_t>(u'0' + i % 10);
        t += std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + std::u16string(i / 26 + 1, u'y');
        EXPECT_EQ(strings.intern(t), texts.size());
        texts.push_back(t);
    }
    strings.intern(std::u16string(20000, u'長'));
    texts.push_back(std::u16string(20000, u'長'));
    std::string out(100, '\0');  // the SST does not start the stream
    strings.write(out, 3001);
    std::vector<BiffRecord> written = recordsOf(out.substr(100));
    for (const BiffRecord& r : written) EXPECT_LE(r.data.size(), kMaxRecordData);
    BiffRecord extSst = written.back();
    written.pop_back();
    SharedStrings again;
    again.read(pointers(written));
    ASSERT_EQ(again.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(again.text(static_cast<uint32_t>(i)) == texts[i]) << i;
    // Each EXTSST bucket names the stream position of its first string.
    uint16_t perBucket = getU16(extSst.data.data());
    EXPECT_EQ(perBucket, 3001 / 128 + 1);
    for (size_t b = 0; 2 + 8 * b < extSst.data.size(); ++b) {
        uint32_t position = getU32(extSst.data.data() + 2 + 8 * b);
        uint16_t count = getU16(out.data() + position);
        EXPECT_EQ(count, texts[b * perBucket].size()) << "bucket " << b;
    }
}

TEST(SharedStrings, Utf8TextsAreFoundByTheirBytesAfterTheTableGrows) {
    SharedStrings strings;
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) {
        std::string text = (i % 2 ? "項目" : "item") + std::to_string(i) + (i % 3 ? "" : "😀");
        EXPECT_EQ(strings.internUtf8(text, 100), texts.size()) << text;
        texts.push_back(text);
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(strings.internUtf8(texts[i], 100), i) << texts[i];
        EXPECT_TRUE(strings.text(static_cast<uint32_t>(i)) == workbook::utf8ToUtf16(texts[i])) << i;
        EXPECT_EQ(strings.intern(workbook::utf8ToUtf16(texts[i])), i) << "the same text as UTF-16";
    }
    // A prefix, or the same text with other bytes, is another text.
    uint32_t next = static_cast<uint32_t>(texts.size());
    for (std::string other : {"item", "item0 ", "ITEM0"}) EXPECT_EQ(strings.internUtf8(other, 100), next++);
}

TEST(SharedStrings, AsciiCellTextsAreWrittenCompressedAcrossRecordBoundaries) {
    SharedStrings strings;
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i) {
        // ASCII texts of every length around a word, between texts of wider characters.
        std::string text = std::string(static_cast<size_t>(i % 19), 'a' + static_cast<char>(i % 26)) +
                           std::to_string(i) + (i % 5 ? "" : "é") + (i % 7 ? "" : "項目");
        texts.push_back(text);
    }
    texts.push_back(std::string(20000, 'L'));  // longer than a record
    texts.push_back("");
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(strings.internUtf8(texts[i], 32767), i) << texts[i];
    EXPECT_FALSE(strings.internUtf8(std::string(101, 'x'), 100)) << "an ASCII text over the limit";
    EXPECT_EQ(strings.intern(u"b1"), 1u) << "found as UTF-16 too";

    std::string out;
    strings.write(out, 5);
    std::vector<BiffRecord> written = recordsOf(out);
    for (const BiffRecord& r : written) EXPECT_LE(r.data.size(), kMaxRecordData);
    written.pop_back();
    SharedStrings again;
    again.read(pointers(written));
    ASSERT_EQ(again.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(strings.text(static_cast<uint32_t>(i)) == workbook::utf8ToUtf16(texts[i])) << i;
        ASSERT_TRUE(again.text(static_cast<uint32_t>(i)) == workbook::utf8ToUtf16(texts[i])) << i;
    }
    // After "0é項目" in two bytes a character, "b1" takes one.
    EXPECT_EQ(written.front().data.substr(8 + 3 + 8, 5), std::string("\x02\x00\x00", 3) + "b1");
}

TEST(SharedStrings, Utf8TextsShareWithTheTemplatesTextsAndByWhatTheyReadAs) {
    std::string data;
    putU32(data, 2);
    putU32(data, 2);
    putU16(data, 2);
    putU8(data, 0x01);
    for (char16_t c : std::u16string(u"仕様")) putU16(data, c);
    putU16(data, 1);
    putU8(data, 0x01);
    putU16(data, 0xFFFD);
    std::vector<BiffRecord> records = split(data, {});
    SharedStrings strings;
    strings.read(pointers(records));
    EXPECT_EQ(strings.internUtf8("仕様", 10), 0u);
    // Malformed sequences read as U+FFFD, so each of these is the second string.
    for (std::string malformed : {"\xFF", "\xE4\xBB", "\xC0\x80"})
        EXPECT_EQ(strings.internUtf8(malformed, 10), 1u);
    EXPECT_EQ(strings.size(), 2u);
    EXPECT_FALSE(strings.internUtf8("長い文字列", 4)) << "five characters over a limit of four";
    EXPECT_FALSE(strings.internUtf8("仕様", 1)) << "nor is a known text over the limit given";
    EXPECT_EQ(strings.size(), 2u);
}

}  // namespace
}  // namespace speclore::xls
