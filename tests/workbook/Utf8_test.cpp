#include <gtest/gtest.h>

#include <string>

#include "workbook/A1Notation.h"
#include "workbook/Utf8.h"

namespace speclore::workbook {
namespace {

TEST(Utf8, MalformedSequencesReadAsReplacementCharacters) {
    EXPECT_EQ(utf8ToUtf16("題名 a"), u"題名 a");
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");  // a surrogate pair
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD");              // an overlong "/"
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80x"), u"\uFFFDx");        // an encoded surrogate
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD");      // beyond U+10FFFF
    EXPECT_EQ(utf8ToUtf16("a\xE3\x81"), u"a\uFFFD");            // cut short at the end
    EXPECT_EQ(utf8ToUtf16("\xFF"
                          "b"),
              u"\uFFFDb");
}

TEST(A1Notation, LettersAndDigitsWithinTheGivenCounts) {
    auto parts = splitA1("$xfd$1048576", 3, 7);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->column, 16384u);
    EXPECT_EQ(parts->row, 1048576u);
    EXPECT_FALSE(splitA1("AAA1", 2, 5));
    EXPECT_FALSE(splitA1("A123456", 2, 5));
    for (const char* text : {"", "A", "1", "A0", "1A", "A1B", "$$A1", "A-1", "A1:B2"})
        EXPECT_FALSE(splitA1(text, 3, 7)) << text;
    EXPECT_EQ(formatA1(0, 0), "A1");
    EXPECT_EQ(formatA1(1048575, 16383), "XFD1048576");
    EXPECT_EQ(formatA1(4, 701), "ZZ5");
}

}  // namespace
}  // namespace speclore::workbook
