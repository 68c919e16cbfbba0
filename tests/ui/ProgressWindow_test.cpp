// fProcess as a run drives it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

#include "ui/ProgressWindow.h"
#include "UiTestSupport.h"

using namespace speclore;
using namespace speclore::uitest;

TEST(ProgressWindow, LoadEmptiesTheLowerLabelsAndKeepsThePhaseText) {
    WindowTestEnvironment env;
    ui::FProcess progress;
    progress.Load();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.size(), QSize(337, 105));
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Morvane　出力処理"));
    EXPECT_EQ(child<QLabel>(&progress, "lblProc")->text(),
              QStringLiteral("テーブル仕様書を出力しています．．．"));
    EXPECT_TRUE(child<QLabel>(&progress, "lblテーブル名")->text().isEmpty());
    EXPECT_TRUE(child<QLabel>(&progress, "lblテーブル数")->text().isEmpty());
}

TEST(ProgressWindow, OnlyTheRunTakesItAway) {
    WindowTestEnvironment env;
    ui::FProcess progress;
    progress.Load();
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowSystemMenuHint);
    progress.close();
    EXPECT_TRUE(progress.isVisible());

    progress.SetPhaseText("リレーション仕様書を出力しています．．．");
    progress.SetItemName("顧客");
    progress.SetCounterText("( 1 / 3 )");
    progress.SetMax(3);
    progress.SetValue(1);
    progress.Refresh();
    EXPECT_EQ(child<QProgressBar>(&progress, "PB")->value(), 1);
    EXPECT_EQ(child<QProgressBar>(&progress, "PB")->maximum(), 3);
    progress.Unload();
    EXPECT_FALSE(progress.isVisible());
}
