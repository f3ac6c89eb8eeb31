#pragma once

namespace txl::devserver {

// Ctrl-C and the console window's close on Windows, SIGINT and SIGTERM elsewhere: each asks the
// server to stop; the loops notice within their short waits.
void InstallStopSignals();
bool StopRequested();
// The server has unloaded the plug-in; a console close waiting for that may let Windows go on.
void StopFinished();

}  // namespace txl::devserver
