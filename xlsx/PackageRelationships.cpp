#include "xlsx/PackageRelationships.h"

#include <strings.h>

#include "xlsx/XmlPart.h"

namespace speclore::xlsx {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string relationshipsPartOf(const std::string& partName) {
    size_t slash = partName.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? partName : partName.substr(slash + 1);
    return folder + "_rels/" + file + ".rels";
}

std::string resolveTarget(const std::string& sourcePart, std::string_view target) {
    std::string path;
    if (!target.empty() && target.front() == '/') {
        path = target.substr(1);
    } else {
        size_t slash = sourcePart.rfind('/');
        path = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) +
               std::string(target);
    }
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(std::move(segment));
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments) {
        if (!resolved.empty()) resolved += '/';
        resolved += segment;
    }
    return resolved;
}

std::vector<Relationship> readRelationships(const pugi::xml_document& rels, const std::string& sourcePart) {
    std::vector<Relationship> relationships;
    for (pugi::xml_node node : rels.document_element().children()) {
        if (localName(node) != "Relationship") continue;
        if (std::string_view(node.attribute("TargetMode").value()) == "External") continue;
        relationships.push_back({node.attribute("Id").value(), node.attribute("Type").value(),
                                 resolveTarget(sourcePart, node.attribute("Target").value())});
    }
    return relationships;
}

std::string contentTypeOf(const pugi::xml_document& types, const std::string& partName) {
    const std::string name = "/" + partName;
    for (pugi::xml_node node : types.document_element().children())
        if (localName(node) == "Override" && sameIgnoringCase(node.attribute("PartName").value(), name))
            return node.attribute("ContentType").value();
    size_t dot = partName.rfind('.');
    std::string_view extension =
        dot == std::string::npos ? std::string_view() : std::string_view(partName).substr(dot + 1);
    for (pugi::xml_node node : types.document_element().children())
        if (localName(node) == "Default" && sameIgnoringCase(node.attribute("Extension").value(), extension))
            return node.attribute("ContentType").value();
    return {};
}

}  // namespace speclore::xlsx
