#include "BenchWorld.h"

#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "plugin/HookTable.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"

namespace txlbench {

BenchWorld::BenchWorld() : game(emu::Game::Instance()) {
    emuhost::ConfigureLogSinks(false, {});
    game.Start();
    game.Reset();
    classes = emu::DefineStandardClasses(game);
    txl::CreateLogger();
    txl::InstallHooks();
    processor = game.SpawnCreature(classes.processor, 60000);
    processor->MyCharacterStatusComponent->CurrentStatusValues[11] = 0.4f;
}

emu::Item* BenchWorld::GiveLimitedBlueprint() {
    emu::ItemSpec spec;
    spec.itemClass = classes.limitedBlueprint;
    spec.blueprint = true;
    return game.GiveItem(processor->MyInventoryComponent, spec);
}

BenchWorld::~BenchWorld() {
    txl::Teardown();
    emuhost::HookManager::Instance().Reset();
    emuhost::CommandRegistry::Instance().Reset();
    game.Reset();
}

}  // namespace txlbench
