#include "InputLoop.h"

#include <chrono>
#include <string>

#include "CommandInterpreter.h"
#include "ConsoleInput.h"
#include "DevServer.h"
#include "StopSignals.h"

namespace txl::devserver {

int RunScript(CommandRunner& runner, std::istream& script, RemoteConsole* remote) {
    bool failed = false;
    std::string line;
    while (!StopRequested() && std::getline(script, line)) {
        if (remote != nullptr && remote->ProcessPending()) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        if (line[first] == '#') {
            runner.Echo(line);
            continue;
        }
        CommandResult result = runner.RunAndPrint(line, CommandSource::Script);
        failed = failed || !result.ok;
        if (result.quit) break;
    }
    return failed ? kExitCommandFailed : kExitOk;
}

int RunInteractive(CommandRunner& runner, const DevServerOptions& options, RemoteConsole* remote,
                   spdlog::logger& logger) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    ConsoleInput console({CommandNames(), !options.noHistory});
    auto lastTick = Clock::now();
    while (!StopRequested()) {
        if (!console.Ended()) {
            // Short waits while a listener runs, so its requests are not held up.
            if (auto line = console.NextLine(milliseconds(remote != nullptr ? 10 : 50))) {
                if (runner.RunAndPrint(*line, CommandSource::Console).quit) break;
            } else if (console.Ended()) {
                logger.info(remote != nullptr ? "console input ended; still serving RCON"
                                              : "console input ended");
            }
        } else if (remote == nullptr) {
            break;
        } else {
            remote->WaitForPending(milliseconds(50));
        }
        if (remote != nullptr && remote->ProcessPending()) break;
        if (options.realtime) {
            // Whole milliseconds; the remainder waits for the next turn, so nothing drifts.
            auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - lastTick);
            runner.AdvanceClock(elapsed.count());
            lastTick += elapsed;
        }
    }
    return kExitOk;
}

}  // namespace txl::devserver
