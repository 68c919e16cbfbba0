// What a list of changes makes of a cell's format at each place in a range,
// remembered for one workbook: the sheet writers format thousands of blocks
// alike, whose cells start from the same few formats, and the outcome
// depends on nothing else once the workbook holds the formats it passes
// through (the first range to ask adds them, and formats are never taken
// away).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "workbook/FormatChange.h"

namespace speclore::workbook {

// One format change over a range: to every cell whole (border 0), or to
// the edges that Borders(border) names.
struct RangeChange {
    int16_t border;
    FormatChange change;
};

class FormatOutcomes {
public:
    // The number of the list: the same changes in the same order give the
    // same number.
    uint32_t listNumber(std::span<const RangeChange> changes);

    // The format that list `list` makes of `format` in a cell at `place`
    // (EdgeMask of the range's sides it lies on), if it has been worked out.
    std::optional<uint32_t> find(uint32_t list, uint32_t format, uint8_t place) const;
    void remember(uint32_t list, uint32_t format, uint8_t place, uint32_t outcome);

private:
    // Lists are found by their changes as packed words, without a key made
    // for each look.
    struct ListHash {
        using is_transparent = void;
        size_t operator()(std::span<const uint64_t> words) const noexcept;
    };
    struct ListEqual {
        using is_transparent = void;
        bool operator()(std::span<const uint64_t> a, std::span<const uint64_t> b) const noexcept {
            return std::ranges::equal(a, b);
        }
    };
    std::unordered_map<std::vector<uint64_t>, uint32_t, ListHash, ListEqual> lists_;
    std::unordered_map<uint64_t, uint32_t> outcomes_;

    // Both engines keep far fewer formats than 2^24 (an .xls file 4,000,
    // an .xlsx one 64,000).
    static uint64_t outcomeKey(uint32_t list, uint32_t format, uint8_t place);
};

}  // namespace speclore::workbook
