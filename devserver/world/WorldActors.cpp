#include "WorldActors.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "ItemIdText.h"
#include "WorldClasses.h"
#include "WorldItems.h"
#include "emuhost/WideText.h"

namespace txl::devserver {
namespace {

bool IsCreatureClass(emu::Game& game, const emu::Class* cls) {
    return emu::Game::IsChildOf(cls, game.FindClass("PrimalCharacter"));
}

bool IsContainerClass(emu::Game& game, const emu::Class* cls) {
    return emu::Game::IsChildOf(cls, game.FindClass("PrimalStructureItemContainer"));
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

int StatusNumber(const WorldJsonNode& node, const std::string& key) {
    if (key.empty() || key.size() > 2 || key.find_first_not_of("0123456789") != key.npos ||
        std::stoi(key) >= emu::kStatusCount)
        node.Fail("'" + key + "' is not a status number 0.." +
                  std::to_string(emu::kStatusCount - 1));
    return std::stoi(key);
}

PlannedStatusValues StatusValuesOf(const WorldJsonNode& node) {
    auto value = [&](const char* key) -> std::optional<float> {
        if (auto number = node.OptionalNumber(key)) return static_cast<float>(*number);
        return std::nullopt;
    };
    return {value("current"), value("max"), value("replicatedMax")};
}

// Element 11 at the top, the other statuses under "others", then points and levels.
void PlanStatus(const WorldJsonNode& node, PlannedActor& actor) {
    node.ExpectObject({"current", "max", "replicatedMax", "others", "levelUpPoints", "levels"});
    actor.status[kSuccessStatus] = StatusValuesOf(node);
    if (node.Has("others")) {
        WorldJsonNode others = node.Member("others");
        others.ExpectObject();
        for (const auto& [key, value] : others.Value().items()) {
            WorldJsonNode entry = others.Member(key);
            int status = StatusNumber(entry, key);
            if (status == kSuccessStatus) entry.Fail("status 11 is given at the top of \"status\"");
            entry.ExpectObject({"current", "max", "replicatedMax"});
            actor.status[status] = StatusValuesOf(entry);
        }
    }
    if (node.Has("levelUpPoints"))
        actor.levelUpPoints =
            static_cast<int32>(node.Member("levelUpPoints").Integer(0, INT32_MAX));
    if (node.Has("levels")) {
        WorldJsonNode levels = node.Member("levels");
        levels.ExpectObject();
        for (const auto& [key, value] : levels.Value().items()) {
            WorldJsonNode entry = levels.Member(key);
            actor.levels[StatusNumber(entry, key)] =
                static_cast<int32>(entry.Integer(0, INT32_MAX));
        }
    }
}

PlannedActor PlanActor(const WorldJsonNode& node, emu::Game& game, int previousId) {
    node.ExpectObject({"id", "class", "team", "properties", "status", "items", "beginPlay"});
    PlannedActor actor;
    // Ids ascend; a saved world keeps the gaps its destroyed actors left.
    actor.id = static_cast<int>(node.IntegerOr("id", previousId + 1, previousId + 1, INT32_MAX));
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
            actor.items.push_back(PlanItem(items.Element(i), game));
    }
    return actor;
}

const PlannedActor* FindPlanned(const WorldPlan& plan, int id) {
    for (const PlannedActor& actor : plan.actors) {
        if (actor.id == id) return &actor;
    }
    return nullptr;
}

int ActorReference(const WorldJsonNode& node, const WorldPlan& plan) {
    auto id = static_cast<int>(node.Integer(1, INT32_MAX));
    if (FindPlanned(plan, id) == nullptr) node.Fail("no actor " + std::to_string(id));
    return id;
}

// Object references of custom item data name actors of the world.
void CheckObjectReferences(const WorldJsonNode& actors, const WorldPlan& plan) {
    for (std::size_t a = 0; a < plan.actors.size(); ++a) {
        const auto& items = plan.actors[a].items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            for (std::size_t e = 0; e < items[i].customData.size(); ++e) {
                for (int id : items[i].customData[e].objects) {
                    if (id != 0 && FindPlanned(plan, id) == nullptr)
                        actors.Element(a)
                            .Member("items")
                            .Element(i)
                            .Member("customData")
                            .Element(e)
                            .Fail("no actor " + std::to_string(id));
                }
            }
        }
    }
}

PlannedShare PlanShare(const WorldJsonNode& node, const WorldPlan& plan) {
    node.ExpectObject({"actor", "container", "item", "copyId"});
    PlannedShare share;
    share.actor = ActorReference(node.Member("actor"), plan);
    share.container = ActorReference(node.Member("container"), plan);
    share.item = ItemIdOf(node.Member("item"));
    if (node.Has("copyId")) share.copyId = ItemIdOf(node.Member("copyId"));
    const PlannedActor& container = *FindPlanned(plan, share.container);
    if (!container.container)
        node.Member("container")
            .Fail("actor " + std::to_string(share.container) + " is not a container");
    for (const PlannedItem& planned : container.items) {
        const emu::ItemSpec& item = planned.spec;
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
            plan.actors.push_back(PlanActor(actors.Element(i), game,
                                            plan.actors.empty() ? 0 : plan.actors.back().id));
        CheckObjectReferences(actors, plan);
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
