#include "WorldActors.h"

#include <cmath>
#include <limits>

#include "ItemIdText.h"
#include "WorldClasses.h"
#include "emuhost/WideText.h"

namespace txl::devserver {
namespace {

bool IsCreatureClass(emu::Game& game, const emu::Class* cls) {
    return emu::Game::IsChildOf(cls, game.FindClass("PrimalCharacter"));
}

bool IsContainerClass(emu::Game& game, const emu::Class* cls) {
    return emu::Game::IsChildOf(cls, game.FindClass("PrimalStructureItemContainer"));
}

FItemNetID ItemIdOf(const WorldJsonNode& node) {
    auto id = ParseItemId(node.String());
    if (!id) node.Fail("'" + node.String() + "' is not an item id \"A:B\"");
    return *id;
}

emu::ItemSpec ItemOf(const WorldJsonNode& node, emu::Game& game) {
    node.ExpectObject({"class", "blueprint", "engram", "id", "description", "itemDescription",
                       "customItemId", "durability"});
    std::string className = node.Member("class").String();
    emu::ItemSpec spec;
    spec.itemClass = game.FindClass(className);
    if (spec.itemClass == nullptr ||
        !emu::Game::IsChildOf(spec.itemClass, game.FindClass("PrimalItem")))
        node.Fail("unknown item class '" + className + "'");
    spec.blueprint = node.BoolOr("blueprint", false);
    spec.engram = node.BoolOr("engram", false);
    if (node.Has("id")) spec.id = ItemIdOf(node.Member("id"));
    spec.customDescription = emuhost::ToWide(node.StringOr("description", ""));
    spec.description = emuhost::ToWide(node.StringOr("itemDescription", ""));
    if (node.Has("customItemId"))
        spec.customItemId =
            static_cast<int32>(node.Member("customItemId").Integer(INT32_MIN, INT32_MAX));
    spec.durability = static_cast<float>(node.OptionalNumber("durability").value_or(100.0));
    return spec;
}

void PlanProperties(const WorldJsonNode& node, emu::Game& game, PlannedActor& actor) {
    node.ExpectObject();
    std::string className = game.NameText(actor.cls->Base.Base.Object.NamePrivate);
    for (const auto& [name, value] : node.Value().items()) {
        WorldJsonNode member = node.Member(name);
        ReflectedProperty property = FindReflectedProperty(game, actor.cls, name);
        if (property.property == nullptr)
            member.Fail("class '" + className + "' has no property '" + name + "'");
        if (!IsNumericProperty(property))
            member.Fail("property '" + name + "' is not a float, double or int32");
        if (!PropertyFits(property, ActorObjectSize(game, actor.cls)))
            member.Fail("property '" + name + "' lies outside the object; it cannot be set");
        double number = property.type == "IntProperty"
                            ? static_cast<double>(member.Integer(INT32_MIN, INT32_MAX))
                            : member.Number();
        actor.properties.emplace_back(property, number);
    }
}

void PlanStatus(const WorldJsonNode& node, PlannedActor& actor) {
    node.ExpectObject({"current", "max", "replicatedMax"});
    auto value = [&](const char* key) -> std::optional<float> {
        if (auto number = node.OptionalNumber(key)) return static_cast<float>(*number);
        return std::nullopt;
    };
    actor.current = value("current");
    actor.max = value("max");
    actor.replicatedMax = value("replicatedMax");
}

PlannedActor PlanActor(const WorldJsonNode& node, emu::Game& game) {
    node.ExpectObject({"class", "team", "properties", "status", "items", "beginPlay"});
    PlannedActor actor;
    std::string className = node.Member("class").String();
    actor.cls = game.FindClass(className);
    if (actor.cls == nullptr) node.Member("class").Fail("unknown actor class '" + className + "'");
    actor.container = IsContainerClass(game, actor.cls);
    if (!actor.container && !IsCreatureClass(game, actor.cls))
        node.Member("class").Fail("'" + className +
                                  "' is neither a creature nor a container class");
    actor.team = static_cast<int32>(node.IntegerOr("team", 0, INT32_MIN, INT32_MAX));
    actor.beginPlay = node.BoolOr("beginPlay", true);
    if (node.Has("properties")) PlanProperties(node.Member("properties"), game, actor);
    if (node.Has("status")) {
        if (actor.container) node.Member("status").Fail("a container has no status");
        PlanStatus(node.Member("status"), actor);
    }
    if (node.Has("items")) {
        WorldJsonNode items = node.Member("items");
        items.ExpectArray();
        for (std::size_t i = 0; i < items.Size(); ++i)
            actor.items.push_back(ItemOf(items.Element(i), game));
    }
    return actor;
}

int ActorReference(const WorldJsonNode& node, const WorldPlan& plan) {
    auto id = static_cast<int>(node.Integer(1, INT32_MAX));
    if (static_cast<std::size_t>(id) > plan.actors.size())
        node.Fail("no actor " + std::to_string(id) + " (actors are numbered from 1)");
    return id;
}

PlannedShare PlanShare(const WorldJsonNode& node, const WorldPlan& plan) {
    node.ExpectObject({"actor", "container", "item", "copyId"});
    PlannedShare share;
    share.actor = ActorReference(node.Member("actor"), plan);
    share.container = ActorReference(node.Member("container"), plan);
    share.item = ItemIdOf(node.Member("item"));
    if (node.Has("copyId")) share.copyId = ItemIdOf(node.Member("copyId"));
    const PlannedActor& container = plan.actors[static_cast<std::size_t>(share.container - 1)];
    if (!container.container)
        node.Member("container")
            .Fail("actor " + std::to_string(share.container) + " is not a container");
    for (const emu::ItemSpec& item : container.items) {
        if (item.blueprint && item.id && item.id->ItemID1 == share.item.ItemID1 &&
            item.id->ItemID2 == share.item.ItemID2)
            return share;
    }
    node.Member("item").Fail("container " + std::to_string(share.container) +
                             " holds no blueprint with id " + ItemIdText(share.item));
}

}  // namespace

WorldPlan PlanWorldActors(const WorldJsonNode& root, emu::Game& game) {
    WorldPlan plan;
    if (root.Has("actors")) {
        WorldJsonNode actors = root.Member("actors");
        actors.ExpectArray();
        for (std::size_t i = 0; i < actors.Size(); ++i)
            plan.actors.push_back(PlanActor(actors.Element(i), game));
    }
    if (root.Has("shares")) {
        WorldJsonNode shares = root.Member("shares");
        shares.ExpectArray();
        for (std::size_t i = 0; i < shares.Size(); ++i)
            plan.shares.push_back(PlanShare(shares.Element(i), plan));
    }
    return plan;
}

}  // namespace txl::devserver
