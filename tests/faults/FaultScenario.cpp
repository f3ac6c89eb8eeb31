#include "faults/FaultScenario.h"

#include <nlohmann/json.hpp>

#include "CommandInterpreter.h"
#include "DefaultWorld.h"
#include "GameSession.h"
#include "PopulateWorld.h"
#include "WorldFile.h"
#include "emugame/Allocator.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/NameRegistry.h"
#include "emuhost/PluginLoader.h"
#include "host/HostNames.h"
#include "shared/PluginState.h"

namespace txltest {

const std::vector<std::string>& FaultScript() {
    static const std::vector<std::string> script = {
        "stat 1",
        "stat 2",
        "levelup 1 11",
        "levelup 2 11",
        "craft 1 1:1 12",
        "advance 20",
        "craft 1 1:1 1",
        // Two copies of 4:1 queue more than it has left: the last craft is refused at its end.
        "share 1 4 4:1 id=1:7",
        "craft 1 1:5 7",
        "craft 1 1:7 7",
        "advance 30",
        "give 3 PrimalItem_Bolt_C blueprint id=3:9",
        "move 3 3:9 1",
        "setprop 1 NumberMaxCrafts 100",
        "use 1",
        "Thalassovex.Apply",
        "Thalassovex.Inspect",
        R"(config write {"MaxCraftChancePercent": 40, "MaxCraftingsPerBlueprint": 5})",
        "TXL.Reload",
        "give 1 PrimalItem_Bolt_C blueprint id=1:8",
        "destroy 4",
        "craft 1 1:8 1",
        "advance 70",
        "stat 2",
        "Thalassovex.Apply",
    };
    return script;
}

namespace {

void Inject(const NameFault& fault) {
    switch (fault.Mode) {
        case FaultMode::UnresolvableName:
            emuhost::NameRegistry::Instance().FailResolution(fault.Name);
            break;
        case FaultMode::ThrowingCall:
            emuhost::NameRegistry::Instance().FailCalls(fault.Name);
            break;
        case FaultMode::RefusedInstall:
            emuhost::HookManager::Instance().FailInstall(fault.Name);
            break;
    }
}

}  // namespace

std::string HostFailureLine(const NameFault& fault) {
    if (fault.Mode == FaultMode::ThrowingCall) return "Game call failed in '" + fault.Name + "'";
    return "Host call failed for '" + fault.Name + "'";
}

ScenarioOutcome RunFaultScenario(const NameFault* fault, FaultStart start) {
    ScenarioOutcome outcome;
    EmulatedServer server;
    PluginFolder folder(R"({"DebugLogging": true})");
    emu::Game& game = server.Game();
    const auto baseline = static_cast<long long>(emu::LiveAllocations());
    {
        auto plan = txl::devserver::LoadWorld(
            nlohmann::json::parse(txl::devserver::DefaultWorldJson()), "default world", game);
        if (fault != nullptr && start == FaultStart::BeforeLoad) Inject(*fault);
        emuhost::LoadedPlugin plugin(folder.Library());
        outcome.HooksAfterLoad = emuhost::HookManager::Instance().InstalledCount();
        auto& registry = emuhost::CommandRegistry::Instance();
        outcome.Started = !registry.RconCommandNames().empty() || !registry.TimerNames().empty();
        if (fault != nullptr && start == FaultStart::AfterLoad) Inject(*fault);
        {
            txl::devserver::GameSession session(game, folder.Path(), 10.0);
            txl::devserver::RestoreWorld(plan, session, std::nullopt);
            txl::devserver::CommandInterpreter interpreter(session);
            auto run = [&interpreter](const std::string& line) {
                return interpreter.Execute(line, txl::devserver::CommandSource::Script).reply;
            };
            std::size_t logged = 0;
            auto takeErrors = [&] {
                auto lines = server.Logs().Messages("error");
                for (auto& line : server.Logs().Messages("critical")) lines.push_back(line);
                outcome.ErrorsByStep.emplace_back(lines.begin() + static_cast<long>(logged),
                                                  lines.end());
                logged = lines.size();
            };
            takeErrors();
            for (const auto& line : FaultScript()) {
                outcome.Replies.push_back(run(line));
                takeErrors();
            }
            outcome.HooksAtEnd = emuhost::HookManager::Instance().InstalledCount();
            if (fault != nullptr && fault->Mode == FaultMode::RefusedInstall) {
                outcome.HostFailures = outcome.HooksAfterLoad < txl::kHookCount ? 1 : 0;
            } else if (fault != nullptr) {
                for (const auto& line : server.Logs().Messages("", "AsaApi"))
                    outcome.HostFailures += line == HostFailureLine(*fault) ? 1 : 0;
            }
            emuhost::NameRegistry::Instance().ClearFaults();
            emuhost::HookManager::Instance().ClearFaults();
            outcome.ReloadAfterRecovery = run("TXL.Reload");
        }
        plugin.Unload();
    }
    game.Reset();
    outcome.LeakedBuffers = static_cast<long long>(emu::LiveAllocations()) - baseline;
    return outcome;
}

std::vector<NameFault> EveryNameFault() {
    std::vector<NameFault> faults;
    for (const txl::host::HostName& listed : txl::host::kHostNames) {
        const std::string name(listed.Text);
        switch (listed.Kind) {
            case txl::host::HostNameKind::Function:
                faults.push_back({name, FaultMode::UnresolvableName});
                faults.push_back({name, FaultMode::ThrowingCall});
                break;
            case txl::host::HostNameKind::Field:
            case txl::host::HostNameKind::BitField:
                faults.push_back({name, FaultMode::UnresolvableName});
                break;
            case txl::host::HostNameKind::Hook:
                faults.push_back({name, FaultMode::RefusedInstall});
                break;
        }
    }
    return faults;
}

std::string Describe(const NameFault& fault) {
    switch (fault.Mode) {
        case FaultMode::UnresolvableName:
            return "unresolvable " + fault.Name;
        case FaultMode::ThrowingCall:
            return "throwing " + fault.Name;
        case FaultMode::RefusedInstall:
            return "refused hook " + fault.Name;
    }
    return fault.Name;
}

}  // namespace txltest
