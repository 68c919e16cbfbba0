#include "jet/QueryNames.h"

namespace speclore::jet {

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool isBracketed(std::string_view name) {
    return name.size() >= 2 && name.front() == '[' && name.back() == ']';
}

bool needsBrackets(std::string_view name) {
    if (name.find(kIdeographicSpace) != std::string_view::npos) return true;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool word = c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c == '_';
        if (!word) return true;
    }
    return false;
}

}  // namespace

std::string quotedName(std::string_view name) {
    if (isBracketed(name) || !needsBrackets(name)) return std::string(name);
    return "[" + std::string(name) + "]";
}

std::string quotedIdentifier(std::string_view dotted) {
    std::string result;
    size_t start = 0;
    bool inBrackets = false;
    for (size_t i = 0; i <= dotted.size(); ++i) {
        if (i < dotted.size() && dotted[i] == '[') inBrackets = true;
        if (i < dotted.size() && dotted[i] == ']') inBrackets = false;
        if (i == dotted.size() || (dotted[i] == '.' && !inBrackets)) {
            result += quotedName(dotted.substr(start, i - start));
            if (i < dotted.size()) result += '.';
            start = i + 1;
        }
    }
    return result;
}

}  // namespace speclore::jet
