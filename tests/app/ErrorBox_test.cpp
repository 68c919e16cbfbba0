#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "app/ErrorBox.h"
#include "app/StandardMessages.h"
#include "support/RecordingMessageBox.h"

using namespace speclore;
using speclore::testing::RecordingMessageBox;

TEST(ErrorBox, MessageLayoutNamesNumberTagAndStandardText) {
    RecordingMessageBox boxes;
    ErrMsgBox(AppError(13), "fMain-CreateCatalog");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 16);
    EXPECT_EQ(boxes.boxes[0].text, "ｴﾗｰNo. 13  【fMain-CreateCatalog】\r\n\r\n" + standardMessageText(13));
}

TEST(ErrorBox, ShowsStandardTextNotTheErrorsOwnDescription) {
    RecordingMessageBox boxes;
    ErrMsgBox(AppError(3031, "engine's own words"), "fMain-CreateCatalog");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.find("engine's own words"), std::string::npos);
}

TEST(ErrorBox, NegativeNumberKeepsItsSignAndUnknownNumbersGetTheGenericText) {
    RecordingMessageBox boxes;
    ErrMsgBox(AppError(-2147467259), "mMain-Main");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. -2147467259  【mMain-Main】", 0), 0u);
    EXPECT_EQ(standardMessageText(-2147467259), standardMessageText(1004));
}

TEST(ErrorBox, CommonBoxPassesOverCancelledButModuleCopiesShowIt) {
    RecordingMessageBox boxes;
    ErrMsgBox(AppError(err::ActionCancelled), "fMain-Form_Load");
    EXPECT_TRUE(boxes.boxes.empty());
    ErrMsgBox(AppError(err::ActionCancelled), ProcTag::moduleCopy("mBlowfish", "BFEncode"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 2501  【mBlowfish-BFEncode】", 0), 0u);
}

TEST(ErrorBox, TrapReportsOnceAndReturnsTheFallback) {
    RecordingMessageBox boxes;
    auto tag = ProcTag::common("mMain-GetFileName");
    std::string result = trap(tag, std::string(), []() -> std::string { throw AppError(err::Overflow); });
    EXPECT_EQ(result, "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 6  【mMain-GetFileName】", 0), 0u);

    EXPECT_EQ(trap(tag, 0, [] { return 42; }), 42);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(ErrorBox, TrapMapsStandardFailuresToRuntimeNumbers) {
    RecordingMessageBox boxes;
    auto tag = ProcTag::common("fMain-SetEnabled");
    EXPECT_FALSE(trap(tag, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(trap(tag, [] { throw std::overflow_error("x"); }));
    EXPECT_FALSE(trap(tag, [] { throw std::out_of_range("x"); }));
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 7 ", 0), 0u);
    EXPECT_EQ(boxes.boxes[1].text.rfind("ｴﾗｰNo. 6 ", 0), 0u);
    EXPECT_EQ(boxes.boxes[2].text.rfind("ｴﾗｰNo. 9 ", 0), 0u);
}
