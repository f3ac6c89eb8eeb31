#pragma once

#include <istream>

#include <spdlog/logger.h>

#include "CommandRunner.h"
#include "DevServerOptions.h"
#include "RemoteConsole.h"

namespace txl::devserver {

// Runs the script's lines in order until it ends, `quit` or a stop signal; RCON requests (when
// `remote` is given) are served between lines. Lines starting with '#' are comments (printed
// with --echo). Exit code 1 when a command failed.
int RunScript(CommandRunner& runner, std::istream& script, RemoteConsole* remote);

// Serves the console and RCON clients (when `remote` is given) until `quit`, a stop signal, or
// the end of console input while no listener runs.
int RunInteractive(CommandRunner& runner, const DevServerOptions& options, RemoteConsole* remote,
                   spdlog::logger& logger);

}  // namespace txl::devserver
