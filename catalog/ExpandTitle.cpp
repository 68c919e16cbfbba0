#include <cstdio>
#include <string_view>

#include "app/PathText.h"
#include "catalog/CatalogRun.h"

namespace speclore::catalog {

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool matchesAt(const std::string& text, std::size_t pos, std::string_view pattern) {
    if (text.size() - pos < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (asciiLower(text[pos + i]) != asciiLower(pattern[i])) return false;
    }
    return true;
}

// Replaces every occurrence, left to right, letter case ignored; the text
// put in is not searched again.
std::string replaceAll(const std::string& text, std::string_view pattern, const std::string& replacement) {
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (matchesAt(text, pos, pattern)) {
            result += replacement;
            pos += pattern.size();
        } else {
            result += text[pos++];
        }
    }
    return result;
}

std::string twoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

}  // namespace

std::string ExpandTitle(const std::string& title, const std::string& databasePath,
                        const CalendarDate& today) {
    std::string name = GetFileName(databasePath);
    std::string result = replaceAll(title, "<FileName>", name);

    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    result = replaceAll(result, "<FileTitle>", name);

    char year[16];
    std::snprintf(year, sizeof year, "%04d", today.year);
    result = replaceAll(result, "<YYYY>", year);
    result = replaceAll(result, "<YY>", twoDigits(today.year % 100));
    result = replaceAll(result, "<MM>", twoDigits(today.month));
    result = replaceAll(result, "<M>", std::to_string(today.month));
    result = replaceAll(result, "<DD>", twoDigits(today.day));
    result = replaceAll(result, "<D>", std::to_string(today.day));
    return result;
}

}  // namespace speclore::catalog
