#include "xlsx/CellText.h"

#include <cstdint>
#include <optional>

#include "workbook/Utf8.h"

namespace speclore::xlsx {

namespace {

void appendEscape(std::string& out, char32_t cp) {
    static const char hex[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(hex[(cp >> shift) & 0xF]);
    out.push_back('_');
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// "_xHHHH_" at `i`, which a reader would take for an escaped character.
bool looksLikeEscape(std::string_view s, size_t i) {
    if (s.size() - i < 7 || s[i + 1] != 'x' || s[i + 6] != '_') return false;
    for (size_t k = i + 2; k < i + 6; ++k)
        if (!isHex(s[k])) return false;
    return true;
}

// The UTF-16 length of text that needs no escaping at all, or nothing.
std::optional<size_t> plainLength(std::string_view text) {
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == '&' || byte == '<' || byte == '>' ||
                (byte == '_' && looksLikeEscape(text, i)))
                return std::nullopt;
            ++i;
            ++units;
            continue;
        }
        // Three bytes, most Japanese text: a well-formed sequence that is
        // no surrogate and none of U+FFFD to U+FFFF.
        if (byte >= 0xE1 && byte != 0xED && byte < 0xEF && text.size() - i >= 3 &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80 &&
            (static_cast<unsigned char>(text[i + 2]) & 0xC0) == 0x80) {
            i += 3;
            ++units;
            continue;
        }
        const char32_t cp = workbook::nextCodePoint(text, i);
        if (cp >= 0xFFFD && cp <= 0xFFFF) return std::nullopt;  // malformed, or not allowed in XML
        units += cp >= 0x10000 ? 2 : 1;
    }
    return units;
}

}  // namespace

size_t appendCellText(std::string& out, std::string_view text) {
    // Most text goes through as it is.
    if (std::optional<size_t> units = plainLength(text)) {
        out += text;
        return *units;
    }
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        size_t at = i;
        char32_t cp = workbook::nextCodePoint(text, i);
        units += cp >= 0x10000 ? 2 : 1;
        switch (cp) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '_':
            if (looksLikeEscape(text, at)) {
                appendEscape(out, '_');
                continue;
            }
            break;
        default: break;
        }
        if ((cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0xFFFE || cp == 0xFFFF)
            appendEscape(out, cp);
        else
            workbook::appendCodePoint(out, cp);
    }
    return units;
}

}  // namespace speclore::xlsx
