#include "CommandArguments.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "CommandWords.h"
#include "ItemIdText.h"

namespace txl::devserver {

long long IntegerArgument(const std::string& word, const std::string& what, long long low,
                          long long high) {
    long long value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < low || value > high)
        throw CommandError(what + " must be an integer " + std::to_string(low) + ".." +
                           std::to_string(high) + ", not '" + word + "'");
    return value;
}

double NumberArgument(const std::string& word, const std::string& what) {
    if (word == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (word == "inf") return std::numeric_limits<double>::infinity();
    if (word == "-inf") return -std::numeric_limits<double>::infinity();
    double value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        throw CommandError(what + " must be a number, not '" + word + "'");
    return value;
}

emu::Actor* ActorArgument(GameSession& session, const std::string& word) {
    int id = static_cast<int>(IntegerArgument(word, "actor id", 1, 1'000'000'000));
    emu::Actor* actor = session.Actors().Find(id);
    if (actor == nullptr) throw CommandError("no actor " + word);
    return actor;
}

emu::Character* CreatureArgument(GameSession& session, const std::string& word) {
    emu::Actor* actor = ActorArgument(session, word);
    emu::Game& game = session.Game();
    if (!emu::Game::IsChildOf(actor->Object.ClassPrivate, game.FindClass("PrimalCharacter")))
        throw CommandError("actor " + word + " is not a creature");
    return reinterpret_cast<emu::Character*>(actor);
}

emu::ItemContainer* ContainerArgument(GameSession& session, const std::string& word) {
    emu::Actor* actor = ActorArgument(session, word);
    emu::Game& game = session.Game();
    if (!emu::Game::IsChildOf(actor->Object.ClassPrivate,
                              game.FindClass("PrimalStructureItemContainer")))
        throw CommandError("actor " + word + " is not a container");
    return reinterpret_cast<emu::ItemContainer*>(actor);
}

FItemNetID ItemIdArgument(const std::string& word) {
    auto id = ParseItemId(word);
    if (!id) throw CommandError("'" + word + "' is not an item id A:B");
    return *id;
}

emu::Item* ItemArgument(GameSession& session, emu::Actor* actor, const std::string& word) {
    FItemNetID id = ItemIdArgument(word);
    emu::InventoryComponent* inventory = session.Game().InventoryOf(&actor->Object);
    if (inventory != nullptr) {
        for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
            emu::Item* item = inventory->InventoryItems.Data[i];
            if (item != nullptr && item->ItemID.ItemID1 == id.ItemID1 &&
                item->ItemID.ItemID2 == id.ItemID2)
                return item;
        }
    }
    throw CommandError("actor " + std::to_string(session.Actors().IdOf(actor)) + " holds no item " +
                       word);
}

std::optional<std::string> KeyValue(const std::string& word, const std::string& key) {
    if (word.size() <= key.size() || word.compare(0, key.size(), key) != 0 ||
        word[key.size()] != '=')
        return std::nullopt;
    return word.substr(key.size() + 1);
}

}  // namespace txl::devserver
