#include "workbook/FormatOutcomes.h"

#include "app/Invariant.h"
#include "workbook/ScratchBuffer.h"

namespace speclore::workbook {

namespace {

// The longest list the sheet writers make, a heading row's, has 19 changes.
constexpr size_t kListInPlace = 24;

uint64_t packed(const RangeChange& step) {
    return static_cast<uint64_t>(static_cast<uint16_t>(step.border)) << 32 |
           static_cast<uint64_t>(step.change.op) << 24 | static_cast<uint64_t>(step.change.edges) << 16 |
           step.change.value;
}

}  // namespace

size_t FormatOutcomes::ListHash::operator()(std::span<const uint64_t> words) const noexcept {
    uint64_t hash = 0xcbf29ce484222325u;
    for (uint64_t word : words) hash = (hash ^ word) * 0x100000001b3u;
    return static_cast<size_t>(hash);
}

uint32_t FormatOutcomes::listNumber(std::span<const RangeChange> changes) {
    ScratchBuffer<uint64_t, kListInPlace> words(changes.size());
    for (size_t k = 0; k < changes.size(); ++k) words[k] = packed(changes[k]);
    const std::span<const uint64_t> key = words.span();
    if (auto at = lists_.find(key); at != lists_.end()) return at->second;
    const auto number = static_cast<uint32_t>(lists_.size());
    lists_.emplace(std::vector<uint64_t>(key.begin(), key.end()), number);
    return number;
}

uint64_t FormatOutcomes::outcomeKey(uint32_t list, uint32_t format, uint8_t place) {
    SPECLORE_INVARIANT(format < 1u << 24);
    return static_cast<uint64_t>(list) << 32 | static_cast<uint64_t>(place) << 24 | format;
}

std::optional<uint32_t> FormatOutcomes::find(uint32_t list, uint32_t format, uint8_t place) const {
    auto at = outcomes_.find(outcomeKey(list, format, place));
    if (at == outcomes_.end()) return std::nullopt;
    return at->second;
}

void FormatOutcomes::remember(uint32_t list, uint32_t format, uint8_t place, uint32_t outcome) {
    outcomes_.emplace(outcomeKey(list, format, place), outcome);
}

}  // namespace speclore::workbook
