#include "xlsx/CellReference.h"

#include "xlsx/XlsxError.h"

namespace speclore::xlsx {

std::optional<CellReference> readCellReference(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && text[i] == '$') ++i;
    uint32_t column = 0;
    size_t letters = 0;
    for (; i < text.size(); ++i, ++letters) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        if (letters == 3) return std::nullopt;
        column = column * 26 + static_cast<uint32_t>(c - 'A' + 1);
    }
    if (letters == 0 || column > kMaxColumns) return std::nullopt;
    if (i < text.size() && text[i] == '$') ++i;
    uint32_t row = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        char c = text[i];
        if (c < '0' || c > '9' || digits == 7) return std::nullopt;
        row = row * 10 + static_cast<uint32_t>(c - '0');
    }
    if (digits == 0 || row == 0 || row > kMaxRows) return std::nullopt;
    return CellReference{row - 1, column - 1};
}

CellReference parseCellReference(std::string_view text) {
    std::optional<CellReference> cell = readCellReference(text);
    if (!cell) throwInvalidArgument("セル番地 '" + std::string(text) + "' は不正です");
    return *cell;
}

void appendColumnLetters(std::string& out, uint32_t column) {
    char letters[3];
    int count = 0;
    for (uint32_t n = column + 1; n > 0 && count < 3; n = (n - 1) / 26)
        letters[count++] = static_cast<char>('A' + (n - 1) % 26);
    while (count > 0) out.push_back(letters[--count]);
}

std::string formatCellReference(CellReference cell) {
    std::string text;
    appendColumnLetters(text, cell.column);
    return text + std::to_string(cell.row + 1);
}

}  // namespace speclore::xlsx
