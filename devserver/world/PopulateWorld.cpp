#include "PopulateWorld.h"

#include <map>

#include "WorldClasses.h"
#include "emugame/Allocator.h"
#include "emuhost/WideText.h"

namespace txl::devserver {
namespace {

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
    for (const auto& [number, values] : plan.status) {
        if (values.current) status->CurrentStatusValues[number] = *values.current;
        if (values.max) status->MaxStatusValues[number] = *values.max;
        if (values.replicatedMax)
            status->ReplicatedGlobalMaxStatusValues[number] = *values.replicatedMax;
    }
    if (plan.levelUpPoints) status->LevelUpPointsAvailable = *plan.levelUpPoints;
    for (const auto& [number, levels] : plan.levels)
        status->NumberOfLevelUpPointsApplied[number] = levels;
}

emu::Item* GiveItem(emu::Game& game, emu::InventoryComponent* inventory, const PlannedItem& plan) {
    emu::Item* item = game.GiveItem(inventory, plan.spec);
    emu::SetItemFlag(*item, emu::kHideCustomDescriptionBit, plan.hideCustomDescription);
    emu::SetItemFlag(*item, emu::kForceAllowCustomItemDescriptionBit,
                     plan.forceAllowCustomItemDescription);
    item->CraftQueue = plan.craftQueue;
    item->CraftingProgressMs = plan.craftingMs;
    item->CraftsSucceeded = plan.craftsSucceeded;
    item->CraftsFailed = plan.craftsFailed;
    return item;
}

// Entries are added as the game keeps them, after every actor exists to be referred to.
void AddCustomData(emu::Game& game, emu::Item* item, const PlannedCustomData& plan,
                   const ActorTable& actors) {
    FCustomItemData entry{};
    entry.CustomDataName = game.MakeName(plan.name);
    for (float value : plan.floats) emu::ArrayAppend(entry.CustomDataFloats, value);
    for (double value : plan.doubles) emu::ArrayAppend(entry.CustomDataDoubles, value);
    for (const std::string& text : plan.strings)
        emu::ArrayAppend(entry.CustomDataStrings, emu::MakeString(emuhost::ToWide(text)));
    for (int id : plan.objects) {
        emu::Actor* actor = id != 0 ? actors.Find(id) : nullptr;
        emu::ArrayAppend(entry.CustomDataObjects,
                         actor != nullptr ? reinterpret_cast<UObject*>(&actor->Object) : nullptr);
    }
    for (const std::string& name : plan.names)
        emu::ArrayAppend(entry.CustomDataNames, game.MakeName(name));
    emu::ArrayAppend(item->CustomItemDatas, entry);
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
    std::map<int, emu::Actor*> spawned;
    std::vector<std::pair<emu::Item*, const PlannedItem*>> items;
    for (const PlannedActor& planned : plan.actors) {
        emu::Actor* actor = SpawnActor(game, planned.cls, planned.team);
        actors.AddAt(planned.id, actor);
        spawned[planned.id] = actor;
        std::size_t size = ActorObjectSize(game, planned.cls);
        for (const auto& [property, value] : planned.properties)
            WritePropertyValue(actor, size, property, value);
        if (!planned.container) ApplyStatus(planned, reinterpret_cast<emu::Character*>(actor));
        emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object);
        for (const PlannedItem& item : planned.items)
            items.emplace_back(GiveItem(game, inventory, item), &item);
    }
    for (const auto& [item, planned] : items) {
        for (const PlannedCustomData& entry : planned->customData)
            AddCustomData(game, item, entry, actors);
    }
    // Shares come before play begins, so a processor sees its whole inventory at once.
    for (const PlannedShare& share : plan.shares) {
        auto* container = reinterpret_cast<emu::ItemContainer*>(spawned.at(share.container));
        const emu::Item* source = FindItem(container->MyInventoryComponent, share.item);
        emu::InventoryComponent* inventory = game.InventoryOf(&spawned.at(share.actor)->Object);
        if (source != nullptr && inventory != nullptr)
            MakeSharedCopy(game, inventory, source, container, share.copyId);
    }
    for (const PlannedActor& planned : plan.actors) {
        if (!planned.container && planned.beginPlay)
            game.BeginPlay(reinterpret_cast<emu::Character*>(spawned.at(planned.id)));
    }
}

void RestoreWorld(const WorldPlan& plan, GameSession& session, std::optional<std::uint64_t> seed) {
    emu::Game& game = session.Game();
    game.SetNowMs(plan.timeMs);
    session.Clock().Restore(plan.timeMs);
    game.SetCraftRolls(seed.value_or(plan.craftSeed.value_or(emu::Game::kDefaultCraftSeed)),
                       plan.craftRolls);
    session.SetWorldDefinitions(plan.definitions);
    PopulateWorld(plan, game, session.Actors());
}

}  // namespace txl::devserver
