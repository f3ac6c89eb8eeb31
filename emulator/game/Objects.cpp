#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/GameFailure.h"

namespace emu {

Game& Game::Instance() {
    // Never destroyed: plug-ins may still call into the game while the process exits.
    static Game* game = new Game();
    return *game;
}

ObjectBase* Game::NewObject(Class* objectClass, const std::string& name, std::size_t size) {
    // Objects are raw, zeroed memory, as the engine lays them out; members live at their offsets.
    void* memory = ::operator new (size, std::align_val_t{16});
    std::memset(memory, 0, size);
    auto* object = static_cast<ObjectBase*>(memory);
    object->ClassPrivate = objectClass;
    object->NamePrivate = MakeName(name);
    object->InternalIndex = static_cast<int32>(objects_.size());
    objects_.push_back(Slot{object, nextSerial_++, size});
    return object;
}

bool Game::IsAlive(const ObjectBase* object) const {
    if (object == nullptr) return false;
    auto index = static_cast<std::size_t>(object->InternalIndex);
    return index < objects_.size() && objects_[index].object == object;
}

bool Game::IsPendingKill(const ObjectBase* object) const {
    return IsAlive(object) && objects_[static_cast<std::size_t>(object->InternalIndex)].pendingKill;
}

void Game::DestroyObject(ObjectBase* object) {
    if (!IsAlive(object)) return;
    objects_[static_cast<std::size_t>(object->InternalIndex)].pendingKill = true;
}

void Game::FreeObject(Slot& slot) {
    ReleaseObjectBuffers(slot.object);
    ::operator delete (slot.object, std::align_val_t{16});
    slot.object = nullptr;
    slot.pendingKill = false;
}

std::size_t Game::PendingKillCount() const {
    std::size_t count = 0;
    for (const Slot& slot : objects_) count += slot.object != nullptr && slot.pendingKill ? 1 : 0;
    return count;
}

FWeakObjectPtr Game::MakeWeak(const ObjectBase* object) const {
    if (!IsAlive(object)) return FWeakObjectPtr{};
    auto index = object->InternalIndex;
    return FWeakObjectPtr{index, objects_[static_cast<std::size_t>(index)].serial};
}

ObjectBase* Game::ResolveWeak(const FWeakObjectPtr& weak, bool evenIfPendingKill) const {
    if (weak.ObjectIndex < 0 || weak.ObjectIndex >= static_cast<int32>(objects_.size()))
        return nullptr;
    const Slot& slot = objects_[static_cast<std::size_t>(weak.ObjectIndex)];
    if (slot.serial != weak.ObjectSerialNumber) return nullptr;
    return slot.pendingKill && !evenIfPendingKill ? nullptr : slot.object;
}

std::string Game::ClassName(const ObjectBase* object) const {
    if (object == nullptr || object->ClassPrivate == nullptr) return "None";
    return NameText(object->ClassPrivate->Base.Base.Object.NamePrivate);
}

void Game::ReleaseObjectBuffers(ObjectBase* object) {
    Class* cls = object->ClassPrivate;
    if (cls == FindClass("PrimalItem") || IsChildOf(cls, FindClass("PrimalItem"))) {
        auto* item = reinterpret_cast<Item*>(object);
        for (int32 i = 0; i < item->CustomItemDatas.ArrayNum; ++i)
            CustomDataRelease(item->CustomItemDatas.Data[i]);
        ArrayRelease(item->CustomItemDatas);
        StringRelease(item->CustomItemDescription);
        StringRelease(item->ItemDescription);
    } else if (cls == FindClass("PrimalInventoryComponent")) {
        ArrayRelease(reinterpret_cast<InventoryComponent*>(object)->InventoryItems);
    } else if (cls != nullptr && (cls == FindClass("Function") || cls == FindClass("Class") ||
                                  IsChildOf(cls, FindClass("Struct")))) {
        ArrayRelease(reinterpret_cast<Struct*>(object)->Script);
    }
}

void Game::FailCall(const std::string& call, int times) {
    failingCalls_[call] = times;
}

void Game::ThrowIfFailing(const std::string& call) {
    auto found = failingCalls_.find(call);
    if (found == failingCalls_.end() || found->second <= 0) return;
    --found->second;
    throw GameFailure("Game call failed: " + call);
}

void Game::Reset() {
    // Release every buffer while all objects (classes included) are still alive, then free them.
    for (const Slot& slot : objects_) {
        if (slot.object != nullptr) ReleaseObjectBuffers(slot.object);
    }
    for (Slot& slot : objects_) {
        if (slot.object != nullptr) ::operator delete (slot.object, std::align_val_t{16});
        slot.object = nullptr;
    }
    objects_.clear();
    classes_.clear();
    fieldClasses_.clear();
    properties_.clear();
    sparseData_.clear();
    actors_.clear();
    world_ = nullptr;
    controller_ = nullptr;
    nextItemId_ = 1000;
    journal_.Clear();
    failingCalls_.clear();
    nowMs_ = 0;
    craftSeed_ = kDefaultCraftSeed;
    craftRolls_ = 0;
    levelUpGains_.clear();
    BuildBaseClasses();
}

}  // namespace emu
