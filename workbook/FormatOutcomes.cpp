#include "workbook/FormatOutcomes.h"

#include "app/Invariant.h"

namespace speclore::workbook {

namespace {

uint64_t packed(const RangeChange& step) {
    return static_cast<uint64_t>(static_cast<uint16_t>(step.border)) << 32 |
           static_cast<uint64_t>(step.change.op) << 24 | static_cast<uint64_t>(step.change.edges) << 16 |
           step.change.value;
}

}  // namespace

size_t FormatOutcomes::ListHash::operator()(const std::vector<uint64_t>& key) const noexcept {
    uint64_t hash = 0xcbf29ce484222325u;
    for (uint64_t word : key) hash = (hash ^ word) * 0x100000001b3u;
    return static_cast<size_t>(hash);
}

uint32_t FormatOutcomes::listNumber(std::span<const RangeChange> changes) {
    std::vector<uint64_t> key(changes.size());
    for (size_t k = 0; k < changes.size(); ++k) key[k] = packed(changes[k]);
    return lists_.try_emplace(std::move(key), static_cast<uint32_t>(lists_.size())).first->second;
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
