#include "emugame/Allocator.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

#include "emuhost/Misuse.h"

namespace emu {
namespace {

// Released buffers are poisoned and kept for a while instead of going back at once, so that a
// read through one is recognised rather than seeing whatever was allocated there next.
constexpr std::size_t kQuarantined = 4096;
constexpr unsigned char kPoison = 0xDD;

// The bookkeeping of engine buffers lives in the engine's own memory, not in the C++ heap of the
// process, so that a count of heap allocations sees only the callers' own.
template <typename T>
struct EngineBookkeeping {
    using value_type = T;
    EngineBookkeeping() = default;
    template <typename U>
    explicit EngineBookkeeping(const EngineBookkeeping<U>&) {}
    T* allocate(std::size_t count) {
        // T is the map's node or bucket type; a bucket is a pointer, and its size is meant.
        void* memory = std::malloc(count * sizeof(T));  // NOLINT(bugprone-sizeof-expression)
        if (memory == nullptr) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) { std::free(memory); }
    template <typename U>
    bool operator==(const EngineBookkeeping<U>&) const {
        return true;
    }
};

using LiveBuffers =
    std::unordered_map<void*, unsigned long long, std::hash<void*>, std::equal_to<void*>,
                       EngineBookkeeping<std::pair<void* const, unsigned long long>>>;
using ReleasedBuffers =
    std::map<std::uintptr_t, unsigned long long, std::less<>,
             EngineBookkeeping<std::pair<const std::uintptr_t, unsigned long long>>>;
using ReleaseOrder = std::deque<void*, EngineBookkeeping<void*>>;

struct AllocatorState {
    std::mutex mutex;
    LiveBuffers live;
    ReleasedBuffers released;
    ReleaseOrder releaseOrder;
    int failNext = 0;
};

bool IsReleased(const void* data);

AllocatorState& State() {
    static AllocatorState* state = [] {
        emuhost::SetReleasedBufferTest(&IsReleased);
        return new AllocatorState();  // outlives every engine buffer
    }();
    return *state;
}

bool IsReleased(const void* data) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    auto after = state.released.upper_bound(address);
    if (after == state.released.begin()) return false;
    const auto& [start, size] = *std::prev(after);
    return address < start + (size == 0 ? 1 : size);
}

[[noreturn]] void AbortOnUnknown(const char* operation, void* pointer) {
    const bool released = State().released.contains(reinterpret_cast<std::uintptr_t>(pointer));
    char text[128];
    std::snprintf(text, sizeof text, "FMemory.%s of a pointer %s: %p", operation,
                  released ? "already released" : "the engine did not allocate", pointer);
    emuhost::AbortOnMisuse(text);
}

void Quarantine(AllocatorState& state, void* pointer, unsigned long long size) {
    std::memset(pointer, kPoison, size);
    state.released[reinterpret_cast<std::uintptr_t>(pointer)] = size;
    state.releaseOrder.push_back(pointer);
    if (state.releaseOrder.size() <= kQuarantined) return;
    void* oldest = state.releaseOrder.front();
    state.releaseOrder.pop_front();
    state.released.erase(reinterpret_cast<std::uintptr_t>(oldest));
    std::free(oldest);
}

}  // namespace

void* EngineMalloc(unsigned long long size, unsigned int) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (state.failNext > 0) {
        --state.failNext;
        throw std::bad_alloc();
    }
    void* pointer = std::malloc(size == 0 ? 1 : size);
    if (pointer == nullptr) throw std::bad_alloc();
    state.live[pointer] = size;
    return pointer;
}

void* EngineRealloc(void* pointer, unsigned long long size, unsigned int alignment) {
    if (pointer == nullptr) return EngineMalloc(size, alignment);
    unsigned long long oldSize = 0;
    {
        auto& state = State();
        std::lock_guard lock(state.mutex);
        auto found = state.live.find(pointer);
        if (found == state.live.end()) AbortOnUnknown("Realloc", pointer);
        oldSize = found->second;
    }
    void* fresh = EngineMalloc(size, alignment);
    std::memcpy(fresh, pointer, oldSize < size ? oldSize : size);
    EngineFree(pointer);
    return fresh;
}

void EngineFree(void* pointer) {
    if (pointer == nullptr) return;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.live.find(pointer);
    if (found == state.live.end()) AbortOnUnknown("Free", pointer);
    const unsigned long long size = found->second;
    state.live.erase(found);
    Quarantine(state, pointer, size);
}

std::size_t LiveAllocations() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return state.live.size();
}

void FailNextAllocations(int count) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.failNext = count;
}

void StringRelease(FString& text) {
    if (text.Data != nullptr) EngineFree(text.Data);
    text = FString{};
}

void CustomDataRelease(FCustomItemData& entry) {
    for (int32 i = 0; i < entry.CustomDataStrings.ArrayNum; ++i)
        StringRelease(entry.CustomDataStrings.Data[i]);
    ArrayRelease(entry.CustomDataStrings);
    ArrayRelease(entry.CustomDataFloats);
    ArrayRelease(entry.CustomDataDoubles);
    ArrayRelease(entry.CustomDataObjects);
    ArrayRelease(entry.CustomDataClasses);
    ArrayRelease(entry.CustomDataNames);
}

FString MakeString(const std::wstring& text) {
    FString result;
    if (text.empty()) return result;
    auto count = static_cast<int32>(text.size()) + 1;
    result.Data = static_cast<wchar_t*>(
        EngineMalloc(sizeof(wchar_t) * static_cast<unsigned long long>(count), 0));
    std::memcpy(result.Data, text.c_str(), sizeof(wchar_t) * static_cast<size_t>(count));
    result.ArrayNum = count;
    result.ArrayMax = count;
    return result;
}

}  // namespace emu
