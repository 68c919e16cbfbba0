// How the parts of a package find each other: relationship parts, the
// content types part and part names relative to their source.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace speclore::xlsx {

struct Relationship {
    std::string id;
    std::string type;
    std::string target;  // the part name it resolves to, without leading "/"
};

// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml"; "_rels/.rels" for
// the package itself (the empty name).
std::string relationshipsPartOf(const std::string& partName);

// The part a relationship target names, relative to the source part's
// folder unless it starts with "/"; "." and ".." are resolved.
std::string resolveTarget(const std::string& sourcePart, std::string_view target);

// The internal relationships of a parsed relationships part.
std::vector<Relationship> readRelationships(const pugi::xml_document& rels, const std::string& sourcePart);

// The content type that [Content_Types].xml gives a part: its Override,
// else the Default of its extension, else the empty text.
std::string contentTypeOf(const pugi::xml_document& types, const std::string& partName);

bool endsWith(std::string_view text, std::string_view end);

}  // namespace speclore::xlsx
