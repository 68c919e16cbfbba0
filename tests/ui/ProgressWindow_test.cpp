// fProcess as a run drives it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

#include "UiTestSupport.h"
#include "ui/ProgressWindow.h"

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

TEST(ProgressWindow, CounterAndNameStayWhollyVisibleOrVisiblyShortened) {
    WindowTestEnvironment env;
    ui::FProcess progress;
    progress.Load();
    auto* counter = child<QLabel>(&progress, "lblテーブル数");
    auto* name = child<QLabel>(&progress, "lblテーブル名");
    const int rightEdge = counter->geometry().right();
    progress.SetCounterText("( 99999 / 99999 )");
    EXPECT_GE(counter->width(), counter->fontMetrics().horizontalAdvance(counter->text()));
    EXPECT_EQ(counter->geometry().right(), rightEdge);

    const std::string longName(200, 'W');
    progress.SetItemName(longName);
    EXPECT_LT(name->geometry().left() + name->fontMetrics().horizontalAdvance(name->text()),
              counter->geometry().left());
    EXPECT_TRUE(name->text().endsWith(QChar(0x2026)));
    progress.SetItemName("顧客");
    EXPECT_EQ(name->text(), QStringLiteral("顧客"));
}
