#include "xlsx/StyleSheet.h"

#include <array>
#include <string_view>

#include "workbook/BorderLine.h"
#include "workbook/WorkbookError.h"
#include "xlsx/XmlPart.h"

namespace speclore::xlsx {

using namespace workbook;

namespace {

// Limits Excel keeps to; a workbook beyond them does not open there.
constexpr size_t kMaxCellFormats = 64000;
constexpr size_t kMaxFonts = 1024;
constexpr size_t kMaxFillsOrBorders = 64000;

constexpr std::array<const char*, 8> kHorizontalNames = {
    nullptr, "left", "center", "right", "fill", "justify", "centerContinuous", "distributed"};
// Bottom is the default and, like general, is written as no attribute.
constexpr std::array<const char*, 5> kVerticalNames = {"top", "center", nullptr, "justify", "distributed"};

constexpr std::array<const char*, 19> kPatternNames = {
    "none",           "solid",           "mediumGray",    "darkGray",  "lightGray",
    "darkHorizontal", "darkVertical",    "darkDown",      "darkUp",    "darkGrid",
    "darkTrellis",    "lightHorizontal", "lightVertical", "lightDown", "lightUp",
    "lightGrid",      "lightTrellis",    "gray125",       "gray0625"};

// The file's border line styles, in the order of their codes.
constexpr std::array<const char*, kLineCodeCount> kLineNames = {{
    "",
    "thin",
    "medium",
    "dashed",
    "dotted",
    "thick",
    "double",
    "hair",
    "mediumDashed",
    "dashDot",
    "mediumDashDot",
    "dashDotDot",
    "mediumDashDotDot",
    "slantDashDot",
}};

BorderLine decodeLine(std::string_view name) {
    for (uint32_t code = 1; code < kLineNames.size(); ++code)
        if (name == kLineNames[code]) return lineOfCode(code);
    return lineOfCode(0);
}

const char* encodeLine(BorderLine line) { return kLineNames[codeOfLine(line)]; }

uint16_t patternCode(std::string_view name) {
    for (size_t i = 0; i < kPatternNames.size(); ++i)
        if (name == kPatternNames[i]) return static_cast<uint16_t>(i);
    return 0;
}

void setAttribute(pugi::xml_node node, const char* name, const char* value) {
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) attribute = node.append_attribute(name);
    attribute.set_value(value);
}

void setOrRemove(pugi::xml_node node, const char* name, const char* value) {
    if (value)
        setAttribute(node, name, value);
    else
        node.remove_attribute(name);
}

void removeChildren(pugi::xml_node parent, std::string_view local) {
    for (pugi::xml_node child = childNamed(parent, local); child; child = childNamed(parent, local))
        parent.remove_child(child);
}

// Child elements of a border in the order the file format requires.
constexpr std::array<std::string_view, 9> kBorderChildren = {
    "start", "end", "left", "right", "top", "bottom", "diagonal", "vertical", "horizontal"};

}  // namespace

StyleSheet::StyleSheet(const std::string& text, const std::string& partName) {
    parseXmlPart(document_, text, partName, XmlReading::Verbatim);
    pugi::xml_node root = document_.document_element();
    if (localName(root) != "styleSheet")
        workbook::throwUnreadable("部品 " + partName + " はスタイルシートではありません");
    prefix_ = prefixOf(root);
    readList(fonts_, "fonts", "font", partName);
    readList(fills_, "fills", "fill", partName);
    readList(borders_, "borders", "border", partName);
    readList(xfs_, "cellXfs", "xf", partName);
    if (xfs_.entries.empty()) workbook::throwUnreadable("部品 " + partName + " にセルの書式がありません");
}

void StyleSheet::readList(List& list, const char* parentName, const char* entryName,
                          const std::string& partName) {
    list.parent = childNamed(document_.document_element(), parentName);
    if (!list.parent) workbook::throwUnreadable("部品 " + partName + " に " + parentName + " がありません");
    for (pugi::xml_node child : list.parent.children()) {
        if (child.type() != pugi::node_element || localName(child) != entryName) continue;
        list.lookup.emplace(printVerbatim(child), static_cast<uint32_t>(list.entries.size()));
        list.entries.push_back(child);
    }
}

uint32_t StyleSheet::intern(List& list, const pugi::xml_node& entry, size_t limit, const char* what) {
    std::string key = printVerbatim(entry);
    if (auto hit = list.lookup.find(key); hit != list.lookup.end()) return hit->second;
    if (list.entries.size() >= limit)
        workbook::throwInvalidArgument(std::string(what) + "の数が上限に達しました");
    auto index = static_cast<uint32_t>(list.entries.size());
    list.entries.push_back(list.parent.append_copy(entry));
    list.lookup.emplace(std::move(key), index);
    if (pugi::xml_attribute count = list.parent.attribute("count"))
        count.set_value(std::to_string(list.entries.size()).c_str());
    changed_ = true;
    return index;
}

pugi::xml_node StyleSheet::entryCopy(pugi::xml_document& scratch, const List& list, const pugi::xml_node& xf,
                                     const char* idName, const char* what) {
    unsigned id = xf.attribute(idName).as_uint(0);
    if (id >= list.entries.size())
        workbook::throwUnreadable(std::string("書式が存在しない") + what + " (" + std::to_string(id) +
                                  ") を指しています");
    return scratch.append_copy(list.entries[id]);
}

// A change and the format it applies to, as one cache key.
static_assert(sizeof(FormatOp) == 1 && sizeof(FormatChange::edges) == 1 && sizeof(FormatChange::value) == 2);

uint32_t StyleSheet::apply(uint32_t xf, const FormatChange& change) {
    uint64_t key = xf | (static_cast<uint64_t>(change.op) << 32) |
                   (static_cast<uint64_t>(change.edges) << 40) | (static_cast<uint64_t>(change.value) << 48);
    if (auto hit = changeCache_.find(key); hit != changeCache_.end()) return hit->second;
    if (xf >= xfs_.entries.size())
        workbook::throwUnreadable("セルが存在しない書式 (" + std::to_string(xf) + ") を指しています");

    pugi::xml_document scratch;
    pugi::xml_node copy = scratch.append_copy(xfs_.entries[xf]);
    auto replaceEntry = [&](List& list, pugi::xml_node entry, const char* idName, const char* applyName,
                            size_t limit, const char* what) {
        uint32_t id = intern(list, entry, limit, what);
        setAttribute(copy, idName, std::to_string(id).c_str());
        setAttribute(copy, applyName, "1");
    };
    switch (change.op) {
    case FormatOp::HorizontalAlign:
    case FormatOp::VerticalAlign:
    case FormatOp::Wrap:
        changeAlignment(copy, change);
        setAttribute(copy, "applyAlignment", "1");
        break;
    case FormatOp::LineStyle:
    case FormatOp::Weight:
    case FormatOp::BorderColor: {
        pugi::xml_node border = entryCopy(scratch, borders_, copy, "borderId", "罫線");
        changeBorder(border, change);
        replaceEntry(borders_, border, "borderId", "applyBorder", kMaxFillsOrBorders, "罫線");
        break;
    }
    case FormatOp::FillColor:
    case FormatOp::FillPattern:
    case FormatOp::FillPatternColor: {
        pugi::xml_node fill = entryCopy(scratch, fills_, copy, "fillId", "塗りつぶし");
        changeFill(fill, change);
        replaceEntry(fills_, fill, "fillId", "applyFill", kMaxFillsOrBorders, "塗りつぶし");
        break;
    }
    case FormatOp::Bold: {
        pugi::xml_node font = entryCopy(scratch, fonts_, copy, "fontId", "フォント");
        changeFont(font, change.value != 0);
        replaceEntry(fonts_, font, "fontId", "applyFont", kMaxFonts, "フォント");
        break;
    }
    }
    uint32_t result = intern(xfs_, copy, kMaxCellFormats, "セルの書式");
    changeCache_.emplace(key, result);
    return result;
}

void StyleSheet::changeAlignment(pugi::xml_node xf, const FormatChange& change) {
    pugi::xml_node alignment = childNamed(xf, "alignment");
    if (!alignment) alignment = xf.prepend_child(qualified("alignment").c_str());
    switch (change.op) {
    case FormatOp::HorizontalAlign:
        setOrRemove(alignment, "horizontal",
                    change.value < kHorizontalNames.size() ? kHorizontalNames[change.value] : nullptr);
        break;
    case FormatOp::VerticalAlign:
        setOrRemove(alignment, "vertical",
                    change.value < kVerticalNames.size() ? kVerticalNames[change.value] : nullptr);
        break;
    default: setOrRemove(alignment, "wrapText", change.value ? "1" : nullptr); break;
    }
    if (!alignment.first_attribute() && !alignment.first_child()) xf.remove_child(alignment);
}

void StyleSheet::changeBorder(pugi::xml_node border, const FormatChange& change) {
    struct Edge {
        EdgeMask mask;
        size_t order;  // in kBorderChildren
    };
    static constexpr Edge kEdges[] = {{EdgeLeft, 2}, {EdgeRight, 3}, {EdgeTop, 4}, {EdgeBottom, 5}};
    static_assert(kBorderChildren[2] == "left" && kBorderChildren[3] == "right" &&
                  kBorderChildren[4] == "top" && kBorderChildren[5] == "bottom");
    for (const Edge& edge : kEdges) {
        if (!(change.edges & edge.mask)) continue;
        std::string_view local = kBorderChildren[edge.order];
        pugi::xml_node element = childNamed(border, local);
        if (!element) {
            pugi::xml_node next;
            for (size_t k = edge.order + 1; k < kBorderChildren.size() && !next; ++k)
                next = childNamed(border, kBorderChildren[k]);
            std::string name = prefix_ + std::string(local);
            element =
                next ? border.insert_child_before(name.c_str(), next) : border.append_child(name.c_str());
        }
        const BorderLine old = decodeLine(element.attribute("style").value());
        const bool hadLine = old.kind != LineKind::None;
        const char* style = encodeLine(changedLine(old, change));
        pugi::xml_node color = childNamed(element, "color");
        if (*style == '\0') {
            element.remove_attribute("style");
            removeChildren(element, "color");
            continue;
        }
        setAttribute(element, "style", style);
        uint16_t indexed = change.op == FormatOp::BorderColor ? change.value : kAutomaticColor;
        if (change.op == FormatOp::BorderColor || !hadLine || !color) {
            removeChildren(element, "color");
            element.append_child(qualified("color").c_str())
                .append_attribute("indexed")
                .set_value(std::to_string(indexed).c_str());
        }
    }
}

void StyleSheet::changeFill(pugi::xml_node fill, const FormatChange& change) {
    pugi::xml_node pattern = childNamed(fill, "patternFill");
    if (!pattern) {
        // A gradient gives way to a pattern fill, as in the application.
        while (fill.first_child()) fill.remove_child(fill.first_child());
        pattern = fill.append_child(qualified("patternFill").c_str());
    }
    uint16_t code = patternCode(pattern.attribute("patternType").value());
    auto setColor = [&](const char* local, uint16_t indexed) {
        removeChildren(pattern, local);
        std::string name = qualified(local);
        pugi::xml_node color = std::string_view(local) == "fgColor" ? pattern.prepend_child(name.c_str())
                                                                    : pattern.append_child(name.c_str());
        color.append_attribute("indexed").set_value(std::to_string(indexed).c_str());
    };
    auto clearColors = [&] {
        removeChildren(pattern, "fgColor");
        removeChildren(pattern, "bgColor");
    };
    switch (change.op) {
    case FormatOp::FillColor:
        if (change.value == kNoFill) {
            code = 0;
            clearColors();
        } else {
            setColor("fgColor", change.value);
            if (code == 0 && change.value != kAutomaticColor) code = 1;
        }
        break;
    case FormatOp::FillPattern:
        code = change.value < kPatternNames.size() ? change.value : 0;
        if (code == 0) clearColors();
        break;
    default: setColor("bgColor", change.value); break;
    }
    // A drawn pattern pairs with an automatic pattern colour, never with the
    // system background that stands for "no fill".
    if (code != 0) {
        pugi::xml_node background = childNamed(pattern, "bgColor");
        if (!background || background.attribute("indexed").as_int(0) == 65)
            setColor("bgColor", kAutomaticColor);
    }
    setAttribute(pattern, "patternType", kPatternNames[code]);
}

void StyleSheet::changeFont(pugi::xml_node font, bool bold) {
    removeChildren(font, "b");
    if (bold) font.prepend_child(qualified("b").c_str());
}

std::string StyleSheet::text() const { return printVerbatim(document_); }

}  // namespace speclore::xlsx
