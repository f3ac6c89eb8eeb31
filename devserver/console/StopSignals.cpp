#include "StopSignals.h"

#include <atomic>
#include <csignal>

namespace txl::devserver {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<void (*)() noexcept> stopWaker{nullptr};

extern "C" void OnStopSignal(int) {
    stopRequested.store(true);
    if (auto waker = stopWaker.load()) waker();
}

}  // namespace

void InstallStopSignals() {
    // sigaction without SA_RESTART, so a wait on the console returns at once.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (txl-devserver | head) must not kill the server mid-command.
    signal(SIGPIPE, SIG_IGN);
}

bool StopRequested() {
    return stopRequested.load();
}

void SetStopWaker(void (*waker)() noexcept) {
    stopWaker.store(waker);
}

}  // namespace txl::devserver
