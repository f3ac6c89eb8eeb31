#include <cmath>

#include "CommandArguments.h"
#include "CommandTable.h"
#include "NumberText.h"
#include "ReflectedProperty.h"
#include "WorldClasses.h"
#include "emugame/GameCalls.h"

// stat, setstat, setprop, levelup.
namespace txl::devserver {
namespace {

emu::StatusComponent* StatusArgument(CommandContext& context) {
    emu::Character* creature = CreatureArgument(context.session, context.words[1]);
    if (creature->MyCharacterStatusComponent == nullptr)
        throw CommandError("actor " + context.words[1] + " has no status component");
    return creature->MyCharacterStatusComponent;
}

}  // namespace

std::string RunStat(CommandContext& context) {
    emu::StatusComponent* status = StatusArgument(context);
    // Through the game's hookable reads first, as the game would, then what is stored.
    float current = emu::calls::BPGetCurrentStatusValue(status, kSuccessStatus);
    float max = emu::calls::BPGetMaxStatusValue(status, kSuccessStatus);
    // The stored value is the success less 1.0; the game rolls against the read one plus 1.0.
    float chance = static_cast<float>(double{current} + 1.0);
    return "read current=" + NumberText(current) + " max=" + NumberText(max) +
           "; stored current=" + NumberText(status->CurrentStatusValues[kSuccessStatus]) +
           " max=" + NumberText(status->MaxStatusValues[kSuccessStatus]) +
           " replicatedMax=" + NumberText(status->ReplicatedGlobalMaxStatusValues[kSuccessStatus]) +
           "; chance=" + NumberText(chance * 100.0f) + "%";
}

std::string RunSetStat(CommandContext& context) {
    emu::StatusComponent* status = StatusArgument(context);
    float* targets[3] = {nullptr, nullptr, nullptr};
    float values[3] = {0, 0, 0};
    for (std::size_t i = 2; i < context.words.Size(); ++i) {
        const std::string& word = context.words[i];
        std::optional<std::string> value;
        int slot = -1;
        if ((value = KeyValue(word, "current"))) {
            slot = 0;
            targets[0] = &status->CurrentStatusValues[kSuccessStatus];
        } else if ((value = KeyValue(word, "max"))) {
            slot = 1;
            targets[1] = &status->MaxStatusValues[kSuccessStatus];
        } else if ((value = KeyValue(word, "replicated")) ||
                   (value = KeyValue(word, "replicatedMax"))) {
            slot = 2;
            targets[2] = &status->ReplicatedGlobalMaxStatusValues[kSuccessStatus];
        } else {
            throw CommandError("expected current=V, max=V or replicated=V, not '" + word + "'");
        }
        values[slot] = static_cast<float>(NumberArgument(*value, word.substr(0, word.find('='))));
    }
    for (int slot = 0; slot < 3; ++slot) {
        if (targets[slot] != nullptr) *targets[slot] = values[slot];
    }
    return {};
}

std::string RunSetProp(CommandContext& context) {
    emu::Actor* actor = ActorArgument(context.session, context.words[1]);
    emu::Game& game = context.session.Game();
    const std::string& name = context.words[2];
    ReflectedProperty property = FindReflectedProperty(game, actor->Object.ClassPrivate, name);
    if (property.property == nullptr)
        throw CommandError("class '" + game.ClassName(&actor->Object) + "' has no property '" +
                           name + "'");
    if (!IsNumericProperty(property))
        throw CommandError("property '" + name + "' is not a float, double or int32");
    std::size_t size = ActorObjectSize(game, actor->Object.ClassPrivate);
    if (!PropertyFits(property, size))
        throw CommandError("property '" + name + "' lies outside the object");
    double value =
        property.type == "IntProperty"
            ? static_cast<double>(IntegerArgument(context.words[3], "VALUE", INT32_MIN, INT32_MAX))
            : NumberArgument(context.words[3], "VALUE");
    WritePropertyValue(actor, size, property, value);
    return {};
}

std::string RunLevelUp(CommandContext& context) {
    StatusArgument(context);
    emu::Character* creature = CreatureArgument(context.session, context.words[1]);
    auto stat =
        static_cast<int>(IntegerArgument(context.words[2], "STAT", 0, emu::kStatusCount - 1));
    auto result = context.session.Game().LevelUp(creature, stat);
    if (!result.applied) return "refused; max " + NumberText(result.maxBefore);
    return "applied; max " + NumberText(result.maxBefore) + " -> " + NumberText(result.maxAfter) +
           ", " + std::to_string(creature->MyCharacterStatusComponent->LevelUpPointsAvailable) +
           " points left";
}

}  // namespace txl::devserver
