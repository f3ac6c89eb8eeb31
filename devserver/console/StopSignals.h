#pragma once

namespace txl::devserver {

// SIGINT and SIGTERM ask the game thread to stop; it notices between commands. SIGPIPE is
// ignored.
void InstallStopSignals();
bool StopRequested();
// Called from the signal handler too: must be async-signal-safe (or null).
void SetStopWaker(void (*waker)() noexcept);

}  // namespace txl::devserver
