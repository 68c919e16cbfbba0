// The XML parts of a package as pugixml documents. Parts that are written
// back are parsed as stored (escapes and line ends left as written), so that
// printing them gives their text again; a DTD is refused, so no entity is
// ever declared, let alone expanded.
#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace speclore::xlsx {

enum class XmlReading {
    Values,    // escapes decoded: for parts that are only read
    Verbatim,  // text kept as written: for parts that are printed again
};

// Raises error 1004 naming the part when it is no well-formed XML or holds a
// document type declaration. A Verbatim document is printed as UTF-8.
void parseXmlPart(pugi::xml_document& document, const std::string& text, const std::string& partName,
                  XmlReading reading);

// The node and its content as XML text, as a Verbatim document holds it.
std::string printVerbatim(const pugi::xml_node& node);

// The name without its namespace prefix.
std::string_view localName(const pugi::xml_node& node);
std::string_view localName(const pugi::xml_attribute& attribute);

// The prefix of a node's name with its colon ("x:"), or the empty text.
std::string prefixOf(const pugi::xml_node& node);

// The first child element with that local name.
pugi::xml_node childNamed(const pugi::xml_node& parent, std::string_view local);

// The attribute with that local name, whatever its prefix.
pugi::xml_attribute attributeNamed(const pugi::xml_node& node, std::string_view local);

}  // namespace speclore::xlsx
