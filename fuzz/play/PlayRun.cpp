#include "PlayRun.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>

#include "CommandInterpreter.h"
#include "DefaultWorld.h"
#include "FuzzProcess.h"
#include "GameSession.h"
#include "ItemIdText.h"
#include "PlayModel.h"
#include "PopulateWorld.h"
#include "ReflectedProperty.h"
#include "WorldClasses.h"
#include "WorldFile.h"
#include "config/LoadConfiguration.h"
#include "emugame/GameCalls.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "plugin/HookTable.h"
#include "plugin/Registrations.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txlplay {
namespace {

constexpr int kSuccessStatus = 11;
constexpr const char* kProcessorClass = "Thalassovex_Character_BP_C";

// As the host loads the plug-in, with its folder in the process's scratch folder.
void StartPlugin() {
    txl::PluginState& state = txl::State();
    state.ConfigPath = (txlfuzz::ScratchFolder() / "config.json").wstring();
    state.ReportPath = (txlfuzz::ScratchFolder() / "processor-runtime.json").wstring();
    txl::CreateLogger();
    txl::LoadConfiguration();
    txl::InstallHooks();
    txl::RegisterTimerAndCommands();
}

void StopPlugin() {
    txl::Teardown();
    emuhost::HookManager::Instance().Reset();
    emuhost::CommandRegistry::Instance().Reset();
}

double PropertyOf(emu::Game& game, emu::Actor* actor, const char* name) {
    auto property = txl::devserver::FindReflectedProperty(game, actor->Object.ClassPrivate, name);
    if (property.property == nullptr) return std::numeric_limits<double>::quiet_NaN();
    return txl::devserver::ReadPropertyNumber(
               actor, txl::devserver::ActorObjectSize(game, actor->Object.ClassPrivate), property)
        .value_or(std::numeric_limits<double>::quiet_NaN());
}

ItemView ViewOf(emu::Game& game, const emu::Item& item) {
    ItemView view{txl::devserver::ItemIdText(item.ItemID), game.ClassName(&item.Object)};
    for (int32 i = 0; i < item.CustomItemDatas.ArrayNum; ++i) {
        const FCustomItemData& entry = item.CustomItemDatas.Data[i];
        if (game.NameText(entry.CustomDataName) != "ThalassovexLimiter.CounterV1") continue;
        if (entry.CustomDataFloats.ArrayNum == 3) {
            view.hasRecord = true;
            view.maximum = entry.CustomDataFloats.Data[1];
            view.used = entry.CustomDataFloats.Data[2];
        }
        break;
    }
    return view;
}

// The hooked reads run an enforcement of their own, so they are taken only when checked.
WorldView Observe(txl::devserver::GameSession& session, bool withReads) {
    emu::Game& game = session.Game();
    WorldView world;
    for (int id : session.Actors().LiveIds()) {
        emu::Actor* actor = session.Actors().Find(id);
        ActorView& view = world[id];
        view.id = id;
        if (emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object)) {
            for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
                const emu::Item* item = inventory->InventoryItems.Data[i];
                if (item != nullptr && emu::ItemFlag(*item, emu::kIsBlueprintBit) &&
                    !emu::ItemFlag(*item, emu::kIsEngramBit))
                    view.blueprints.push_back(ViewOf(game, *item));
            }
        }
        if (!emu::Game::IsChildOf(actor->Object.ClassPrivate, game.FindClass(kProcessorClass)))
            continue;
        ProcessorView processor;
        processor.tamed = actor->TargetingTeam >= 50000;
        processor.successRateCap = PropertyOf(game, actor, "SuccessRateCap");
        processor.numberMaxCrafts = PropertyOf(game, actor, "NumberMaxCrafts");
        processor.skill = PropertyOf(game, actor, "CraftingSkillLevelMulti");
        if (auto* status = reinterpret_cast<emu::Character*>(actor)->MyCharacterStatusComponent) {
            processor.stored[0] = status->CurrentStatusValues[kSuccessStatus];
            processor.stored[1] = status->MaxStatusValues[kSuccessStatus];
            processor.stored[2] = status->ReplicatedGlobalMaxStatusValues[kSuccessStatus];
            if (withReads) {
                processor.read[0] = emu::calls::BPGetCurrentStatusValue(status, kSuccessStatus);
                processor.read[1] = emu::calls::BPGetMaxStatusValue(status, kSuccessStatus);
            }
        }
        view.processor = processor;
    }
    return world;
}

std::vector<std::string> FinishedCrafts(emu::Game& game) {
    std::vector<std::string> ids;
    for (const emu::JournalEntry& entry : game.Log().Calls("FinishCraftingBlueprint"))
        ids.push_back(entry.arguments.substr(0, entry.arguments.find(',')));
    return ids;
}

// The rule without its numbers and names of things, so that shrinking keeps to one failure.
std::string KindOf(const std::string& broken) {
    std::string kind;
    for (char c : broken)
        if (std::isalpha(static_cast<unsigned char>(c)) || c == ' ') kind += c;
    return kind;
}

}  // namespace

const std::vector<std::string>& PlayPreamble() {
    static const std::vector<std::string> lines = {"config write {}", "TXL.Reload"};
    return lines;
}

std::optional<PlayFailure> RunPlay(const std::vector<std::string>& lines) {
    txlfuzz::StartQuietGame();
    const txl::PluginConfig savedConfig = txl::State().Config;
    emu::Game& game = emu::Game::Instance();
    StopPlugin();
    game.Reset();
    std::ofstream(txlfuzz::ScratchFolder() / "config.json", std::ios::trunc) << "{}";
    auto defaultWorld = [&game] {
        return txl::devserver::LoadWorld(nlohmann::json::parse(txl::devserver::DefaultWorldJson()),
                                         "default world", game);
    };
    const txl::devserver::WorldPlan plan = defaultWorld();
    StartPlugin();
    std::optional<PlayFailure> failure;
    {
        // The dev server's defaults: a timer tick every second, the default seed.
        txl::devserver::GameSession session(game, txlfuzz::ScratchFolder(), 1.0);
        session.SetPluginCycle(StopPlugin, StartPlugin);
        txl::devserver::RestoreWorld(plan, session);
        txl::devserver::CommandInterpreter interpreter(session);
        PlayModel model;
        std::vector<std::string> all = PlayPreamble();
        all.insert(all.end(), lines.begin(), lines.end());
        for (std::size_t i = 0; i < all.size() && !failure; ++i) {
            model.Before(all[i], Observe(session, false));
            game.Log().Clear();
            auto result = interpreter.Execute(all[i], txl::devserver::CommandSource::Script);
            std::string broken =
                model.After(result.ok, result.reply, FinishedCrafts(game), Observe(session, false));
            if (broken.empty() && model.EnforcedNow())
                broken = model.CheckProcessors(Observe(session, true));
            if (!broken.empty()) {
                const std::size_t line = i < PlayPreamble().size() ? 0 : i - PlayPreamble().size();
                failure = PlayFailure{line, KindOf(broken), broken};
            }
        }
    }
    StopPlugin();
    game.Reset();
    txl::State().Config = savedConfig;
    return failure;
}

}  // namespace txlplay
