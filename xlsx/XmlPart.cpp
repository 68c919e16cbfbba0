#include "xlsx/XmlPart.h"

#include "workbook/WorkbookError.h"

namespace speclore::xlsx {

namespace {

constexpr unsigned kCommonFlags =
    pugi::parse_cdata | pugi::parse_declaration | pugi::parse_doctype | pugi::parse_pi | pugi::parse_comments;

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : out_(out) {}
    void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

private:
    std::string& out_;
};

}  // namespace

void parseXmlPart(pugi::xml_document& document, const std::string& text, const std::string& partName,
                  XmlReading reading) {
    unsigned flags = kCommonFlags;
    if (reading == XmlReading::Values)
        flags |= pugi::parse_escapes | pugi::parse_eol | pugi::parse_wconv_attribute;
    else
        flags |= pugi::parse_ws_pcdata;
    pugi::xml_parse_result result =
        document.load_buffer(text.data(), text.size(), flags, pugi::encoding_auto);
    if (!result)
        workbook::throwUnreadable("部品 " + partName + " の XML が壊れています (" + result.description() +
                                  ", " + std::to_string(result.offset) + " バイト目)");
    for (pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_doctype)
            workbook::throwUnreadable("部品 " + partName + " に文書型宣言 (DTD) があります");
        // A part converted from another encoding is printed as UTF-8.
        if (node.type() == pugi::node_declaration && node.attribute("encoding"))
            node.attribute("encoding").set_value("UTF-8");
    }
    if (!document.document_element()) workbook::throwUnreadable("部品 " + partName + " に要素がありません");
}

std::string printVerbatim(const pugi::xml_node& node) {
    std::string out;
    StringWriter writer(out);
    node.print(writer, "", pugi::format_raw | pugi::format_no_escapes, pugi::encoding_utf8);
    return out;
}

std::string_view localName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view localName(const pugi::xml_attribute& attribute) {
    std::string_view name = attribute.name();
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string prefixOf(const pugi::xml_node& node) {
    std::string_view name = node.name();
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

pugi::xml_node childNamed(const pugi::xml_node& parent, std::string_view local) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && localName(child) == local) return child;
    return {};
}

pugi::xml_attribute attributeNamed(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_attribute attribute : node.attributes())
        if (localName(attribute) == local) return attribute;
    return {};
}

}  // namespace speclore::xlsx
