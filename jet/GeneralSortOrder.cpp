#include "jet/GeneralSortOrder.h"

#include <array>
#include <cstdint>

#include "jet/TextCase.h"

namespace speclore::jet {

namespace {

// Classes of the first level, in their order; the weight within a class
// sits in the low 24 bits.
enum Class : uint32_t { Symbol = 1, Digit, Latin, OtherAlphabet, Kana, Other };

constexpr uint32_t weigh(Class c, char32_t weight) { return uint32_t{c} << 24 | weight; }

// What one character (or a kana with its separate voicing mark) weighs at
// each level.
struct Element {
    uint32_t letter = 0;
    uint8_t voicing = 0;  // 0 plain, 1 voiced, 2 semi-voiced
    uint8_t size = 1;     // 0 small kana
    uint8_t upper = 0;
    uint8_t wide = 0;
    uint8_t katakana = 0;
};

constexpr int kLevels = 6;

uint32_t levelOf(const Element& e, int level) {
    switch (level) {
    case 0: return e.letter;
    case 1: return e.voicing;
    case 2: return e.size;
    case 3: return e.upper;
    case 4: return e.wide;
    default: return e.katakana;
    }
}

// Half-width katakana U+FF66 to U+FF9D as their full-width forms.
constexpr std::array<char16_t, 0x38> kHalfWidthKana{
    u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ',
    u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ',
    u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ',
    u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン',
};

bool isKatakana(char32_t c) { return c >= U'ァ' && c <= U'ヾ' && c != U'・'; }

// Splits a katakana letter into the plain full-size letter it is a form of,
// its voicing and its size.
void decomposeKatakana(char32_t c, Element& e) {
    char32_t base = c;
    if (c == U'ー' || c == U'ヽ' || c == U'ヾ') {
        // The marks that lengthen or repeat a sound weigh less than any kana.
        e.voicing = c == U'ヾ' ? 1 : 0;
        e.letter = weigh(Kana, 0);
        return;
    }
    if (c == U'ヴ') {
        base = U'ウ', e.voicing = 1;
    } else if (c >= U'ヷ' && c <= U'ヺ') {
        base = c - (U'ヷ' - U'ワ'), e.voicing = 1;
    } else if (c == U'ヵ') {
        base = U'カ', e.size = 0;
    } else if (c == U'ヶ') {
        base = U'ケ', e.size = 0;
    } else if (c <= U'ォ' || c == U'ッ' || (c >= U'ャ' && c <= U'ョ') || c == U'ヮ') {
        // Small forms sit one before their full-size letter, at odd or even
        // code points as the row has it.
        const bool small =
            c <= U'ォ' ? (c - U'ァ') % 2 == 0 : c == U'ッ' || c == U'ヮ' || (c - U'ャ') % 2 == 0;
        if (small) base = c + 1, e.size = 0;
    } else if (c >= U'ガ' && c <= U'ド') {
        // カ to ト alternate with their voiced forms, except around small ッ.
        const char32_t first = c < U'ッ' ? U'カ' : U'ツ';
        if ((c - first) % 2 == 1) base = c - 1, e.voicing = 1;
    } else if (c >= U'ハ' && c <= U'ポ') {
        const auto step = static_cast<uint8_t>((c - U'ハ') % 3);
        base = c - step, e.voicing = step;
    }
    e.letter = weigh(Kana, base);
}

bool isVoicingMark(char32_t c) { return c == U'ﾞ' || c == U'ﾟ' || c == 0x3099 || c == 0x309A; }

uint8_t voicingOf(char32_t mark) { return mark == U'ﾞ' || mark == 0x3099 ? 1 : 2; }

// Reads the element at `i`, advancing past it.
Element nextElement(std::string_view s, size_t& i) {
    char32_t c = nextCodePoint(s, i);
    Element e;
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;
        e.wide = 1;
    } else if (c == 0x3000) {
        c = U' ';
        e.wide = 1;
    } else if (c >= 0xFF66 && c <= 0xFF9D) {
        c = kHalfWidthKana[c - 0xFF66];
        e.katakana = 1;
    } else if (c >= U'ぁ' && c <= U'ゖ') {
        c += U'ァ' - U'ぁ';
        e.wide = 1;
    } else if (c == U'ゝ' || c == U'ゞ') {
        c += U'ヽ' - U'ゝ';
        e.wide = 1;
    } else if (isKatakana(c)) {
        e.wide = 1;
        e.katakana = 1;
    }
    if (isKatakana(c)) {
        decomposeKatakana(c, e);
        size_t after = i;
        if (e.letter != weigh(Kana, 0) && e.voicing == 0 && i < s.size()) {
            char32_t mark = nextCodePoint(s, after);
            if (isVoicingMark(mark)) {
                e.voicing = voicingOf(mark);
                i = after;
            }
        }
        return e;
    }
    const char32_t folded = foldCase(c);
    e.upper = folded != c ? 1 : 0;
    if (folded >= U'0' && folded <= U'9') {
        e.letter = weigh(Digit, folded - U'0');
    } else if ((folded >= U'a' && folded <= U'z') || (folded >= 0xDF && folded <= 0xFF && folded != 0xF7)) {
        e.letter = weigh(Latin, folded);
    } else if (folded >= 0x370 && folded <= 0x52F) {
        e.letter = weigh(OtherAlphabet, folded);
    } else if (folded < 0xC0 || folded == 0xD7 || folded == 0xF7 || (folded >= 0x2000 && folded <= 0x206F) ||
               (folded >= 0x3001 && folded <= 0x303F) || folded == U'・') {
        e.letter = weigh(Symbol, folded);
    } else {
        e.letter = weigh(Other, folded);
    }
    return e;
}

// Compares one level over the whole of both texts; the first level also
// decides by length when one text is the start of the other.
int compareLevel(std::string_view a, std::string_view b, int level) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = levelOf(nextElement(a, i), level);
        const uint32_t y = levelOf(nextElement(b, j), level);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

int compareGeneral(std::string_view a, std::string_view b) {
    for (int level = 0; level < kLevels; ++level) {
        if (int c = compareLevel(a, b, level)) return c;
    }
    return 0;
}

}  // namespace speclore::jet
