// Any bytes as a window property another X client wrote. The first byte picks
// the property, the rest are its value (32-bit words in the machine's order,
// as xcb hands them over). Whatever the value, what Corvane takes from it must
// be something it can use: sizes a screen holds, icons as large as they say,
// texts in valid UTF-8, a work area inside its monitor.
#include <utf8proc.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/x11/x11_frame_extents.h"
#include "platform/x11/x11_net_wm_icon.h"
#include "platform/x11/x11_size_hints.h"
#include "platform/x11/x11_strut.h"
#include "platform/x11/x11_window_text.h"
#include "platform/x11/x11_xsettings.h"

using namespace corvane;
using namespace corvane::platform;

namespace {

void require(bool holds) {
    if (!holds) std::abort();
}

std::vector<std::uint32_t> wordsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint32_t> words(size / 4);
    if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);
    return words;
}

// A value the caller passes with the property (a size asked for, a screen),
// taken from the last word so the property itself is unchanged.
std::uint32_t lastWord(const std::vector<std::uint32_t>& words) {
    return words.empty() ? 0 : words.back();
}

bool isValidUtf8(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        utf8proc_int32_t codePoint = 0;
        const utf8proc_ssize_t length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                             utf8proc_ssize_t(text.size() - at), &codePoint);
        if (length <= 0 || codePoint == 0) return false;
        at += std::size_t(length);
    }
    return true;
}

void checkSide(int side) {
    require(side >= 0 && side <= largestWindowSide);
}

void normalHints(const std::vector<std::uint32_t>& words) {
    const auto hints = parseNormalHints(words);
    if (!hints) return;
    for (int side : {hints->minWidth, hints->minHeight, hints->maxWidth, hints->maxHeight,
                     hints->baseWidth, hints->baseHeight, hints->widthStep, hints->heightStep})
        checkSide(side);
    require(hints->gravity >= 1 && hints->gravity <= 10);
    require(hints->maxWidth == 0 || hints->maxWidth >= hints->minWidth);
    require(hints->maxHeight == 0 || hints->maxHeight >= hints->minHeight);
    const auto asked = static_cast<std::int32_t>(lastWord(words));
    const auto given = static_cast<std::int32_t>(words[0]);
    require(sizeAllowed(asked, asked, hints, true));
    sizeAllowed(asked, given, hints, true);
    sizeAllowed(given, asked, hints, false);
}

void icon(const std::vector<std::uint32_t>& words) {
    const int preferred = static_cast<int>(lastWord(words) & 0xfff);
    const auto image = pickNetWmIcon(words, preferred);
    if (!image) return;
    require(image->width >= 1 && image->height >= 1);
    require(image->width <= int(netWmIconMaxSide) && image->height <= int(netWmIconMaxSide));
    require(image->argb.size() == std::size_t(image->width) * std::size_t(image->height));
}

void frameExtents(const std::vector<std::uint32_t>& words) {
    const FrameExtents extents = parseFrameExtents(words);
    for (double side : {extents.left, extents.right, extents.top, extents.bottom})
        require(side >= 0 && side <= largestExtent);
    const int width = static_cast<int>(lastWord(words) & 0xffff);
    const int height = static_cast<int>(lastWord(words) >> 16);
    const FrameExtents shadow = shadowWithin(extents, width, height);
    require(shadow == FrameExtents{} ||
            (shadow.left + shadow.right < width && shadow.top + shadow.bottom < height));
}

void struts(const std::vector<std::uint32_t>& words) {
    const std::uint32_t screen = lastWord(words);
    const double rootWidth = screen & 0xffff, rootHeight = screen >> 16;
    const Rect monitor{0, 0, rootWidth, rootHeight};
    std::vector<Strut> found;
    if (auto partial = Strut::fromPartial(words)) found.push_back(*partial);
    if (auto full = Strut::fromFull(words, rootWidth, rootHeight)) found.push_back(*full);
    const Rect area = visibleFrame(monitor, rootWidth, rootHeight, found);
    require(area.minX() >= monitor.minX() && area.maxX() <= monitor.maxX());
    require(area.minY() >= monitor.minY() && area.maxY() <= monitor.maxY());
}

void texts(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    require(isValidUtf8(windowTitle(bytes, std::nullopt)));
    require(isValidUtf8(windowTitle(std::nullopt, TextProperty{bytes, true})));
    require(isValidUtf8(windowTitle(std::nullopt, TextProperty{bytes, false})));
    require(isValidUtf8(wmClassName(bytes)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t which = data[0];
    ++data, --size;
    const std::vector<std::uint32_t> words = wordsOf(data, size);
    switch (which % 6) {
        case 0:
            return normalHints(words), 0;
        case 1:
            return icon(words), 0;
        case 2:
            return frameExtents(words), 0;
        case 3:
            return struts(words), 0;
        case 4:
            return texts(data, size), 0;
        default:
            xsettingsInteger(std::vector<std::uint8_t>(data, data + size), "Gtk/EnableAnimations");
            return 0;
    }
}
