#include <gtest/gtest.h>

#include <string>

#include "app/Cp932.h"
#include "app/PathText.h"
#include "support/RecordingMessageBox.h"

using namespace speclore;
using speclore::testing::RecordingMessageBox;

namespace {

size_t widthOf(const std::string& text) { return utf8ToCp932(text).size(); }

}  // namespace

TEST(GetFileName, PartAfterTheLastSlashOrBackslash) {
    EXPECT_EQ(GetFileName("/data/sales.mdb"), "sales.mdb");
    EXPECT_EQ(GetFileName("C:\\data\\sales.mdb"), "sales.mdb");
    EXPECT_EQ(GetFileName("C:\\old/mixed\\販売.mdb"), "販売.mdb");
    EXPECT_EQ(GetFileName("/data/"), "");
    EXPECT_EQ(GetFileName("sales.mdb"), "");
    EXPECT_EQ(GetFileName(""), "");
}

TEST(CompactPathEx, PathsThatFitComeBackUnchanged) {
    const std::string forty = "/home/user/documents/db/2024/sales01.mdb";
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_EQ(CompactPathEx(forty, 44), forty);
    EXPECT_EQ(CompactPathEx(forty, 40), forty);
    EXPECT_EQ(CompactPathEx("", 44), "");
    // 20 double-byte characters take 40 positions, 22 take 44.
    const std::string japanese = "/データ/" + std::string("販売管理台帳") + "/見積書.mdb";
    EXPECT_EQ(CompactPathEx(japanese, static_cast<int16_t>(widthOf(japanese))), japanese);
}

TEST(CompactPathEx, LongPathKeepsTheFileNameAfterAnEllipsis) {
    const std::string name = "sales_01.mdb";
    std::string path = "/srv/shared/accounting/department/archive/2019/q4/";
    path += std::string(80 - path.size() - name.size(), 'x') + "/" + name;
    path.erase(path.size() - name.size() - 2, 1);
    ASSERT_EQ(path.size(), 80u);

    std::string shown = CompactPathEx(path, 44);
    EXPECT_EQ(shown.size(), 44u);
    EXPECT_TRUE(shown.ends_with("/" + name)) << shown;
    EXPECT_NE(shown.find("..."), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(0, 28), path.substr(0, 28));

    const std::string windows = "C:\\Documents and Settings\\user\\My Documents\\Access\\sales_01.mdb";
    std::string shownWindows = CompactPathEx(windows, 44);
    EXPECT_EQ(shownWindows.size(), 44u);
    EXPECT_TRUE(shownWindows.ends_with("...\\sales_01.mdb")) << shownWindows;
}

// Whatever the path and the width, the result fits, and it is either the
// path itself or a shortened form showing where text was left out.
TEST(CompactPathEx, NeverWiderThanTheWidthAndNeverSplitsACharacter) {
    const std::string paths[] = {
        "/home/user/データベース/販売管理/顧客台帳/得意先マスタ一覧.mdb",
        "/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q/r/s/t/u/v/w/x/y/z.mdb",
        "/short/an_extremely_long_file_name_that_is_wider_than_any_box_could_show.mdb",
        "/short/とても長いファイル名はそのままでは幅に収まらないのでした.mdb",
        "no_separator_at_all_in_this_rather_long_database_file_name.mdb",
        "ｶﾀｶﾅ/ﾊﾝｶｸ/ﾃﾞｰﾀﾍﾞｰｽ/ﾌｧｲﾙﾒｲ/ﾅｶﾞｲﾅﾏｴﾉﾃﾞｰﾀﾍﾞｰｽ.mdb",
    };
    for (const std::string& path : paths) {
        for (int16_t width = 0; width <= 70; ++width) {
            std::string shown = CompactPathEx(path, width);
            SCOPED_TRACE(path + " @" + std::to_string(width) + " -> " + shown);
            EXPECT_LE(widthOf(shown), static_cast<size_t>(width));
            EXPECT_EQ(cp932ToUtf8(utf8ToCp932(shown)), shown);
            if (shown != path && width > 3) {
                EXPECT_NE(shown.find("..."), std::string::npos);
            }
            if (widthOf(path) <= static_cast<size_t>(width)) {
                EXPECT_EQ(shown, path);
            }
        }
    }
    // 43 positions: a fourth double-byte character before "..." would make 45.
    EXPECT_EQ(CompactPathEx(paths[0], 44), "/home/user/データベ.../得意先マスタ一覧.mdb");
    EXPECT_EQ(CompactPathEx(paths[2], 20), ".../an_extremely_...");
}

TEST(CompactPathEx, WidthWithoutRoomForTheEndGivesEmptyAndOverflowIsReported) {
    RecordingMessageBox boxes;
    EXPECT_EQ(CompactPathEx("/data/sales.mdb", 0), "");
    EXPECT_EQ(CompactPathEx("/data/sales.mdb", -5), "");
    EXPECT_TRUE(boxes.boxes.empty());

    EXPECT_EQ(CompactPathEx("/data/sales.mdb", 32767), "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 16);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 6  【mSysFunc-CompactPathEx】\r\n\r\n", 0), 0u);
}
