// The workbook's FONT and XF records and the format changes that range
// operations make. A change copies a cell's XF, alters one attribute and
// finds an equal cell XF (or appends one), so equal formats share a record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "workbook/FormatChange.h"
#include "workbook/FormatOutcomes.h"

namespace speclore::xls {

inline constexpr uint16_t kDefaultCellXf = 15;

class CellFormats {
public:
    using XfBytes = std::array<char, 20>;

    // Records of the template, in file order.
    void addTemplateFont(std::string_view data);
    void addTemplateXf(std::string_view data);

    size_t xfCount() const { return xfs_.size(); }

    // The XF that `xf` becomes under the change; may append FONT and XF
    // records. Raises error 1004 at the format limits.
    uint16_t apply(uint16_t xf, const workbook::FormatChange& change);

    // Records appended since the template was read, to be written after
    // the template's last FONT and XF records.
    std::vector<std::string> newFontRecords() const;
    std::vector<XfBytes> newXfRecords() const;
    bool hasNewXfs() const { return xfs_.size() > templateXfCount_; }

    // The FONT record behind a FONT index, or nullptr.
    const std::string* font(uint16_t fontIndex) const;

    // What ranges' lists of changes have made of these XFs.
    workbook::FormatOutcomes& outcomes() { return outcomes_; }

private:
    std::vector<std::string> fonts_;
    size_t templateFontCount_ = 0;
    std::unordered_map<std::string, uint16_t> fontLookup_;
    std::vector<XfBytes> xfs_;
    size_t templateXfCount_ = 0;
    std::unordered_map<std::string, uint16_t> cellXfLookup_;
    std::unordered_map<uint64_t, uint16_t> changeCache_;
    workbook::FormatOutcomes outcomes_;

    bool isCellXf(uint16_t index) const;
    XfBytes changed(uint16_t xf, const workbook::FormatChange& change);
    static void changeBorders(char* xf, const workbook::FormatChange& change);
    static void changeFill(char* xf, const workbook::FormatChange& change);
    uint16_t boldFont(uint16_t fontIndex, bool bold);
    uint16_t internXf(const XfBytes& bytes);
};

}  // namespace speclore::xls
