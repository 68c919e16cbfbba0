#include "jet/TextOrder.h"

#include "jet/DaoSchema.h"
#include "jet/GeneralSortOrder.h"
#include "jet/TextCase.h"

namespace speclore::jet {

namespace {

std::vector<std::string> tableNamesInIndexOrder(const Snapshot& snapshot) {
    std::vector<std::string> names;
    for (uint32_t position : snapshot.nameIndexOrder) {
        const CatalogObject& object = snapshot.objects[position];
        if (isTableDefinition(object.type)) names.push_back(object.name);
    }
    return names;
}

}  // namespace

TextOrder::TextOrder(const std::vector<std::string>& tableNamesInIndexOrder) {
    for (const std::string& name : tableNamesInIndexOrder) {
        tableRanks_.emplace(caseFoldKey(name), static_cast<uint32_t>(tableRanks_.size()));
    }
}

TextOrder::TextOrder(const Snapshot& snapshot) : TextOrder(tableNamesInIndexOrder(snapshot)) {}

std::optional<uint32_t> TextOrder::rank(const std::string& text) const {
    if (tableRanks_.empty()) return std::nullopt;
    auto found = tableRanks_.find(caseFoldKey(text));
    if (found == tableRanks_.end()) return std::nullopt;
    return found->second;
}

int TextOrder::compare(const std::string& a, std::optional<uint32_t> rankOfA, const std::string& b,
                       std::optional<uint32_t> rankOfB) const {
    if (rankOfA && rankOfB) return *rankOfA < *rankOfB ? -1 : *rankOfA > *rankOfB ? 1 : 0;
    return compareGeneral(a, b);
}

int TextOrder::compare(const std::string& a, const std::string& b) const {
    return compare(a, rank(a), b, rank(b));
}

}  // namespace speclore::jet
