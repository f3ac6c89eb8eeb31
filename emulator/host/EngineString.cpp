#include <cstring>
#include <cwchar>

#include "AsaApi/Address.h"
#include "AsaApi/EngineTypes.h"
#include "emuhost/Misuse.h"

namespace {

using MallocFn = void* (*)(unsigned long long, unsigned int);
using FreeFn = void (*)(void*);

// Engine strings live in the game's allocator, reached by name like any plug-in would.
wchar_t* AllocateUnits(int count) {
    auto malloc =
        reinterpret_cast<MallocFn>(GetAddress("FMemory.Malloc(unsigned__int64,unsignedint)"));
    return static_cast<wchar_t*>(
        malloc(sizeof(wchar_t) * static_cast<unsigned long long>(count), 0));
}

void FreeUnits(wchar_t* data) {
    if (data != nullptr) reinterpret_cast<FreeFn>(GetAddress("FMemory.Free(void*)"))(data);
}

}  // namespace

FString::FString(const wchar_t* text) {
    AssignRange(text, text == nullptr ? 0 : static_cast<int>(std::wcslen(text)));
}

void FString::AssignRange(const wchar_t* text, int count) {
    if (count < 0) emuhost::AbortOnMisuse("FString::AssignRange with a negative count");
    if (text == nullptr && count > 0) emuhost::AbortOnMisuse("FString::AssignRange from null");
    emuhost::RequireUnreleased(text, "FString::AssignRange");
    if (count == 0) {
        // Keep the buffer, as the engine does, but hold the empty string.
        ArrayNum = 0;
        if (Data != nullptr) Data[0] = L'\0';
        return;
    }
    if (count + 1 > ArrayMax) {
        wchar_t* fresh = AllocateUnits(count + 1);
        std::memcpy(fresh, text, sizeof(wchar_t) * static_cast<size_t>(count));
        FreeUnits(Data);
        Data = fresh;
        ArrayMax = count + 1;
    } else {
        std::memmove(Data, text, sizeof(wchar_t) * static_cast<size_t>(count));
    }
    Data[count] = L'\0';
    ArrayNum = count + 1;
}
