// Layout names are limited in user-perceived characters and trimmed of white
// space; plain ASCII names take a shortcut that must agree with Unicode's rules.
#include "core/unicode_text.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace UnicodeText;

TEST(UnicodeText, CountsWhatAReaderSeesAsOneCharacter) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0},
        {"Left half", 9},
        {"a\r\nb", 3},  // CR LF is one line break
        {"\r\r\n\n\r", 4},
        {"\t\x01 x", 4},                // controls stand alone
        {"Re\xcc\x81sume\xcc\x81", 6},  // e + combining acute, twice
        {"\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7", 1},  // family
        {"\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa\xf0\x9f\x87\xab\xf0\x9f\x87\xb7", 2},  // two flags
        {"a\xff"
         "b",
         3},  // a byte that is not UTF-8 counts as one
    };
    for (const auto& [text, count] : cases) EXPECT_EQ(characterCount(text), count) << text;
    EXPECT_TRUE(hasAtMostCharacters("a\r\nb", 3));
    EXPECT_FALSE(hasAtMostCharacters("abcd", 3));
    EXPECT_TRUE(
        hasAtMostCharacters("e\xcc\x81"
                            "e\xcc\x81"
                            "e\xcc\x81",
                            3));
}

TEST(UnicodeText, TrimsAsciiAndUnicodeSpacesButNothingElse) {
    EXPECT_EQ(trimmed(" \t Left half\r\n"), "Left half");
    // No-break space, ideographic space, line separator around the name.
    EXPECT_EQ(trimmed("\xc2\xa0\xe3\x80\x80Top\xe2\x80\xa8"), "Top");
    EXPECT_EQ(trimmed("x\x01"), "x\x01");  // a control character is not white space
    EXPECT_EQ(trimmed("_Top_"), "_Top_");
    EXPECT_TRUE(isBlank(" \t\xc2\xa0\n"));
    EXPECT_FALSE(isBlank(" . "));
    EXPECT_FALSE(isWhitespaceOrLineBreak(U'\x1f'));
    EXPECT_TRUE(isWhitespaceOrLineBreak(U'\x20'));
    EXPECT_TRUE(isWhitespaceOrLineBreak(U'\x85'));
}

}  // namespace
}  // namespace corvane
