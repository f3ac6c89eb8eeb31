#pragma once

#include <cstddef>
#include <string>

#include "AsaApi/EngineTypes.h"

namespace emu {

// The engine allocator. Every engine buffer (strings, arrays) comes from here, so tests
// can see what a plug-in left unreleased. Freeing an unknown pointer aborts loudly.
void* EngineMalloc(unsigned long long size, unsigned int alignment);
void* EngineRealloc(void* pointer, unsigned long long size, unsigned int alignment);
void EngineFree(void* pointer);
std::size_t LiveAllocations();

// Makes the next `count` allocations throw std::bad_alloc, as an exhausted engine would.
void FailNextAllocations(int count);

template <typename T>
void ArrayReserve(TArray<T>& array, int32 capacity) {
    if (capacity <= array.ArrayMax) return;
    array.Data = static_cast<T*>(
        EngineRealloc(array.Data, sizeof(T) * static_cast<unsigned long long>(capacity), 0));
    array.ArrayMax = capacity;
}

template <typename T>
void ArrayAppend(TArray<T>& array, const T& value) {
    if (array.ArrayNum == array.ArrayMax)
        ArrayReserve(array, array.ArrayMax < 4 ? 4 : array.ArrayMax * 2);
    array.Data[array.ArrayNum++] = value;
}

template <typename T>
void ArrayRemoveAt(TArray<T>& array, int32 index) {
    for (int32 i = index; i + 1 < array.ArrayNum; ++i) array.Data[i] = array.Data[i + 1];
    --array.ArrayNum;
}

template <typename T>
void ArrayRelease(TArray<T>& array) {
    if (array.Data != nullptr) EngineFree(array.Data);
    array = TArray<T>{};
}

void StringRelease(FString& text);
// Releases every array of a custom item data entry.
void CustomDataRelease(FCustomItemData& entry);
FString MakeString(const std::wstring& text);

}  // namespace emu
