#include "emuhost/Misuse.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace emuhost {
namespace {

std::atomic<ReleasedBufferTest> gReleasedTest{nullptr};

}  // namespace

void AbortOnMisuse(const std::string& message) {
    std::fprintf(stderr, "emulator: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

void SetReleasedBufferTest(ReleasedBufferTest test) {
    gReleasedTest.store(test);
}

void RequireUnreleased(const void* data, const char* reader) {
    ReleasedBufferTest test = gReleasedTest.load();
    if (data != nullptr && test != nullptr && test(data))
        AbortOnMisuse(std::string(reader) + " reads through a released buffer");
}

}  // namespace emuhost
