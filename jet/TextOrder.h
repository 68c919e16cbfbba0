// How ORDER BY orders text. Two names of table definitions keep their
// places in the catalog's name index, the engine's own order whatever sort
// order the database was made with (a name is found there without regard
// to case, as the engine finds it); any other text goes by our General
// comparison, which only approaches the engine's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/Snapshot.h"

namespace speclore::jet {

class TextOrder {
public:
    // Without ranks: every text by the General comparison.
    TextOrder() = default;
    explicit TextOrder(const std::vector<std::string>& tableNamesInIndexOrder);
    // The table definitions of the snapshot's name index, if it has one.
    explicit TextOrder(const Snapshot& snapshot);

    // <0, 0 or >0.
    int compare(const std::string& a, const std::string& b) const;

    // A text's rank among the table names of the name index; none for a
    // text that names no table there. A sort that compares the same texts
    // many times looks each one up once.
    std::optional<uint32_t> rank(const std::string& text) const;
    // compare(a, b) for texts whose ranks are known.
    int compare(const std::string& a, std::optional<uint32_t> rankOfA, const std::string& b,
                std::optional<uint32_t> rankOfB) const;

private:
    std::unordered_map<std::u32string, uint32_t> tableRanks_;
};

}  // namespace speclore::jet
