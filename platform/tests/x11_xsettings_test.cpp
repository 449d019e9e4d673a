// Reading one integer out of the XSETTINGS manager's data.
#include "platform/x11/x11_xsettings.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

// XSETTINGS data in either byte order: a string, a colour, then two integers.
std::vector<std::uint8_t> settingsData(bool big) {
    std::vector<std::uint8_t> data{std::uint8_t(big), 0, 0, 0};
    const auto card = [&](int bytes, std::uint32_t v) {
        for (int i = 0; i < bytes; ++i)
            data.push_back(std::uint8_t(v >> 8 * (big ? bytes - 1 - i : i)));
    };
    const auto text = [&](const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        while (data.size() % 4) data.push_back(0);
    };
    const auto header = [&](std::uint8_t type, const std::string& name) {
        data.push_back(type), data.push_back(0), card(2, name.size()), text(name), card(4, 1);
    };
    card(4, 7), card(4, 4);  // serial, count
    header(1, "Net/ThemeName"), card(4, 12), text("Adwaita-dark");
    header(2, "Gtk/Color"), data.insert(data.end(), 8, 0xff);
    header(0, "Gtk/EnableAnimations"), card(4, 0);
    header(0, "Xft/DPI"), card(4, std::uint32_t(-1));
    return data;
}

TEST(XSettingsTest, FindsTheIntegerAfterOtherKindsAndNothingInDamagedData) {
    for (bool big : {false, true}) {
        const auto data = settingsData(big);
        EXPECT_EQ(xsettingsInteger(data, "Gtk/EnableAnimations"), 0) << big;
        EXPECT_EQ(xsettingsInteger(data, "Xft/DPI"), -1) << big;
        EXPECT_EQ(xsettingsInteger(data, "Net/ThemeName"), std::nullopt) << "not an integer";
        EXPECT_EQ(xsettingsInteger(data, "Gtk/EnableAnimation"), std::nullopt) << "a prefix";
    }
    const auto data = settingsData(false);
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        const std::vector<std::uint8_t> shorter(data.begin(), data.begin() + long(cut));
        EXPECT_EQ(xsettingsInteger(shorter, "Xft/DPI"), std::nullopt) << cut;
    }
    auto lying = data;
    lying[12 + 4 + 16 + 4 + 3] = 0xff;  // a string length far past the end
    EXPECT_EQ(xsettingsInteger(lying, "Xft/DPI"), std::nullopt);
}

}  // namespace
}  // namespace corvane::platform
