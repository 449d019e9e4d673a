#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::UnicodeText {

// The number of user-perceived characters (extended grapheme clusters) in UTF-8
// text: "é" written as e + combining accent is one, a family emoji joined by
// zero-width joiners is one. A byte that is not valid UTF-8 counts as one.
std::size_t characterCount(std::string_view text);

// Whether `text` has at most `limit` user-perceived characters. Stops counting
// as soon as the answer is known, so a huge text costs no more than the limit.
bool hasAtMostCharacters(std::string_view text, std::size_t limit);

// True for white space (general category Zs and tab) and line breaks
// (U+000A to U+000D, U+0085, U+2028, U+2029).
bool isWhitespaceOrLineBreak(char32_t codePoint);

// The text without leading and trailing white space and line breaks.
std::string trimmed(std::string_view text);

// True when nothing but white space and line breaks remains after trimming.
bool isBlank(std::string_view text);

}  // namespace corvane::UnicodeText
