#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "diagnostics/ScriptScan.h"

namespace {

// The inspection scans every byte of every captured script: one hash look-up per byte.
void BM_ScriptScan(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    std::mt19937_64 random(7);
    std::vector<std::uint8_t> script(size);
    for (auto& byte : script) byte = static_cast<std::uint8_t>(random());
    txl::ReflectionLabels labels;
    for (int i = 0; i < 2000; ++i)
        labels.emplace(random(), "property:Thalassovex_Character_BP_C.Value" + std::to_string(i));
    for (auto _ : state) {
        std::string hex;
        nlohmann::json references = nlohmann::json::array();
        txl::AppendScriptHex(script.data(), static_cast<std::int32_t>(size), labels, hex,
                             references);
        benchmark::DoNotOptimize(hex.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_ScriptScan)->Arg(4096)->Arg(1 << 20);

}  // namespace
