#include "FuzzTargets.h"

// TXL_FUZZ_ENTRY names the target this executable runs.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return txlfuzz::TXL_FUZZ_ENTRY(data, size);
}
