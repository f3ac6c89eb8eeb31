#include "BenchPairs.h"

#include "AllocationCounter.h"

namespace txlbench {
namespace {

void Register(const std::string& name, bool hooked, const PairBody& body,
              const std::function<void(benchmark::internal::Benchmark*)>& configure) {
    auto* bench = benchmark::RegisterBenchmark(
        (name + (hooked ? "/plugin" : "/game")).c_str(),
        [body, hooked](benchmark::State& state) { body(state, hooked); });
    if (configure) configure(bench);
}

}  // namespace

void RegisterPair(const std::string& name, PairBody body,
                  const std::function<void(benchmark::internal::Benchmark*)>& configure) {
    Register(name, false, body, configure);
    Register(name, true, body, configure);
}

void RegisterPluginOnly(const std::string& name, PairBody body,
                        const std::function<void(benchmark::internal::Benchmark*)>& configure) {
    Register(name, true, body, configure);
}

AllocationScope::AllocationScope() : start_(AllocationCount()) {}

void AllocationScope::Finish(benchmark::State& state) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(AllocationCount() - start_),
                                                  benchmark::Counter::kAvgIterations);
}

}  // namespace txlbench
