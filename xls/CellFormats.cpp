#include "xls/CellFormats.h"

#include <algorithm>

#include "xls/ByteIo.h"
#include "xls/XlsError.h"

namespace speclore::xls {

namespace {

// Format limits of the file format: Excel refuses workbooks beyond them.
constexpr size_t kMaxXfs = 4050;
constexpr size_t kMaxFonts = 510;

// "Used attribute" bits in byte 9 of an XF.
constexpr uint8_t kUsedFont = 0x08;
constexpr uint8_t kUsedAlignment = 0x10;
constexpr uint8_t kUsedBorder = 0x20;
constexpr uint8_t kUsedPattern = 0x40;

constexpr uint16_t kWeightNormal = 400;
constexpr uint16_t kWeightBold = 700;

// FONT index 4 does not exist: record k has index k below 4, k + 1 after.
uint16_t fontIndexFromRecord(size_t k) { return static_cast<uint16_t>(k < 4 ? k : k + 1); }

struct LineStyle {
    LineKind kind;
    LineWeight weight;
};

LineStyle decodeLine(uint32_t dg) {
    switch (dg) {
    case 1: return {LineKind::Continuous, LineWeight::Thin};
    case 2: return {LineKind::Continuous, LineWeight::Medium};
    case 3: return {LineKind::Dash, LineWeight::Thin};
    case 4: return {LineKind::Dot, LineWeight::Thin};
    case 5: return {LineKind::Continuous, LineWeight::Thick};
    case 6: return {LineKind::Double, LineWeight::Thick};
    case 7: return {LineKind::Continuous, LineWeight::Hairline};
    case 8: return {LineKind::Dash, LineWeight::Medium};
    case 9: return {LineKind::DashDot, LineWeight::Thin};
    case 10: return {LineKind::DashDot, LineWeight::Medium};
    case 11: return {LineKind::DashDotDot, LineWeight::Thin};
    case 12: return {LineKind::DashDotDot, LineWeight::Medium};
    case 13: return {LineKind::SlantDashDot, LineWeight::Medium};
    default: return {LineKind::None, LineWeight::Thin};
    }
}

uint32_t encodeLine(LineStyle s) {
    bool heavy = s.weight == LineWeight::Medium || s.weight == LineWeight::Thick;
    switch (s.kind) {
    case LineKind::None: return 0;
    case LineKind::Continuous:
        switch (s.weight) {
        case LineWeight::Hairline: return 7;
        case LineWeight::Thin: return 1;
        case LineWeight::Medium: return 2;
        case LineWeight::Thick: return 5;
        }
        return 1;
    case LineKind::Dash: return heavy ? 8 : 3;
    case LineKind::Dot: return 4;
    case LineKind::DashDot: return heavy ? 10 : 9;
    case LineKind::DashDotDot: return heavy ? 12 : 11;
    case LineKind::Double: return 6;
    case LineKind::SlantDashDot: return 13;
    }
    return 0;
}

// Where each edge keeps its line style and colour inside the two border
// words of an XF (offsets 10 and 14).
struct EdgeFields {
    EdgeMask edge;
    int styleWord, styleShift;
    int colorWord, colorShift;
};
constexpr EdgeFields kEdges[] = {
    {EdgeLeft, 10, 0, 10, 16},
    {EdgeRight, 10, 4, 10, 23},
    {EdgeTop, 10, 8, 14, 0},
    {EdgeBottom, 10, 12, 14, 7},
};

uint32_t getBits(const char* xf, int word, int shift, uint32_t mask) {
    return (getU32(xf + word) >> shift) & mask;
}

void setBits(char* xf, int word, int shift, uint32_t mask, uint32_t value) {
    uint32_t v = getU32(xf + word);
    v = (v & ~(mask << shift)) | ((value & mask) << shift);
    setU32(xf + word, v);
}

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
    return index < xfs_.size() && (getU16(xfs_[index].data() + 4) & 0x0004) == 0;
}

const std::string* CellFormats::font(uint16_t fontIndex) const {
    if (fontIndex == 4) return nullptr;
    size_t record = fontIndex < 4 ? fontIndex : fontIndex - 1u;
    return record < fonts_.size() ? &fonts_[record] : nullptr;
}

uint16_t CellFormats::apply(uint16_t xf, const XfChange& change) {
    uint64_t key = xf | (static_cast<uint64_t>(change.op) << 16) |
                   (static_cast<uint64_t>(change.edges) << 24) | (static_cast<uint64_t>(change.value) << 32);
    if (auto hit = changeCache_.find(key); hit != changeCache_.end()) return hit->second;
    uint16_t result = internXf(changed(xf, change));
    changeCache_.emplace(key, result);
    return result;
}

CellFormats::XfBytes CellFormats::changed(uint16_t xf, const XfChange& change) {
    if (xf >= xfs_.size())
        throwUnreadable("セルが存在しない書式 (XF " + std::to_string(xf) + ") を指しています");
    XfBytes bytes = xfs_[xf];
    char* p = bytes.data();
    // A cell pointing at a style XF gets a cell XF whose parent is that style.
    if (getU16(p + 4) & 0x0004) setU16(p + 4, static_cast<uint16_t>((getU16(p + 4) & 0x0003) | (xf << 4)));
    uint8_t used = 0;
    switch (change.op) {
    case XfOp::HorizontalAlign:
        p[6] = static_cast<char>((p[6] & ~0x07) | (change.value & 0x07));
        used = kUsedAlignment;
        break;
    case XfOp::VerticalAlign:
        p[6] = static_cast<char>((p[6] & ~0x70) | ((change.value & 0x07) << 4));
        used = kUsedAlignment;
        break;
    case XfOp::Wrap:
        p[6] = static_cast<char>((p[6] & ~0x08) | (change.value ? 0x08 : 0));
        used = kUsedAlignment;
        break;
    case XfOp::LineStyle:
    case XfOp::Weight:
    case XfOp::BorderColor:
        for (const EdgeFields& f : kEdges) {
            if (!(change.edges & f.edge)) continue;
            LineStyle line = decodeLine(getBits(p, f.styleWord, f.styleShift, 0xF));
            bool hadLine = line.kind != LineKind::None;
            if (change.op == XfOp::LineStyle) {
                line.kind = static_cast<LineKind>(change.value);
            } else if (!hadLine) {
                // Giving a missing line a weight or a colour draws it.
                line = {LineKind::Continuous, LineWeight::Thin};
            }
            if (change.op == XfOp::Weight) line.weight = static_cast<LineWeight>(change.value);
            setBits(p, f.styleWord, f.styleShift, 0xF, encodeLine(line));
            if (line.kind == LineKind::None)
                setBits(p, f.colorWord, f.colorShift, 0x7F, 0);
            else if (change.op == XfOp::BorderColor)
                setBits(p, f.colorWord, f.colorShift, 0x7F, change.value);
            else if (!hadLine || getBits(p, f.colorWord, f.colorShift, 0x7F) == 0)
                setBits(p, f.colorWord, f.colorShift, 0x7F, kAutomaticColor);
        }
        used = kUsedBorder;
        break;
    case XfOp::FillColor:
    case XfOp::FillPattern:
    case XfOp::FillPatternColor: {
        uint32_t pattern = getBits(p, 14, 26, 0x3F);
        uint16_t colors = getU16(p + 18);
        uint32_t fore = colors & 0x7F;
        uint32_t back = (colors >> 7) & 0x7F;
        if (change.op == XfOp::FillColor && change.value == kNoFill) {
            pattern = 0;
            fore = kAutomaticColor;
            back = kWindowBackground;
        } else if (change.op == XfOp::FillColor) {
            fore = change.value;
            if (pattern == 0 && fore != kAutomaticColor) pattern = 1;
        } else if (change.op == XfOp::FillPattern) {
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
        setBits(p, 14, 26, 0x3F, pattern);
        setU16(p + 18, static_cast<uint16_t>((colors & 0xC000) | fore | (back << 7)));
        used = kUsedPattern;
        break;
    }
    case XfOp::Bold:
        setU16(p, boldFont(getU16(p), change.value != 0));
        used = kUsedFont;
        break;
    }
    p[9] = static_cast<char>(p[9] | used);
    setBits(p, 14, 25, 0x1, 0);  // the extension records describe the old XF
    return bytes;
}

uint16_t CellFormats::boldFont(uint16_t fontIndex, bool bold) {
    const std::string* source = font(fontIndex);
    if (!source || source->size() < 14) throwUnreadable("書式が存在しないフォントを指しています");
    std::string record = *source;
    setU16(record.data() + 6, bold ? kWeightBold : kWeightNormal);
    uint16_t grbit = getU16(record.data() + 2);
    setU16(record.data() + 2, static_cast<uint16_t>(bold ? grbit | 1 : grbit & ~1));
    if (auto hit = fontLookup_.find(record); hit != fontLookup_.end()) return hit->second;
    if (fonts_.size() >= kMaxFonts) throwInvalidArgument("フォントの数が上限に達しました");
    uint16_t index = fontIndexFromRecord(fonts_.size());
    fontLookup_.emplace(record, index);
    fonts_.push_back(std::move(record));
    return index;
}

uint16_t CellFormats::internXf(const XfBytes& bytes) {
    std::string key(bytes.data(), bytes.size());
    if (auto hit = cellXfLookup_.find(key); hit != cellXfLookup_.end()) return hit->second;
    if (xfs_.size() >= kMaxXfs) throwInvalidArgument("セルの書式の数が上限に達しました");
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
