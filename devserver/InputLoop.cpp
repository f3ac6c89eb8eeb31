#include "InputLoop.h"

#include <chrono>
#include <string>

#include "ConsoleInput.h"
#include "DevServer.h"
#include "StopSignals.h"

namespace txl::devserver {

int RunScript(CommandRunner& runner, std::istream& script) {
    bool failed = false;
    std::string line;
    while (!StopRequested() && std::getline(script, line)) {
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

int RunInteractive(CommandRunner& runner, const DevServerOptions& options, spdlog::logger& logger) {
    using Clock = std::chrono::steady_clock;
    ConsoleInput console;
    bool listening = false;  // an RCON listener keeps the server up after the console ends
    auto lastTick = Clock::now();
    while (!StopRequested()) {
        if (!console.Ended()) {
            if (auto line = console.NextLine(std::chrono::milliseconds(50))) {
                if (runner.RunAndPrint(*line, CommandSource::Console).quit) break;
            }
        } else if (!listening) {
            logger.info("console input ended");
            break;
        }
        if (options.realtime) {
            auto now = Clock::now();
            runner.AdvanceClock(std::chrono::duration<double>(now - lastTick).count());
            lastTick = now;
        }
    }
    return kExitOk;
}

}  // namespace txl::devserver
