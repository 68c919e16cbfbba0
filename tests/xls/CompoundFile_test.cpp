// The compound file layer: what it writes must read back entry for entry,
// in our reader and in xlrd's, and damaged files must fail cleanly.
#include <gtest/gtest.h>

#include <cstring>

#include "XlsTestSupport.h"
#include "app/AppError.h"
#include "xls/ByteIo.h"
#include "xls/CompoundFile.h"

namespace speclore::xls {
namespace {

using test::readText;
using test::xlsFixture;

void expectSameTree(const CfbEntry& a, const CfbEntry& b) {
    EXPECT_TRUE(a.name == b.name);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.data, b.data);
    // CLSID, state bits and both times.
    EXPECT_EQ(0, std::memcmp(a.directoryBytes.data() + 0x50, b.directoryBytes.data() + 0x50, 0x24));
    ASSERT_EQ(a.children.size(), b.children.size());
    for (const CfbEntry& child : a.children) {
        const CfbEntry* match = nullptr;
        for (const CfbEntry& other : b.children)
            if (other.name == child.name) match = &other;
        ASSERT_NE(match, nullptr);
        expectSameTree(child, *match);
    }
}

CfbEntry stream(std::u16string name, std::string data) {
    CfbEntry e;
    e.name = std::move(name);
    e.type = CfbEntry::kStream;
    e.data = std::move(data);
    return e;
}

std::string pattern(size_t size, unsigned seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed) >> 3);
    return s;
}

TEST(CompoundFile, FilesOfBothWritersReadBackEntryForEntry) {
    for (const char* name : {"two_sheets.xls", "two_sheets_lo.xls", "comment_lo.xls"}) {
        SCOPED_TRACE(name);
        CompoundFile original = CompoundFile::parse(readText(xlsFixture(name)));
        ASSERT_NE(original.findRootStream(u"Workbook"), nullptr);
        CompoundFile again = CompoundFile::parse(original.serialize());
        expectSameTree(original.root(), again.root());
    }
}

// Storages with children (as a VBA project has), big and small streams,
// an empty stream, and a stream big enough to need DIFAT sectors.
TEST(CompoundFile, StoragesBigStreamsAndDifatSurviveTheRoundTrip) {
    CompoundFile file = CompoundFile::parse(readText(xlsFixture("two_sheets_lo.xls")));
    std::memset(file.root().directoryBytes.data() + 0x50, 0x5A, 16);  // a root CLSID to keep
    CfbEntry project;
    project.name = u"_VBA_PROJECT_CUR";
    project.type = CfbEntry::kStorage;
    project.children.push_back(stream(u"PROJECT", pattern(300, 1)));
    project.children.push_back(stream(u"PROJECTwm", ""));
    CfbEntry vba;
    vba.name = u"VBA";
    vba.type = CfbEntry::kStorage;
    for (int i = 0; i < 9; ++i)
        vba.children.push_back(stream(u"Module" + std::u16string(1, static_cast<char16_t>(u'0' + i)),
                                      pattern(100 + 700 * i, i)));
    project.children.push_back(vba);
    file.root().children.push_back(project);
    file.root().children.push_back(stream(u"Huge", pattern(8 * 1024 * 1024 + 17, 7)));

    std::string bytes = file.serialize();
    EXPECT_EQ((bytes.size() - 512) % 512, 0u);
    EXPECT_NE(getU32(bytes.data() + 0x48), 0u) << "more than 109 FAT sectors need DIFAT sectors";
    CompoundFile again = CompoundFile::parse(bytes);
    expectSameTree(file.root(), again.root());

    test::TempDir dir;
    test::writeText(dir / "vba.xls", bytes);
    nlohmann::json streams = test::xlsdumpJson((dir / "vba.xls").string(), {"--streams"});
    EXPECT_EQ(streams["root_clsid"], "5a5a5a5a-5a5a-5a5a-5a5a-5a5a5a5a5a5a");
}

TEST(CompoundFile, SiblingTreesFollowTheNameOrder) {
    EXPECT_TRUE(cfbNameLess(u"Ole", u"Book"));  // shorter first
    EXPECT_TRUE(cfbNameLess(u"abc", u"ABD"));   // case folded
    EXPECT_FALSE(cfbNameLess(u"ABC", u"abc"));
    CompoundFile file = CompoundFile::parse(readText(xlsFixture("two_sheets.xls")));
    for (int i = 0; i < 20; ++i)
        file.root().children.push_back(stream(u"S" + std::u16string(i + 1, u'x'), "d"));
    std::string bytes = file.serialize();
    // Walk the root's tree in order: names must come out sorted.
    uint32_t dirStart = getU32(bytes.data() + 0x30);
    auto entry = [&](uint32_t id) { return bytes.data() + 512 * (dirStart + 1) + 128 * id; };
    std::vector<std::u16string> inOrder;
    std::function<void(uint32_t)> walk = [&](uint32_t id) {
        if (id == 0xFFFFFFFF) return;
        const char* e = entry(id);
        walk(getU32(e + 0x44));
        std::u16string name;
        for (int i = 0; i + 2 < getU16(e + 0x40); i += 2)
            name.push_back(static_cast<char16_t>(getU16(e + i)));
        inOrder.push_back(name);
        walk(getU32(e + 0x48));
    };
    ASSERT_LE(file.root().children.size() * 128 + 128, 512u * 8);
    walk(getU32(entry(0) + 0x4C));
    ASSERT_EQ(inOrder.size(), file.root().children.size());
    EXPECT_TRUE(std::is_sorted(inOrder.begin(), inOrder.end(),
                               [](const auto& a, const auto& b) { return cfbNameLess(a, b); }));
}

void expectUnreadable(const std::string& bytes, const char* what) {
    try {
        CompoundFile::parse(bytes);
        ADD_FAILURE() << "accepted " << what;
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined) << what;
    }
}

TEST(CompoundFile, DamagedFilesRaiseError1004) {
    const std::string good = readText(xlsFixture("two_sheets.xls"));
    expectUnreadable("", "an empty file");
    expectUnreadable(std::string(4096, 'x'), "text");
    expectUnreadable(good.substr(0, 511), "a cut header");
    expectUnreadable(good.substr(0, 1536), "a file cut short");

    std::string bad = good;
    setU16(bad.data() + 0x1E, 10);
    expectUnreadable(bad, "an odd sector size");

    // The FAT points a sector at itself: the chain loops.
    bad = good;
    uint32_t firstFat = getU32(bad.data() + 0x4C);
    uint32_t dirStart = getU32(bad.data() + 0x30);
    setU32(bad.data() + 512 * (firstFat + 1) + 4 * dirStart, dirStart);
    expectUnreadable(bad, "a looping directory chain");

    bad = good;
    setU32(bad.data() + 0x30, 0x00FFFFFF);
    expectUnreadable(bad, "a directory beyond the end of the file");

    // A directory whose root points at itself as a child.
    bad = good;
    setU32(bad.data() + 512 * (dirStart + 1) + 0x4C, 0);
    expectUnreadable(bad, "a looping directory tree");

    // A stream larger than its chain.
    bad = good;
    for (uint32_t id = 1; id < 4; ++id) {
        char* e = bad.data() + 512 * (dirStart + 1) + 128 * id;
        if (e[0x42] == CfbEntry::kStream) setU32(e + 0x78, 0x7FFFFFF0);
    }
    expectUnreadable(bad, "a stream longer than the file");
}

}  // namespace
}  // namespace speclore::xls
