#include "app/PathText.h"

#include <string_view>
#include <vector>

#include "app/Cp932.h"
#include "app/ErrorBox.h"

namespace speclore {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// One character of a UTF-8 text and the positions it takes in code page 932:
// one for ASCII and half-width katakana, two for a double-byte character, one
// for a character without a form there (it would show as "?").
struct Character {
    size_t begin;
    size_t size;
    int width;
};

std::vector<Character> charactersOf(std::string_view text) {
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (i + size > text.size()) size = 1;
        int width = 1;
        if (lead >= 0x80) width = utf8ToCp932(text.substr(i, size)).size() >= 2 ? 2 : 1;
        characters.push_back({i, size, width});
        i += size;
    }
    return characters;
}

// The leading characters of [first, last) that fit in `limit` positions.
std::string leadingWithin(std::string_view text, const std::vector<Character>& characters, size_t first,
                          size_t last, int limit) {
    size_t end = first;
    int used = 0;
    while (end < last && used + characters[end].width <= limit) used += characters[end++].width;
    if (end == first) return {};
    size_t from = characters[first].begin;
    return std::string(text.substr(from, characters[end - 1].begin + characters[end - 1].size - from));
}

std::string dots(int count) { return std::string(static_cast<size_t>(count > 0 ? count : 0), '.'); }

// The shortening: the file name with its separator is kept whole at the end
// where it fits, and the folders are cut from their end with "..." in their
// place; a file name too wide even for that is cut from its end as well.
std::string compactPath(std::string_view path, int width) {
    if (width < 1) return {};
    std::vector<Character> characters = charactersOf(path);
    int total = 0;
    for (const Character& c : characters) total += c.width;
    if (total <= width) return std::string(path);

    size_t separator = characters.size();
    for (size_t i = characters.size(); i-- > 0;) {
        if (characters[i].size == 1 && isSeparator(path[characters[i].begin])) {
            separator = i;
            break;
        }
    }
    if (width <= 3) return dots(width);
    if (separator == characters.size()) {
        return leadingWithin(path, characters, 0, characters.size(), width - 3) + "...";
    }

    int tailWidth = 0;
    for (size_t i = separator; i < characters.size(); ++i) tailWidth += characters[i].width;
    std::string_view tail = path.substr(characters[separator].begin);
    if (tailWidth + 3 <= width) {
        return leadingWithin(path, characters, 0, separator, width - 3 - tailWidth) + "..." +
               std::string(tail);
    }
    std::string shortened = "..." + std::string(1, path[characters[separator].begin]);
    int room = width - 4;
    if (room <= 3) return shortened + dots(room);
    return shortened + leadingWithin(path, characters, separator + 1, characters.size(), room - 3) + "...";
}

}  // namespace

std::string GetFileName(const std::string& path) {
    return trap(ProcTag::common("mMain-GetFileName"), std::string(), [&] {
        size_t separator = path.find_last_of("/\\");
        return separator == std::string::npos ? std::string() : path.substr(separator + 1);
    });
}

std::string CompactPathEx(const std::string& path, int16_t width) {
    return trap(ProcTag::common("mSysFunc-CompactPathEx"), std::string(), [&] {
        // The width plus room for the closing NUL is worked out in the
        // width's own 16-bit type, as the platform call takes it.
        int16_t bufferSize = 0;
        if (__builtin_add_overflow(width, int16_t{1}, &bufferSize)) throw AppError(err::Overflow);
        std::string_view text(path);
        return compactPath(text.substr(0, text.find('\0')), width);
    });
}

}  // namespace speclore
