// Reading one integer out of the XSETTINGS manager's data.

#include "platform/x11/x11_xsettings.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

// Builds XSETTINGS data in either byte order.
class Builder {
public:
    explicit Builder(bool bigEndian) : big_(bigEndian) {
        data_ = {std::uint8_t(big_ ? 1 : 0), 0, 0, 0};
        card(4, 7);  // serial
        card(4, 0);  // count, patched by add()
    }
    Builder& integer(const std::string& name, std::int32_t value) {
        header(0, name);
        card(4, static_cast<std::uint32_t>(value));
        return bump();
    }
    Builder& string(const std::string& name, const std::string& value) {
        header(1, name);
        card(4, value.size());
        data_.insert(data_.end(), value.begin(), value.end());
        pad();
        return bump();
    }
    Builder& color(const std::string& name) {
        header(2, name);
        data_.insert(data_.end(), 8, 0xff);
        return bump();
    }
    std::vector<std::uint8_t> data() const { return data_; }

private:
    void card(int bytes, std::uint32_t v) {
        for (int i = 0; i < bytes; ++i) {
            int shift = big_ ? 8 * (bytes - 1 - i) : 8 * i;
            data_.push_back(std::uint8_t(v >> shift));
        }
    }
    void pad() {
        while (data_.size() % 4) data_.push_back(0);
    }
    void header(std::uint8_t type, const std::string& name) {
        data_.push_back(type);
        data_.push_back(0);
        card(2, name.size());
        data_.insert(data_.end(), name.begin(), name.end());
        pad();
        card(4, 1);  // last change serial
    }
    Builder& bump() {
        ++count_;
        for (int i = 0; i < 4; ++i) {
            int shift = big_ ? 8 * (3 - i) : 8 * i;
            data_[8 + i] = std::uint8_t(count_ >> shift);
        }
        return *this;
    }
    bool big_;
    std::uint32_t count_ = 0;
    std::vector<std::uint8_t> data_;
};

TEST(XSettingsTest, FindsTheIntegerAfterOtherKindsOfSettings) {
    for (bool big : {false, true}) {
        auto data = Builder(big)
                        .string("Net/ThemeName", "Adwaita-dark")
                        .color("Gtk/Color")
                        .integer("Gtk/EnableAnimations", 0)
                        .integer("Xft/DPI", -1)
                        .data();
        EXPECT_EQ(xsettingsInteger(data, "Gtk/EnableAnimations"), 0) << big;
        EXPECT_EQ(xsettingsInteger(data, "Xft/DPI"), -1) << big;
        EXPECT_EQ(xsettingsInteger(data, "Gtk/Missing"), std::nullopt);
        EXPECT_EQ(xsettingsInteger(data, "Net/ThemeName"), std::nullopt)
            << "a string is not an integer";
        EXPECT_EQ(xsettingsInteger(data, "Gtk/EnableAnimation"), std::nullopt)
            << "no prefix matches";
    }
}

TEST(XSettingsTest, TruncatedOrLyingDataGivesNothing) {
    auto data =
        Builder(false).string("Net/ThemeName", "Adwaita").integer("Gtk/EnableAnimations", 0).data();
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        std::vector<std::uint8_t> shorter(data.begin(), data.begin() + static_cast<long>(cut));
        EXPECT_EQ(xsettingsInteger(shorter, "Gtk/EnableAnimations"), std::nullopt) << cut;
    }
    // A string length far past the end.
    auto lying =
        Builder(false).string("Net/ThemeName", "Adwaita").integer("Gtk/EnableAnimations", 0).data();
    lying[12 + 4 + 16 + 4] = 0xff, lying[12 + 4 + 16 + 7] = 0xff;
    EXPECT_EQ(xsettingsInteger(lying, "Gtk/EnableAnimations"), std::nullopt);
    // An unknown setting type stops the reader.
    auto unknown = Builder(false).integer("Gtk/EnableAnimations", 0).data();
    unknown[12] = 9;
    EXPECT_EQ(xsettingsInteger(unknown, "Gtk/EnableAnimations"), std::nullopt);
}

}  // namespace
}  // namespace corvane::platform
