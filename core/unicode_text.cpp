#include "core/unicode_text.h"

#include <utf8proc.h>

#include <algorithm>

namespace corvane::UnicodeText {

namespace {

// One step through UTF-8 text: the code point at `offset` and its length in
// bytes. An invalid sequence yields -1 and a length of one byte, so callers
// always move forward.
struct Step {
    utf8proc_int32_t codePoint;
    std::size_t length;
};

Step stepAt(std::string_view text, std::size_t offset) {
    const auto first = static_cast<unsigned char>(text[offset]);
    if (first < 0x80) return Step{first, 1};
    utf8proc_int32_t codePoint = -1;
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data() + offset);
    const utf8proc_ssize_t read =
        utf8proc_iterate(bytes, static_cast<utf8proc_ssize_t>(text.size() - offset), &codePoint);
    if (read <= 0) return Step{-1, 1};
    return Step{codePoint, static_cast<std::size_t>(read)};
}

bool isTrimmable(utf8proc_int32_t codePoint) {
    return codePoint >= 0 && isWhitespaceOrLineBreak(static_cast<char32_t>(codePoint));
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Counts grapheme clusters, giving up once there are more than `stopAbove`.
// Names are mostly plain ASCII, where every character stands alone except a
// CR LF pair; counting those needs none of the Unicode tables, which then
// never take memory.
std::size_t countCharacters(std::string_view text, std::size_t stopAbove) {
    if (isAscii(text)) {
        std::size_t pairs = 0;
        for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
             at = text.find("\r\n", at + 2))
            ++pairs;
        return text.size() - pairs;
    }
    std::size_t count = 0;
    utf8proc_int32_t previous = -1;
    utf8proc_int32_t state = 0;
    for (std::size_t offset = 0; offset < text.size() && count <= stopAbove;) {
        const Step step = stepAt(text, offset);
        // The stateful break test handles emoji sequences and regional-indicator flags.
        const bool breaks = previous < 0 || step.codePoint < 0 ||
                            utf8proc_grapheme_break_stateful(previous, step.codePoint, &state);
        if (breaks) ++count;
        if (step.codePoint < 0) state = 0;
        previous = step.codePoint;
        offset += step.length;
    }
    return count;
}

}  // namespace

std::size_t characterCount(std::string_view text) {
    return countCharacters(text, text.size());
}

bool hasAtMostCharacters(std::string_view text, std::size_t limit) {
    // Every character takes at least one byte.
    return text.size() <= limit || countCharacters(text, limit) <= limit;
}

bool isWhitespaceOrLineBreak(char32_t codePoint) {
    const bool lineBreak = (codePoint >= 0x0A && codePoint <= 0x0D) || codePoint == 0x85 ||
                           codePoint == 0x2028 || codePoint == 0x2029;
    if (codePoint == 0x09 || lineBreak) return true;
    if (codePoint < 0x80) return codePoint == 0x20;  // the only ASCII space separator
    if (codePoint > 0x10FFFF) return false;
    return utf8proc_category(static_cast<utf8proc_int32_t>(codePoint)) == UTF8PROC_CATEGORY_ZS;
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const Step step = stepAt(text, begin);
        if (!isTrimmable(step.codePoint)) break;
        begin += step.length;
    }
    std::size_t end = begin;
    for (std::size_t offset = begin; offset < text.size();) {
        const Step step = stepAt(text, offset);
        offset += step.length;
        if (!isTrimmable(step.codePoint)) end = offset;
    }
    return std::string(text.substr(begin, end - begin));
}

bool isBlank(std::string_view text) {
    for (std::size_t offset = 0; offset < text.size();) {
        const Step step = stepAt(text, offset);
        if (!isTrimmable(step.codePoint)) return false;
        offset += step.length;
    }
    return true;
}

}  // namespace corvane::UnicodeText
