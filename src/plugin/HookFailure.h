#pragma once

#include <exception>

namespace txl {

// The one line a host or game callback logs when the plug-in's own work in it failed; the
// caller then carries on as the game would without the plug-in.
void LogHookFailure(const std::exception& error);

}  // namespace txl
