#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

#include "diagnostics/InspectCommand.h"
#include "diagnostics/InspectSupport.h"
#include "emugame/Allocator.h"
#include "emugame/ScriptBytes.h"
#include "emugame/StandardClasses.h"
#include "emuhost/NameRegistry.h"
#include "host/EngineText.h"
#include "plugin/HookTable.h"
#include "processor/ProcessorTestWorld.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"
#include "support/EmulatedServer.h"

namespace {

using txltest::EmulatedServer;
using txltest::PluginFolder;
using txltest::SetSuccess;

void ReplaceAll(std::string& text, const std::string& token, const std::string& value) {
    for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at))
        text.replace(at, token.size(), value);
}

txl::ProcessorProperty LayoutOf(emu::Property* property) {
    return {property->Offset_Internal, property->ElementSize,
            reinterpret_cast<FProperty*>(property)};
}

// The plug-in's view of a loaded server without its hooks: the status hook's stored entry is the
// game's own function, and the processor class has a validated layout.
class SmallWorld {
  public:
    explicit SmallWorld(emu::Game& game) : game_(game) {
        // Layouts or limits another test left would change the report.
        txl::State() = txl::PluginState{};
        auto standard = emu::DefineStandardClasses(game);
        emu::Class* mini =
            emu::DefineCreatureClass(game, "Thalassovex_Mini_Character_BP_C",
                                     {{"SuccessRateCap", "FloatProperty", 4},
                                      {"NumberMaxCrafts", "IntProperty", 4},
                                      {"CraftingSkillLevelMulti", "FloatProperty", 4}});
        chance_ = emu::FindDeclaredProperty(game, &mini->Base, "SuccessRateCap");
        crafts_ = emu::FindDeclaredProperty(game, &mini->Base, "NumberMaxCrafts");
        skill_ = emu::FindDeclaredProperty(game, &mini->Base, "CraftingSkillLevelMulti");
        DefineFunctions(mini);
        emu::Class* other = emu::DefineCreatureClass(game, "character_bp_thalassovex_C", {});

        emu::Character* first = game.SpawnCreature(mini, 50000);
        SetSuccess(first, 0.5f, 1.0f, std::numeric_limits<float>::quiet_NaN());
        SetNumbers(first, 2.0f, 100, 0.1f);
        GiveItems(first->MyInventoryComponent, standard);
        game.SpawnCreature(standard.creature, 50000);
        emu::Character* second = game.SpawnCreature(other, 0);
        SetSuccess(second, 0.1f, -0.3f, -std::numeric_limits<float>::infinity());
        emu::Character* bare = game.SpawnCreature(mini, 50000);
        bare->MyCharacterStatusComponent = nullptr;
        bare->MyInventoryComponent = nullptr;
        SetNumbers(bare, std::numeric_limits<float>::quiet_NaN(), -5, 1.0f);

        txl::ProcessorLayout layout{LayoutOf(chance_), LayoutOf(crafts_), LayoutOf(skill_), true};
        txl::State().ProcessorLayouts[reinterpret_cast<UClass*>(mini)] = layout;
        txl::State().Hooks = txl::MakeHookTable();
        txl::HookRecord& hook = txl::State().Hooks[txl::kCurrentStatusHook];
        hook.Original = *emuhost::NameRegistry::Instance().HookSlot(hook.Symbol);
    }

    ~SmallWorld() { txl::State() = txl::PluginState{}; }

    // The expected report with the addresses of this run in place of its tokens.
    std::string Expected(std::string text) const {
        ReplaceAll(text, "@SuccessRateCap@", txltest::AddressHex(chance_));
        ReplaceAll(text, "@Quality@", txltest::AddressHex(quality_));
        return text;
    }

  private:
    void DefineFunctions(emu::Class* mini) {
        game_.AddFunction(&mini->Base, "OnMiniCrafted__DelegateSignature", {},
                          emu::FunctionKind(game_, "DelegateFunction"));
        emu::Function* craft = game_.AddFunction(&mini->Base, "ReceiveCraft", {});
        quality_ =
            game_.AddProperty(&craft->Base, "Quality", game_.FindFieldClass("FloatProperty"), 4, 0);
        game_.AddProperty(&craft->Base, "Count", game_.FindFieldClass("IntProperty"), 4, 4);
        emu::SetScript(craft, emu::ScriptBytes()
                                  .Bytes({0x0F, 0x01})
                                  .Address(chance_)
                                  .Bytes({0x00})
                                  .Address(quality_)
                                  .Bytes({0x0B})
                                  .Get());
        game_.AddFunction(&mini->Base, "Idle", {});
    }

    void SetNumbers(emu::Character* creature, float chance, int32 crafts, float skill) {
        emu::PropertyValue<float>(creature, chance_) = chance;
        emu::PropertyValue<int32>(creature, crafts_) = crafts;
        emu::PropertyValue<float>(creature, skill_) = skill;
    }

    void GiveItems(emu::InventoryComponent* inventory, const emu::StandardClasses& standard) {
        emu::ItemSpec bolt = txltest::ItemOf(standard.limitedBlueprint, true);
        bolt.id = FItemNetID{7, 4000000000U};
        bolt.customItemId = -1;
        bolt.customDescription =
            L"Bolzen f\u00fcr Fl\u00f6\u00dfe \u2713\n"
            L"Thalassovex crafts remaining: 0/10";
        game_.GiveItem(inventory, bolt);
        emu::ArrayAppend(inventory->InventoryItems, static_cast<emu::Item*>(nullptr));
        emu::ItemSpec engram = txltest::ItemOf(standard.unlimitedBlueprint, true, true);
        engram.id = FItemNetID{1, 1};
        game_.GiveItem(inventory, engram);
        emu::ItemSpec shell = txltest::ItemOf(standard.resource);
        shell.id = FItemNetID{8, 9};
        shell.customItemId = INT_MAX;
        shell.durability = 0.25f;
        game_.GiveItem(inventory, shell);
        emu::ItemSpec lantern = txltest::ItemOf(standard.unlimitedBlueprint, true);
        lantern.id = FItemNetID{4294967295U, 0};
        lantern.customItemId = INT_MIN;
        lantern.customDescription = L"Say \"hi\" \\ bye\t";
        lantern.durability = 0.0f;
        game_.GiveItem(inventory, lantern);
    }

    emu::Game& game_;
    emu::Property* chance_ = nullptr;
    emu::Property* crafts_ = nullptr;
    emu::Property* skill_ = nullptr;
    emu::Property* quality_ = nullptr;
};

TEST(InspectionReport, SmallWorldIsWrittenExactlyAsExpected) {
    EmulatedServer server;
    txl::CreateLogger();
    PluginFolder folder;
    SmallWorld world(server.Game());
    auto report = folder.Path() / "processor-runtime.json";
    txl::State().ReportPath = txl::host::ToWide(report.string());
    auto* connection = txltest::OpenConnection(server.Game());
    auto live = emu::LiveAllocations();

    RCONPacket packet;
    packet.Id = 41;
    txl::HandleInspectCommand(reinterpret_cast<RCONClientConnection*>(connection), &packet,
                              reinterpret_cast<UWorld*>(server.Game().World()));

    EXPECT_EQ(txltest::Replies(server.Game()),
              std::vector<std::string>{
                  "41,0,Thalassovex runtime capture written to processor-runtime.json"});
    // The data file is compact; the report is indented by two, its keys sorted and every float
    // written with a fraction, as nlohmann writes it.
    auto expected = nlohmann::json::parse(txltest::ReadBytes(
        std::filesystem::path(TXL_SOURCE_DIR) / "tests/diagnostics/data/small-world-report.json"));
    EXPECT_EQ(txltest::ReadBytes(report), world.Expected(expected.dump(2)));
    EXPECT_EQ(emu::LiveAllocations(), live);
    EXPECT_TRUE(server.Logs().Messages("error").empty());
}

}  // namespace
