#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "diagnostics/ClassReflection.h"
#include "diagnostics/InspectCommand.h"
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

// What "Thalassovex.Inspect" writes: the loaded processors with their items, and the reflection
// of each processor class with what its scripts address.
namespace {

using nlohmann::json;
using txltest::EmulatedServer;
using txltest::PluginFolder;
using txltest::SetSuccess;

// The sixteen hex digits a script holds for an object's address.
std::string AddressHex(const void* object) {
    auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
    std::string hex;
    for (int i = 0; i < 8; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x",
                      static_cast<unsigned>(value >> (8 * i)) & 0xFFU);
        hex += digits;
    }
    return hex;
}

emu::ItemSpec ItemOf(emu::Class* cls, bool blueprint = false, bool engram = false) {
    emu::ItemSpec spec;
    spec.itemClass = cls;
    spec.blueprint = blueprint;
    spec.engram = engram;
    return spec;
}

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
        ReplaceAll(text, "@SuccessRateCap@", AddressHex(chance_));
        ReplaceAll(text, "@Quality@", AddressHex(quality_));
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
        emu::ItemSpec bolt = ItemOf(standard.limitedBlueprint, true);
        bolt.id = FItemNetID{7, 4000000000U};
        bolt.customItemId = -1;
        bolt.customDescription =
            L"Bolzen f\u00fcr Fl\u00f6\u00dfe \u2713\n"
            L"Thalassovex crafts remaining: 0/10";
        game_.GiveItem(inventory, bolt);
        emu::ArrayAppend(inventory->InventoryItems, static_cast<emu::Item*>(nullptr));
        emu::ItemSpec engram = ItemOf(standard.unlimitedBlueprint, true, true);
        engram.id = FItemNetID{1, 1};
        game_.GiveItem(inventory, engram);
        emu::ItemSpec shell = ItemOf(standard.resource);
        shell.id = FItemNetID{8, 9};
        shell.customItemId = INT_MAX;
        shell.durability = 0.25f;
        game_.GiveItem(inventory, shell);
        emu::ItemSpec lantern = ItemOf(standard.unlimitedBlueprint, true);
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

UClass* AsClass(emu::Class* cls) {
    return reinterpret_cast<UClass*>(cls);
}

std::vector<std::string> Names(const json& records) {
    std::vector<std::string> names;
    for (const json& record : records) names.push_back(record.at("name").get<std::string>());
    return names;
}

const json& FunctionNamed(const json& capture, const std::string& name) {
    for (const json& function : capture.at("functions")) {
        if (function.at("name") == name) return function;
    }
    throw std::runtime_error("no captured function " + name);
}

json Reference(std::size_t at, const std::string& target) {
    return {{"at", at}, {"target", target}};
}

// A three-level chain: a root whose name has the word only in lower case, a base with the word
// inside its name, and the class itself. Child kinds and scripts cover the capture rules.
struct Chain {
    emu::Class* root = nullptr;
    emu::Class* base = nullptr;
    emu::Class* top = nullptr;
    emu::Property* rootValue = nullptr;
    emu::Property* cap = nullptr;
    emu::Property* crafts = nullptr;
    emu::Function* rootFunction = nullptr;
    emu::Function* baseEvent = nullptr;
    emu::Function* graph = nullptr;
    emu::Property* temp = nullptr;
    emu::Function* apply = nullptr;
    emu::Property* newCap = nullptr;
    std::vector<std::size_t> graphAt;  // where the graph's addresses start, in script order
    std::vector<std::size_t> applyAt;
};

Chain BuildChain(emu::Game& game) {
    Chain c;
    auto* floatType = game.FindFieldClass("FloatProperty");
    auto* intType = game.FindFieldClass("IntProperty");
    c.root = game.DefineClass("thalassovex_Root_C", nullptr, 16);
    c.rootValue = game.AddProperty(&c.root->Base, "RootValue", intType, 4, 0);
    c.rootFunction = game.AddFunction(&c.root->Base, "RootFunction", {0x0B});
    c.base = game.DefineClass("Base_Thalassovex_C", c.root, 16);
    game.AddProperty(&c.base->Base, "BaseChance", floatType, 4, 8);
    c.baseEvent = game.AddFunction(&c.base->Base, "OnBaseEvent", {},
                                   emu::FunctionKind(game, "DelegateFunction"));
    game.AddFunction(&c.base->Base, "BaseTick", {0x04});
    c.top = game.DefineClass("Thalassovex_Top_C", c.base, 32);
    c.cap = game.AddProperty(&c.top->Base, "Cap", floatType, 4, 16);
    c.crafts = game.AddProperty(&c.top->Base, "Crafts", intType, 4, 20);
    game.AddFunction(&c.top->Base, "Helper", {0x0B}, emu::FunctionKind(game, "FunctionX"));
    c.graph = game.AddFunction(&c.top->Base, "Graph", {});
    game.AddProperty(&c.graph->Base, "EntryPoint", intType, 4, 0);
    c.temp = game.AddProperty(&c.graph->Base, "Temp", floatType, 4, 4);
    c.apply = game.AddFunction(&c.top->Base, "Apply", {});
    c.newCap = game.AddProperty(&c.apply->Base, "NewCap", floatType, 4, 0);
    // Crafts is also a local of Apply: labelled as a property first, then as Apply's local.
    c.newCap->Base.Next = &c.crafts->Base;

    emu::ScriptBytes graph;
    auto address = [](emu::ScriptBytes& script, std::vector<std::size_t>& at, const void* object) {
        at.push_back(script.Size());
        script.Address(object);
    };
    graph.Bytes({0x4E, 0x00});
    address(graph, c.graphAt, c.temp);  // own local
    graph.Bytes({0x01});
    address(graph, c.graphAt, c.rootValue);  // unlisted ancestor's property
    address(graph, c.graphAt, c.baseEvent);  // a child that is no function
    graph.Bytes({0x00});
    address(graph, c.graphAt, c.newCap);  // a later function's local: not labelled yet
    address(graph, c.graphAt, c.crafts);  // still the property's label
    address(graph, c.graphAt, c.cap);     // twice in a row
    address(graph, c.graphAt, c.cap);
    graph.Bytes({0x01}).PartialAddress(c.cap, 7);  // in the last seven bytes: no window
    emu::SetScript(c.graph, graph.Get());

    emu::ScriptBytes apply;
    apply.Bytes({0x0F});
    address(apply, c.applyAt, c.temp);          // an earlier function's local
    address(apply, c.applyAt, c.crafts);        // now Apply's local
    address(apply, c.applyAt, c.rootFunction);  // a child function of the root
    address(apply, c.applyAt, c.graph);         // a captured function
    address(apply, c.applyAt, c.newCap);        // ends the script exactly
    emu::SetScript(c.apply, apply.Get());

    game.AddFunction(&c.top->Base, "Empty", {});
    game.AddFunction(&c.top->Base, "Two", {0x00, 0xAB});
    game.AddFunction(&c.top->Base, "Seven", emu::ScriptBytes().PartialAddress(c.cap, 7).Get());
    // A corrupt count: reported as stored, never scanned.
    auto* negative = game.AddFunction(&c.top->Base, "Negative", {});
    negative->Base.Script.ArrayNum = -4;
    return c;
}

TEST(ClassReflection, CapturesTheStructsNamedWithTheWordTheirFunctionsAndWhatScriptsAddress) {
    EmulatedServer server;
    Chain c = BuildChain(server.Game());
    json capture = txl::CaptureClassReflection(AsClass(c.top));

    // Chain order, then list order; the lower-case root lists nothing.
    EXPECT_EQ(capture.at("properties"), json::parse(R"([{"name":"Cap","offset":16,"size":4},
                              {"name":"Crafts","offset":20,"size":4},
                              {"name":"BaseChance","offset":8,"size":4}])"));
    // "FunctionX" and "DelegateFunction" children are no functions; the root's function is
    // unlisted with its struct.
    EXPECT_EQ(Names(capture.at("functions")),
              (std::vector<std::string>{"Graph", "Apply", "Empty", "Two", "Seven", "Negative",
                                        "BaseTick"}));
    EXPECT_EQ(FunctionNamed(capture, "Apply").at("locals"),
              json::parse(R"([{"name":"NewCap","offset":0,"size":4},
                              {"name":"Crafts","offset":20,"size":4}])"));

    json lowerOnly = txl::CaptureClassReflection(AsClass(c.root));
    EXPECT_EQ(lowerOnly, json::parse(R"({"functions":[],"properties":[]})"));

    const json& graph = FunctionNamed(capture, "Graph");
    EXPECT_EQ(graph.at("references"),
              json::array({Reference(c.graphAt[0], "local:Graph.Temp"),
                           Reference(c.graphAt[1], "property:thalassovex_Root_C.RootValue"),
                           Reference(c.graphAt[2], "function:Base_Thalassovex_C.OnBaseEvent"),
                           Reference(c.graphAt[4], "property:Thalassovex_Top_C.Crafts"),
                           Reference(c.graphAt[5], "property:Thalassovex_Top_C.Cap"),
                           Reference(c.graphAt[6], "property:Thalassovex_Top_C.Cap")}));
    EXPECT_EQ(graph.at("bytes"), 2 + 7 * 8 + 1 + 1 + 1 + 7);
    EXPECT_EQ(graph.at("hex").get<std::string>().substr(4, 16), AddressHex(c.temp));

    const json& apply = FunctionNamed(capture, "Apply");
    EXPECT_EQ(apply.at("references"),
              json::array({Reference(c.applyAt[0], "local:Graph.Temp"),
                           Reference(c.applyAt[1], "local:Apply.Crafts"),
                           Reference(c.applyAt[2], "function:thalassovex_Root_C.RootFunction"),
                           Reference(c.applyAt[3], "function:Thalassovex_Top_C.Graph"),
                           Reference(c.applyAt[4], "local:Apply.NewCap")}));
    EXPECT_EQ(apply.at("bytes"), 1 + 5 * 8);

    EXPECT_EQ(FunctionNamed(capture, "Empty"),
              json::parse(R"({"bytes":0,"hex":"","locals":[],"name":"Empty","references":[]})"));
    EXPECT_EQ(FunctionNamed(capture, "Two"),
              json::parse(R"({"bytes":2,"hex":"00ab","locals":[],"name":"Two","references":[]})"));
    const json& seven = FunctionNamed(capture, "Seven");
    EXPECT_EQ(seven.at("hex"), AddressHex(c.cap).substr(0, 14));
    EXPECT_TRUE(seven.at("references").empty());
    EXPECT_EQ(
        FunctionNamed(capture, "Negative"),
        json::parse(R"({"bytes":-4,"hex":"","locals":[],"name":"Negative","references":[]})"));
}

}  // namespace
