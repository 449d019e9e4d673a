// Accepted settings documents through the upgrade that `corvane-settings
// upgrade`, an import and the first start of a new release apply: the result
// is valid, current, written and read back unchanged, and upgrading it again
// changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/settings/settings_codec.h"
#include "core/settings/settings_migration.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AppSettings loaded;
    try {
        loaded = SettingsCodec::decode(bytes);
    } catch (const SettingsError&) {
        return 0;
    } catch (const SettingsFormatError&) {
        return 0;
    }
    // A document that loads must upgrade: an import refuses nothing at this step.
    const AppSettings upgraded = SettingsMigration::migrate(loaded);
    if (upgraded.starterLayoutsVersion != AppSettings::currentStarterLayoutsVersion) std::abort();
    if (SettingsCodec::decode(SettingsCodec::encode(upgraded)) != upgraded) std::abort();
    if (SettingsMigration::migrate(upgraded) != upgraded) std::abort();
    return 0;
}
