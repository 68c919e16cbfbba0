#include "xls/CellFormats.h"

#include <algorithm>

#include "workbook/BorderLine.h"
#include "workbook/WorkbookError.h"
#include "xls/RecordLayout.h"

namespace speclore::xls {

using namespace workbook;

namespace {

// Format limits of the file format: Excel refuses workbooks beyond them.
constexpr size_t kMaxXfs = 4050;
constexpr size_t kMaxFonts = 510;

static_assert(std::tuple_size_v<CellFormats::XfBytes> == xfLayout::kSize);

uint16_t fontIndexFromRecord(size_t k) {
    return static_cast<uint16_t>(k < fontLayout::kMissingIndex ? k : k + 1);
}

// Where each edge keeps its line style and colour in an XF.
struct EdgeFields {
    EdgeMask edge;
    BitField line;
    BitField color;
};
constexpr EdgeFields kEdges[] = {
    {EdgeLeft, xfLayout::kLeftLine, xfLayout::kLeftColor},
    {EdgeRight, xfLayout::kRightLine, xfLayout::kRightColor},
    {EdgeTop, xfLayout::kTopLine, xfLayout::kTopColor},
    {EdgeBottom, xfLayout::kBottomLine, xfLayout::kBottomColor},
};

}  // namespace

void CellFormats::addTemplateFont(std::string_view data) {
    std::string record(data);
    fontLookup_.emplace(record, fontIndexFromRecord(fonts_.size()));
    fonts_.push_back(std::move(record));
    templateFontCount_ = fonts_.size();
}

void CellFormats::addTemplateXf(std::string_view data) {
    XfBytes bytes{};
    std::copy_n(data.data(), std::min<size_t>(data.size(), bytes.size()), bytes.begin());
    auto index = static_cast<uint16_t>(xfs_.size());
    xfs_.push_back(bytes);
    templateXfCount_ = xfs_.size();
    if (isCellXf(index)) cellXfLookup_.emplace(std::string(bytes.data(), bytes.size()), index);
}

bool CellFormats::isCellXf(uint16_t index) const {
    return index < xfs_.size() && getField(xfs_[index].data(), xfLayout::kIsStyle) == 0;
}

const std::string* CellFormats::font(uint16_t fontIndex) const {
    if (fontIndex == fontLayout::kMissingIndex) return nullptr;
    size_t record = fontIndex < fontLayout::kMissingIndex ? fontIndex : fontIndex - 1u;
    return record < fonts_.size() ? &fonts_[record] : nullptr;
}

uint16_t CellFormats::apply(uint16_t xf, const FormatChange& change) {
    uint64_t key = xf | (static_cast<uint64_t>(change.op) << 16) |
                   (static_cast<uint64_t>(change.edges) << 24) | (static_cast<uint64_t>(change.value) << 32);
    if (auto hit = changeCache_.find(key); hit != changeCache_.end()) return hit->second;
    uint16_t result = internXf(changed(xf, change));
    changeCache_.emplace(key, result);
    return result;
}

CellFormats::XfBytes CellFormats::changed(uint16_t xf, const FormatChange& change) {
    if (xf >= xfs_.size())
        workbook::throwUnreadable("セルが存在しない書式 (XF " + std::to_string(xf) + ") を指しています");
    XfBytes bytes = xfs_[xf];
    char* p = bytes.data();
    // A cell pointing at a style XF gets a cell XF whose parent is that style.
    if (getField(p, xfLayout::kIsStyle)) {
        setField(p, xfLayout::kIsStyle, 0);
        setField(p, xfLayout::kLotusPrefix, 0);
        setField(p, xfLayout::kParent, xf);
    }
    switch (change.op) {
    case FormatOp::HorizontalAlign:
        setField(p, xfLayout::kHorizontalAlign, change.value);
        setField(p, xfLayout::kUsedAlignment, 1);
        break;
    case FormatOp::VerticalAlign:
        setField(p, xfLayout::kVerticalAlign, change.value);
        setField(p, xfLayout::kUsedAlignment, 1);
        break;
    case FormatOp::Wrap:
        setField(p, xfLayout::kWrap, change.value ? 1 : 0);
        setField(p, xfLayout::kUsedAlignment, 1);
        break;
    case FormatOp::LineStyle:
    case FormatOp::Weight:
    case FormatOp::BorderColor:
        changeBorders(p, change);
        setField(p, xfLayout::kUsedBorder, 1);
        break;
    case FormatOp::FillColor:
    case FormatOp::FillPattern:
    case FormatOp::FillPatternColor:
        changeFill(p, change);
        setField(p, xfLayout::kUsedPattern, 1);
        break;
    case FormatOp::Bold:
        setField(p, xfLayout::kFont,
                 boldFont(static_cast<uint16_t>(getField(p, xfLayout::kFont)), change.value != 0));
        setField(p, xfLayout::kUsedFont, 1);
        break;
    }
    setField(p, xfLayout::kHasExtension, 0);  // the extension records describe the old XF
    return bytes;
}

void CellFormats::changeBorders(char* p, const FormatChange& change) {
    for (const EdgeFields& f : kEdges) {
        if (!(change.edges & f.edge)) continue;
        const BorderLine old = lineOfCode(getField(p, f.line));
        const bool hadLine = old.kind != LineKind::None;
        const BorderLine line = changedLine(old, change);
        setField(p, f.line, codeOfLine(line));
        if (line.kind == LineKind::None)
            setField(p, f.color, 0);
        else if (change.op == FormatOp::BorderColor)
            setField(p, f.color, change.value);
        else if (!hadLine || getField(p, f.color) == 0)
            setField(p, f.color, kAutomaticColor);
    }
}

void CellFormats::changeFill(char* p, const FormatChange& change) {
    uint32_t pattern = getField(p, xfLayout::kFillPattern);
    uint32_t fore = getField(p, xfLayout::kFillForeColor);
    uint32_t back = getField(p, xfLayout::kFillBackColor);
    if (change.op == FormatOp::FillColor && change.value == kNoFill) {
        pattern = 0;
        fore = kAutomaticColor;
        back = kWindowBackground;
    } else if (change.op == FormatOp::FillColor) {
        fore = change.value;
        if (pattern == 0 && fore != kAutomaticColor) pattern = 1;
    } else if (change.op == FormatOp::FillPattern) {
        pattern = change.value;
        if (pattern == 0) {
            fore = kAutomaticColor;
            back = kWindowBackground;
        }
    } else {
        back = change.value;
    }
    // A fill drawn in a colour pairs with an automatic pattern colour,
    // never with the window background that marks "no fill".
    if (pattern != 0 && back == kWindowBackground) back = kAutomaticColor;
    setField(p, xfLayout::kFillPattern, pattern);
    setField(p, xfLayout::kFillForeColor, fore);
    setField(p, xfLayout::kFillBackColor, back);
}

uint16_t CellFormats::boldFont(uint16_t fontIndex, bool bold) {
    const std::string* source = font(fontIndex);
    if (!source || source->size() < fontLayout::kFixedSize)
        workbook::throwUnreadable("書式が存在しないフォントを指しています");
    std::string record = *source;
    setField(record.data(), fontLayout::kWeight, bold ? fontLayout::kWeightBold : fontLayout::kWeightNormal);
    setField(record.data(), fontLayout::kBold, bold ? 1 : 0);
    if (auto hit = fontLookup_.find(record); hit != fontLookup_.end()) return hit->second;
    if (fonts_.size() >= kMaxFonts) workbook::throwInvalidArgument("フォントの数が上限に達しました");
    uint16_t index = fontIndexFromRecord(fonts_.size());
    fontLookup_.emplace(record, index);
    fonts_.push_back(std::move(record));
    return index;
}

uint16_t CellFormats::internXf(const XfBytes& bytes) {
    std::string key(bytes.data(), bytes.size());
    if (auto hit = cellXfLookup_.find(key); hit != cellXfLookup_.end()) return hit->second;
    if (xfs_.size() >= kMaxXfs) workbook::throwInvalidArgument("セルの書式の数が上限に達しました");
    auto index = static_cast<uint16_t>(xfs_.size());
    xfs_.push_back(bytes);
    cellXfLookup_.emplace(std::move(key), index);
    return index;
}

std::vector<std::string> CellFormats::newFontRecords() const {
    return {fonts_.begin() + static_cast<long>(templateFontCount_), fonts_.end()};
}

std::vector<CellFormats::XfBytes> CellFormats::newXfRecords() const {
    return {xfs_.begin() + static_cast<long>(templateXfCount_), xfs_.end()};
}

}  // namespace speclore::xls
