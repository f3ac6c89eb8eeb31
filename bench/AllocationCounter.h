#pragma once

#include <cstdint>

// The benchmark binary replaces the global allocator with one that counts: every heap
// allocation made through operator new in this process, whoever makes it.
namespace txlbench {

std::uint64_t AllocationCount();
std::uint64_t LiveBytes();
// Highest LiveBytes() since the last ResetPeakBytes().
std::uint64_t PeakBytes();
void ResetPeakBytes();

}  // namespace txlbench
