#pragma once

#include <string_view>

namespace txl::host {

enum class HostNameKind { Function, Field, BitField, Hook };

struct HostName {
    HostNameKind Kind;
    std::string_view Text;
};

// Every game name the plug-in resolves through the host. Code names them with "..."_function,
// "..."_field, "..."_flag and "..."_hook, which do not compile for a name missing here, so what
// walks this list (the fault tests, the check that the game publishes them) reaches every one.
inline constexpr HostName kHostNames[] = {
    // Engine and reflection.
    {HostNameKind::Function, "FMemory.Free(void*)"},
    {HostNameKind::Function, "FMemory.Malloc(unsigned__int64,unsignedint)"},
    {HostNameKind::Function, "FName.ToString(FString&)"},
    {HostNameKind::Function, "FName.FName(char*,EFindName)"},
    {HostNameKind::Function, "FWeakObjectPtr.operator=(UObject*)"},
    {HostNameKind::Function, "FWeakObjectPtr.Get()"},
    {HostNameKind::Function, "FField.IsA(FFieldClass*)"},
    {HostNameKind::Function, "FDoubleProperty.StaticClass()"},
    {HostNameKind::Function, "FFloatProperty.StaticClass()"},
    {HostNameKind::Function, "FIntProperty.StaticClass()"},
    {HostNameKind::Function, "UClass.GetSparseClassData(EGetSparseClassDataMethod)"},
    {HostNameKind::Field, "UObjectBase.ClassPrivate"},
    {HostNameKind::Field, "UObjectBase.NamePrivate"},
    {HostNameKind::Field, "UField.Next"},
    {HostNameKind::Field, "UStruct.SuperStruct"},
    {HostNameKind::Field, "UStruct.Children"},
    {HostNameKind::Field, "UStruct.ChildProperties"},
    {HostNameKind::Field, "UStruct.Script"},
    {HostNameKind::Field, "UStruct.PropertiesSize"},
    {HostNameKind::Field, "FField.Next"},
    {HostNameKind::Field, "FField.NamePrivate"},
    {HostNameKind::Field, "FProperty.ElementSize"},
    {HostNameKind::Field, "FProperty.ArrayDim"},
    {HostNameKind::Field, "FProperty.Offset_Internal"},
    // World, actors and creatures.
    {HostNameKind::Function, "APrimalDinoCharacter.GetPrivateStaticClass()"},
    {HostNameKind::Function, "APrimalStructureItemContainer.GetPrivateStaticClass()"},
    {HostNameKind::Function,
     "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,TArray<AActor*,"
     "TSizedDefaultAllocator<32>>&)"},
    {HostNameKind::Function, "RCONClientConnection.SendMessage(int,int,FString&)"},
    {HostNameKind::Function, "AActor.ForceNetUpdate(bool,bool,bool)"},
    {HostNameKind::Function, "AActor.FlushNetDormancy()"},
    {HostNameKind::Function, "UPrimalActor.MulticastProperty(FName,bool)"},
    {HostNameKind::Function, "UPrimalCharacterStatusComponent.ServerSyncReplicatedValues()"},
    {HostNameKind::Field, "UActorComponent.OwnerPrivate"},
    {HostNameKind::Field, "UPrimalActor.TargetingTeam"},
    {HostNameKind::Field, "APrimalCharacter.MyInventoryComponent"},
    {HostNameKind::Field, "APrimalStructureItemContainer.MyInventoryComponent"},
    {HostNameKind::Field, "APrimalCharacter.MyCharacterStatusComponent"},
    {HostNameKind::Field, "UPrimalCharacterStatusComponent.CurrentStatusValues"},
    {HostNameKind::Field, "UPrimalCharacterStatusComponent.MaxStatusValues"},
    {HostNameKind::Field, "UPrimalCharacterStatusComponent.ReplicatedGlobalMaxStatusValues"},
    {HostNameKind::Field, "UPrimalInventoryComponent.InventoryItems"},
    // Items.
    {HostNameKind::Function, "UPrimalItem.SetCustomItemData(FCustomItemData&)"},
    {HostNameKind::Function, "UPrimalItem.UpdatedItem(bool,bool)"},
    {HostNameKind::Function, "UPrimalItem.StopCraftingRepairing(bool)"},
    {HostNameKind::Field, "FPrimalItemSparseClassData.BlueprintAllowMaxCraftings"},
    {HostNameKind::Field, "UPrimalItem.ItemID"},
    {HostNameKind::Field, "UPrimalItem.CustomItemID"},
    {HostNameKind::Field, "UPrimalItem.CustomItemDatas"},
    {HostNameKind::Field, "UPrimalItem.CustomItemDescription"},
    {HostNameKind::Field, "UPrimalItem.ItemDescription"},
    {HostNameKind::Field, "UPrimalItem.ItemDurability"},
    {HostNameKind::Field, "UPrimalItem.OwnerInventory"},
    {HostNameKind::Field, "UPrimalItem.CraftQueue"},
    {HostNameKind::BitField, "UPrimalItem.bIsBlueprint"},
    {HostNameKind::BitField, "UPrimalItem.bIsEngram"},
    {HostNameKind::BitField, "UPrimalItem.bHideCustomDescription"},
    {HostNameKind::BitField, "UPrimalItem.bForceAllowCustomItemDescription"},
    // The hooked game functions.
    {HostNameKind::Hook, "APrimalDinoCharacter.BeginPlay()"},
    {HostNameKind::Hook, "AShooterPlayerController.ServerMultiUse_Implementation(UObject*,int)"},
    {HostNameKind::Hook,
     "UPrimalCharacterStatusComponent.BPGetCurrentStatusValue(EPrimalCharacterStatusValue::Type)"},
    {HostNameKind::Hook,
     "UPrimalCharacterStatusComponent.BPGetMaxStatusValue(EPrimalCharacterStatusValue::Type)"},
    {HostNameKind::Hook,
     "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)"},
    {HostNameKind::Hook, "UPrimalItem.UpdatedItem(bool,bool)"},
    {HostNameKind::Hook, "UPrimalItem.CraftBlueprint(bool)"},
    {HostNameKind::Hook, "UPrimalItem.FinishCraftingBlueprint()"},
    {HostNameKind::Hook,
     "UPrimalItem.GetMaximumAdditionalCrafting(UPrimalInventoryComponent*,"
     "AShooterPlayerController*)"},
    {HostNameKind::Hook, "UPrimalInventoryComponent.RemoveItem(FItemNetID&,bool,bool,bool,bool)"},
};

constexpr bool IsListedHostName(std::string_view text, HostNameKind kind) {
    for (const HostName& name : kHostNames) {
        if (name.Kind == kind && name.Text == text) return true;
    }
    return false;
}

}  // namespace txl::host
