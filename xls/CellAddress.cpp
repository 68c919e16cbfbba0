#include "xls/CellAddress.h"

#include "xls/XlsError.h"

namespace speclore::xls {

CellAddress parseCellAddress(std::string_view text) {
    size_t i = 0;
    auto bad = [&]() { throwInvalidArgument("セル番地 '" + std::string(text) + "' は不正です"); };
    if (i < text.size() && text[i] == '$') ++i;
    uint32_t column = 0;
    size_t letters = 0;
    for (; i < text.size(); ++i, ++letters) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        if (letters == 2) bad();
        column = column * 26 + static_cast<uint32_t>(c - 'A' + 1);
    }
    if (letters == 0 || column > kMaxColumns) bad();
    if (i < text.size() && text[i] == '$') ++i;
    uint32_t row = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        char c = text[i];
        if (c < '0' || c > '9' || digits == 5) bad();
        row = row * 10 + static_cast<uint32_t>(c - '0');
    }
    if (digits == 0 || row == 0) bad();
    // The one limit a large catalog meets: say which, and what holds more.
    if (row > kMaxRows)
        throwInvalidArgument(
            "行 " + std::to_string(row) +
            " は .xls のワークシートの最終行 65536 を超えています。.xlsx で出力してください");
    return {static_cast<uint16_t>(row - 1), static_cast<uint16_t>(column - 1)};
}

std::string formatCellAddress(CellAddress cell) {
    std::string letters;
    for (uint32_t n = cell.column + 1u; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters + std::to_string(cell.row + 1u);
}

}  // namespace speclore::xls
