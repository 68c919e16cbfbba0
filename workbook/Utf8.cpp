#include "workbook/Utf8.h"

#include "app/Invariant.h"

namespace speclore::workbook {

char32_t nextCodePoint(std::string_view s, size_t& i) {
    SPECLORE_INVARIANT(i < s.size());
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i++);
    if (lead < 0x80) return lead;
    int extra;
    char32_t cp;
    if ((lead & 0xE0) == 0xC0)
        extra = 1, cp = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2, cp = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        extra = 3, cp = lead & 0x07;
    else
        return kReplacementCharacter;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (byte(i) & 0xC0) != 0x80) return kReplacementCharacter;
        cp = (cp << 6) | (byte(i++) & 0x3F);
    }
    static const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacementCharacter;
    return cp;
}

std::u16string utf8ToUtf16(std::string_view text) {
    // No byte gives more than one code unit: a surrogate pair takes four.
    std::u16string out(text.size(), u'\0');
    size_t n = 0;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out[n++] = byte;
            ++i;
            continue;
        }
        char32_t cp = nextCodePoint(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            out[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[n++] = static_cast<char16_t>(cp);
        }
    }
    out.resize(n);
    return out;
}

}  // namespace speclore::workbook
