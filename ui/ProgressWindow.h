// fProcess, the progress window of a catalog run. The run drives it from
// the user-interface thread, which it holds until it is done, so the window
// paints itself whenever the run asks it to.
#pragma once

#include <QRect>
#include <QWidget>

#include "catalog/ProgressView.h"

class QLabel;
class QProgressBar;

namespace speclore::ui {

class FProcess : public QWidget, public catalog::ProgressView {
public:
    FProcess();

    void Load() override;
    void SetPhaseText(const std::string& text) override;
    void SetItemName(const std::string& text) override;
    void SetCounterText(const std::string& text) override;
    void SetMax(int32_t max) override;
    void SetValue(int32_t value) override;
    void Refresh() override;
    void Unload() override;

protected:
    // No close button, and Alt+F4 does not take the window away either:
    // only the run unloads it.
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();

    bool unloading_ = false;
    QRect counterDesignRect_;
    QLabel* lblProc = nullptr;
    QLabel* lblテーブル名 = nullptr;
    QLabel* lblテーブル数 = nullptr;
    QProgressBar* PB = nullptr;
};

}  // namespace speclore::ui
