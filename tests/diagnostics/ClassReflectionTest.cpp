#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/ClassReflection.h"
#include "diagnostics/InspectSupport.h"
#include "emugame/ScriptBytes.h"
#include "support/EmulatedServer.h"

namespace {

using nlohmann::json;
using txltest::AddressHex;
using txltest::EmulatedServer;

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
