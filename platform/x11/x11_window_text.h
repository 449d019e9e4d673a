#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

// Texts other clients put on their windows, made into valid UTF-8 whatever the
// bytes: a title is shown and written out by Corvane, so nothing a client sets
// may reach a label or a script's output as broken text.

// A text property as read: its bytes, and whether its type is STRING (Latin-1)
// rather than UTF8_STRING or whatever else the client chose.
struct TextProperty {
    std::string bytes;
    bool latin1 = false;
};

// UTF-8 text up to its first NUL (C clients often store the terminator);
// each byte that does not belong to a valid UTF-8 sequence becomes U+FFFD.
std::string utf8FromProperty(std::string_view bytes);

// Latin-1 bytes up to the first NUL, as UTF-8.
std::string utf8FromLatin1(std::string_view bytes);

// A window's title: _NET_WM_NAME when the window has it, else WM_NAME.
std::string windowTitle(const std::optional<std::string>& netWmName,
                        const std::optional<TextProperty>& wmName);

// The application part of WM_CLASS, which holds "instance\0class\0" in
// Latin-1; empty when there is no class part.
std::string wmClassName(std::string_view wmClass);

}  // namespace corvane::platform
