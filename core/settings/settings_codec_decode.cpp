// Bytes to AppSettings. Unknown keys are ignored so that files written by newer
// releases still load; every known key is checked for its JSON type and range.
#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/settings/json_reader.h"
#include "core/settings/settings_codec.h"

namespace corvane::SettingsCodec {

namespace {

using Json = nlohmann::json;

std::string position(std::string_view bytes, std::size_t byte) {
    // nlohmann counts the offending byte from 1; a line's first column is 1.
    const std::size_t offset = std::min(byte > 0 ? byte - 1 : 0, bytes.size());
    const std::string_view before = bytes.substr(0, offset);
    const std::size_t line = 1 + std::size_t(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column = offset - (lineStart == std::string_view::npos ? 0 : lineStart + 1);
    return "line " + std::to_string(line) + ", column " + std::to_string(column + 1);
}

// Finds where parsing stopped without building anything: the out-of-range
// error of a number too large for a double names no place of its own.
struct ErrorPlace {
    std::size_t byte = 0;
    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(Json::number_integer_t) { return true; }
    bool number_unsigned(Json::number_unsigned_t) { return true; }
    bool number_float(Json::number_float_t, const Json::string_t&) { return true; }
    bool string(Json::string_t&) { return true; }
    bool binary(Json::binary_t&) { return true; }
    bool start_object(std::size_t) { return true; }
    bool key(Json::string_t&) { return true; }
    bool end_object() { return true; }
    bool start_array(std::size_t) { return true; }
    bool end_array() { return true; }
    // `at` counts the bytes read, the token's own included: the token starts after the rest.
    bool parse_error(std::size_t at, const std::string& token, const Json::exception&) {
        byte = at >= token.size() ? at - token.size() + 1 : 0;
        return false;
    }
};

std::string placeOfError(std::string_view bytes) {
    ErrorPlace place;
    Json::sax_parse(bytes.begin(), bytes.end(), &place);
    return place.byte > 0 ? " (" + position(bytes, place.byte) + ")" : std::string();
}

Json parse(std::string_view bytes) {
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw SettingsFormatError("The settings file is empty.");
    }
    try {
        return Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::parse_error& error) {
        throw SettingsFormatError("The settings file is not valid JSON (" +
                                  position(bytes, error.byte) + ").");
    } catch (const Json::out_of_range&) {
        throw SettingsFormatError("The settings file holds a number too large to read" +
                                  placeOfError(bytes) + ".");
    } catch (const Json::exception&) {
        // Whatever else the parser can throw, the user gets words, not the library's code.
        throw SettingsFormatError("The settings file is not valid JSON.");
    }
}

GridSize readGrid(const JsonReader& grid) {
    return GridSize{grid.int64("columns"), grid.int64("rows")};
}

TileRegion readRegion(const JsonReader& region) {
    return TileRegion{region.number("x"), region.number("y"), region.number("width"),
                      region.number("height")};
}

Margins readMargins(const JsonReader& margins) {
    return Margins{
        .enabled = margins.boolean("enabled"),
        .horizontalGap = margins.number("horizontalGap"),
        .verticalGap = margins.number("verticalGap"),
        .left = margins.number("left"),
        .right = margins.number("right"),
        .top = margins.number("top"),
        .bottom = margins.number("bottom"),
    };
}

std::optional<KeyCombo> readShortcut(const JsonReader& owner, const char* key) {
    if (!owner.optional(key)) return std::nullopt;
    const JsonReader combo = owner.object(key);
    return KeyCombo{combo.uint16("keyCode"), combo.uint32("modifiers"), combo.text("key")};
}

Uuid readId(const JsonReader& layout) {
    const std::optional<Uuid> id = Uuid::parse(layout.text("id"));
    if (!id) layout.fail("id", "is not a valid UUID");
    return *id;
}

SavedLayout readLayout(const JsonReader& layout) {
    return SavedLayout{
        .id = readId(layout),
        .name = layout.text("name"),
        .grid = readGrid(layout.object("grid")),
        .region = readRegion(layout.object("region")),
        .shortcut = readShortcut(layout, "shortcut"),
        .isGlobal = layout.boolean("isGlobal"),
        .enabled = layout.boolean("enabled"),
    };
}

std::vector<SavedLayout> readLayouts(const JsonReader& document) {
    const Json::array_t& list = document.array("layouts");
    std::vector<SavedLayout> layouts;
    layouts.reserve(std::min(list.size(), AppSettings::mostLayouts + 1));
    for (std::size_t i = 0; i < list.size(); ++i) {
        layouts.push_back(readLayout(document.element(list, i, "layouts")));
    }
    return layouts;
}

std::int64_t readStarterVersion(const JsonReader& document) {
    // Documents from before starter generations were recorded are generation 1.
    const Json* value = document.optional("starterLayoutsVersion");
    return value ? document.int64(*value, "starterLayoutsVersion") : 1;
}

bool readAnimateWindows(const JsonReader& document) {
    const Json* value = document.optional("animateWindows");
    return value ? document.boolean(*value, "animateWindows") : true;
}

AppSettings readSettings(const JsonReader& document) {
    return AppSettings{
        .version = document.int64("version"),
        .starterLayoutsVersion = readStarterVersion(document),
        .grid = readGrid(document.object("grid")),
        .resetGridOnOpen = document.boolean("resetGridOnOpen"),
        .keepPanelOpen = document.boolean("keepPanelOpen"),
        .cycleDisplays = document.boolean("cycleDisplays"),
        .showMenuBarIcon = document.boolean("showMenuBarIcon"),
        .showPreview = document.boolean("showPreview"),
        .animatePreview = document.boolean("animatePreview"),
        .animateWindows = readAnimateWindows(document),
        .margins = readMargins(document.object("margins")),
        .activationShortcut = readShortcut(document, "activationShortcut"),
        .layouts = readLayouts(document),
    };
}

}  // namespace

AppSettings decode(std::string_view bytes) {
    if (bytes.size() > maximumBytes) throw SettingsError::invalid(std::string(tooLargeMessage));
    const Json document = parse(bytes);
    if (!document.is_object()) {
        throw SettingsFormatError("The settings file must hold one JSON object.");
    }
    AppSettings settings = readSettings(JsonReader(document, ""));
    validate(settings);
    return settings;
}

}  // namespace corvane::SettingsCodec
