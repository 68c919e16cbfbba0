#include "catalog/QuerySheetWriter.h"

#include "catalog/SheetFormat.h"

namespace speclore::catalog {

namespace {

constexpr char kLastColumn = 'F';
constexpr std::array<Item, 6> kQueryHeadings = {Item::cqTitleA, Item::cqTitleB, Item::cqTitleC,
                                                Item::cqTitleD, Item::cqTitleE, Item::cqTitleF};
// A query's row shows its long SQL text from the top, line by line.
constexpr XlSetting kQueryRow[] = {{XlSetter::VerticalAlignment, xlTop}, {XlSetter::WrapText, 1}};

// UTF-16 units of the UTF-8 sequence that starts with `lead`.
size_t utf16Units(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

bool startsCharacter(unsigned char byte) { return (byte & 0xC0) != 0x80; }

std::string joinedLines(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty()) out += '\n';
        out += item;
    }
    return out;
}

void writeQueryRow(XlWorksheet& sheet, int32_t row, int32_t number, const QueryDef& query,
                   const std::string& description, const ItemNames& names) {
    sheet.FormatRange({'A', row}, {kLastColumn, row}, kQueryRow);
    sheet.SetCellValue({'A', row}, number);
    sheet.SetCellValue({'B', row}, query.name);
    sheet.SetCellValue({'C', row}, queryKindCaption(query.type, names));
    sheet.SetCellValue({'D', row}, querySqlCellText(query.sql));
    sheet.SetCellValue({'E', row}, joinedLines(query.sourceTables));
    sheet.SetCellValue({'F', row}, description);
    frameRows(sheet, row, row, kLastColumn);
}

}  // namespace

std::string queryKindCaption(int32_t type, const ItemNames& names) {
    switch (type) {
    case dbQSelect: return names[Item::cqSelect];
    case dbQCrosstab: return names[Item::cqCrosstab];
    case dbQMakeTable: return names[Item::cqMakeTable];
    case dbQAppend: return names[Item::cqAppend];
    case dbQUpdate: return names[Item::cqUpdate];
    case dbQDelete: return names[Item::cqDelete];
    case dbQSetOperation: return names[Item::cqUnion];
    case dbQSQLPassThrough: return names[Item::cqPassThrough];
    case dbQDDL: return names[Item::cqDataDefinition];
    default: return std::to_string(type);
    }
}

std::string querySqlCellText(const std::string& sql) {
    std::string text;
    text.reserve(sql.size());
    for (size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '\r' && i + 1 < sql.size() && sql[i + 1] == '\n') continue;
        text += sql[i] == '\r' ? '\n' : sql[i];
    }

    size_t units = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (startsCharacter(c)) units += utf16Units(c);
    }
    if (units <= kMaxCellCharacters) return text;

    // Characters of the mark: all of it lies in the basic plane.
    size_t markUnits = 0;
    for (const char* p = kCutTextMark; *p; ++p) {
        if (startsCharacter(static_cast<unsigned char>(*p))) ++markUnits;
    }
    const size_t keep = kMaxCellCharacters - markUnits;
    size_t kept = 0;
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = utf16Units(static_cast<unsigned char>(text[end]));
        if (kept + next > keep) break;
        kept += next;
        ++end;
        while (end < text.size() && !startsCharacter(static_cast<unsigned char>(text[end]))) ++end;
    }
    text.resize(end);
    return text + kCutTextMark;
}

void writeQuerySheet(XlWorksheet& sheet, const std::vector<QueryDef>& queries, const ItemNames& names,
                     RunProgress& progress) {
    int32_t row = kFirstQueryBlockRow;
    int32_t number = 0;
    for (const QueryDef& query : queries) {
        progress.step(query.name);
        const std::string& description = query.descriptionOrEmpty();
        writeBlockTitleRow(sheet, row++, query.name, description);
        writeBlockHeadingRow(sheet, row++, names, kQueryHeadings);
        writeQueryRow(sheet, row++, ++number, query, description, names);
        ++row;
    }
}

}  // namespace speclore::catalog
