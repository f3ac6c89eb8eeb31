#pragma once

#include <cstdint>

#include "AsaApi/Export.h"

// Engine value types as the host supplies them. They are plain records: the
// engine allocator owns their buffers, so nothing here frees memory by itself.

using int32 = std::int32_t;
using uint32 = std::uint32_t;
using uint16 = std::uint16_t;
using uint8 = std::uint8_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using UTF8CHAR = char8_t;

template <typename T>
struct TArray {
    T* Data = nullptr;
    int32 ArrayNum = 0;
    int32 ArrayMax = 0;
};

// Wide engine string. ArrayNum counts the terminator and is 0 when empty.
struct FString {
    wchar_t* Data = nullptr;
    int32 ArrayNum = 0;
    int32 ArrayMax = 0;

    FString() = default;
    ASAAPI_API explicit FString(const wchar_t* text);
    ASAAPI_API void AssignRange(const wchar_t* text, int count);
};

struct FName {
    int32 ComparisonIndex = 0;
    int32 Number = 0;
};

struct FWeakObjectPtr {
    int32 ObjectIndex = -1;
    int32 ObjectSerialNumber = 0;
};

struct FItemNetID {
    uint32 ItemID1 = 0;
    uint32 ItemID2 = 0;
};

class UObject;
class UClass;

struct FCustomItemData {
    FName CustomDataName;
    TArray<FString> CustomDataStrings;
    TArray<float> CustomDataFloats;
    TArray<double> CustomDataDoubles;
    TArray<UObject*> CustomDataObjects;
    TArray<UClass*> CustomDataClasses;
    TArray<FName> CustomDataNames;
};

// Location of a packed flag: the 32-bit word holding it, its first bit and its width.
struct BitField {
    uint64 offset = 0;
    uint32 bit_position = 0;
    uint32 num_bits = 0;
};

struct RCONPacket {
    int32 Length = 0;
    int32 Id = 0;
    int32 Type = 0;
    FString Body;
};

enum EFindName : int32 { FNAME_Find = 0, FNAME_Add = 1 };

enum class EGetSparseClassDataMethod : int32 {
    ReturnIfNull = 0,
    CreateIfNull = 1,
    ArchetypeIfNull = 2
};

namespace EPrimalCharacterStatusValue {
enum Type : int32 { MAX = 12 };
}

// Game classes are opaque: plug-ins reach their members by name through the host.
class UStruct;
class UField;
class UFunction;
class FField;
class FFieldClass;
class FProperty;
class AActor;
class UWorld;
class APrimalDinoCharacter;
class APrimalStructureItemContainer;
class AShooterPlayerController;
class UPrimalCharacterStatusComponent;
class UPrimalInventoryComponent;
class UPrimalItem;
class RCONClientConnection;
struct FPrimalItemSparseClassData;
