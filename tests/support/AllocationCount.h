#pragma once

#include <cstdint>

// The test program replaces the global operator new and delete with a pass-through to malloc
// and free that can count, on the calling thread, the allocations made inside a scope. Every
// non-aligned form is replaced, so that allocation and release always meet in one allocator
// (AddressSanitizer then sees them as malloc and free, and reports no mismatch).
namespace txltest {

class AllocationCount {
  public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    // Heap allocations made through operator new on this thread since construction.
    std::uint64_t Allocations() const;

  private:
    std::uint64_t start_;
};

}  // namespace txltest
