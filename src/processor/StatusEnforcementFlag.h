#pragma once

namespace txl {

// True while the current-status detour runs an enforcement on this thread, so that the game's
// reads of the status during that enforcement do not start another one.
extern thread_local bool StatusEnforcementActive;

}  // namespace txl
