// Decoding (with validation) and encoding of settings documents: a full list of
// 256 layouts, and documents at the 2,000,000-byte limit. Loading a file at the
// limit should take well under 30 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "core/settings/settings_codec.h"

namespace {

using namespace corvane;

AppSettings withLayouts(std::size_t count, const std::string& name) {
    AppSettings settings;
    settings.layouts.clear();
    for (std::size_t i = 0; i < count; ++i) {
        SavedLayout layout;
        layout.name = name.empty() ? "Layout " + std::to_string(i) : name;
        layout.region = TileRegion{double(i % 6) / 6, double(i / 6 % 6) / 6, 1.0 / 6, 1.0 / 6};
        // Key codes 64 to 127 with four strong modifier sets: 256 distinct free shortcuts.
        const std::uint32_t modifiers[] = {1, 2, 3, 9};
        layout.shortcut = KeyCombo{std::uint16_t(64 + i % 64), modifiers[i / 64 % 4], "K"};
        layout.isGlobal = true;
        settings.layouts.push_back(layout);
    }
    return settings;
}

// 80 characters, each an "e" carrying `marks` combining accents: the longest
// names validation accepts, and each needs its characters counted.
std::string heavyName(int marks) {
    std::string name;
    for (int i = 0; i < 80; ++i) {
        name += 'e';
        for (int j = 0; j < marks; ++j) name += "\u0301";
    }
    return name;
}

// 256 layouts with names as heavy as fit, padded with spaces to exactly the limit.
std::string heavyDocument() {
    for (int marks = 60;; --marks) {
        try {
            std::string bytes = SettingsCodec::encode(withLayouts(256, heavyName(marks)));
            bytes.append(SettingsCodec::maximumBytes - bytes.size(), ' ');
            return bytes;
        } catch (const SettingsError&) {
        }
    }
}

// A full ordinary document followed by spaces up to the limit.
std::string paddedDocument() {
    std::string bytes = SettingsCodec::encode(withLayouts(256, ""));
    bytes.append(SettingsCodec::maximumBytes - bytes.size(), ' ');
    return bytes;
}

void decode(benchmark::State& state, const std::string& bytes) {
    for (auto _ : state) benchmark::DoNotOptimize(SettingsCodec::decode(bytes));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
    state.counters["bytes"] = double(bytes.size());
}

void encode(benchmark::State& state, const AppSettings& settings) {
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = SettingsCodec::encode(settings);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
    state.counters["bytes"] = double(size);
}

void BM_Decode256Layouts(benchmark::State& state) {
    decode(state, SettingsCodec::encode(withLayouts(256, "")));
}

void BM_Encode256Layouts(benchmark::State& state) {
    encode(state, withLayouts(256, ""));
}

void BM_DecodeLimitHeavyNames(benchmark::State& state) {
    decode(state, heavyDocument());
}

void BM_DecodeLimitPadded(benchmark::State& state) {
    decode(state, paddedDocument());
}

void BM_EncodeLimitHeavyNames(benchmark::State& state) {
    encode(state, SettingsCodec::decode(heavyDocument()));
}

BENCHMARK(BM_Decode256Layouts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode256Layouts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLimitHeavyNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLimitPadded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLimitHeavyNames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
