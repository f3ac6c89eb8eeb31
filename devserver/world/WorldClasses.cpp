#include "WorldClasses.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "emugame/StandardClasses.h"

namespace txl::devserver {
namespace {

constexpr std::int64_t kMaxOffset = 1 << 20;

std::string NewClassName(const WorldJsonNode& node, emu::Game& game) {
    std::string name = node.Member("name").String();
    if (name.empty()) node.Member("name").Fail("a class needs a name");
    if (game.FindClass(name) != nullptr)
        node.Member("name").Fail("class '" + name +
                                 "' is already defined (with \"standardClasses\": false the "
                                 "standard classes are not defined)");
    return name;
}

emu::Class* ParentClass(const WorldJsonNode& node, emu::Game& game, const char* root,
                        const char* fallback) {
    std::string name = node.StringOr("parent", fallback);
    emu::Class* parent = game.FindClass(name);
    if (parent == nullptr || !emu::Game::IsChildOf(parent, game.FindClass(root)))
        node.Member("parent").Fail("'" + name + "' is not a class descending from " + root +
                                   " defined before this one");
    return parent;
}

emu::PropertySpec PropertyOf(const WorldJsonNode& node, emu::Game& game, int32 inheritedSize) {
    node.ExpectObject({"name", "type", "size", "arrayDim", "offset"});
    emu::PropertySpec spec;
    spec.name = node.Member("name").String();
    std::string type = node.Member("type").String();
    if (type == "float") type = "FloatProperty";
    if (type == "double") type = "DoubleProperty";
    if (type == "int32") type = "IntProperty";
    if (game.FindFieldClass(type) == nullptr)
        node.Member("type").Fail("unknown property type '" + type +
                                 "' (float, double, int32 or a field class name)");
    spec.type = type;
    spec.elementSize =
        static_cast<int32>(node.IntegerOr("size", type == "DoubleProperty" ? 8 : 4, 1, 64));
    spec.arrayDim = static_cast<int32>(node.IntegerOr("arrayDim", 1, 1, 64));
    // An explicit offset may lie past the object (to try the plug-in's checks), never over the
    // engine's own members.
    spec.offset = static_cast<int32>(node.IntegerOr("offset", -1, inheritedSize, kMaxOffset));
    return spec;
}

std::vector<uint8> ScriptBytes(const WorldJsonNode& node) {
    std::string hex = node.String();
    if (hex.size() % 2 != 0) node.Fail("script hex needs an even number of digits");
    std::vector<uint8> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        auto digit = [&](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            node.Fail(std::string("'") + c + "' is not a hex digit");
        };
        bytes.push_back(static_cast<uint8>(digit(hex[i]) * 16 + digit(hex[i + 1])));
    }
    return bytes;
}

void DefineItemClassFrom(const WorldJsonNode& node, emu::Game& game) {
    node.ExpectObject({"name", "blueprintAllowMaxCraftings", "craftingSeconds"});
    std::string name = NewClassName(node, game);
    std::optional<int32> limit;
    if (node.Has("blueprintAllowMaxCraftings") &&
        !node.Member("blueprintAllowMaxCraftings").Value().is_null())
        limit = static_cast<int32>(
            node.Member("blueprintAllowMaxCraftings").Integer(INT32_MIN, INT32_MAX));
    double seconds = node.OptionalNumber("craftingSeconds").value_or(2.0);
    if (!std::isfinite(seconds) || seconds <= 0)
        node.Member("craftingSeconds").Fail("must be a positive number of seconds");
    game.DefineItemClass(name, limit, static_cast<float>(seconds));
}

// Status number -> the maximum a level-up of it adds for this class and those below it.
void DefineLevelUpGains(const WorldJsonNode& node, emu::Game& game, emu::Class* cls) {
    node.ExpectObject();
    for (const auto& [key, value] : node.Value().items()) {
        WorldJsonNode gain = node.Member(key);
        if (key.empty() || key.size() > 2 || key.find_first_not_of("0123456789") != key.npos ||
            std::stoi(key) >= emu::kStatusCount)
            gain.Fail("'" + key + "' is not a status number 0..11");
        game.SetLevelUpGain(cls, std::stoi(key), static_cast<float>(gain.Number()));
    }
}

void DefineCreatureClassFrom(const WorldJsonNode& node, emu::Game& game) {
    node.ExpectObject({"name", "parent", "properties", "functions", "levelUpGain"});
    std::string name = NewClassName(node, game);
    emu::Class* parent = ParentClass(node, game, "PrimalCharacter", "PrimalDinoCharacter");
    std::vector<emu::PropertySpec> properties;
    if (node.Has("properties")) {
        WorldJsonNode list = node.Member("properties");
        list.ExpectArray();
        for (std::size_t i = 0; i < list.Size(); ++i)
            properties.push_back(PropertyOf(list.Element(i), game, parent->Base.PropertiesSize));
    }
    emu::Class* cls = emu::DefineCreatureClass(game, name, properties, parent);
    if (node.Has("functions")) {
        WorldJsonNode list = node.Member("functions");
        list.ExpectArray();
        for (std::size_t i = 0; i < list.Size(); ++i) {
            WorldJsonNode function = list.Element(i);
            function.ExpectObject({"name", "script"});
            std::vector<uint8> script;
            if (function.Has("script")) script = ScriptBytes(function.Member("script"));
            game.AddFunction(&cls->Base, function.Member("name").String(), script);
        }
    }
    if (node.Has("levelUpGain")) DefineLevelUpGains(node.Member("levelUpGain"), game, cls);
}

void DefineContainerClassFrom(const WorldJsonNode& node, emu::Game& game) {
    node.ExpectObject({"name", "parent"});
    std::string name = NewClassName(node, game);
    game.DefineClass(name, ParentClass(node, game, "PrimalStructureItemContainer",
                                       "PrimalStructureItemContainer"));
}

template <typename Define>
void DefineEach(const WorldJsonNode& root, const char* key, emu::Game& game, Define define) {
    if (!root.Has(key)) return;
    WorldJsonNode list = root.Member(key);
    list.ExpectArray();
    for (std::size_t i = 0; i < list.Size(); ++i) define(list.Element(i), game);
}

}  // namespace

void DefineWorldClasses(const WorldJsonNode& root, emu::Game& game) {
    if (root.BoolOr("standardClasses", true)) emu::DefineStandardClasses(game);
    DefineEach(root, "itemClasses", game, DefineItemClassFrom);
    DefineEach(root, "creatureClasses", game, DefineCreatureClassFrom);
    DefineEach(root, "containerClasses", game, DefineContainerClassFrom);
}

std::size_t ActorObjectSize(emu::Game& game, const emu::Class* cls) {
    std::size_t members = emu::Game::IsChildOf(cls, game.FindClass("PrimalCharacter"))
                              ? sizeof(emu::Character)
                              : sizeof(emu::ItemContainer);
    return std::max<std::size_t>(members, static_cast<std::size_t>(cls->Base.PropertiesSize));
}

}  // namespace txl::devserver
