#include <algorithm>
#include <cmath>
#include <cstdint>

#include "CommandArguments.h"
#include "CommandTable.h"
#include "emugame/GameCalls.h"

// craft, advance.
namespace txl::devserver {
namespace {

constexpr long long kMaxCraftsPerCommand = 1000;
constexpr std::int64_t kMaxTicksPerAdvance = 1'000'000;
constexpr double kMaxAdvanceSeconds = 365.0 * 24 * 3600;

}  // namespace

std::string RunCraft(CommandContext& context) {
    GameSession& session = context.session;
    emu::Game& game = session.Game();
    emu::Actor* actor = ActorArgument(session, context.words[1]);
    emu::Item* item = ItemArgument(session, actor, context.words[2]);
    if (!emu::ItemFlag(*item, emu::kIsBlueprintBit))
        throw CommandError("item " + context.words[2] + " is not a blueprint");
    auto wanted = IntegerArgument(context.words[3], "N", 1, kMaxCraftsPerCommand);

    // As the game does: ask how many more may be queued, then start each craft.
    emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object);
    int room = emu::calls::GetMaximumAdditionalCrafting(item, inventory, game.PlayerController());
    long long allowed = room < 0 ? wanted : std::min<long long>(wanted, room);
    FWeakObjectPtr weak = game.MakeWeak(&item->Object);
    long long queued = 0;
    for (long long i = 0; i < allowed; ++i) {
        uint16 before = item->CraftQueue;
        if (before == UINT16_MAX) break;  // the game's queue counter would wrap
        emu::calls::CraftBlueprint(item, false);
        item = reinterpret_cast<emu::Item*>(game.ResolveWeak(weak));
        if (item == nullptr || item->CraftQueue <= before) break;
        ++queued;
    }
    return std::to_string(queued);
}

std::string RunAdvance(CommandContext& context) {
    double seconds = NumberArgument(context.words[1], "SECONDS");
    if (!std::isfinite(seconds) || seconds < 0)
        throw CommandError("SECONDS must be a number of seconds, 0 or more");
    if (seconds > kMaxAdvanceSeconds)
        throw CommandError("SECONDS may be at most a year; advance less");
    SimulatedClock& clock = context.session.Clock();
    const std::int64_t milliseconds = SimulatedClock::ToMilliseconds(seconds);
    if (clock.TicksWithin(milliseconds) > kMaxTicksPerAdvance)
        throw CommandError("that would fire the timer more than a million times; advance less");
    clock.Advance(milliseconds);
    return {};
}

}  // namespace txl::devserver
