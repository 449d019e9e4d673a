#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/key_label.h"
#include "platform/key_mapping.h"

namespace corvane::platform {

// A keyboard layout for tests: what each key position types, as the test sets
// it; positions it does not name type nothing.
class FakeKeyMapping final : public KeyMapping {
public:
    // The keys of a US layout that the tests press, by virtual key code.
    static std::map<std::uint16_t, std::string> us() {
        return {{0, "a"},  {6, "z"},  {16, "y"}, {17, "t"}, {24, "="}, {27, "-"},
                {41, ";"}, {43, ","}, {44, "/"}, {46, "m"}, {29, "0"}, {22, "6"}};
    }
    // The same positions in a German layout: Z and Y swapped, "ß" and "´" on the
    // number row, "-" right of ".", "=" only with Shift.
    static std::map<std::uint16_t, std::string> german() {
        return {{0, "a"},       {6, "y"},  {16, "z"}, {17, "t"}, {24, ""},  {27, "\u00df"},
                {41, "\u00f6"}, {43, ","}, {44, "-"}, {46, "m"}, {29, "0"}, {22, "6"}};
    }
    // And in a French one: A where Q is, M right of L, "," where M is, "-" on the 6.
    static std::map<std::uint16_t, std::string> french() {
        return {{0, "q"},  {6, "w"},  {16, "y"}, {17, "t"}, {24, "="},      {27, ")"},
                {41, "m"}, {43, ";"}, {44, "!"}, {46, ","}, {29, "\u00e0"}, {22, "-"}};
    }

    explicit FakeKeyMapping(std::map<std::uint16_t, std::string> characters = us())
        : characters_(std::move(characters)) {}

    // Switches the layout, as the user does with the desktop's layout switcher.
    void setLayout(std::map<std::uint16_t, std::string> characters) {
        characters_ = std::move(characters);
    }

    std::string keyLabel(std::uint16_t virtualKey) override {
        return recordedKeyLabel(virtualKey, layoutCharacters(virtualKey));
    }
    std::string layoutCharacters(std::uint16_t virtualKey) override {
        const auto found = characters_.find(virtualKey);
        return found == characters_.end() ? std::string() : found->second;
    }

private:
    std::map<std::uint16_t, std::string> characters_;
};

}  // namespace corvane::platform
