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

int TextOrder::compare(const std::string& a, const std::string& b) const {
    if (!tableRanks_.empty()) {
        auto x = tableRanks_.find(caseFoldKey(a));
        auto y = tableRanks_.find(caseFoldKey(b));
        if (x != tableRanks_.end() && y != tableRanks_.end()) {
            return x->second < y->second ? -1 : x->second > y->second ? 1 : 0;
        }
    }
    return compareGeneral(a, b);
}

}  // namespace speclore::jet
