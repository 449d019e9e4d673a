#include "platform/key_label.h"

#include <utf8proc.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace corvane::platform {
namespace {

struct NamedKey {
    std::uint16_t virtualKey;
    std::string_view name;
};

constexpr NamedKey namedKeys[] = {
    {49, "Space"},   {36, "\u21A9"},  {48, "\u21E5"},  {51, "\u232B"},  {53, "Esc"},
    {76, "\u2324"},  {117, "\u2326"}, {123, "\u2190"}, {124, "\u2192"}, {125, "\u2193"},
    {126, "\u2191"}, {115, "Home"},   {119, "End"},    {116, "PgUp"},   {121, "PgDn"},
    {122, "F1"},     {120, "F2"},     {99, "F3"},      {118, "F4"},     {96, "F5"},
    {97, "F6"},      {98, "F7"},      {100, "F8"},     {101, "F9"},     {109, "F10"},
    {103, "F11"},    {111, "F12"},    {105, "F13"},    {107, "F14"},    {113, "F15"},
};

// Invalid bytes are dropped: a label is shown to the user and stored as JSON
// text, so it must be valid UTF-8.
std::vector<utf8proc_int32_t> decode(std::string_view text) {
    std::vector<utf8proc_int32_t> codePoints;
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    auto remaining = static_cast<utf8proc_ssize_t>(text.size());
    while (remaining > 0) {
        utf8proc_int32_t codePoint = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(bytes, remaining, &codePoint);
        if (length <= 0) {
            ++bytes;
            --remaining;
            continue;
        }
        codePoints.push_back(codePoint);
        bytes += length;
        remaining -= length;
    }
    return codePoints;
}

// White space, line breaks and control or format characters, as trimmed
// from both ends of a typed key.
bool isTrimmed(utf8proc_int32_t codePoint) {
    switch (utf8proc_category(codePoint)) {
        case UTF8PROC_CATEGORY_ZS:
        case UTF8PROC_CATEGORY_ZL:
        case UTF8PROC_CATEGORY_ZP:
        case UTF8PROC_CATEGORY_CC:
        case UTF8PROC_CATEGORY_CF:
            return true;
        default:
            return false;
    }
}

void appendUtf8(std::string& out, utf8proc_int32_t codePoint) {
    utf8proc_uint8_t buffer[4];
    const utf8proc_ssize_t length = utf8proc_encode_char(codePoint, buffer);
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

// Upper-cases and keeps the first `limit` grapheme clusters.
std::string upperCasedPrefix(const std::vector<utf8proc_int32_t>& codePoints, std::size_t limit) {
    std::string out;
    std::size_t clusters = 0;
    utf8proc_int32_t breakState = 0;
    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const bool startsCluster = i == 0 || utf8proc_grapheme_break_stateful(
                                                 codePoints[i - 1], codePoints[i], &breakState);
        if (startsCluster && ++clusters > limit) break;
        appendUtf8(out, utf8proc_toupper(codePoints[i]));
    }
    return out;
}

}  // namespace

std::optional<std::string_view> namedKeyLabel(std::uint16_t virtualKey) {
    const auto* found = std::find_if(std::begin(namedKeys), std::end(namedKeys),
                                     [&](const NamedKey& k) { return k.virtualKey == virtualKey; });
    if (found == std::end(namedKeys)) return std::nullopt;
    return found->name;
}

std::string recordedKeyLabel(std::uint16_t virtualKey, std::string_view layoutCharacters) {
    if (const auto name = namedKeyLabel(virtualKey)) return std::string(*name);

    std::vector<utf8proc_int32_t> codePoints = decode(layoutCharacters);
    const auto first = std::find_if_not(codePoints.begin(), codePoints.end(), isTrimmed);
    const auto last = std::find_if_not(codePoints.rbegin(), codePoints.rend(), isTrimmed).base();
    if (first < last) {
        const std::vector<utf8proc_int32_t> trimmed(first, last);
        return upperCasedPrefix(trimmed, maxKeyLabelLength);
    }
    return "Key " + std::to_string(virtualKey);
}

}  // namespace corvane::platform
