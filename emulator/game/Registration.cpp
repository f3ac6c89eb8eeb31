#include <cstddef>

#include "emugame/Game.h"
#include "emugame/Publish.h"
#include "emugame/World.h"
#include "emuhost/NameRegistry.h"

namespace emu {
namespace {

void PublishField(const char* name, std::ptrdiff_t offset) {
    emuhost::NameRegistry::Instance().RegisterField(name, offset);
}

void ItemFlag(const char* name, ItemFlagBits bit) {
    emuhost::NameRegistry::Instance().RegisterBitField(name, {offsetof(Item, ItemFlags), bit, 1});
}

}  // namespace

void PublishFields() {
    PublishField("UObjectBase.ClassPrivate", offsetof(ObjectBase, ClassPrivate));
    PublishField("UObjectBase.NamePrivate", offsetof(ObjectBase, NamePrivate));
    PublishField("UField.Next", offsetof(emu::Field, Next));
    PublishField("UStruct.SuperStruct", offsetof(Struct, SuperStruct));
    PublishField("UStruct.Children", offsetof(Struct, Children));
    PublishField("UStruct.ChildProperties", offsetof(Struct, ChildProperties));
    PublishField("UStruct.Script", offsetof(Struct, Script));
    PublishField("UStruct.PropertiesSize", offsetof(Struct, PropertiesSize));
    PublishField("FField.Next", offsetof(FieldBase, Next));
    PublishField("FField.NamePrivate", offsetof(FieldBase, NamePrivate));
    PublishField("FProperty.ElementSize", offsetof(Property, ElementSize));
    PublishField("FProperty.ArrayDim", offsetof(Property, ArrayDim));
    PublishField("FProperty.Offset_Internal", offsetof(Property, Offset_Internal));
    PublishField("UActorComponent.OwnerPrivate", offsetof(ActorComponent, OwnerPrivate));
    PublishField("UPrimalActor.TargetingTeam", offsetof(Actor, TargetingTeam));
    PublishField("APrimalCharacter.MyInventoryComponent",
                 offsetof(Character, MyInventoryComponent));
    PublishField("APrimalStructureItemContainer.MyInventoryComponent",
                 offsetof(ItemContainer, MyInventoryComponent));
    PublishField("APrimalCharacter.MyCharacterStatusComponent",
                 offsetof(Character, MyCharacterStatusComponent));
    PublishField("UPrimalCharacterStatusComponent.CurrentStatusValues",
                 offsetof(StatusComponent, CurrentStatusValues));
    PublishField("UPrimalCharacterStatusComponent.MaxStatusValues",
                 offsetof(StatusComponent, MaxStatusValues));
    PublishField("UPrimalCharacterStatusComponent.ReplicatedGlobalMaxStatusValues",
                 offsetof(StatusComponent, ReplicatedGlobalMaxStatusValues));
    PublishField("UPrimalInventoryComponent.InventoryItems",
                 offsetof(InventoryComponent, InventoryItems));
    PublishField("FPrimalItemSparseClassData.BlueprintAllowMaxCraftings",
                 offsetof(ItemSparseClassData, BlueprintAllowMaxCraftings));
    PublishField("UPrimalItem.ItemID", offsetof(Item, ItemID));
    PublishField("UPrimalItem.CustomItemID", offsetof(Item, CustomItemID));
    PublishField("UPrimalItem.CustomItemDatas", offsetof(Item, CustomItemDatas));
    PublishField("UPrimalItem.CustomItemDescription", offsetof(Item, CustomItemDescription));
    PublishField("UPrimalItem.ItemDescription", offsetof(Item, ItemDescription));
    PublishField("UPrimalItem.ItemDurability", offsetof(Item, ItemDurability));
    PublishField("UPrimalItem.OwnerInventory", offsetof(Item, OwnerInventory));
    PublishField("UPrimalItem.CraftQueue", offsetof(Item, CraftQueue));
    ItemFlag("UPrimalItem.bIsBlueprint", kIsBlueprintBit);
    ItemFlag("UPrimalItem.bIsEngram", kIsEngramBit);
    ItemFlag("UPrimalItem.bHideCustomDescription", kHideCustomDescriptionBit);
    ItemFlag("UPrimalItem.bForceAllowCustomItemDescription", kForceAllowCustomItemDescriptionBit);
}

void Game::Start() {
    if (started_) return;
    started_ = true;
    Publisher publish;
    PublishEngineFunctions(publish);
    PublishActorFunctions(publish);
    PublishItemFunctions(publish);
    PublishFields();
    BuildBaseClasses();
}

}  // namespace emu
