#pragma once

#include <array>

namespace txl {

inline constexpr const wchar_t* kTimerName = L"Thalassovex.ProcessorLimits";
inline constexpr const wchar_t* kInspectCommand = L"Thalassovex.Inspect";
inline constexpr const wchar_t* kApplyCommand = L"Thalassovex.Apply";
inline constexpr const wchar_t* kReloadCommand = L"TXL.Reload";
// Registration order, which is also the order teardown removes them in.
inline constexpr std::array<const wchar_t*, 3> kCommandNames = {kInspectCommand, kApplyCommand,
                                                                kReloadCommand};

// Adds the timer, then the three RCON commands, setting the registration flags.
void RegisterTimerAndCommands();

}  // namespace txl
