// How a relationship's attribute word (MSysRelationships.grbit) becomes the
// captions of columns F to J of its rows on the relationship sheet.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/ItemNames.h"

namespace speclore::catalog {

struct RelationTexts {
    std::string kind;           // F: one-to-one or one-to-many
    std::string enforced;       // G: referential integrity
    std::string updateCascade;  // H
    std::string deleteCascade;  // I
    std::string join;           // J: left wins over right when both are set
};

// Bits other than those of the five columns are ignored.
RelationTexts relationFlagTexts(int32_t grbit, const ItemNames& names);

}  // namespace speclore::catalog
