// The progress window as the catalog run drives it: it loads the window,
// sets the labels and the bar, asks for a repaint after each group of
// changes, and unloads it at the end.
#pragma once

#include <cstdint>
#include <string>

namespace speclore::catalog {

class ProgressView {
public:
    virtual ~ProgressView() = default;
    // Load: the window empties its two lower labels and shows itself.
    virtual void Load() = 0;
    virtual void SetPhaseText(const std::string& text) = 0;    // lblProc
    virtual void SetItemName(const std::string& text) = 0;     // lblテーブル名
    virtual void SetCounterText(const std::string& text) = 0;  // lblテーブル数
    virtual void SetMax(int32_t max) = 0;                      // PB.Max
    virtual void SetValue(int32_t value) = 0;                  // PB.Value
    // Repaints the window now, while the run holds the thread.
    virtual void Refresh() = 0;
    virtual void Unload() = 0;
};

}  // namespace speclore::catalog
