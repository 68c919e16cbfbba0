#include "workbook/A1Notation.h"

namespace speclore::workbook {

std::optional<A1Parts> splitA1(std::string_view text, size_t maxLetters, size_t maxDigits) {
    size_t i = 0;
    if (i < text.size() && text[i] == '$') ++i;
    uint32_t column = 0;
    size_t letters = 0;
    for (; i < text.size(); ++i, ++letters) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        if (letters == maxLetters) return std::nullopt;
        column = column * 26 + static_cast<uint32_t>(c - 'A' + 1);
    }
    if (letters == 0) return std::nullopt;
    if (i < text.size() && text[i] == '$') ++i;
    uint32_t row = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        char c = text[i];
        if (c < '0' || c > '9' || digits == maxDigits) return std::nullopt;
        row = row * 10 + static_cast<uint32_t>(c - '0');
    }
    if (digits == 0 || row == 0) return std::nullopt;
    return A1Parts{row, column};
}

void appendColumnLetters(std::string& out, uint32_t column) {
    char letters[7];
    int count = 0;
    for (uint32_t n = column + 1; n > 0; n = (n - 1) / 26)
        letters[count++] = static_cast<char>('A' + (n - 1) % 26);
    while (count > 0) out.push_back(letters[--count]);
}

std::string formatA1(uint32_t row, uint32_t column) {
    std::string text;
    appendColumnLetters(text, column);
    return text + std::to_string(row + 1);
}

}  // namespace speclore::workbook
