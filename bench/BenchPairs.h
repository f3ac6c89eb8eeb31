#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>

namespace txlbench {

// A benchmark body; `hooked` tells whether the plug-in's hooks are in the world.
using PairBody = std::function<void(benchmark::State&, bool hooked)>;

// Registers "<name>/game" (no hooks) and "<name>/plugin" (hooks installed) on the same body;
// the reporter prints their difference. `configure` sets iterations, units and the like.
void RegisterPair(const std::string& name, PairBody body,
                  const std::function<void(benchmark::internal::Benchmark*)>& configure = {});
// Only "<name>/plugin": work the game does not do at all (timer tick, inspection).
void RegisterPluginOnly(const std::string& name, PairBody body,
                        const std::function<void(benchmark::internal::Benchmark*)>& configure = {});

// Heap allocations made between construction and Finish, reported per iteration.
class AllocationScope {
  public:
    AllocationScope();
    void Finish(benchmark::State& state);

  private:
    std::uint64_t start_;
};

}  // namespace txlbench
