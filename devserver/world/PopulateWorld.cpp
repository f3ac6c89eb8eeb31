#include "PopulateWorld.h"

#include "WorldClasses.h"
#include "emugame/GameCalls.h"

namespace txl::devserver {
namespace {

constexpr int kSuccessStatus = 11;

emu::Item* FindItem(emu::InventoryComponent* inventory, const FItemNetID& id) {
    for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
        emu::Item* item = inventory->InventoryItems.Data[i];
        if (item != nullptr && item->ItemID.ItemID1 == id.ItemID1 &&
            item->ItemID.ItemID2 == id.ItemID2)
            return item;
    }
    return nullptr;
}

void ApplyStatus(const PlannedActor& plan, emu::Character* creature) {
    emu::StatusComponent* status = creature->MyCharacterStatusComponent;
    if (plan.current) status->CurrentStatusValues[kSuccessStatus] = *plan.current;
    if (plan.max) status->MaxStatusValues[kSuccessStatus] = *plan.max;
    if (plan.replicatedMax)
        status->ReplicatedGlobalMaxStatusValues[kSuccessStatus] = *plan.replicatedMax;
}

}  // namespace

emu::Actor* SpawnActor(emu::Game& game, emu::Class* cls, int32 team) {
    if (emu::Game::IsChildOf(cls, game.FindClass("PrimalCharacter")))
        return &game.SpawnCreature(cls, team)->Base;
    emu::ItemContainer* container = game.SpawnContainer(cls);
    container->Base.TargetingTeam = team;
    return &container->Base;
}

emu::Item* MakeSharedCopy(emu::Game& game, emu::InventoryComponent* inventory,
                          const emu::Item* source, emu::ItemContainer* container,
                          std::optional<FItemNetID> id) {
    emu::ItemSpec spec;
    spec.id = id;
    spec.itemClass = source->Object.ClassPrivate;
    spec.blueprint = true;
    emu::Item* copy = game.GiveItem(inventory, spec);
    game.AddSharingEntry(copy, source, container);
    return copy;
}

void PopulateWorld(const WorldPlan& plan, emu::Game& game, ActorTable& actors) {
    std::vector<emu::Actor*> spawned;
    for (const PlannedActor& planned : plan.actors) {
        emu::Actor* actor = SpawnActor(game, planned.cls, planned.team);
        actors.Add(actor);
        spawned.push_back(actor);
        std::size_t size = ActorObjectSize(game, planned.cls);
        for (const auto& [property, value] : planned.properties)
            WritePropertyValue(actor, size, property, value);
        if (!planned.container) ApplyStatus(planned, reinterpret_cast<emu::Character*>(actor));
        emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object);
        for (const emu::ItemSpec& item : planned.items) game.GiveItem(inventory, item);
    }
    // Shares come before play begins, so a processor sees its whole inventory at once.
    for (const PlannedShare& share : plan.shares) {
        emu::Actor* holder = spawned[static_cast<std::size_t>(share.container - 1)];
        auto* container = reinterpret_cast<emu::ItemContainer*>(holder);
        const emu::Item* source = FindItem(container->MyInventoryComponent, share.item);
        emu::InventoryComponent* inventory =
            game.InventoryOf(&spawned[static_cast<std::size_t>(share.actor - 1)]->Object);
        if (source != nullptr && inventory != nullptr)
            MakeSharedCopy(game, inventory, source, container, share.copyId);
    }
    for (std::size_t i = 0; i < plan.actors.size(); ++i) {
        if (!plan.actors[i].container && plan.actors[i].beginPlay)
            emu::calls::BeginPlay(reinterpret_cast<emu::Character*>(spawned[i]));
    }
}

}  // namespace txl::devserver
