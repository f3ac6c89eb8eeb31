#include "PlayRun.h"

#include <algorithm>

namespace txlplay {
namespace {

constexpr int kMaxRuns = 4000;

}  // namespace

std::vector<std::string> ShrinkPlay(std::vector<std::string> lines, const PlayFailure& failure) {
    int runs = 0;
    auto stillFails = [&](const std::vector<std::string>& candidate) {
        ++runs;
        auto again = RunPlay(candidate);
        return again && again->kind == failure.kind;
    };
    // Nothing after the broken rule matters.
    if (failure.line + 1 < lines.size()) lines.resize(failure.line + 1);
    for (std::size_t chunk = lines.size() / 2; chunk >= 1 && runs < kMaxRuns;) {
        bool dropped = false;
        for (std::size_t start = 0; start < lines.size() && runs < kMaxRuns;) {
            std::vector<std::string> candidate(lines.begin(),
                                               lines.begin() + static_cast<long>(start));
            if (start + chunk < lines.size())
                candidate.insert(candidate.end(), lines.begin() + static_cast<long>(start + chunk),
                                 lines.end());
            if (!candidate.empty() && stillFails(candidate)) {
                lines = std::move(candidate);
                dropped = true;
            } else {
                start += chunk;
            }
        }
        // Single lines until nothing more can go; larger chunks halve when none went.
        if (chunk == 1 && !dropped) break;
        if (!dropped || chunk > lines.size() / 2) chunk = std::max<std::size_t>(1, chunk / 2);
    }
    return lines;
}

std::string PlayScript(const std::vector<std::string>& lines, const PlayFailure& failure) {
    std::string script = "# Random play broke a rule after the last command line:\n#   " +
                         failure.detail +
                         "\n# Replay: txl-devserver --script FILE (default world); the final "
                         "state shows it.\n";
    for (const std::string& line : PlayPreamble()) script += line + "\n";
    for (std::size_t i = 0; i < lines.size() && i <= failure.line; ++i) script += lines[i] + "\n";
    // The status reads are the game's, not in the state document.
    if (failure.detail.rfind("processor ", 0) == 0)
        script += "stat " + failure.detail.substr(10, failure.detail.find(':') - 10) + "\n";
    return script + "state\n";
}

}  // namespace txlplay
