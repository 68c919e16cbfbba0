#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/Startup.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

using namespace speclore;
using speclore::testing::RecordingMessageBox;

namespace {

// A platform whose answers a test sets, noting each question in order.
struct FakePlatform {
    bool otherInstance = false;
    int32_t dpi = 96;
    int32_t titleBar = 23;
    int32_t frame = 3;
    bool engine = true;
    bool windowFails = false;
    // A program folder the user may write: a portable copy, settings beside it.
    speclore::test::TempDir folder;
    std::string executable = (folder / "Speclore").string();
    std::vector<std::string> steps;
    std::string title;

    StartupHooks hooks() {
        StartupHooks h;
        h.anotherInstanceRunning = [this] {
            steps.push_back("instance");
            return otherInstance;
        };
        h.screenDpiY = [this] {
            steps.push_back("dpi");
            return dpi;
        };
        h.titleBarPixels = [this] {
            steps.push_back("titlebar");
            return titleBar;
        };
        h.dialogFramePixels = [this] {
            steps.push_back("frame");
            return frame;
        };
        h.setApplicationTitle = [this](const std::string& t) {
            steps.push_back("title");
            title = t;
        };
        h.executablePath = [this] {
            steps.push_back("executable");
            return executable;
        };
        h.workbookEngineAvailable = [this] {
            steps.push_back("engine");
            return engine;
        };
        h.loadMainWindow = [this] {
            steps.push_back("window");
            if (windowFails) throw AppError(err::ObjectVariableNotSet);
        };
        return h;
    }
};

}  // namespace

TEST(Startup, StepsRunInOrderAndSetTheProgramWideValues) {
    RecordingMessageBox boxes;
    FakePlatform platform;
    platform.dpi = 120;
    EXPECT_EQ(Main(platform.hooks()), StartupOutcome::MainWindowLoaded);
    EXPECT_EQ(platform.steps, (std::vector<std::string>{"instance", "dpi", "titlebar", "frame", "title",
                                                        "executable", "engine", "window"}));
    EXPECT_EQ(platform.title, "Morvane");
    EXPECT_EQ(appGlobals().twipsPerPixel, 12);
    EXPECT_EQ(appGlobals().captionHeight, 12 * 23);
    EXPECT_EQ(appGlobals().frameHeight, 2 * 3 * 12);
    EXPECT_EQ(appGlobals().programFolder, platform.folder.path().string());
    EXPECT_EQ(appGlobals().iniPath, (platform.folder / "Speclore.ini").string());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Startup, AnotherInstanceLeavesSilentlyBeforeAnythingElse) {
    RecordingMessageBox boxes;
    FakePlatform platform;
    platform.otherInstance = true;
    EXPECT_EQ(Main(platform.hooks()), StartupOutcome::AnotherInstance);
    EXPECT_EQ(platform.steps, std::vector<std::string>{"instance"});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Startup, MissingWorkbookEngineShowsOnlyTheRefusal) {
    RecordingMessageBox boxes;
    FakePlatform platform;
    platform.engine = false;
    EXPECT_EQ(Main(platform.hooks()), StartupOutcome::Refused);
    EXPECT_EQ(platform.steps.back(), "engine");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 48);
    EXPECT_EQ(boxes.boxes[0].text,
              "このアプリケーションを使用するには、 「Microsoft Excel」 をインストールする必要があります。"
              "\r\n\r\n「Morvane」 の起動を中止します。");
}

// Each failure in Main is one error box under "mMain-Main", and the main
// window is never loaded after it.
TEST(Startup, FailuresAreReportedOnceUnderMain) {
    struct Case {
        const char* what;
        void (*arrange)(FakePlatform&);
        int32_t number;
    };
    const Case cases[] = {
        {"title bar overflows", [](FakePlatform& p) { p.titleBar = INT32_MAX / 15 + 1; }, 6},
        {"doubled frame overflows", [](FakePlatform& p) { p.frame = INT32_MAX / 2 + 1; }, 6},
        {"frame times twips overflows", [](FakePlatform& p) { p.frame = INT32_MAX / 16; }, 6},
        {"zero resolution", [](FakePlatform& p) { p.dpi = 0; }, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingMessageBox boxes;
        FakePlatform platform;
        c.arrange(platform);
        EXPECT_EQ(Main(platform.hooks()), StartupOutcome::Failed);
        EXPECT_EQ(std::count(platform.steps.begin(), platform.steps.end(), "window"), 0);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, errorBoxMessage(c.number, "mMain-Main"));
    }

    RecordingMessageBox boxes;
    FakePlatform platform;
    platform.windowFails = true;
    EXPECT_EQ(Main(platform.hooks()), StartupOutcome::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, errorBoxMessage(91, "mMain-Main"));
}

TEST(Startup, TwipsPerPixelRoundHalfToEven) {
    EXPECT_EQ(twipsPerPixelFor(96), 15);
    EXPECT_EQ(twipsPerPixelFor(120), 12);
    EXPECT_EQ(twipsPerPixelFor(144), 10);
    EXPECT_EQ(twipsPerPixelFor(192), 8);   // 7.5
    EXPECT_EQ(twipsPerPixelFor(960), 2);   // 1.5
    EXPECT_EQ(twipsPerPixelFor(576), 2);   // 2.5
    EXPECT_EQ(twipsPerPixelFor(2880), 0);  // 0.5
    EXPECT_EQ(twipsPerPixelFor(1), 1440);
    EXPECT_THROW(twipsPerPixelFor(-96), AppError);
}

TEST(Startup, SettingsFileIsNamedAfterTheExecutable) {
    EXPECT_EQ(iniPathFor("/opt/speclore/Speclore"), "/opt/speclore/Speclore.ini");
    EXPECT_EQ(iniPathFor("/opt/speclore/Other.bin"), "/opt/speclore/Other.ini");
    EXPECT_EQ(iniPathFor("/opt/my.tools/report"), "/opt/my.tools/report.ini");
    EXPECT_EQ(iniPathFor("/opt/speclore/.hidden"), "/opt/speclore/.hidden.ini");
    EXPECT_EQ(iniPathFor("/Speclore"), "/Speclore.ini");
}
