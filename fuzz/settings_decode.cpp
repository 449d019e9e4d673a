// Any bytes as a settings document, the way `corvane-settings check` and an
// import read a file. A document is either refused with one of the codec's own
// errors or accepted; an accepted one is written out and must read back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/settings/settings_codec.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AppSettings settings;
    try {
        settings = SettingsCodec::decode(bytes);
    } catch (const SettingsError&) {
        return 0;
    } catch (const SettingsFormatError&) {
        return 0;
    }
    // What Corvane accepted it must be able to write, and what it wrote, to read.
    if (SettingsCodec::decode(SettingsCodec::encode(settings)) != settings) std::abort();
    return 0;
}
