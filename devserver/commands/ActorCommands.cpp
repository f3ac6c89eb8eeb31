#include "CommandArguments.h"
#include "CommandTable.h"
#include "PopulateWorld.h"
#include "emugame/GameCalls.h"

// spawn, use, destroy.
namespace txl::devserver {

std::string RunSpawn(CommandContext& context) {
    emu::Game& game = context.session.Game();
    const std::string& className = context.words[1];
    emu::Class* cls = game.FindClass(className);
    bool creature = emu::Game::IsChildOf(cls, game.FindClass("PrimalCharacter"));
    bool container = emu::Game::IsChildOf(cls, game.FindClass("PrimalStructureItemContainer"));
    if (!creature && !container)
        throw CommandError("'" + className + "' is not a creature or container class");
    int32 team = 0;
    if (context.words.Size() == 3) {
        auto value = KeyValue(context.words[2], "team");
        if (!value) throw CommandError("expected team=N, not '" + context.words[2] + "'");
        team = static_cast<int32>(IntegerArgument(*value, "team", INT32_MIN, INT32_MAX));
    }
    emu::Actor* actor = SpawnActor(game, cls, team);
    int id = context.session.Actors().Add(actor);
    if (creature) game.BeginPlay(reinterpret_cast<emu::Character*>(actor));
    return std::to_string(id);
}

std::string RunUse(CommandContext& context) {
    emu::Actor* actor = ActorArgument(context.session, context.words[1]);
    emu::Game& game = context.session.Game();
    emu::calls::ServerMultiUse(game.PlayerController(), &actor->Object, 0);
    return {};
}

std::string RunDestroy(CommandContext& context) {
    emu::Actor* actor = ActorArgument(context.session, context.words[1]);
    context.session.Game().DestroyActor(actor);
    return {};
}

}  // namespace txl::devserver
