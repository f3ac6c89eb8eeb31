#pragma once

#include "DevServerOptions.h"

namespace txl::devserver {

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCommandFailed = 1;  // a script command failed
inline constexpr int kExitStartFailed = 2;    // bad options, world file, plug-in or listener

// Loads the world and the plug-in, serves commands until told to stop, unloads the plug-in.
int RunDevServer(const DevServerOptions& options);

}  // namespace txl::devserver
