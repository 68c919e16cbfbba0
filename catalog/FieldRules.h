// How a field's engine properties become the texts of its row on the table
// sheet: the type caption (column C), the size text (column D) and the
// index role (column E).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/DatabaseEngine.h"
#include "catalog/ItemNames.h"

namespace speclore::catalog {

// A text of the type columns: an item name, referred to where the names
// keep it, or a number written out in place, so that a field's row copies
// no text.
class TypeText {
public:
    explicit TypeText(const std::string& name) : name_(name) {}
    explicit TypeText(int32_t number);

    std::string_view view() const { return isNumber_ ? std::string_view(digits_.data(), length_) : name_; }

private:
    std::string_view name_;
    std::array<char, 12> digits_{};  // "-2147483648" at the most
    uint8_t length_ = 0;
    bool isNumber_ = false;
};

struct TypeTexts {
    TypeText caption;
    TypeText size;
};

// Types without a caption of their own show their type code as the
// caption. The texts refer to `names`, which must outlive them.
TypeTexts fieldTypeTexts(const Field& field, const ItemNames& names);

enum class IndexRole { None, Primary, Unique, Duplicates };

// Each field's role among all the table's indexes, in the order of the
// table's fields. A field belongs to an index when one of the index's field
// names equals its name exactly (the comparison minds letter case); a
// primary index outranks a unique one, which outranks any other.
std::vector<IndexRole> fieldIndexRoles(const TableDef& table);

// The caption of a role: ctPrimary, ctRepeatN, ctRepeatY or empty.
const std::string& indexRoleText(IndexRole role, const ItemNames& names);

}  // namespace speclore::catalog
