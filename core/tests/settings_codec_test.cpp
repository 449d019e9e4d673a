#include "core/settings_codec.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace corvane {
namespace {

using nlohmann::json;

AppSettings customised() {
    AppSettings settings;
    settings.starterLayoutsVersion = 2;
    settings.grid = GridSize{20, 1};
    settings.resetGridOnOpen = false;
    settings.keepPanelOpen = true;
    settings.cycleDisplays = true;
    settings.showPreview = false;
    settings.animatePreview = false;
    settings.animateWindows = false;
    settings.margins = Margins{true, 0.1, 1.0 / 3, 299.99999999999994, 0, -0.0, 17};
    settings.activationShortcut.reset();
    settings.layouts[0].name = " Caf\u00E9 \U0001F469\u200D\U0001F4BB \"quoted\"\n";
    settings.layouts[0].region = TileRegion{1.0 / 7, 2.0 / 7, 3.0 / 7, 5.0 / 7};
    settings.layouts[1].shortcut.reset();
    settings.layouts[2].isGlobal = true;
    settings.layouts[2].shortcut = KeyCombo{127, 15, "\u2190"};
    settings.layouts[3].enabled = false;
    settings.layouts[4].grid = GridSize{13, 7};
    return settings;
}

json encodedJson(const AppSettings& settings) {
    return json::parse(SettingsCodec::encode(settings));
}

// What decoding `bytes` throws as an E; "decoded" when it throws nothing.
template <typename E>
std::string decodingProblem(std::string_view bytes) {
    try {
        SettingsCodec::decode(bytes);
    } catch (const E& error) {
        return error.what();
    }
    return "decoded";
}

// Bytes that are not a settings document at all.
std::string formatProblem(std::string_view bytes) {
    return decodingProblem<SettingsFormatError>(bytes);
}

// A document whose content breaks a rule.
std::string validationProblem(std::string_view bytes) {
    return decodingProblem<SettingsError>(bytes);
}

// A valid document to break one piece at a time.
json validDocument() {
    return encodedJson(AppSettings());
}

TEST(SettingsCodec, EveryValueReadsBackEqual) {
    for (const AppSettings& settings : {AppSettings(), customised()}) {
        const AppSettings decoded = SettingsCodec::decode(SettingsCodec::encode(settings));
        EXPECT_EQ(decoded, settings);
    }
    AppSettings empty;
    empty.layouts.clear();
    EXPECT_EQ(SettingsCodec::decode(SettingsCodec::encode(empty)), empty);
}

TEST(SettingsCodec, WritesSortedKeysOneMemberPerLine) {
    const std::string text = SettingsCodec::encode(AppSettings());
    const std::vector<std::string> order{"activationShortcut",
                                         "animatePreview",
                                         "animateWindows",
                                         "cycleDisplays",
                                         "grid",
                                         "keepPanelOpen",
                                         "layouts",
                                         "margins",
                                         "resetGridOnOpen",
                                         "showMenuBarIcon",
                                         "showPreview",
                                         "starterLayoutsVersion",
                                         "version"};
    std::size_t previous = 0;
    for (const std::string& key : order) {
        const std::size_t at = text.find("\n  \"" + key + "\": ");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }
    EXPECT_NE(text.find("\"enabled\": true,\n      \"grid\": {\n        \"columns\": 6,"),
              std::string::npos);
    EXPECT_NE(text.find("\"key\": \"T\",\n    \"keyCode\": 17,\n    \"modifiers\": 11\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"height\": 1.0,\n        \"width\": 0.5,\n        \"x\": 0.0,"),
              std::string::npos);
}

TEST(SettingsCodec, WritesDoublesThatReadBackExactly) {
    const std::string text = SettingsCodec::encode(AppSettings());
    EXPECT_NE(text.find("\"x\": 0.16666666666666666"), std::string::npos);
    EXPECT_NE(text.find("\"width\": 0.6666666666666666"), std::string::npos);
    const json margins = encodedJson(customised())["margins"];
    EXPECT_EQ(margins["verticalGap"].get<double>(), 1.0 / 3);
    EXPECT_EQ(margins["left"].get<double>(), 299.99999999999994);
    EXPECT_TRUE(margins["bottom"].is_number_float());
}

TEST(SettingsCodec, LeavesAbsentShortcutsOutAndWritesUpperCaseIds) {
    AppSettings settings = customised();
    const std::string text = SettingsCodec::encode(settings);
    EXPECT_EQ(text.find("null"), std::string::npos);
    EXPECT_EQ(text.find("activationShortcut"), std::string::npos);
    const json document = json::parse(text);
    EXPECT_FALSE(document["layouts"][1].contains("shortcut"));
    EXPECT_TRUE(document["layouts"][0].contains("shortcut"));
    EXPECT_EQ(document["layouts"][0]["id"], settings.layouts[0].id.text());
    EXPECT_EQ(document["layouts"][0]["id"].get<std::string>().size(), 36u);
    EXPECT_EQ(document["starterLayoutsVersion"], 2);
    EXPECT_EQ(document["version"], 1);
}

TEST(SettingsCodec, RefusedValuesProduceNoBytes) {
    AppSettings settings;
    settings.margins.top = 301;
    try {
        SettingsCodec::encode(settings);
        FAIL() << "encoded";
    } catch (const SettingsError& error) {
        EXPECT_EQ(error.message(), "Grid sizes must be 1\u201320; margins must be 0\u2013300.");
    }
}

TEST(SettingsCodec, TextThatIsNotUtf8CannotBeWritten) {
    AppSettings settings;
    settings.layouts[0].name = "Left \xFF";
    EXPECT_THROW(SettingsCodec::encode(settings), SettingsFormatError);
}

TEST(SettingsCodec, OptionalKeysMayBeMissingOrNull) {
    for (const bool writeNull : {false, true}) {
        json document = validDocument();
        auto drop = [&](json& object, const char* key) {
            if (writeNull) {
                object[key] = nullptr;
            } else {
                object.erase(key);
            }
        };
        document["animateWindows"] = false;
        drop(document, "starterLayoutsVersion");
        drop(document, "animateWindows");
        drop(document, "activationShortcut");
        drop(document["layouts"][0], "shortcut");
        const AppSettings decoded = SettingsCodec::decode(document.dump());
        EXPECT_EQ(decoded.starterLayoutsVersion, 1);
        EXPECT_TRUE(decoded.animateWindows);
        EXPECT_FALSE(decoded.activationShortcut);
        EXPECT_FALSE(decoded.layouts[0].shortcut);
    }
}

TEST(SettingsCodec, UnknownKeysLowerCaseIdsAndCompactTextAreAccepted) {
    const AppSettings original;
    json document = encodedJson(original);
    document["futureOption"] = {{"nested", {1, 2, 3}}};
    document["layouts"][0]["colour"] = "green";
    std::string id = document["layouts"][0]["id"];
    for (char& c : id) c = char(std::tolower(static_cast<unsigned char>(c)));
    document["layouts"][0]["id"] = id;
    document["margins"]["left"] = 12;  // integers are fine where numbers are expected
    const AppSettings decoded = SettingsCodec::decode(document.dump());
    EXPECT_EQ(decoded.layouts[0].id, original.layouts[0].id);
    EXPECT_EQ(decoded.margins.left, 12.0);
    EXPECT_EQ(decoded.layouts, original.layouts);
}

TEST(SettingsCodec, MissingRequiredKeysNameTheirPlace) {
    json document = validDocument();
    document.erase("keepPanelOpen");
    EXPECT_EQ(formatProblem(document.dump()),
              "The settings file is missing \u201CkeepPanelOpen\u201D.");
    document = validDocument();
    document["layouts"][2].erase("enabled");
    EXPECT_EQ(formatProblem(document.dump()),
              "The settings file is missing \u201Clayouts[2].enabled\u201D.");
    document = validDocument();
    document["layouts"][0]["grid"].erase("rows");
    EXPECT_EQ(formatProblem(document.dump()),
              "The settings file is missing \u201Clayouts[0].grid.rows\u201D.");
    document = validDocument();
    document["activationShortcut"].erase("key");
    EXPECT_EQ(formatProblem(document.dump()),
              "The settings file is missing \u201CactivationShortcut.key\u201D.");
}

TEST(SettingsCodec, ValuesOfTheWrongTypeAreRefused) {
    struct Case {
        json::json_pointer where;
        json value;
        const char* problem;
    };
    const std::vector<Case> cases{
        {json::json_pointer("/grid/columns"), "6",
         "\u201Cgrid.columns\u201D must be a whole number."},
        {json::json_pointer("/grid/rows"), 6.5, "\u201Cgrid.rows\u201D must be a whole number."},
        {json::json_pointer("/version"), 1.0, "\u201Cversion\u201D must be a whole number."},
        {json::json_pointer("/margins/left"), "10", "\u201Cmargins.left\u201D must be a number."},
        {json::json_pointer("/margins/enabled"), 1,
         "\u201Cmargins.enabled\u201D must be true or false."},
        {json::json_pointer("/animateWindows"), "yes",
         "\u201CanimateWindows\u201D must be true or false."},
        {json::json_pointer("/layouts/1/name"), 5, "\u201Clayouts[1].name\u201D must be text."},
        {json::json_pointer("/layouts/1/region"), json::array(),
         "\u201Clayouts[1].region\u201D must be an object."},
        {json::json_pointer("/layouts/1/shortcut"), "L",
         "\u201Clayouts[1].shortcut\u201D must be an object."},
        {json::json_pointer("/layouts/1/id"), "not-an-id",
         "\u201Clayouts[1].id\u201D is not a valid UUID."},
        {json::json_pointer("/layouts"), json::object(), "\u201Clayouts\u201D must be a list."},
        {json::json_pointer("/layouts/3"), 7, "\u201Clayouts[3]\u201D must be an object."},
        {json::json_pointer("/resetGridOnOpen"), nullptr,
         "\u201CresetGridOnOpen\u201D must be true or false."},
    };
    for (const Case& c : cases) {
        json document = validDocument();
        document[c.where] = c.value;
        EXPECT_EQ(formatProblem(document.dump()),
                  std::string("In the settings file, ") + c.problem);
    }
}

TEST(SettingsCodec, IntegersMustFitTheirFields) {
    const char* keyCode =
        "In the settings file, \u201CactivationShortcut.keyCode\u201D must be from 0 to 65535.";
    const char* modifiers =
        "In the settings file, \u201CactivationShortcut.modifiers\u201D must be from 0 to "
        "4294967295.";
    json document = validDocument();
    document["activationShortcut"]["keyCode"] = 65536;
    EXPECT_EQ(formatProblem(document.dump()), keyCode);
    document["activationShortcut"]["keyCode"] = -1;
    EXPECT_EQ(formatProblem(document.dump()), keyCode);
    document["activationShortcut"]["keyCode"] = 65535;
    EXPECT_EQ(validationProblem(document.dump()),
              "The activation shortcut needs Ctrl, Alt, or Super.");
    document = validDocument();
    document["activationShortcut"]["modifiers"] = 4294967296;
    EXPECT_EQ(formatProblem(document.dump()), modifiers);
    document["activationShortcut"]["modifiers"] = -8;
    EXPECT_EQ(formatProblem(document.dump()), modifiers);
    const std::string base = validDocument().dump();
    auto withVersion = [&](const std::string& number) {
        json d = json::parse(base);
        d.erase("version");
        std::string text = d.dump();
        return text.insert(1, "\"version\":" + number + ",");
    };
    const char* version = "In the settings file, \u201Cversion\u201D is out of range.";
    EXPECT_EQ(formatProblem(withVersion("9223372036854775808")), version);
    EXPECT_EQ(formatProblem(withVersion("-9223372036854775809")), version);
    EXPECT_EQ(formatProblem(withVersion("1e300")), version);
    EXPECT_EQ(validationProblem(withVersion("9223372036854775807")),
              "This settings file uses an unsupported version.");
}

TEST(SettingsCodec, ModifierBitsOutsideTheFourDecodeButFailValidation) {
    json document = validDocument();
    document["layouts"][0]["shortcut"]["modifiers"] = 16;
    EXPECT_EQ(validationProblem(document.dump()), "Global shortcuts need Ctrl, Alt, or Super.");
}

TEST(SettingsCodec, ShortcutNullMeansNoShortcut) {
    json document = validDocument();
    document["layouts"][5]["shortcut"] = nullptr;
    EXPECT_FALSE(SettingsCodec::decode(document.dump()).layouts[5].shortcut);
}

TEST(SettingsCodec, TextThatIsNotASettingsObjectIsRefusedClearly) {
    EXPECT_EQ(formatProblem(""), "The settings file is empty.");
    EXPECT_EQ(formatProblem(" \n\t"), "The settings file is empty.");
    EXPECT_EQ(formatProblem("[]"), "The settings file must hold one JSON object.");
    EXPECT_EQ(formatProblem("{\n  \"version\": 1,\n  oops\n}"),
              "The settings file is not valid JSON (line 3, column 3).");
    EXPECT_EQ(formatProblem("{\"version\": 1} {}"),
              "The settings file is not valid JSON (line 1, column 16).");
    EXPECT_EQ(formatProblem("{\"name\": \"\xFF\"}").rfind("The settings file is not valid JSON", 0),
              0u);
}

TEST(SettingsCodec, DeeplyNestedUnknownValuesDoNotExhaustTheStack) {
    json document = validDocument();
    std::string text = document.dump();
    const std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    text.insert(1, "\"extra\":" + deep + ",");
    EXPECT_NO_THROW(SettingsCodec::decode(text));
}

TEST(SettingsCodec, SizeLimitIsTwoMillionBytesBeforeParsing) {
    std::string text = validDocument().dump();
    text.append(SettingsCodec::maximumBytes - text.size(), ' ');
    ASSERT_EQ(text.size(), 2'000'000u);
    EXPECT_NO_THROW(SettingsCodec::decode(text));
    text += ' ';
    EXPECT_EQ(validationProblem(text), "Settings files must be smaller than 2 MB.");
    EXPECT_EQ(validationProblem(std::string(2'000'001, 'x')),
              "Settings files must be smaller than 2 MB.");
}

TEST(SettingsCodec, EncodingRefusesDocumentsOverTwoMillionBytes) {
    // 80 characters of e + 48 combining accents each: valid names of about 7.8 KB.
    std::string heavy;
    for (int i = 0; i < 80; ++i) {
        heavy += 'e';
        for (int j = 0; j < 48; ++j) heavy += "\u0301";
    }
    AppSettings settings;
    settings.layouts.clear();
    for (int i = 0; i < 256; ++i) {
        SavedLayout layout;
        layout.shortcut.reset();
        layout.name = heavy;
        settings.layouts.push_back(layout);
    }
    try {
        SettingsCodec::encode(settings);
        FAIL() << "encoded";
    } catch (const SettingsError& error) {
        EXPECT_EQ(error.message(), "Settings files must be smaller than 2 MB.");
    }
    settings.layouts.resize(240);
    EXPECT_GT(SettingsCodec::encode(settings).size(), 1'800'000u);
}

}  // namespace
}  // namespace corvane
