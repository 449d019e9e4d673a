#include "platform/x11/x11_window_text.h"

#include <utf8proc.h>

namespace corvane::platform {

namespace {

std::string_view beforeNul(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

}  // namespace

std::string utf8FromProperty(std::string_view bytes) {
    const std::string_view text = beforeNul(bytes);
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        utf8proc_int32_t codePoint = 0;
        const auto* start = reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at);
        const utf8proc_ssize_t length =
            utf8proc_iterate(start, utf8proc_ssize_t(text.size() - at), &codePoint);
        if (length <= 0) {
            out += replacementCharacter;
            ++at;
            continue;
        }
        out.append(text.substr(at, std::size_t(length)));
        at += std::size_t(length);
    }
    return out;
}

std::string utf8FromLatin1(std::string_view bytes) {
    std::string out;
    for (const unsigned char c : beforeNul(bytes)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

std::string windowTitle(const std::optional<std::string>& netWmName,
                        const std::optional<TextProperty>& wmName) {
    if (netWmName) return utf8FromProperty(*netWmName);
    if (!wmName) return {};
    return wmName->latin1 ? utf8FromLatin1(wmName->bytes) : utf8FromProperty(wmName->bytes);
}

std::string wmClassName(std::string_view wmClass) {
    const auto split = wmClass.find('\0');
    if (split == std::string_view::npos) return {};
    return utf8FromLatin1(wmClass.substr(split + 1));
}

}  // namespace corvane::platform
