// The progress window of a headless run: one line on a terminal, rewritten
// in place at each repaint and erased when the run unloads it; nothing at
// all when the stream is not a terminal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/MessageBox.h"
#include "catalog/ProgressView.h"

namespace speclore::cli {

class TerminalProgress : public catalog::ProgressView {
public:
    // Shows the line only when `stream` is a terminal.
    explicit TerminalProgress(std::FILE* stream);

    void Load() override;
    void SetPhaseText(const std::string& text) override { phase_ = text; }
    void SetItemName(const std::string& text) override { item_ = text; }
    void SetCounterText(const std::string& text) override { counter_ = text; }
    void SetMax(int32_t) override {}
    void SetValue(int32_t) override {}
    void Refresh() override;
    void Unload() override;

    // Erases the line so that a message starts on a clean one; the next
    // repaint draws it again.
    void clearLine();

private:
    std::FILE* stream_;
    bool terminal_;
    bool shown_ = false;
    std::string phase_;
    std::string item_;
    std::string counter_;
};

// Message boxes on standard error that first clear the progress line.
class CliMessageBox : public MessageBoxService {
public:
    explicit CliMessageBox(TerminalProgress& progress) : progress_(progress) {}
    MsgBoxAnswer show(const std::string& text, int style) override;

private:
    TerminalProgress& progress_;
    StderrMessageBoxService stderrBoxes_;
};

// The first bytes of UTF-8 `text` that fit in `columns` terminal columns,
// counting East Asian wide characters as two; never splits a character.
std::string fitToColumns(const std::string& text, int columns);

}  // namespace speclore::cli
