#pragma once

#include <cstdio>
#include <cstdlib>

namespace txlfuzz {

// A broken invariant: says which and aborts, so libFuzzer saves the input as a crash.
[[noreturn]] inline void Violation(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

}  // namespace txlfuzz

#define TXL_FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::txlfuzz::Violation(#condition, __FILE__, __LINE__))
