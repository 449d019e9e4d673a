// AppSettings to bytes. nlohmann::json keeps object members in a sorted map, so
// every object comes out with its keys in ascending order, and it writes each
// double in the shortest form that reads back to the same double.
#include <nlohmann/json.hpp>

#include "core/settings/settings_codec.h"

namespace corvane::SettingsCodec {

namespace {

using Json = nlohmann::json;

Json toJson(const GridSize& grid) {
    return Json{{"columns", grid.columns}, {"rows", grid.rows}};
}

Json toJson(const TileRegion& region) {
    return Json{
        {"x", region.x}, {"y", region.y}, {"width", region.width}, {"height", region.height}};
}

Json toJson(const Margins& margins) {
    return Json{
        {"enabled", margins.enabled},
        {"horizontalGap", margins.horizontalGap},
        {"verticalGap", margins.verticalGap},
        {"left", margins.left},
        {"right", margins.right},
        {"top", margins.top},
        {"bottom", margins.bottom},
    };
}

Json toJson(const KeyCombo& combo) {
    return Json{{"keyCode", combo.keyCode}, {"modifiers", combo.modifiers}, {"key", combo.key}};
}

Json toJson(const SavedLayout& layout) {
    Json object{
        {"id", layout.id.text()},      {"name", layout.name},
        {"grid", toJson(layout.grid)}, {"region", toJson(layout.region)},
        {"isGlobal", layout.isGlobal}, {"enabled", layout.enabled},
    };
    // An absent shortcut is left out, never written as null.
    if (layout.shortcut) object["shortcut"] = toJson(*layout.shortcut);
    return object;
}

Json toJson(const AppSettings& settings) {
    Json layouts = Json::array();
    for (const SavedLayout& layout : settings.layouts) layouts.push_back(toJson(layout));
    Json object{
        {"version", settings.version},
        {"starterLayoutsVersion", settings.starterLayoutsVersion},
        {"grid", toJson(settings.grid)},
        {"resetGridOnOpen", settings.resetGridOnOpen},
        {"keepPanelOpen", settings.keepPanelOpen},
        {"cycleDisplays", settings.cycleDisplays},
        {"showMenuBarIcon", settings.showMenuBarIcon},
        {"showPreview", settings.showPreview},
        {"animatePreview", settings.animatePreview},
        {"animateWindows", settings.animateWindows},
        {"margins", toJson(settings.margins)},
        {"layouts", std::move(layouts)},
    };
    if (settings.activationShortcut) {
        object["activationShortcut"] = toJson(*settings.activationShortcut);
    }
    return object;
}

}  // namespace

std::string encode(const AppSettings& settings) {
    validate(settings);
    std::string bytes;
    try {
        // The strict handler refuses text that is not UTF-8 instead of altering it.
        bytes = toJson(settings).dump(2, ' ', false, Json::error_handler_t::strict);
    } catch (const Json::type_error&) {
        throw SettingsFormatError("A layout name or key label is not valid UTF-8 text.");
    }
    bytes += '\n';
    if (bytes.size() > maximumBytes) throw SettingsError::invalid(std::string(tooLargeMessage));
    return bytes;
}

}  // namespace corvane::SettingsCodec
