#include "support/AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {

// Plain thread-locals without constructors: safe to touch from inside operator new.
thread_local int tCounting = 0;
thread_local std::uint64_t tAllocations = 0;

void* Allocate(std::size_t size) noexcept {
    if (tCounting > 0) ++tAllocations;
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
    void* memory = Allocate(size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

namespace txltest {

AllocationCount::AllocationCount() : start_(tAllocations) {
    ++tCounting;
}

AllocationCount::~AllocationCount() {
    --tCounting;
}

std::uint64_t AllocationCount::Allocations() const {
    return tAllocations - start_;
}

}  // namespace txltest

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
