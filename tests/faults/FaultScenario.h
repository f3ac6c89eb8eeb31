#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "support/EmulatedServer.h"

namespace txltest {

// One fault the host or game can inject on a name the plug-in resolves.
enum class FaultMode { UnresolvableName, ThrowingCall, RefusedInstall };
enum class FaultStart { BeforeLoad, AfterLoad };

struct NameFault {
    std::string Name;
    FaultMode Mode;
};

// What one run of the whole-server scenario showed.
struct ScenarioOutcome {
    bool Started = false;              // its commands or timer were in place after its load
    std::size_t HooksAfterLoad = 0;    // hooks in place after the load
    std::size_t HooksAtEnd = 0;        // hooks in place at the end of the script
    std::vector<std::string> Replies;  // one per command of the script, in order
    // The plug-in's error and critical lines: [0] from the load and the world's start, then one
    // group per command.
    std::vector<std::vector<std::string>> ErrorsByStep;
    std::size_t HostFailures = 0;     // times the fault fired
    std::string ReloadAfterRecovery;  // a reload once the fault has cleared
    long long LeakedBuffers = 0;      // engine buffers still live once the world is gone
};

// The commands of the scenario; the last asks for an apply while the fault is still in force.
const std::vector<std::string>& FaultScript();

// The dev server's default world with the plug-in loaded from its library, driven through every
// road that makes the plug-in resolve a game name: start-up, play, status reads, level-ups,
// counted and shared crafts, a craft refused at its end, items arriving, use, apply, inspect,
// reload, timer ticks and a destroyed container. The fault is in force from `start` to the end
// of the script; then it clears and the plug-in is asked to reload.
ScenarioOutcome RunFaultScenario(const NameFault* fault, FaultStart start);

// The line the host or game logs each time the fault fires.
std::string HostFailureLine(const NameFault& fault);

// The faults that apply to every listed name: its resolution fails; a function's calls also
// throw; a hook's install is refused.
std::vector<NameFault> EveryNameFault();

// How test output shows a fault.
std::string Describe(const NameFault& fault);
inline void PrintTo(const NameFault& fault, std::ostream* out) {
    *out << Describe(fault);
}

}  // namespace txltest
