#include "xls/RecordChecks.h"

#include <cstdio>
#include <string>

#include "workbook/WorkbookError.h"
#include "xls/ByteIo.h"
#include "xls/CellAddress.h"
#include "xls/RecordLayout.h"

namespace speclore::xls {

namespace {

// Record types checked here beyond those the engine itself edits.
namespace type {
constexpr uint16_t Header = 0x0014;
constexpr uint16_t Footer = 0x0015;
constexpr uint16_t ExternSheet = 0x0017;
constexpr uint16_t Name = 0x0018;
constexpr uint16_t VerticalPageBreaks = 0x001A;
constexpr uint16_t HorizontalPageBreaks = 0x001B;
constexpr uint16_t Note = 0x001C;
constexpr uint16_t Selection = 0x001D;
constexpr uint16_t ExternName = 0x0023;
constexpr uint16_t Pane = 0x0041;
constexpr uint16_t WriteAccess = 0x005C;
constexpr uint16_t Obj = 0x005D;
constexpr uint16_t ImData = 0x007F;
constexpr uint16_t Palette = 0x0092;
constexpr uint16_t StandardWidth = 0x0099;
constexpr uint16_t Gcw = 0x00AB;
constexpr uint16_t MergedCells = 0x00E5;
constexpr uint16_t MsoDrawingGroup = 0x00EB;
constexpr uint16_t MsoDrawing = 0x00EC;
constexpr uint16_t MsoDrawingSelection = 0x00ED;
constexpr uint16_t TabId = 0x013D;
constexpr uint16_t SupBook = 0x01AE;
constexpr uint16_t CondFmt = 0x01B1;
constexpr uint16_t Txo = 0x01B6;
constexpr uint16_t HLink = 0x01B8;
constexpr uint16_t Dv = 0x01BE;
constexpr uint16_t Style = 0x0293;
constexpr uint16_t Format = 0x041E;
constexpr uint16_t Feat = 0x0868;
}  // namespace type

constexpr uint16_t kBiff8Version = 0x0600;
constexpr size_t kBofSize = 16;
constexpr uint16_t kNoParentStyle = 0xFFF;
// STYLE: a built-in style's number, the last that Excel defines.
constexpr uint16_t kBuiltInStyleFlag = 0x8000;
constexpr uint8_t kLastBuiltInStyle = 0x35;
// SUPBOOK's marks for the workbook's own sheets and for add-in functions.
constexpr uint16_t kSelfReference = 0x0401;
constexpr uint16_t kAddInReference = 0x3A01;
// EXTERNSHEET's sheet numbers for "no sheet" and "the workbook".
constexpr uint16_t kNoSheet = 0xFFFE;
constexpr uint16_t kWholeBook = 0xFFFF;

// Lengths a record's type allows, as Excel and the other writers write them.
struct LengthRange {
    uint16_t type;
    uint16_t min;
    uint16_t max;
};
constexpr LengthRange kLengths[] = {
    {rt::Bof, kBofSize, kBofSize},
    {rt::Eof, 0, 0},
    {0x00E1, 2, 2},  // INTERFACEHDR
    {0x00C1, 2, 2},  // MMS
    {0x00E2, 0, 0},  // INTERFACEEND
    // The user's name: xlwt writes it as plain padded bytes, so only its
    // length is certain.
    {type::WriteAccess, 0, 112},
    {0x0042, 2, 2},    // CODEPAGE
    {0x0161, 2, 2},    // DSF
    {0x009C, 2, 2},    // FNGROUPCOUNT
    {0x0019, 2, 2},    // WINDOWPROTECT
    {0x0012, 2, 2},    // PROTECT
    {0x0063, 2, 2},    // OBJECTPROTECT
    {0x0013, 2, 2},    // PASSWORD
    {0x01AF, 2, 2},    // PROT4REV
    {0x01BC, 2, 2},    // PASSWORDREV4
    {0x0040, 2, 2},    // BACKUP
    {0x008D, 2, 2},    // HIDEOBJ
    {0x003D, 18, 18},  // WINDOW1
    {0x0022, 2, 2},    // DATEMODE
    {0x000E, 2, 2},    // PRECISION
    {0x01B7, 2, 2},    // REFRESHALL
    {0x00DA, 2, 2},    // BOOKBOOL
    {rt::Xf, xfLayout::kSize, xfLayout::kSize},
    {0x0160, 2, 2},  // USESELFS
    {0x008C, 4, 4},  // COUNTRY
    {0x000D, 2, 2},  // CALCMODE
    {0x000C, 2, 2},  // CALCCOUNT
    {0x000F, 2, 2},  // REFMODE
    {0x0011, 2, 2},  // ITERATION
    {0x0010, 8, 8},  // DELTA
    {0x005F, 2, 2},  // SAVERECALC
    {0x002A, 2, 2},  // PRINTHEADERS
    {0x002B, 2, 2},  // PRINTGRIDLINES
    {0x0082, 2, 2},  // GRIDSET
    {0x0080, 8, 8},  // GUTS
    {rt::DefaultRowHeight, 4, 4},
    {0x0081, 2, 2},    // WSBOOL
    {0x0083, 2, 2},    // HCENTER
    {0x0084, 2, 2},    // VCENTER
    {0x0026, 8, 8},    // LEFTMARGIN
    {0x0027, 8, 8},    // RIGHTMARGIN
    {0x0028, 8, 8},    // TOPMARGIN
    {0x0029, 8, 8},    // BOTTOMMARGIN
    {0x00A1, 34, 34},  // SETUP
    {0x00A0, 4, 4},    // SCL
    {rt::DefColWidth, 2, 2},
    // Some writers leave out the last reserved bytes.
    {rt::ColInfo, 10, 12},
    {rt::Dimensions, 14, 14},
    {rt::Row, 16, 16},
    {rt::LabelSst, 10, 10},
    {rt::Number, 14, 14},
    {rt::Rk, 10, 10},
    {rt::Blank, 6, 6},
    {rt::BoolErr, 8, 8},
    {type::Pane, 10, 10},
    // A chart sheet's window is the short form.
    {rt::Window2, 10, 18},
    {type::TabId, 2, kMaxRecordData},
    {rt::MulBlank, 8, kMaxRecordData},
    {rt::MulRk, 12, kMaxRecordData},
    {rt::Font, fontLayout::kFixedSize + 2, kMaxRecordData},
    {rt::BoundSheet, 8, kMaxRecordData},
    {type::StandardWidth, 2, 2},
    {type::Gcw, 34, 34},
    {type::Note, 11, kMaxRecordData},
    {type::ExternName, 7, kMaxRecordData},
    {type::HLink, 32, kMaxRecordData},
    {type::Txo, 18, kMaxRecordData},
    {rt::Formula, 22, kMaxRecordData},
    {rt::Label, 9, kMaxRecordData},
    {rt::String, 3, kMaxRecordData},
    {rt::Array, 14, kMaxRecordData},
    {rt::ShrFmla, 10, kMaxRecordData},
};

// Types that older BIFF versions used and BIFF8 does not: readers that see
// one take it for what it was (a BOF, an XF, a cell) and fail on it.
constexpr uint16_t kOlderTypes[] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0007, 0x0008,  // BIFF2 cells, rows and sizes
    0x0009, 0x0209, 0x0409,                                          // BIFF2 to BIFF4 BOF
    0x001E, 0x0020, 0x0021, 0x0024, 0x0025, 0x0032,                  // BIFF2 formats and sizes
    0x0043, 0x0044, 0x0045, 0x0206, 0x0218, 0x0223,                  // BIFF2 and BIFF3 XF, names
    0x0231, 0x0243, 0x0406, 0x0443,                                  // BIFF3 and BIFF4 fonts, XFs, formulas
};

// Records that a CONTINUE may follow: their data can run longer than one
// record holds.
bool mayContinue(uint16_t recordType) {
    switch (recordType) {
    case rt::Continue:
    case rt::Sst:
    case rt::String:
    case rt::ShrFmla:
    case rt::Array:
    case type::ExternSheet:
    case type::Name:
    case type::ExternName:
    case type::SupBook:
    case type::MsoDrawingGroup:
    case type::MsoDrawing:
    case type::MsoDrawingSelection:
    case type::Obj:
    case type::Txo:
    case type::ImData:
    case type::CondFmt:
    case type::Dv:
    case type::Feat: return true;
    default: return false;
    }
}

[[noreturn]] void throwMisshapen(uint16_t recordType) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", recordType);
    workbook::throwUnreadable(std::string("レコード 0x") + hex + " の内容が壊れています");
}

void require(bool condition, uint16_t recordType) {
    if (!condition) throwMisshapen(recordType);
}

// An XLUnicodeString (or, with one count byte, a ShortXLUnicodeString) at
// `at` without formatting runs or phonetics: gives the bytes it takes;
// raises 1004 when it runs past the end or holds text no reader decodes.
size_t checkedString(std::string_view data, size_t at, size_t countBytes, uint16_t recordType) {
    require(data.size() >= at + countBytes + 1, recordType);
    const size_t count = countBytes == 1 ? static_cast<uint8_t>(data[at]) : getU16(data.data() + at);
    const uint8_t flags = static_cast<uint8_t>(data[at + countBytes]);
    require((flags & ~0x01) == 0, recordType);
    const bool wide = (flags & 0x01) != 0;
    const size_t size = countBytes + 1 + count * (wide ? 2 : 1);
    require(data.size() >= at + size, recordType);
    if (wide) {
        std::u16string text;
        for (size_t i = 0; i < count; ++i)
            text.push_back(static_cast<char16_t>(getU16(data.data() + at + countBytes + 1 + 2 * i)));
        require(isWellFormedUtf16(text), recordType);
    }
    return size;
}

void requireStringFills(const BiffRecord& r, size_t at, size_t countBytes) {
    require(at + checkedString(r.data, at, countBytes, r.type) == r.data.size(), r.type);
}

// A record with the CONTINUE records after it, moving `i` past them.
std::string withContinues(const std::vector<BiffRecord>& records, size_t& i) {
    std::string data = records[i].data;
    while (i + 1 < records.size() && records[i + 1].type == rt::Continue) data += records[++i].data;
    return data;
}

// A count at the start and items of `itemSize` bytes after it, exactly.
void requireCountedItems(const BiffRecord& r, size_t countAt, size_t headerSize, size_t itemSize) {
    const size_t n = r.data.size();
    require(n >= headerSize && n == headerSize + itemSize * getU16(r.data.data() + countAt), r.type);
}

void checkRecordContents(const BiffRecord& r) {
    const size_t n = r.data.size();
    switch (r.type) {
    case rt::Bof: {
        // Globals, worksheet or dialog sheet, chart, macro sheet.
        const uint16_t kind = getU16(r.data.data() + 2);
        require(getU16(r.data.data()) == kBiff8Version &&
                    (kind == 0x0005 || kind == 0x0010 || kind == 0x0020 || kind == 0x0040),
                r.type);
        break;
    }
    case rt::Font: requireStringFills(r, fontLayout::kFixedSize, 1); break;
    case type::Format: requireStringFills(r, 2, 2); break;
    case type::Style:
        require(n >= 2, r.type);
        if ((getU16(r.data.data()) & kBuiltInStyleFlag) != 0)
            require(n == 4 && static_cast<uint8_t>(r.data[2]) <= kLastBuiltInStyle, r.type);
        else
            requireStringFills(r, 2, 2);
        break;
    case rt::BoundSheet: requireStringFills(r, 6, 1); break;
    case type::Header:
    case type::Footer:
        if (n != 0) requireStringFills(r, 0, 2);
        break;
    case type::TabId: require(n % 2 == 0, r.type); break;
    case type::Palette: requireCountedItems(r, 0, 2, 4); break;
    case type::HorizontalPageBreaks:
    case type::VerticalPageBreaks: requireCountedItems(r, 0, 2, 6); break;
    case type::MergedCells: requireCountedItems(r, 0, 2, 8); break;
    case type::Selection: requireCountedItems(r, 7, 9, 6); break;
    case rt::MulBlank: require(n % 2 == 0, r.type); break;
    case rt::MulRk: require((n - 6) % 6 == 0, r.type); break;
    case type::Note: checkedString(r.data, 8, 2, r.type); break;
    case type::Obj:
        // Every object starts with its common data: ftCmo, 18 bytes long.
        require(n >= 22 && getU16(r.data.data()) == 0x0015 && getU16(r.data.data() + 2) == 0x0012, r.type);
        break;
    case rt::Label: requireStringFills(r, 6, 2); break;
    default: break;
    }
}

// The tokens of a defined name's formula: each one known, none running past
// the formula's end, and every 3-D reference naming an EXTERNSHEET entry.
void checkNameFormula(std::string_view formula, size_t externSheets) {
    size_t at = 0;
    auto need = [&](size_t bytes) { require(formula.size() - at >= bytes, type::Name); };
    while (at < formula.size()) {
        const uint8_t token = static_cast<uint8_t>(formula[at++]);
        // Operand tokens carry their class in bits 5 and 6; the base token
        // is the same in every class.
        const uint8_t base = token >= 0x20 ? static_cast<uint8_t>((token & 0x1F) | 0x20) : token;
        size_t size = 0;
        if (token >= 0x03 && token <= 0x16) {
            size = 0;  // operators, parentheses, missing argument
        } else if (token == 0x01 || token == 0x02) {
            size = 4;                // ptgExp, ptgTbl
        } else if (token == 0x17) {  // ptgStr
            need(2);
            const size_t chars = static_cast<uint8_t>(formula[at]);
            size = 2 + chars * ((formula[at + 1] & 0x01) ? 2 : 1);
        } else if (token == 0x19) {  // ptgAttr, with a jump table for tAttrChoose
            need(3);
            size = 3 + ((formula[at] & 0x04) ? 2 * (static_cast<size_t>(getU16(formula.data() + at + 1)) + 1)
                                             : 0);
        } else if (token == 0x1C || token == 0x1D) {
            size = 1;  // ptgErr, ptgBool
        } else if (token == 0x1E) {
            size = 2;  // ptgInt
        } else if (token == 0x1F) {
            size = 8;  // ptgNum
        } else if (token >= 0x20 && token < 0x80) {
            switch (base) {
            case 0x20: size = 7; break;  // ptgArray
            case 0x21: size = 2; break;  // ptgFunc
            case 0x22: size = 3; break;  // ptgFuncVar
            case 0x23: size = 4; break;  // ptgName
            case 0x24:
            case 0x2A:
            case 0x2C: size = 4; break;  // ptgRef, ptgRefErr, ptgRefN
            case 0x25:
            case 0x2B:
            case 0x2D: size = 8; break;  // ptgArea, ptgAreaErr, ptgAreaN
            case 0x26:
            case 0x27:
            case 0x28: size = 6; break;  // ptgMemArea, ptgMemErr, ptgMemNoMem
            case 0x29: size = 2; break;  // ptgMemFunc
            case 0x39: size = 6; break;  // ptgNameX
            case 0x3A:
            case 0x3B:
            case 0x3C:
            case 0x3D:  // ptgRef3d, ptgArea3d and their error forms
                size = (base == 0x3A || base == 0x3C) ? 6 : 10;
                need(2);
                require(getU16(formula.data() + at) < externSheets, type::Name);
                break;
            default: throwMisshapen(type::Name);
            }
        } else {
            throwMisshapen(type::Name);
        }
        need(size);
        at += size;
    }
}

// SUPBOOK: the workbook's own sheets (their count), add-in functions, or
// another workbook by its path and its sheets' names. Gives the number of
// sheets its EXTERNSHEET entries may name.
size_t checkSupBook(std::string_view data, size_t sheets) {
    require(data.size() >= 4, type::SupBook);
    const uint16_t count = getU16(data.data());
    const uint16_t mark = getU16(data.data() + 2);
    if (mark == kSelfReference) {
        require(data.size() == 4 && count == sheets, type::SupBook);
        return count;
    }
    if (mark == kAddInReference) {
        require(data.size() == 4, type::SupBook);
        return 0;
    }
    size_t at = 2;
    for (size_t s = 0; s <= count; ++s) at += checkedString(data, at, 2, type::SupBook);
    require(at == data.size(), type::SupBook);
    return count;
}

size_t checkExternSheet(std::string_view data, const std::vector<size_t>& supBookSheets) {
    require(data.size() >= 2, type::ExternSheet);
    const size_t count = getU16(data.data());
    require(data.size() == 2 + 6 * count, type::ExternSheet);
    for (size_t x = 0; x < count; ++x) {
        const char* xti = data.data() + 2 + 6 * x;
        const uint16_t book = getU16(xti), first = getU16(xti + 2), last = getU16(xti + 4);
        require(book < supBookSheets.size(), type::ExternSheet);
        const bool sheetsExist = first <= last && last < supBookSheets[book];
        const bool special =
            (first == kNoSheet || first == kWholeBook) && (last == kNoSheet || last == kWholeBook);
        require(sheetsExist || special, type::ExternSheet);
    }
    return count;
}

void checkName(std::string_view data, size_t sheets, size_t externSheets) {
    constexpr size_t kFixed = 14;
    require(data.size() >= kFixed + 1, type::Name);
    const size_t chars = static_cast<uint8_t>(data[3]);
    const size_t formulaSize = getU16(data.data() + 4);
    const size_t sheet = getU16(data.data() + 8);
    require(chars > 0 && sheet <= sheets, type::Name);
    const uint8_t flags = static_cast<uint8_t>(data[kFixed]);
    require((flags & ~0x01) == 0, type::Name);
    const size_t nameSize = 1 + chars * ((flags & 0x01) ? 2 : 1);
    require(data.size() >= kFixed + nameSize + formulaSize, type::Name);
    if (flags & 0x01) {
        std::u16string name;
        for (size_t i = 0; i < chars; ++i)
            name.push_back(static_cast<char16_t>(getU16(data.data() + kFixed + 1 + 2 * i)));
        require(isWellFormedUtf16(name), type::Name);
    }
    checkNameFormula(data.substr(kFixed + nameSize, formulaSize), externSheets);
}

// The XF's font must exist: FONT records are numbered from 0 with no
// number 4.
void checkXf(const BiffRecord& r, size_t fonts, size_t xfs) {
    const char* d = r.data.data();
    const uint32_t font = getField(d, xfLayout::kFont);
    require(
        font != fontLayout::kMissingIndex && font < (fonts > fontLayout::kMissingIndex ? fonts + 1 : fonts),
        r.type);
    const uint32_t parent = getField(d, xfLayout::kParent);
    if (getField(d, xfLayout::kIsStyle))
        require(parent == kNoParentStyle, r.type);
    else
        require(parent < xfs, r.type);
}

}  // namespace

bool isWellFormedUtf16(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

void checkRecordChain(const std::vector<BiffRecord>& records) {
    // Charts embedded in a sheet bring records of their own kinds, whose
    // lengths are left to the chart's readers.
    int depth = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const BiffRecord& r = records[i];
        if (r.type == rt::Bof) ++depth;
        require(r.data.size() <= kMaxRecordData, r.type);
        for (uint16_t older : kOlderTypes) require(r.type != older, r.type);
        if (r.type == type::ExternName && depth == 1)
            require(i > 0 && (records[i - 1].type == type::SupBook ||
                              records[i - 1].type == type::ExternName || records[i - 1].type == rt::Continue),
                    r.type);
        if (r.type == rt::Continue && depth == 1 && (i == 0 || !mayContinue(records[i - 1].type)))
            workbook::throwUnreadable("続ける先のない CONTINUE レコードがあります");
        if (depth == 1 || r.type == rt::Bof) {
            for (const LengthRange& length : kLengths)
                if (length.type == r.type)
                    require(r.data.size() >= length.min && r.data.size() <= length.max, r.type);
            checkRecordContents(r);
        }
        if (r.type == rt::Eof) --depth;
    }
}

GlobalFacts checkGlobalRecords(const std::vector<BiffRecord>& globals) {
    GlobalFacts facts;
    size_t fonts = 0, xfs = 0;
    for (const BiffRecord& r : globals) {
        facts.sheets += r.type == rt::BoundSheet;
        fonts += r.type == rt::Font;
        xfs += r.type == rt::Xf;
    }
    require(facts.sheets > 0, rt::BoundSheet);
    std::vector<size_t> supBookSheets;
    size_t externSheets = 0;
    for (size_t i = 0; i < globals.size(); ++i) {
        const BiffRecord& r = globals[i];
        switch (r.type) {
        case rt::Xf: checkXf(r, fonts, xfs); break;
        case type::Style:
            if ((getU16(r.data.data()) & kBuiltInStyleFlag) != 0)
                require((getU16(r.data.data()) & 0x0FFF) < xfs, r.type);
            break;
        case rt::Sst:
            require(r.data.size() >= 8, r.type);
            facts.strings = getU32(r.data.data() + 4);
            break;
        case type::SupBook: {
            const std::string data = withContinues(globals, i);
            supBookSheets.push_back(checkSupBook(data, facts.sheets));
            break;
        }
        case type::ExternSheet: {
            const std::string data = withContinues(globals, i);
            externSheets = checkExternSheet(data, supBookSheets);
            break;
        }
        case type::Name: {
            const std::string data = withContinues(globals, i);
            checkName(data, facts.sheets, externSheets);
            break;
        }
        default: break;
        }
    }
    facts.xfs = xfs;
    return facts;
}

void checkWorksheetRecords(const std::vector<BiffRecord>& records, const GlobalFacts& globals) {
    // Cells should name cell XFs, but xlwt makes XF 15, the default cell
    // format, a style XF; readers take either.
    auto requireXf = [&](uint32_t xf, uint16_t recordType) { require(xf < globals.xfs, recordType); };
    int depth = 0;
    for (const BiffRecord& r : records) {
        if (r.type == rt::Bof) ++depth;
        if (r.type == rt::Eof) --depth;
        if (depth != 1) continue;
        const char* d = r.data.data();
        const size_t n = r.data.size();
        switch (r.type) {
        case rt::LabelSst: require(getU32(d + 6) < globals.strings, r.type); [[fallthrough]];
        case rt::Number:
        case rt::Rk:
        case rt::Blank:
        case rt::BoolErr:
        case rt::Formula:
        case rt::Label:
        case rt::RString:
            require(n >= 6 && getU16(d + 2) < kMaxColumns, r.type);
            requireXf(getU16(d + 4), r.type);
            break;
        case rt::MulBlank:
        case rt::MulRk: {
            const size_t unit = r.type == rt::MulRk ? 6 : 2;
            const size_t cells = (n - 6) / unit;
            const uint16_t first = getU16(d + 2), last = getU16(d + n - 2);
            require(last < kMaxColumns && last + 1u == first + cells, r.type);
            for (size_t c = 0; c < cells; ++c) requireXf(getU16(d + 4 + c * unit), r.type);
            break;
        }
        case rt::Row: {
            const uint16_t firstColumn = getU16(d + 2), lastColumn = getU16(d + 4);
            require(firstColumn <= lastColumn && lastColumn <= kMaxColumns, r.type);
            if (getU16(d + 12) & 0x80) requireXf(getU16(d + 14) & 0x0FFF, r.type);
            break;
        }
        case rt::ColInfo: {
            const uint16_t first = getU16(d), last = getU16(d + 2);
            require(first <= last && last <= kMaxColumns, r.type);
            requireXf(getU16(d + 6), r.type);
            break;
        }
        case rt::Dimensions: {
            const uint32_t firstRow = getU32(d), lastRow = getU32(d + 4);
            const uint16_t firstColumn = getU16(d + 8), lastColumn = getU16(d + 10);
            require(firstRow <= lastRow && lastRow <= kMaxRows && firstColumn <= lastColumn &&
                        lastColumn <= kMaxColumns,
                    r.type);
            break;
        }
        default: break;
        }
    }
}

}  // namespace speclore::xls
