// Saving without any operation changes nothing that a reader can see, and
// an edit changes only the cells it names.
#include <gtest/gtest.h>

#include "XlsTestSupport.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

using nlohmann::json;
using test::copyFixture;
using test::dumpWithoutName;
using test::TempDir;

const char* const kFixtures[] = {"two_sheets.xls", "two_sheets_lo.xls", "comment_lo.xls"};

void saveUnchanged(const std::string& path) {
    XlsApplicationFactory factory;
    auto app = factory.CreateApplication();
    auto book = app->OpenWorkbook(path);
    book->Sheets(1);
    book->Sheets(2);
    book->Close(true);
    app->Quit();
}

// The compound file's entries minus what a rewrite may move: sectors,
// tree links and colours, and the Workbook stream's length.
json comparableStreams(const std::string& path) {
    json streams = dumpWithoutName(path, {"--streams"});
    for (json& e : streams["entries"]) {
        for (const char* key : {"first_sector", "left", "right", "child", "colour", "did", "in_mini_stream"})
            e.erase(key);
        if (e["name"] == "Workbook" || e["type"] == "root") e.erase("size");
    }
    auto& entries = streams["entries"];
    std::sort(entries.begin(), entries.end(),
              [](const json& a, const json& b) { return a["name"] < b["name"]; });
    return streams;
}

TEST(WorkbookRoundTrip, SavingWithoutOperationsChangesNothingReadable) {
    for (const char* fixture : kFixtures) {
        SCOPED_TRACE(fixture);
        TempDir dir;
        std::string original = copyFixture(dir, fixture, "original.xls");
        std::string saved = copyFixture(dir, fixture, "saved.xls");
        saveUnchanged(saved);
        EXPECT_EQ(dumpWithoutName(original, {"--all"}), dumpWithoutName(saved, {"--all"}));
        EXPECT_EQ(dumpWithoutName(original, {"--xfs"}), dumpWithoutName(saved, {"--xfs"}));
        EXPECT_EQ(comparableStreams(original), comparableStreams(saved));
    }
}

// Record order of the sheets around the cell table is kept: drawings, OBJ,
// TXO with its CONTINUEs, NOTE, page setup.
TEST(WorkbookRoundTrip, RecordsOutsideTheCellTableKeepTheirOrder) {
    TempDir dir;
    std::string original = copyFixture(dir, "comment_lo.xls", "original.xls");
    std::string saved = copyFixture(dir, "comment_lo.xls", "saved.xls");
    saveUnchanged(saved);
    auto names = [](const std::string& path) {
        std::vector<std::string> out;
        // The dump is held here: a loop over a member of a temporary would
        // read the records after the temporary is gone.
        const json dump = test::xlsdumpJson(path, {"--records"});
        for (const json& r : dump["records"]) out.push_back(r["name"]);
        return out;
    };
    EXPECT_EQ(names(original), names(saved));
}

TEST(WorkbookRoundTrip, AnEditChangesOnlyTheNamedCells) {
    for (const char* fixture : kFixtures) {
        SCOPED_TRACE(fixture);
        TempDir dir;
        std::string original = copyFixture(dir, fixture, "original.xls");
        std::string edited = copyFixture(dir, fixture, "edited.xls");
        {
            XlsApplicationFactory factory;
            auto app = factory.CreateApplication();
            auto book = app->OpenWorkbook(edited);
            book->Sheets(1).SetValue("A1", "新しい題名");
            book->Sheets(1).SetValue("c40", 7);
            book->Sheets(2).SetValue("$J$5", "右端");
            book->Close(true);
            app->Quit();
        }
        json before = dumpWithoutName(original, {"--all"});
        json after = dumpWithoutName(edited, {"--all"});
        for (int s = 0; s < 2; ++s) {
            json& b = before["sheets"][s];
            json& a = after["sheets"][s];
            std::map<std::string, json> cellsBefore, cellsAfter;
            for (json& c : b["cells"]) cellsBefore[c["address"]] = c;
            for (json& c : a["cells"]) cellsAfter[c["address"]] = c;
            std::set<std::string> named =
                s == 0 ? std::set<std::string>{"A1", "C40"} : std::set<std::string>{"J5"};
            for (auto& [address, cell] : cellsAfter) {
                if (named.count(address)) continue;
                ASSERT_TRUE(cellsBefore.count(address)) << address << " appeared";
                EXPECT_EQ(cell, cellsBefore[address]) << address;
            }
            for (auto& [address, cell] : cellsBefore)
                EXPECT_TRUE(cellsAfter.count(address)) << address << " vanished";
            // A written cell keeps the format it had (or the default one).
            for (const std::string& address : named) {
                ASSERT_TRUE(cellsAfter.count(address)) << address;
                if (cellsBefore.count(address))
                    EXPECT_EQ(cellsAfter[address]["format"], cellsBefore[address]["format"]) << address;
                else
                    EXPECT_EQ(cellsAfter[address]["format"]["xf_index"], 15) << address;
            }
            for (const char* key : {"name", "merged", "columns", "default_row_height_twips", "visibility"})
                EXPECT_EQ(a[key], b[key]) << key;
        }
        EXPECT_EQ(after["sheets"][0]["cells"][0]["value"], "新しい題名");
    }
}

}  // namespace
}  // namespace speclore::xls
