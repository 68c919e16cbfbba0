// The phases of a catalog run as the progress window shows them: a
// phase text, the current item's name, the counter "( k / n )" and the bar.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/ProgressView.h"

namespace speclore::catalog {

inline constexpr const char* kTablePhaseText = "テーブル仕様書を出力しています．．．";
inline constexpr const char* kRelationPhaseText = "リレーション仕様書を出力しています．．．";
inline constexpr const char* kQueryPhaseText = "クエリ仕様書を出力しています．．．";

class RunProgress {
public:
    explicit RunProgress(ProgressView& view) : view_(view) {}

    // A new phase of n items: bar maximum n (at least 1), the phase text,
    // no item name, "( 0 / n )", bar at 0, then a repaint.
    void startPhase(const std::string& phaseText, int32_t n);
    // The next item of the phase: its name, "( k / n )", bar at k, repaint.
    void step(const std::string& itemName);

private:
    ProgressView& view_;
    int32_t n_ = 0;
    int32_t k_ = 0;
};

// "( k / n )", the counter as the window shows it.
std::string counterText(int32_t k, int32_t n);

}  // namespace speclore::catalog
