#include "BenchWorld.h"

#include "emugame/GameCalls.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "plugin/HookTable.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txlbench {

BenchWorld::BenchWorld(bool withHooks) : hooked(withHooks), game(emu::Game::Instance()) {
    emuhost::ConfigureLogSinks(false, {});
    game.Start();
    game.Reset();
    classes = emu::DefineStandardClasses(game);
    txl::State() = txl::PluginState{};
    txl::CreateLogger();
    if (hooked) txl::InstallHooks();
    processor = SpawnProcessor();
    ordinary = game.SpawnCreature(classes.creature, 60000);
    emu::calls::BeginPlay(ordinary);
}

emu::Character* BenchWorld::SpawnProcessor() {
    emu::Character* creature = game.SpawnCreature(classes.processor, 60000);
    creature->MyCharacterStatusComponent->CurrentStatusValues[11] = 0.4f;
    emu::calls::BeginPlay(creature);
    return creature;
}

emu::Item* BenchWorld::GiveItem(emu::InventoryComponent* inventory, emu::Class* itemClass,
                                bool blueprint) {
    emu::ItemSpec spec;
    spec.itemClass = itemClass;
    spec.blueprint = blueprint;
    spec.description = L"A blueprint for benchmarks.";
    return game.GiveItem(inventory, spec);
}

void BenchWorld::FillWithBlueprints(emu::Character* creature, int count) {
    for (int i = 0; i < count; ++i)
        GiveItem(creature->MyInventoryComponent, classes.limitedBlueprint, true);
}

std::size_t BenchWorld::JournalSize() {
    return game.Log().Entries().size();
}

BenchWorld::~BenchWorld() {
    txl::Teardown();
    emuhost::HookManager::Instance().Reset();
    emuhost::CommandRegistry::Instance().Reset();
    game.Reset();
}

}  // namespace txlbench
