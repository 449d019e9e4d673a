// Titles and class names other clients set arrive as valid UTF-8 whatever
// bytes they hold.
#include "platform/x11/x11_window_text.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(WindowText, TheTitleComesFromNetWmNameElseWmName) {
    EXPECT_EQ(windowTitle("Über — Editor", TextProperty{"ignored", true}), "Über — Editor");
    EXPECT_EQ(windowTitle(std::nullopt, TextProperty{"caf\xe9", true}), "café");
    EXPECT_EQ(windowTitle(std::nullopt, TextProperty{"caf\xc3\xa9", false}), "café");
    EXPECT_EQ(windowTitle(std::nullopt, std::nullopt), "");
}

TEST(WindowText, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    // A lone continuation byte, a truncated sequence, an encoded surrogate.
    EXPECT_EQ(utf8FromProperty("a\x80z"), "a\uFFFDz");
    EXPECT_EQ(utf8FromProperty("ab\xc3"), "ab\uFFFD");
    EXPECT_EQ(utf8FromProperty("\xed\xa0\x80!"), "\uFFFD\uFFFD\uFFFD!");
    EXPECT_EQ(utf8FromProperty("\xf0\x9f\x98\x80"), "\U0001F600");
}

TEST(WindowText, TextsEndAtTheirFirstNul) {
    EXPECT_EQ(windowTitle(std::string("Terminal\0junk", 13), std::nullopt), "Terminal");
    EXPECT_EQ(utf8FromLatin1(std::string("x\0y", 3)), "x");
}

TEST(WindowText, TheClassIsTheSecondPartOfWmClass) {
    EXPECT_EQ(wmClassName(std::string("xterm\0XTerm\0", 12)), "XTerm");
    EXPECT_EQ(wmClassName(std::string("gimp\0Gimp-2.10", 14)), "Gimp-2.10");
    EXPECT_EQ(wmClassName(std::string("f\0F\xfcr\0", 7)), "Für");
    EXPECT_EQ(wmClassName("no separator"), "");
}

}  // namespace
}  // namespace corvane::platform
