#include <algorithm>
#include <cstdint>

#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/World.h"

namespace emu {

void Game::BuildBaseClasses() {
    // "Class" is an instance of itself; fix its own class pointer once it exists.
    Class* object = DefineClass("Object", nullptr);
    Class* field = DefineClass("Field", object, sizeof(Field));
    Class* structClass = DefineClass("Struct", field, sizeof(Struct));
    Class* classClass = DefineClass("Class", structClass, sizeof(Class));
    for (const char* name : {"Object", "Field", "Struct", "Class"}) {
        FindClass(name)->Base.Base.Object.ClassPrivate = classClass;
    }
    DefineClass(kFunctionClassName, structClass, sizeof(Function));

    FieldClass* fieldKind = DefineFieldClass("Field", nullptr);
    FieldClass* property = DefineFieldClass("Property", fieldKind);
    FieldClass* numeric = DefineFieldClass("NumericProperty", property);
    DefineFieldClass("FloatProperty", numeric);
    DefineFieldClass("DoubleProperty", numeric);
    DefineFieldClass("IntProperty", numeric);
    DefineFieldClass("BoolProperty", property);
    DefineFieldClass("ObjectProperty", property);
    DefineFieldClass("ArrayProperty", property);

    Class* actor = DefineClass("Actor", object, sizeof(Actor));
    Class* pawn = DefineClass("Pawn", actor);
    Class* character = DefineClass("Character", pawn);
    Class* primalCharacter = DefineClass("PrimalCharacter", character, sizeof(Character));
    DefineClass("PrimalDinoCharacter", primalCharacter);
    Class* structure = DefineClass("PrimalStructure", actor);
    DefineClass("PrimalStructureItemContainer", structure, sizeof(ItemContainer));
    Class* controller = DefineClass("Controller", actor);
    Class* playerController = DefineClass("PlayerController", controller);
    DefineClass("ShooterPlayerController", playerController);

    Class* component = DefineClass("ActorComponent", object, sizeof(ActorComponent));
    DefineClass("PrimalCharacterStatusComponent", component, sizeof(StatusComponent));
    DefineClass("PrimalInventoryComponent", component, sizeof(InventoryComponent));
    DefineClass("PrimalItem", object, sizeof(Item));
    DefineClass("World", object, sizeof(WorldObject));
    DefineClass("RCONClientConnection", object, sizeof(RconConnection));
}

WorldObject* Game::World() {
    if (world_ == nullptr)
        world_ = reinterpret_cast<WorldObject*>(
            NewObject(FindClass("World"), "World", sizeof(WorldObject)));
    return world_;
}

namespace {

template <typename T>
T* NewOf(Game& game, const char* className, const std::string& name) {
    Class* cls = game.FindClass(className);
    return reinterpret_cast<T*>(
        game.NewObject(cls, name, static_cast<std::size_t>(cls->Base.PropertiesSize)));
}

}  // namespace

Character* Game::SpawnCreature(Class* creatureClass, int32 team) {
    auto size = std::max<std::size_t>(sizeof(Character),
                                      static_cast<std::size_t>(creatureClass->Base.PropertiesSize));
    std::string name = NameText(creatureClass->Base.Base.Object.NamePrivate) + "_" +
                       std::to_string(actors_.size());
    auto* creature = reinterpret_cast<Character*>(NewObject(creatureClass, name, size));
    creature->Base.TargetingTeam = team;
    auto* status =
        NewOf<StatusComponent>(*this, "PrimalCharacterStatusComponent", name + "_Status");
    status->Component.OwnerPrivate = &creature->Base;
    status->LevelUpPointsAvailable = 10;
    auto* inventory =
        NewOf<InventoryComponent>(*this, "PrimalInventoryComponent", name + "_Inventory");
    inventory->Component.OwnerPrivate = &creature->Base;
    creature->MyCharacterStatusComponent = status;
    creature->MyInventoryComponent = inventory;
    actors_.push_back(&creature->Base);
    return creature;
}

ItemContainer* Game::SpawnContainer(Class* containerClass) {
    auto size = std::max<std::size_t>(
        sizeof(ItemContainer), static_cast<std::size_t>(containerClass->Base.PropertiesSize));
    std::string name = NameText(containerClass->Base.Base.Object.NamePrivate) + "_" +
                       std::to_string(actors_.size());
    auto* container = reinterpret_cast<ItemContainer*>(NewObject(containerClass, name, size));
    auto* inventory =
        NewOf<InventoryComponent>(*this, "PrimalInventoryComponent", name + "_Inventory");
    inventory->Component.OwnerPrivate = &container->Base;
    container->MyInventoryComponent = inventory;
    actors_.push_back(&container->Base);
    return container;
}

InventoryComponent* Game::InventoryOf(ObjectBase* actor) const {
    if (actor == nullptr) return nullptr;
    if (IsChildOf(actor->ClassPrivate, FindClass("PrimalCharacter"))) {
        return reinterpret_cast<Character*>(actor)->MyInventoryComponent;
    }
    if (IsChildOf(actor->ClassPrivate, FindClass("PrimalStructureItemContainer"))) {
        return reinterpret_cast<ItemContainer*>(actor)->MyInventoryComponent;
    }
    return nullptr;
}

Item* Game::GiveItem(InventoryComponent* inventory, const ItemSpec& spec) {
    auto size = std::max<std::size_t>(
        sizeof(Item), static_cast<std::size_t>(spec.itemClass->Base.PropertiesSize));
    std::string name =
        NameText(spec.itemClass->Base.Base.Object.NamePrivate) + "_" + std::to_string(nextItemId_);
    auto* item = reinterpret_cast<Item*>(NewObject(spec.itemClass, name, size));
    if (spec.id.has_value()) {
        item->ItemID = *spec.id;
        // Fresh ids stay clear of those a restored world brings back.
        if (spec.id->ItemID1 >= nextItemId_ && spec.id->ItemID1 < UINT32_MAX)
            nextItemId_ = spec.id->ItemID1 + 1;
    } else {
        item->ItemID = FItemNetID{nextItemId_, 2000000000U + nextItemId_};
        ++nextItemId_;
    }
    SetItemFlag(*item, kIsBlueprintBit, spec.blueprint);
    SetItemFlag(*item, kIsEngramBit, spec.engram);
    item->ItemDurability = spec.durability;
    item->ItemDescription = MakeString(spec.description);
    item->CustomItemDescription = MakeString(spec.customDescription);
    auto* sparse = static_cast<ItemSparseClassData*>(spec.itemClass->SparseClassData);
    // The game keeps a limited blueprint's remaining crafts, less one, in CustomItemID.
    int32 nativeDefault =
        sparse != nullptr && spec.blueprint && sparse->BlueprintAllowMaxCraftings > 0
            ? sparse->BlueprintAllowMaxCraftings - 1
            : 0;
    item->CustomItemID = spec.customItemId.value_or(nativeDefault);
    if (inventory != nullptr) {
        item->OwnerInventory = MakeWeak(&inventory->Component.Object);
        ArrayAppend(inventory->InventoryItems, item);
    }
    return item;
}

void Game::RemoveFromInventory(InventoryComponent* inventory, Item* item) {
    auto& items = inventory->InventoryItems;
    for (int32 i = 0; i < items.ArrayNum; ++i) {
        if (items.Data[i] == item) {
            ArrayRemoveAt(items, i);
            return;
        }
    }
}

void Game::DestroyActor(Actor* actor) {
    auto it = std::find(actors_.begin(), actors_.end(), actor);
    if (it == actors_.end()) return;
    actors_.erase(it);
    actor->bActorIsBeingDestroyed = 1;
    if (InventoryComponent* inventory = InventoryOf(&actor->Object)) {
        for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
            if (Item* item = inventory->InventoryItems.Data[i]) DestroyObject(&item->Object);
        }
        DestroyObject(&inventory->Component.Object);
    }
    if (IsChildOf(actor->Object.ClassPrivate, FindClass("PrimalCharacter"))) {
        if (auto* status = reinterpret_cast<Character*>(actor)->MyCharacterStatusComponent)
            DestroyObject(&status->Component.Object);
    }
    DestroyObject(&actor->Object);
}

std::vector<Actor*> Game::Actors() const {
    return actors_;
}

ObjectBase* Game::PlayerController() {
    if (controller_ == nullptr) {
        controller_ =
            NewObject(FindClass("ShooterPlayerController"), "PlayerController_0", sizeof(Actor));
    }
    return controller_;
}

void Game::AddSharingEntry(Item* copy, const Item* source, ItemContainer* container) {
    FCustomItemData entry{};
    entry.CustomDataName = MakeName("BlueprintSharing");
    ArrayAppend(entry.CustomDataFloats, static_cast<float>(source->ItemID.ItemID1));
    ArrayAppend(entry.CustomDataFloats, static_cast<float>(source->ItemID.ItemID2));
    ArrayAppend(entry.CustomDataObjects, reinterpret_cast<UObject*>(container));
    ArrayAppend(copy->CustomItemDatas, entry);
}

}  // namespace emu
