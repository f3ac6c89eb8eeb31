#pragma once

#include <cstddef>
#include <cstdint>

// Entry functions of the fuzz targets. libFuzzer calls them through its own entry point; the
// test suite replays the seed corpora and the saved crash inputs through the same functions.
// A broken invariant aborts with a message.
namespace txlfuzz {

using FuzzEntry = int (*)(const std::uint8_t* data, std::size_t size);

int FuzzConfigLoad(const std::uint8_t* data, std::size_t size);
int FuzzBlueprintData(const std::uint8_t* data, std::size_t size);
int FuzzRconStream(const std::uint8_t* data, std::size_t size);
int FuzzDevServer(const std::uint8_t* data, std::size_t size);
int FuzzRandomPlay(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
    const char* Name;  // folder name under fuzz/corpus and fuzz/regressions
    FuzzEntry Entry;
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"config", &FuzzConfigLoad},   {"blueprint", &FuzzBlueprintData}, {"rcon", &FuzzRconStream},
    {"devserver", &FuzzDevServer}, {"play", &FuzzRandomPlay},
};

}  // namespace txlfuzz
