#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Medians of one case, with and without the plug-in.
struct PairFigures {
    double gameNs = 0.0;
    double pluginNs = 0.0;
    double gameAllocs = 0.0;
    double pluginAllocs = 0.0;
    bool hasGame = false;
    std::map<std::string, double> extra;
};

// The console output as usual, then one table of the differences that the plug-in makes.
class DifferenceReporter : public benchmark::ConsoleReporter {
  public:
    // Plain text: the output usually goes to a file.
    DifferenceReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            std::string name = run.run_name.function_name;
            if (name.rfind('/') == std::string::npos) continue;  // not a pair
            const bool hooked = name.ends_with("/plugin");
            name.resize(name.rfind('/'));
            PairFigures& figures = figures_[name];
            const double ns =
                run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const auto allocs = run.counters.find("allocs");
            const double count = allocs != run.counters.end() ? allocs->second.value : 0.0;
            if (hooked) {
                figures.pluginNs = ns;
                figures.pluginAllocs = count;
                for (const auto& [key, counter] : run.counters) {
                    if (key != "allocs") figures.extra[key] = counter.value;
                }
            } else {
                figures.gameNs = ns;
                figures.gameAllocs = count;
                figures.hasGame = true;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %14s %14s %14s %12s  %s\n", "case (CPU medians)", "game", "plugin",
                    "added", "allocs added", "other");
        for (const auto& [name, f] : figures_) {
            std::string other;
            for (const auto& [key, value] : f.extra) {
                char text[64];
                std::snprintf(text, sizeof text, "%s=%.3g ", key.c_str(), value);
                other += text;
            }
            std::printf("%-44s %14s %14s %14s %12.1f  %s\n", name.c_str(),
                        f.hasGame ? Time(f.gameNs).c_str() : "-", Time(f.pluginNs).c_str(),
                        Time(f.pluginNs - (f.hasGame ? f.gameNs : 0.0)).c_str(),
                        f.pluginAllocs - f.gameAllocs, other.c_str());
        }
    }

  private:
    static std::string Time(double ns) {
        char text[32];
        if (ns < 1e3 && ns > -1e3) {
            std::snprintf(text, sizeof text, "%.1f ns", ns);
        } else if (ns < 1e6 && ns > -1e6) {
            std::snprintf(text, sizeof text, "%.2f us", ns / 1e3);
        } else {
            std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
        }
        return text;
    }

    std::map<std::string, PairFigures> figures_;
};

}  // namespace

int main(int argc, char** argv) {
    // Interleaved repetitions by default: both halves of a pair see the same machine load.
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    bool chosen = false;
    for (int i = 1; i < argc; ++i)
        chosen = chosen || std::string(argv[i]).starts_with("--benchmark_repetitions");
    if (!chosen) {
        arguments.insert(arguments.begin() + 1,
                         {repetitions.data(), interleave.data(), aggregates.data()});
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    DifferenceReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
