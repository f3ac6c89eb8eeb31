#pragma once

#include <cstdint>

#include "AsaApi/EngineTypes.h"

// Memory layouts of the emulated game's objects. Each record is standard-layout
// (composition, no inheritance of data) so that the offsets the game publishes to the
// host are plain offsetof values. Fields a plug-in may touch are named as the game names them.
namespace emu {

struct Class;
struct FieldClass;
struct Property;

struct ObjectBase {  // UObjectBase
    void* VTable;
    int32 ObjectFlags;
    int32 InternalIndex;
    Class* ClassPrivate;
    FName NamePrivate;
    ObjectBase* OuterPrivate;
};

struct Field {  // UField
    ObjectBase Object;
    Field* Next;
};

struct Struct {  // UStruct
    Field Base;
    Struct* SuperStruct;
    Field* Children;
    Property* ChildProperties;
    int32 PropertiesSize;
    int32 MinAlignment;
    TArray<uint8> Script;
};

struct Class {  // UClass
    Struct Base;
    uint32 ClassFlags;
    void* SparseClassData;
    ObjectBase* DefaultObject;
};

struct Function {  // UFunction
    Struct Base;
    uint32 FunctionFlags;
};

struct FieldClass {  // FFieldClass
    FName Name;
    uint64 Id;
    FieldClass* SuperClass;
};

struct FieldBase {  // FField
    void* VTable;
    FieldClass* ClassPrivate;
    void* Owner;
    FieldBase* Next;
    FName NamePrivate;
    uint32 FlagsPrivate;
};

struct Property {  // FProperty
    FieldBase Base;
    int32 ArrayDim;
    int32 ElementSize;
    uint64 PropertyFlags;
    uint16 RepIndex;
    int32 Offset_Internal;
};

struct Actor {  // AActor / UPrimalActor
    ObjectBase Object;
    uint8 bActorIsBeingDestroyed;
    uint8 NetDormancy;
    uint16 Padding0;
    int32 TargetingTeam;
    double CreationTime;
};

struct ActorComponent {  // UActorComponent
    ObjectBase Object;
    Actor* OwnerPrivate;
};

constexpr int kStatusCount = 12;

struct StatusComponent {  // UPrimalCharacterStatusComponent
    ActorComponent Component;
    float CurrentStatusValues[kStatusCount];
    float MaxStatusValues[kStatusCount];
    float ReplicatedGlobalMaxStatusValues[kStatusCount];
    int32 NumberOfLevelUpPointsApplied[kStatusCount];
    int32 LevelUpPointsAvailable;
};

struct Item;

struct InventoryComponent {  // UPrimalInventoryComponent
    ActorComponent Component;
    TArray<Item*> InventoryItems;
};

struct Character {  // APrimalCharacter / APrimalDinoCharacter
    Actor Base;
    StatusComponent* MyCharacterStatusComponent;
    InventoryComponent* MyInventoryComponent;
};

struct ItemContainer {  // APrimalStructureItemContainer
    Actor Base;
    uint64 StructureFlags;
    float Health;
    int32 Padding0;
    InventoryComponent* MyInventoryComponent;
};

struct ItemSparseClassData {  // FPrimalItemSparseClassData
    float BaseCraftingTime;
    int32 BlueprintAllowMaxCraftings;
};

struct Item {  // UPrimalItem
    ObjectBase Object;
    FItemNetID ItemID;
    int32 CustomItemID;
    TArray<FCustomItemData> CustomItemDatas;
    FString CustomItemDescription;
    FString ItemDescription;
    uint32 ItemFlags;  // packed flags, see ItemFlagBits
    FWeakObjectPtr OwnerInventory;
    uint16 CraftQueue;
    uint16 Padding0;
    float ItemDurability;
    int64 CraftingProgressMs;  // simulated milliseconds spent on the current craft
    uint32 CraftsSucceeded;    // finished crafts whose roll gave a product
    uint32 CraftsFailed;       // finished crafts whose roll gave nothing
};

// Bits of Item::ItemFlags, as the game packs them.
enum ItemFlagBits : uint32 {
    kIsBlueprintBit = 0,
    kIsEngramBit = 3,
    kHideCustomDescriptionBit = 7,
    kForceAllowCustomItemDescriptionBit = 12,
};

inline bool ItemFlag(const Item& item, ItemFlagBits bit) {
    return ((item.ItemFlags >> bit) & 1U) != 0;
}
inline void SetItemFlag(Item& item, ItemFlagBits bit, bool on) {
    item.ItemFlags = on ? (item.ItemFlags | (1U << bit)) : (item.ItemFlags & ~(1U << bit));
}

struct RconConnection;  // RCONClientConnection, see World.h
struct World;           // UWorld

}  // namespace emu
