// How a field's engine properties become the texts of its row on the table
// sheet: the type caption (column C), the size text (column D) and the
// index role (column E).
#pragma once

#include <string>
#include <vector>

#include "catalog/DatabaseEngine.h"
#include "catalog/ItemNames.h"

namespace speclore::catalog {

struct TypeTexts {
    std::string caption;
    std::string size;
};

// Types without a caption of their own show their type code as the caption.
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
