#include "CommandArguments.h"
#include "CommandTable.h"
#include "ItemIdText.h"
#include "PopulateWorld.h"
#include "emuhost/WideText.h"

// give, share, move.
namespace txl::devserver {

std::string RunGive(CommandContext& context) {
    GameSession& session = context.session;
    emu::Game& game = session.Game();
    emu::Actor* actor = ActorArgument(session, context.words[1]);
    emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object);
    if (inventory == nullptr) throw CommandError("actor " + context.words[1] + " has no inventory");
    emu::ItemSpec spec;
    spec.itemClass = game.FindClass(context.words[2]);
    if (!emu::Game::IsChildOf(spec.itemClass, game.FindClass("PrimalItem")))
        throw CommandError("unknown item class '" + context.words[2] + "'");
    for (std::size_t i = 3; i < context.words.Size(); ++i) {
        const std::string& word = context.words[i];
        if (word == "blueprint") {
            spec.blueprint = true;
        } else if (word == "engram") {
            spec.engram = true;
        } else if (auto id = KeyValue(word, "id")) {
            spec.id = ItemIdArgument(*id);
        } else if (auto text = KeyValue(word, "description")) {
            spec.customDescription = emuhost::ToWide(*text);
        } else {
            throw CommandError("unexpected argument '" + word + "'");
        }
    }
    return ItemIdText(game.GiveItem(inventory, spec)->ItemID);
}

std::string RunShare(CommandContext& context) {
    GameSession& session = context.session;
    emu::Game& game = session.Game();
    emu::Actor* actor = ActorArgument(session, context.words[1]);
    emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object);
    if (inventory == nullptr) throw CommandError("actor " + context.words[1] + " has no inventory");
    emu::ItemContainer* container = ContainerArgument(session, context.words[2]);
    emu::Item* source = ItemArgument(session, &container->Base, context.words[3]);
    if (!emu::ItemFlag(*source, emu::kIsBlueprintBit))
        throw CommandError("item " + context.words[3] + " is not a blueprint");
    std::optional<FItemNetID> id;
    if (context.words.Size() == 5) {
        auto value = KeyValue(context.words[4], "id");
        if (!value) throw CommandError("expected id=A:B, not '" + context.words[4] + "'");
        id = ItemIdArgument(*value);
    }
    return ItemIdText(game.ShareBlueprint(inventory, source, container, id)->ItemID);
}

std::string RunMove(CommandContext& context) {
    GameSession& session = context.session;
    emu::Game& game = session.Game();
    emu::Actor* from = ActorArgument(session, context.words[1]);
    emu::Item* item = ItemArgument(session, from, context.words[2]);
    emu::Actor* to = ActorArgument(session, context.words[3]);
    emu::InventoryComponent* target = game.InventoryOf(&to->Object);
    if (target == nullptr) throw CommandError("actor " + context.words[3] + " has no inventory");
    if (to == from)
        throw CommandError("item " + context.words[2] + " is already in actor " + context.words[3] +
                           "'s inventory");
    game.MoveItem(item, target);
    return {};
}

}  // namespace txl::devserver
