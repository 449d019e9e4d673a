#include "platform/x11/x11_pointer_watch.h"

#include <sys/uio.h>
#include <xcb/xcbext.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace corvane::platform {

namespace {

// The few XInput 2 requests this needs, written out from the protocol. The
// xcb binding of the extension is left out on purpose: Qt ships its own copy
// of it for the same reason (its interface changed between releases), and
// four requests do not justify another library to install.
xcb_extension_t xinputExtension = {"XInputExtension", 0};

constexpr std::uint8_t selectEventsRequest = 46;
constexpr std::uint8_t queryVersionRequest = 47;
constexpr std::uint8_t getSelectedEventsRequest = 60;
constexpr std::uint16_t rawButtonPress = 15;
constexpr std::uint16_t allMasterDevices = 1;
constexpr std::uint8_t badValue = 2;
// Buttons 4 to 7 are the wheel's steps.
constexpr std::uint32_t firstWheelButton = 4, lastWheelButton = 7;

struct Free {
    void operator()(void* p) const { std::free(p); }
};
using Owned = std::unique_ptr<std::uint8_t, Free>;

std::uint16_t read16(const std::uint8_t* at) {
    std::uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
std::uint32_t read32(const std::uint8_t* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
void append16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}
void append32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}

// A request's bytes start with four that xcb fills in (opcodes and length).
std::vector<std::uint8_t> requestHeader() {
    return std::vector<std::uint8_t>(4, 0);
}

// Sends a request of the extension; the sequence number to wait on.
unsigned int send(xcb_connection_t* c, std::uint8_t opcode, std::vector<std::uint8_t>& bytes,
                  bool hasReply) {
    bytes.resize((bytes.size() + 3) / 4 * 4, 0);
    xcb_protocol_request_t request{};
    request.count = 1;
    request.ext = &xinputExtension;
    request.opcode = opcode;
    request.isvoid = hasReply ? 0 : 1;
    // xcb uses the two entries before the request's own.
    iovec parts[3] = {};
    parts[2].iov_base = bytes.data();
    parts[2].iov_len = bytes.size();
    return xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &request);
}

// The reply to a request, or the X error code it caused (0: the connection failed).
struct Answer {
    Owned reply;
    std::uint8_t error = 0;
};

Answer await(xcb_connection_t* c, unsigned int sequence) {
    xcb_generic_error_t* error = nullptr;
    Answer answer{Owned(static_cast<std::uint8_t*>(xcb_wait_for_reply(c, sequence, &error))), 0};
    if (error) {
        answer.error = error->error_code;
        std::free(error);
    }
    return answer;
}

}  // namespace

X11PointerWatch::X11PointerWatch(xcb_connection_t* connection, int screenNumber)
    : x_(connection, screenNumber) {
    if (!x_.alive()) return;
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(x_.get(), &xinputExtension);
    if (!extension || !extension->present) return;
    // The highest version this knows of: asking a connection for less than a
    // toolkit already agreed on is an error, asking for more is not.
    std::vector<std::uint8_t> bytes = requestHeader();
    append16(bytes, 2);
    append16(bytes, 4);
    const Answer answer = await(x_.get(), send(x_.get(), queryVersionRequest, bytes, true));
    // BadValue: the connection settled on a later version already.
    const bool version2 =
        answer.reply ? read16(answer.reply.get() + 8) >= 2 : answer.error == badValue;
    if (version2) opcode_ = extension->major_opcode;
}

X11PointerWatch::~X11PointerWatch() {
    stop();
}

void X11PointerWatch::start() {
    if (watching_ || !available() || !x_.alive()) return;
    std::vector<std::uint32_t> mask = rootMask();
    if (mask.empty()) mask.resize(1, 0);
    const std::uint32_t bit = 1u << rawButtonPress;
    selectedByOthers_ = (mask[0] & bit) != 0;
    watching_ = true;
    if (selectedByOthers_) return;
    mask[0] |= bit;
    selectOnRoot(mask);
}

void X11PointerWatch::stop() {
    if (!watching_) return;
    watching_ = false;
    if (selectedByOthers_ || !x_.alive()) return;
    std::vector<std::uint32_t> mask = rootMask();
    if (mask.empty()) return;
    mask[0] &= ~(1u << rawButtonPress);
    selectOnRoot(mask);
}

X11PointerWatch::Seen X11PointerWatch::handleEvent(const xcb_generic_event_t* event) const {
    if (!event || !available() || (event->response_type & 0x7f) != XCB_GE_GENERIC) return {};
    const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    if (generic->extension != opcode_ || generic->event_type != rawButtonPress) return {};
    // The pressed button (the raw event's detail) follows type, extension,
    // sequence, length, event type, device and time.
    const std::uint32_t button = read32(reinterpret_cast<const std::uint8_t*>(event) + 16);
    const bool wheel = button >= firstWheelButton && button <= lastWheelButton;
    // Presses keep coming for a moment after stop(); they are still this watch's.
    return {.click = watching_ && !wheel, .consumed = !selectedByOthers_};
}

std::optional<X11PointerWatch::Position> X11PointerWatch::pointer() {
    auto where = x_.reply(xcb_query_pointer(x_.get(), x_.root()));
    if (!where.ok() || !where.value()->same_screen) return std::nullopt;
    return Position{where.value()->root_x, where.value()->root_y};
}

bool X11PointerWatch::isOnAny(Position position, std::span<const WindowId> windows) {
    struct Asked {
        xcb_translate_coordinates_cookie_t offset;
        xcb_get_geometry_cookie_t geometry;
    };
    std::vector<Asked> asked;
    for (WindowId window : windows) {
        asked.push_back(
            {xcb_translate_coordinates(x_.get(), x_.root(), window, std::int16_t(position.x),
                                       std::int16_t(position.y)),
             xcb_get_geometry(x_.get(), window)});
    }
    bool on = false;
    for (const Asked& one : asked) {
        // Every reply is collected, also after a hit: none may be left waiting.
        auto offset = x_.reply(one.offset);
        auto geometry = x_.reply(one.geometry);
        if (!offset.ok() || !geometry.ok() || !offset.value()->same_screen) continue;
        const int x = offset.value()->dst_x, y = offset.value()->dst_y;
        on =
            on || (x >= 0 && y >= 0 && x < geometry.value()->width && y < geometry.value()->height);
    }
    return on;
}

// This client's selection on the root for the master devices, as mask words.
std::vector<std::uint32_t> X11PointerWatch::rootMask() {
    std::vector<std::uint8_t> bytes = requestHeader();
    append32(bytes, x_.root());
    const Answer answer = await(x_.get(), send(x_.get(), getSelectedEventsRequest, bytes, true));
    if (!answer.reply) return {};
    const std::uint8_t* reply = answer.reply.get();
    const std::size_t end = 32 + std::size_t{read32(reply + 4)} * 4;
    const std::uint16_t count = read16(reply + 8);
    std::size_t at = 32;
    for (std::uint16_t i = 0; i < count && at + 4 <= end; ++i) {
        const std::uint16_t device = read16(reply + at), words = read16(reply + at + 2);
        at += 4;
        if (at + std::size_t{words} * 4 > end) break;
        if (device == allMasterDevices) {
            std::vector<std::uint32_t> mask(words);
            for (std::size_t w = 0; w < words; ++w) mask[w] = read32(reply + at + w * 4);
            return mask;
        }
        at += std::size_t{words} * 4;
    }
    return {};
}

void X11PointerWatch::selectOnRoot(const std::vector<std::uint32_t>& mask) {
    std::vector<std::uint8_t> bytes = requestHeader();
    append32(bytes, x_.root());
    append16(bytes, 1);  // one mask
    append16(bytes, 0);
    append16(bytes, allMasterDevices);
    append16(bytes, std::uint16_t(mask.size()));
    for (std::uint32_t word : mask) append32(bytes, word);
    // Checked, so that a failure does not reach the toolkit as a stray error.
    std::free(xcb_request_check(x_.get(), {send(x_.get(), selectEventsRequest, bytes, false)}));
}

}  // namespace corvane::platform
