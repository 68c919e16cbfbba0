// Our own comparison of text in the spirit of Jet's "General" sort order,
// for text the catalog's name index does not rank. Level by level, each
// deciding only when all earlier ones tie:
//   1. the letter itself, without regard to case, to hiragana or katakana
//      and to half or full width: symbols (with "_" and "~" among them)
//      before digits, digits before Latin letters, those before other
//      alphabets, kana (in syllabary order, the long-vowel mark before any
//      kana) and then ideographs and everything else by code point;
//   2. voicing: a plain kana before its voiced and semi-voiced forms;
//   3. size: a small kana before its full-size form;
//   4. case: lower before upper;
//   5. width: half width before full width;
//   6. hiragana before katakana.
// A shorter text that the longer one begins with comes first.
#pragma once

#include <string_view>

namespace speclore::jet {

// <0, 0 or >0.
int compareGeneral(std::string_view a, std::string_view b);

}  // namespace speclore::jet
