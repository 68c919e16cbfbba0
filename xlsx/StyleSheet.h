// The package's style sheet (styles.xml) and the format changes that range
// operations make. A change copies a cell's format (an xf of cellXfs),
// alters one attribute, and finds an equal format or appends one; fonts,
// fills and borders are shared the same way. The template's entries keep
// their positions, so every style index already in the package stays valid.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

namespace speclore::xlsx {

// Border edges of one cell, combinable as a mask.
enum EdgeMask : uint8_t { EdgeLeft = 1, EdgeRight = 2, EdgeTop = 4, EdgeBottom = 8 };

// The drawing style of a border line apart from its weight, as the object
// model names them; a line style of the file is the pair.
enum class LineKind : uint8_t { None, Continuous, Dash, Dot, DashDot, DashDotDot, Double, SlantDashDot };
enum class LineWeight : uint8_t { Hairline, Thin, Medium, Thick };

enum class StyleOp : uint8_t {
    HorizontalAlign,   // value: 0 general, 1 left, 2 center, 3 right, 4 fill, 5 justify,
                       //        6 centre across selection, 7 distributed
    VerticalAlign,     // value: 0 top, 1 center, 2 bottom, 3 justify, 4 distributed
    Wrap,              // value: 0 or 1
    LineStyle,         // value: LineKind
    Weight,            // value: LineWeight
    BorderColor,       // value: indexed colour
    FillColor,         // value: indexed colour, or kNoFill
    FillPattern,       // value: 0 none, 1 solid, 2 to 18 the other patterns in the file's order
    FillPatternColor,  // value: indexed colour
    Bold,              // value: 0 or 1
};

struct StyleChange {
    StyleOp op;
    uint8_t edges = 0;  // border operations only
    uint16_t value = 0;
};

// Indexed colours: 8 to 63 the palette (ColorIndex n is n + 7), 64 the
// automatic (system foreground) colour, 65 the system background.
inline constexpr uint16_t kAutomaticColor = 64;
inline constexpr uint16_t kNoFill = 0xFFFF;

class StyleSheet {
public:
    // Raises error 1004 when the part lacks the lists a change needs.
    StyleSheet(const std::string& text, const std::string& partName);

    size_t cellFormatCount() const { return xfs_.entries.size(); }

    // The format that `xf` becomes under the change; may append entries.
    // Raises error 1004 for an xf that does not exist or at the format limit.
    uint32_t apply(uint32_t xf, const StyleChange& change);

    // True once an entry has been appended, so the part must be written.
    bool changed() const { return changed_; }
    std::string text() const;

private:
    struct List {
        pugi::xml_node parent;
        std::vector<pugi::xml_node> entries;
        std::unordered_map<std::string, uint32_t> lookup;
    };

    pugi::xml_document document_;
    std::string prefix_;
    List fonts_, fills_, borders_, xfs_;
    std::unordered_map<uint64_t, uint32_t> changeCache_;
    bool changed_ = false;

    void readList(List& list, const char* parentName, const char* entryName, const std::string& partName);
    uint32_t intern(List& list, const pugi::xml_node& entry, size_t limit, const char* what);
    pugi::xml_node entryCopy(pugi::xml_document& scratch, const List& list, const pugi::xml_node& xf,
                             const char* idName, const char* what);
    std::string qualified(const char* local) const { return prefix_ + local; }

    void changeAlignment(pugi::xml_node xf, const StyleChange& change);
    void changeBorder(pugi::xml_node border, const StyleChange& change);
    void changeFill(pugi::xml_node fill, const StyleChange& change);
    void changeFont(pugi::xml_node font, bool bold);
};

}  // namespace speclore::xlsx
