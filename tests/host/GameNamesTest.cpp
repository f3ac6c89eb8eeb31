#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AsaApi/Address.h"
#include "support/EmulatedServer.h"

namespace {

// Every name the plug-in resolves must be published by the game.
TEST(GameNames, EveryNameThePluginUsesResolves) {
    txltest::EmulatedServer server;
    const char* fields[] = {"UObjectBase.ClassPrivate",
                            "UObjectBase.NamePrivate",
                            "UField.Next",
                            "UStruct.SuperStruct",
                            "UStruct.Children",
                            "UStruct.ChildProperties",
                            "UStruct.Script",
                            "UStruct.PropertiesSize",
                            "FField.Next",
                            "FField.NamePrivate",
                            "FProperty.ElementSize",
                            "FProperty.ArrayDim",
                            "FProperty.Offset_Internal",
                            "UActorComponent.OwnerPrivate",
                            "UPrimalActor.TargetingTeam",
                            "APrimalCharacter.MyInventoryComponent",
                            "APrimalStructureItemContainer.MyInventoryComponent",
                            "APrimalCharacter.MyCharacterStatusComponent",
                            "UPrimalCharacterStatusComponent.CurrentStatusValues",
                            "UPrimalCharacterStatusComponent.MaxStatusValues",
                            "UPrimalCharacterStatusComponent.ReplicatedGlobalMaxStatusValues",
                            "UPrimalInventoryComponent.InventoryItems",
                            "FPrimalItemSparseClassData.BlueprintAllowMaxCraftings",
                            "UPrimalItem.ItemID",
                            "UPrimalItem.CustomItemID",
                            "UPrimalItem.CustomItemDatas",
                            "UPrimalItem.CustomItemDescription",
                            "UPrimalItem.ItemDescription",
                            "UPrimalItem.ItemDurability",
                            "UPrimalItem.OwnerInventory",
                            "UPrimalItem.CraftQueue"};
    char object[1024] = {};
    for (const char* field : fields) EXPECT_NO_THROW(GetAddress(object, field)) << field;
    for (const char* flag :
         {"UPrimalItem.bIsBlueprint", "UPrimalItem.bIsEngram", "UPrimalItem.bHideCustomDescription",
          "UPrimalItem.bForceAllowCustomItemDescription"}) {
        EXPECT_EQ(GetBitField(object, flag).num_bits, 1u) << flag;
    }
    const char* functions[] = {"FMemory.Free(void*)",
                               "FMemory.Malloc(unsigned__int64,unsignedint)",
                               "FMemory.Realloc(void*,unsigned__int64,unsignedint)",
                               "FName.ToString(FString&)",
                               "FName.FName(char*,EFindName)",
                               "FWeakObjectPtr.operator=(UObject*)",
                               "FWeakObjectPtr.Get()",
                               "FField.IsA(FFieldClass*)",
                               "FDoubleProperty.StaticClass()",
                               "FFloatProperty.StaticClass()",
                               "FIntProperty.StaticClass()",
                               "UClass.GetSparseClassData(EGetSparseClassDataMethod)",
                               "APrimalDinoCharacter.GetPrivateStaticClass()",
                               "APrimalStructureItemContainer.GetPrivateStaticClass()",
                               "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,"
                               "TArray<AActor*,TSizedDefaultAllocator<32>>&)",
                               "RCONClientConnection.SendMessage(int,int,FString&)",
                               "AActor.ForceNetUpdate(bool,bool,bool)",
                               "AActor.FlushNetDormancy()",
                               "UPrimalActor.MulticastProperty(FName,bool)",
                               "UPrimalCharacterStatusComponent.ServerSyncReplicatedValues()",
                               "UPrimalCharacterStatusComponent.BPGetCurrentStatusValue("
                               "EPrimalCharacterStatusValue::Type)",
                               "UPrimalItem.SetCustomItemData(FCustomItemData&)",
                               "UPrimalItem.UpdatedItem(bool,bool)",
                               "UPrimalItem.StopCraftingRepairing(bool)"};
    for (const char* function : functions) EXPECT_NE(GetAddress(function), nullptr) << function;
}

TEST(GameNames, AnUnknownNameFailsLoudly) {
    txltest::EmulatedServer server;
    try {
        GetAddress("UPrimalItem.NoSuchFunction()");
        FAIL() << "an unknown name resolved";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("UPrimalItem.NoSuchFunction()"),
                  std::string::npos);
    }
    EXPECT_EQ(server.Logs().Messages("error", "AsaApi").size(), 1u);
}

}  // namespace
