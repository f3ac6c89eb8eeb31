#include "StopSignals.h"

#include <atomic>
#include <chrono>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#endif

namespace txl::devserver {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> stopFinished{false};

#if defined(_WIN32)
// Runs on a thread of its own. After a close, logoff or shutdown event Windows ends the process
// once this returns, so it waits (within the system's grace of about five seconds) for the
// plug-in to be unloaded.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    stopRequested.store(true);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        for (int waited = 0; waited < 90 && !stopFinished.load(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return TRUE;
}
#else
extern "C" void OnStopSignal(int) {
    stopRequested.store(true);
}
#endif

}  // namespace

void InstallStopSignals() {
#if defined(_WIN32)
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    // SA_RESTART: the console reader's read goes on rather than failing as if input had ended.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (txl-devserver | head) must not kill the server mid-command.
    signal(SIGPIPE, SIG_IGN);
#endif
}

bool StopRequested() {
    return stopRequested.load();
}

void StopFinished() {
    stopFinished.store(true);
}

}  // namespace txl::devserver
