#pragma once

#include <array>

#include "plugin/PluginState.h"

namespace txl {

// The ten hooks in install order, not yet installed.
std::array<HookRecord, kHookCount> MakeHookTable();
void InstallHooks();
void RemoveInstalledHooks();

}  // namespace txl
