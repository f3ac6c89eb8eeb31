#include "AllocationCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace txlbench {
namespace {

std::atomic<std::uint64_t> gAllocations{0};
std::atomic<std::uint64_t> gLive{0};
std::atomic<std::uint64_t> gPeak{0};

void* Allocate(std::size_t size) {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) throw std::bad_alloc();
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    const std::uint64_t live =
        gLive.fetch_add(malloc_usable_size(memory), std::memory_order_relaxed) +
        malloc_usable_size(memory);
    std::uint64_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return memory;
}

void Release(void* memory) {
    if (memory == nullptr) return;
    gLive.fetch_sub(malloc_usable_size(memory), std::memory_order_relaxed);
    std::free(memory);
}

}  // namespace

std::uint64_t AllocationCount() {
    return gAllocations.load(std::memory_order_relaxed);
}

std::uint64_t LiveBytes() {
    return gLive.load(std::memory_order_relaxed);
}

std::uint64_t PeakBytes() {
    return gPeak.load(std::memory_order_relaxed);
}

void ResetPeakBytes() {
    gPeak.store(gLive.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

}  // namespace txlbench

void* operator new(std::size_t size) {
    return txlbench::Allocate(size);
}
void* operator new[](std::size_t size) {
    return txlbench::Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return txlbench::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return txlbench::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* memory) noexcept {
    txlbench::Release(memory);
}
void operator delete[](void* memory) noexcept {
    txlbench::Release(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    txlbench::Release(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    txlbench::Release(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    txlbench::Release(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    txlbench::Release(memory);
}
