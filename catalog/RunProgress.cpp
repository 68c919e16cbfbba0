#include "catalog/RunProgress.h"

#include <limits>

#include "app/AppError.h"

namespace speclore::catalog {

std::string counterText(int32_t k, int32_t n) {
    return "( " + std::to_string(k) + " / " + std::to_string(n) + " )";
}

void RunProgress::startPhase(const std::string& phaseText, int32_t n) {
    n_ = n;
    k_ = 0;
    view_.SetMax(n < 1 ? 1 : n);
    view_.SetPhaseText(phaseText);
    view_.SetItemName("");
    view_.SetCounterText(counterText(0, n));
    view_.SetValue(0);
    view_.Refresh();
}

void RunProgress::step(const std::string& itemName) {
    if (k_ == std::numeric_limits<int32_t>::max()) throw AppError(err::Overflow);
    ++k_;
    view_.SetItemName(itemName);
    view_.SetCounterText(counterText(k_, n_));
    view_.SetValue(k_);
    view_.Refresh();
}

}  // namespace speclore::catalog
