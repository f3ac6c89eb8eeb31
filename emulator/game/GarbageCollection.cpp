#include <algorithm>
#include <unordered_set>

#include "emugame/Game.h"
#include "emugame/World.h"

namespace emu {
namespace {

using DeadSet = std::unordered_set<const void*>;

template <typename T>
void NullIfDead(T*& reference, const DeadSet& dead) {
    if (reference != nullptr && dead.count(reference) != 0) reference = nullptr;
}

template <typename T>
void NullDeadElements(TArray<T*>& array, const DeadSet& dead) {
    for (int32 i = 0; i < array.ArrayNum; ++i) NullIfDead(array.Data[i], dead);
}

}  // namespace

// The engine's pass: every reference that a surviving object holds, in its reflected properties
// or in its items' custom data, to an object pending kill becomes null; then those objects are
// freed. Membership is tested by address, so a reference is never followed to test it.
void Game::CollectGarbage() {
    DeadSet dead;
    for (const Slot& slot : objects_) {
        if (slot.object != nullptr && slot.pendingKill) dead.insert(slot.object);
    }
    if (dead.empty()) return;

    Class* item = FindClass("PrimalItem");
    Class* inventory = FindClass("PrimalInventoryComponent");
    Class* component = FindClass("ActorComponent");
    Class* character = FindClass("PrimalCharacter");
    Class* container = FindClass("PrimalStructureItemContainer");
    for (const Slot& slot : objects_) {
        if (slot.object == nullptr || slot.pendingKill) continue;
        ObjectBase* object = slot.object;
        const Class* cls = object->ClassPrivate;
        NullIfDead(object->OuterPrivate, dead);
        if (IsChildOf(cls, item)) {
            auto& entries = reinterpret_cast<Item*>(object)->CustomItemDatas;
            for (int32 i = 0; i < entries.ArrayNum; ++i)
                NullDeadElements(entries.Data[i].CustomDataObjects, dead);
        } else if (IsChildOf(cls, component)) {
            NullIfDead(reinterpret_cast<ActorComponent*>(object)->OwnerPrivate, dead);
            if (IsChildOf(cls, inventory))
                NullDeadElements(reinterpret_cast<InventoryComponent*>(object)->InventoryItems,
                                 dead);
        } else if (IsChildOf(cls, character)) {
            auto* creature = reinterpret_cast<Character*>(object);
            NullIfDead(creature->MyCharacterStatusComponent, dead);
            NullIfDead(creature->MyInventoryComponent, dead);
        } else if (IsChildOf(cls, container)) {
            NullIfDead(reinterpret_cast<ItemContainer*>(object)->MyInventoryComponent, dead);
        }
    }
    actors_.erase(std::remove_if(actors_.begin(), actors_.end(),
                                 [&](const Actor* actor) { return dead.count(actor) != 0; }),
                  actors_.end());
    if (dead.count(world_) != 0) world_ = nullptr;
    if (dead.count(controller_) != 0) controller_ = nullptr;
    for (Slot& slot : objects_) {
        if (slot.object != nullptr && slot.pendingKill) FreeObject(slot);
    }
}

}  // namespace emu
