// Settings documents as bytes: what is written, what is read back, and how
// bytes that are not a settings document are refused.
#include "core/settings/settings_codec.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

namespace corvane {
namespace {

using nlohmann::json;

const json kErase = json(json::value_t::discarded);
const std::string kTooLarge = "Settings files must be smaller than 2 MB.";

AppSettings customised() {
    AppSettings s;
    s.starterLayoutsVersion = 2;
    s.grid = GridSize{20, 1};
    s.resetGridOnOpen = s.showPreview = s.animatePreview = s.animateWindows = false;
    s.keepPanelOpen = s.cycleDisplays = true;
    s.margins = Margins{true, 0.1, 1.0 / 3, 299.99999999999994, 0, -0.0, 17};
    s.activationShortcut.reset();
    s.layouts[0].name = " Caf\u00E9 \U0001F469\u200D\U0001F4BB \"quoted\"\n";
    s.layouts[0].region = TileRegion{1.0 / 7, 2.0 / 7, 3.0 / 7, 5.0 / 7};
    s.layouts[1].shortcut.reset();
    s.layouts[2].isGlobal = true;
    s.layouts[2].shortcut = KeyCombo{127, 15, "\u2190"};
    s.layouts[3].enabled = false;
    s.layouts[4].grid = GridSize{13, 7};
    return s;
}

// The document of `settings` with the values at the given JSON pointers
// replaced, or removed where the value is kErase.
std::string edited(const std::vector<std::pair<const char*, json>>& changes,
                   const AppSettings& settings = {}) {
    json d = json::parse(SettingsCodec::encode(settings));
    for (const auto& [pointer, value] : changes) {
        const json::json_pointer at(pointer);
        if (value.is_discarded()) d[at.parent_pointer()].erase(at.back());
        if (!value.is_discarded()) d[at] = value;
    }
    return d.dump();
}

// What `action` throws ("refused: ..." for a rule that fails); "done" when nothing.
std::string problemOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const SettingsFormatError& error) {
        return error.what();
    } catch (const SettingsError& error) {
        return "refused: " + error.message();
    }
    return "done";
}

std::string problem(std::string_view bytes) {
    return problemOf([&] { SettingsCodec::decode(bytes); });
}

TEST(SettingsCodec, EveryValueReadsBackAndNothingIsWrittenThatCouldNotBeRead) {
    AppSettings empty;
    empty.layouts.clear();
    for (const AppSettings& settings : {AppSettings(), customised(), empty})
        EXPECT_EQ(SettingsCodec::decode(SettingsCodec::encode(settings)), settings);
    const std::string text = SettingsCodec::encode(customised());
    EXPECT_TRUE(text == json::parse(text).dump(2) + "\n");  // sorted keys, two spaces
    EXPECT_EQ(text.find("null"), std::string::npos);
    AppSettings invalid;
    invalid.margins.top = 301;
    EXPECT_EQ(problemOf([&] { SettingsCodec::encode(invalid); }).rfind("refused: ", 0), 0u);
    // 256 valid names of 80 characters, each an e with 48 accents: over 2 MB.
    std::string heavy;
    for (int i = 0; i < 80 * 49; ++i) heavy += i % 49 ? "\u0301" : "e";
    AppSettings huge;
    huge.layouts.resize(256);
    for (auto& l : huge.layouts) l.name = heavy, l.shortcut.reset();
    EXPECT_EQ(problemOf([&] { SettingsCodec::encode(huge); }), "refused: " + kTooLarge);
}

TEST(SettingsCodec, ReadsMissingOrNullOptionalKeysAsDefaultsAndIgnoresUnknownKeys) {
    for (const json& absent : {kErase, json(nullptr)}) {
        const AppSettings decoded =
            SettingsCodec::decode(edited({{"/animateWindows", absent},
                                          {"/activationShortcut", absent},
                                          {"/starterLayoutsVersion", absent},
                                          {"/layouts/0/shortcut", absent}}));
        EXPECT_EQ(decoded.starterLayoutsVersion, 1);
        EXPECT_TRUE(decoded.animateWindows);
        EXPECT_FALSE(decoded.activationShortcut || decoded.layouts[0].shortcut);
    }
    const AppSettings original;
    std::string text = edited({{"/layouts/0/colour", "green"}, {"/margins/left", 12}}, original);
    // Unknown values nested deeper than any parser stack.
    text.insert(1, "\"extra\":" + std::string(100'000, '[') + std::string(100'000, ']') + ",");
    const AppSettings decoded = SettingsCodec::decode(text);
    EXPECT_EQ(decoded.layouts, original.layouts);
    EXPECT_EQ(decoded.margins.left, 12.0);  // an integer where a number is expected
}

TEST(SettingsCodec, RefusesDocumentsNamingTheProblemAndItsPlace) {
    const auto missing = [](const char* place) {
        return std::string("The settings file is missing \u201C") + place + "\u201D.";
    };
    const auto withVersion = [](const std::string& number) {
        return edited({{"/version", kErase}}).insert(1, "\"version\":" + number + ",");
    };
    const std::string in = "In the settings file, \u201C";
    const std::string keyCode = in + "activationShortcut.keyCode\u201D must be from 0 to 65535.";
    const std::string modifiers =
        in + "activationShortcut.modifiers\u201D must be from 0 to 4294967295.";
    const std::string version = in + "version\u201D is out of range.";
    const std::string notJson = "The settings file is not valid JSON";
    const std::string unsupported = "This settings file uses an unsupported version.";
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        {edited({{"/keepPanelOpen", kErase}}), missing("keepPanelOpen")},
        {edited({{"/layouts/2/enabled", kErase}}), missing("layouts[2].enabled")},
        {edited({{"/grid/columns", "6"}}), in + "grid.columns\u201D must be a whole number."},
        {edited({{"/version", 1.0}}), in + "version\u201D must be a whole number."},
        {edited({{"/margins/left", "10"}}), in + "margins.left\u201D must be a number."},
        {edited({{"/margins/enabled", 1}}), in + "margins.enabled\u201D must be true or false."},
        {edited({{"/layouts/1/name", 5}}), in + "layouts[1].name\u201D must be text."},
        {edited({{"/layouts/1/id", "not-an-id"}}), in + "layouts[1].id\u201D is not a valid UUID."},
        {edited({{"/layouts", json::object()}}), in + "layouts\u201D must be a list."},
        {edited({{"/layouts/3", 7}}), in + "layouts[3]\u201D must be an object."},
        {edited({{"/activationShortcut/keyCode", 65536}}), keyCode},
        {edited({{"/activationShortcut/keyCode", 65535}}),
         "refused: The activation shortcut needs Ctrl, Alt, or Super."},
        {edited({{"/activationShortcut/modifiers", 4294967296}}), modifiers},
        {edited({{"/layouts/0/shortcut/modifiers", 16}}),
         "refused: Global shortcuts need Ctrl, Alt, or Super."},
        {withVersion("9223372036854775808"), version},
        {withVersion("9223372036854775807"), "refused: " + unsupported},
        {"", "The settings file is empty."},
        {"[]", "The settings file must hold one JSON object."},
        {"{\n  \"version\": 1,\n  oops\n}", notJson + " (line 3, column 3)."},
        {"{\"version\": 1} {}", notJson + " (line 1, column 16)."},
        {"{\n  \"version\": 1,\n  \"margins\": {\"left\": 1e400}\n}",
         "The settings file holds a number too large to read (line 3, column 23)."},
        // clang-format on
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(problem(bytes), expected) << bytes;
    EXPECT_EQ(problem("{\"name\": \"\xFF\"}").rfind(notJson, 0), 0u);
}

TEST(SettingsCodec, TwoMillionBytesDecodeAndOneMoreIsRefusedBeforeParsing) {
    std::string text = edited({});
    text.append(SettingsCodec::maximumBytes - text.size(), ' ');
    EXPECT_EQ(problem(text), "done");
    EXPECT_EQ(problem(text + ' '), "refused: " + kTooLarge);
    EXPECT_EQ(problem(std::string(2'000'001, 'x')), "refused: " + kTooLarge);
}

}  // namespace
}  // namespace corvane
