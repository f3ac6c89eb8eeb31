#pragma once

#include <istream>

#include <spdlog/logger.h>

#include "CommandRunner.h"
#include "DevServerOptions.h"

namespace txl::devserver {

// Runs the script's lines in order until it ends, `quit` or a stop signal. Lines starting
// with '#' are comments (printed with --echo). Exit code 1 when a command failed.
int RunScript(CommandRunner& runner, std::istream& script);

// Serves the console and, when asked for, RCON clients until `quit`, a stop signal, or the
// end of console input while no listener runs.
int RunInteractive(CommandRunner& runner, const DevServerOptions& options, spdlog::logger& logger);

}  // namespace txl::devserver
