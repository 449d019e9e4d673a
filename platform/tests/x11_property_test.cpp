// Property replies from other clients are checked before anything is read.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/x11/x11_atoms.h"
#include "platform/x11/x11_connection.h"

namespace corvane::platform {
namespace {

// A GetProperty reply as the server sends it: the fixed 32 bytes, then the
// value padded to whole 4-byte units, `claimed` items announced.
class FakeReply {
public:
    FakeReply(xcb_atom_t type, std::uint8_t format, std::vector<std::uint8_t> value,
              std::uint32_t claimed)
        : words_(8 + (value.size() + 3) / 4) {
        xcb_get_property_reply_t header{};
        header.response_type = XCB_GET_PROPERTY;
        header.format = format;
        header.type = type;
        header.length = static_cast<std::uint32_t>(words_.size() - 8);
        header.value_len = claimed;
        std::memcpy(words_.data(), &header, sizeof header);
        if (!value.empty()) std::memcpy(words_.data() + 8, value.data(), value.size());
    }
    const xcb_get_property_reply_t& get() const {
        return *reinterpret_cast<const xcb_get_property_reply_t*>(words_.data());
    }

private:
    std::vector<std::uint32_t> words_;
};

std::vector<std::uint8_t> bytesOf(std::vector<std::uint32_t> words) {
    std::vector<std::uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

TEST(PropertyValue, OnlyTheExpectedTypeAndFormatAreRead) {
    const FakeReply cardinals(XCB_ATOM_CARDINAL, 32, bytesOf({7, 8, 9}), 3);
    const auto value = checkedPropertyValue(cardinals.get(), XCB_ATOM_CARDINAL, 32);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), 12u);
    std::uint32_t last = 0;
    std::memcpy(&last, value->data() + 8, 4);
    EXPECT_EQ(last, 9u);

    EXPECT_FALSE(checkedPropertyValue(cardinals.get(), XCB_ATOM_WINDOW, 32));
    EXPECT_FALSE(checkedPropertyValue(cardinals.get(), XCB_ATOM_CARDINAL, 8));
    EXPECT_TRUE(checkedPropertyValue(cardinals.get(), XCB_GET_PROPERTY_TYPE_ANY, 32));
    // Absent: the server answers with type None.
    const FakeReply absent(XCB_NONE, 0, {}, 0);
    EXPECT_FALSE(checkedPropertyValue(absent.get(), XCB_GET_PROPERTY_TYPE_ANY, 32));

    const FakeReply text(XCB_ATOM_STRING, 8, {'a', 'b', 'c', 'd', 'e'}, 5);
    const auto bytes = checkedPropertyValue(text.get(), XCB_ATOM_STRING, 8);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "abcde");
}

TEST(PropertyValue, ALengthBeyondTheReplyIsRefused) {
    // Three values sent, a million claimed.
    const FakeReply lying(XCB_ATOM_CARDINAL, 32, bytesOf({1, 2, 3}), 1000000);
    EXPECT_FALSE(checkedPropertyValue(lying.get(), XCB_ATOM_CARDINAL, 32));
    // A count so large that items times size would overflow 32 bits.
    const FakeReply overflowing(XCB_ATOM_CARDINAL, 32, bytesOf({1}), 0x40000001);
    EXPECT_FALSE(checkedPropertyValue(overflowing.get(), XCB_ATOM_CARDINAL, 32));
    // Fewer than sent is fine: the padding is not part of the value.
    const FakeReply padded(XCB_ATOM_STRING, 8, {'x', 'y', 0, 0}, 2);
    EXPECT_EQ(checkedPropertyValue(padded.get(), XCB_ATOM_STRING, 8)->size(), 2u);
}

TEST(AtomNames, ScreenSelectionsCarryTheScreenNumber) {
    EXPECT_EQ(atomName(Atom::NET_WM_CM_S, 0), "_NET_WM_CM_S0");
    EXPECT_EQ(atomName(Atom::XSETTINGS_S, 2), "_XSETTINGS_S2");
    // Names stay in step with the enumeration from first to last.
    EXPECT_EQ(atomName(Atom::UTF8_STRING, 1), "UTF8_STRING");
    EXPECT_EQ(atomName(Atom::NET_WM_ICON, 1), "_NET_WM_ICON");
    EXPECT_EQ(atomName(Atom::XSETTINGS_SETTINGS, 1), "_XSETTINGS_SETTINGS");
}

}  // namespace
}  // namespace corvane::platform
