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

#include "workbook/FormatChange.h"
#include "workbook/FormatOutcomes.h"

namespace speclore::xlsx {

class StyleSheet {
public:
    // Raises error 1004 when the part lacks the lists a change needs.
    StyleSheet(const std::string& text, const std::string& partName);

    size_t cellFormatCount() const { return xfs_.entries.size(); }

    // The format that `xf` becomes under the change; may append entries.
    // Raises error 1004 for an xf that does not exist or at the format limit.
    uint32_t apply(uint32_t xf, const workbook::FormatChange& change);

    // What ranges' lists of changes have made of these formats.
    workbook::FormatOutcomes& outcomes() { return outcomes_; }

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
    workbook::FormatOutcomes outcomes_;
    bool changed_ = false;

    void readList(List& list, const char* parentName, const char* entryName, const std::string& partName);
    uint32_t intern(List& list, const pugi::xml_node& entry, size_t limit, const char* what);
    pugi::xml_node entryCopy(pugi::xml_document& scratch, const List& list, const pugi::xml_node& xf,
                             const char* idName, const char* what);
    std::string qualified(const char* local) const { return prefix_ + local; }

    void changeAlignment(pugi::xml_node xf, const workbook::FormatChange& change);
    void changeBorder(pugi::xml_node border, const workbook::FormatChange& change);
    void changeFill(pugi::xml_node fill, const workbook::FormatChange& change);
    void changeFont(pugi::xml_node font, bool bold);
};

}  // namespace speclore::xlsx
