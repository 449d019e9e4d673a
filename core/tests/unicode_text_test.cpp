#include "core/unicode_text.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using UnicodeText::characterCount;

TEST(UnicodeText, CountsGraphemeClustersNotBytesOrCodePoints) {
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("Left half"), 9u);
    EXPECT_EQ(characterCount("caf\u00E9"), 4u);
    EXPECT_EQ(characterCount("cafe\u0301"), 4u);
    EXPECT_EQ(characterCount("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466"), 1u);
    EXPECT_EQ(characterCount("\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA"), 2u);  // two flags
    EXPECT_EQ(characterCount("\U0001F44D\U0001F3FD"), 1u);  // thumbs up with skin tone
    EXPECT_EQ(characterCount("\r\n"), 1u);
}

TEST(UnicodeText, LimitChecksAgreeWithCounting) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    EXPECT_TRUE(UnicodeText::hasAtMostCharacters(family + family, 2));
    EXPECT_FALSE(UnicodeText::hasAtMostCharacters(family + family, 1));
    EXPECT_TRUE(UnicodeText::hasAtMostCharacters("", 0));
    EXPECT_FALSE(UnicodeText::hasAtMostCharacters("a", 0));
    EXPECT_TRUE(UnicodeText::hasAtMostCharacters(std::string(80, 'x'), 80));
    EXPECT_FALSE(UnicodeText::hasAtMostCharacters(std::string(100000, 'x'), 80));
    EXPECT_TRUE(UnicodeText::hasAtMostCharacters("e\u0301e\u0301", 2));
}

TEST(UnicodeText, CountsEachInvalidByteAsOneCharacter) {
    EXPECT_EQ(characterCount("a\xFF\xFE"
                             "b"),
              4u);
    EXPECT_EQ(characterCount("\xE2\x86"), 2u);  // a truncated arrow
}

TEST(UnicodeText, TrimsUnicodeWhiteSpaceAndLineBreaksAtBothEnds) {
    EXPECT_EQ(UnicodeText::trimmed("  Left half \n"), "Left half");
    EXPECT_EQ(UnicodeText::trimmed("\u00A0\u3000\tWide\u2029\u0085"), "Wide");
    EXPECT_EQ(UnicodeText::trimmed("inner  space"), "inner  space");
    EXPECT_EQ(UnicodeText::trimmed(" \r\n\v\f "), "");
    // Zero-width space is a format character, not white space.
    EXPECT_EQ(UnicodeText::trimmed("\u200B"), "\u200B");
}

TEST(UnicodeText, BlankMeansNothingLeftAfterTrimming) {
    EXPECT_TRUE(UnicodeText::isBlank(""));
    EXPECT_TRUE(UnicodeText::isBlank("   "));
    EXPECT_TRUE(UnicodeText::isBlank("\u2003\u2028"));
    EXPECT_FALSE(UnicodeText::isBlank(" x "));
    EXPECT_FALSE(UnicodeText::isBlank("\xFF"));
}

}  // namespace
}  // namespace corvane
