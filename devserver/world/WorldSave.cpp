#include "WorldSave.h"

#include <cmath>
#include <string>

#include "InventoryJson.h"
#include "ItemIdText.h"
#include "NumberText.h"
#include "ReflectedProperty.h"
#include "WorldClasses.h"
#include "emuhost/WideText.h"

namespace txl::devserver {
namespace {

using Json = nlohmann::ordered_json;

// Exactly as stored: a float as the shortest decimal that reads back to it, a value that is not
// finite as the text the world file takes for it.
Json NumberJson(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
}
Json FloatJson(float value) {
    if (!std::isfinite(value)) return NumberJson(value);
    return std::stod(NumberText(value));
}

std::string Text(const FString& text) {
    return emuhost::ToUtf8(text);
}

Json CustomDataJson(GameSession& session, const FCustomItemData& entry) {
    emu::Game& game = session.Game();
    Json json{{"name", game.NameText(entry.CustomDataName)}};
    Json floats = Json::array();
    for (int32 i = 0; i < entry.CustomDataFloats.ArrayNum; ++i)
        floats.push_back(FloatJson(entry.CustomDataFloats.Data[i]));
    json["floats"] = std::move(floats);
    if (entry.CustomDataDoubles.ArrayNum > 0) {
        Json& doubles = json["doubles"] = Json::array();
        for (int32 i = 0; i < entry.CustomDataDoubles.ArrayNum; ++i)
            doubles.push_back(NumberJson(entry.CustomDataDoubles.Data[i]));
    }
    if (entry.CustomDataStrings.ArrayNum > 0) {
        Json& strings = json["strings"] = Json::array();
        for (int32 i = 0; i < entry.CustomDataStrings.ArrayNum; ++i)
            strings.push_back(Text(entry.CustomDataStrings.Data[i]));
    }
    // Only actors can be named in a world file; any other object is saved as a cleared reference.
    Json objects = Json::array();
    for (int32 i = 0; i < entry.CustomDataObjects.ArrayNum; ++i) {
        int id = session.Actors().IdOf(entry.CustomDataObjects.Data[i]);
        objects.push_back(id > 0 ? Json(id) : Json(nullptr));
    }
    json["objects"] = std::move(objects);
    if (entry.CustomDataNames.ArrayNum > 0) {
        Json& names = json["names"] = Json::array();
        for (int32 i = 0; i < entry.CustomDataNames.ArrayNum; ++i)
            names.push_back(game.NameText(entry.CustomDataNames.Data[i]));
    }
    return json;
}

Json ItemJson(GameSession& session, const emu::Item& item) {
    Json json{{"class", session.Game().ClassName(&item.Object)},
              {"id", ItemIdText(item.ItemID)},
              {"blueprint", emu::ItemFlag(item, emu::kIsBlueprintBit)},
              {"engram", emu::ItemFlag(item, emu::kIsEngramBit)},
              {"description", Text(item.CustomItemDescription)},
              {"itemDescription", Text(item.ItemDescription)},
              {"hideCustomDescription", emu::ItemFlag(item, emu::kHideCustomDescriptionBit)},
              {"forceAllowCustomItemDescription",
               emu::ItemFlag(item, emu::kForceAllowCustomItemDescriptionBit)},
              {"customItemId", item.CustomItemID},
              {"durability", FloatJson(item.ItemDurability)},
              {"craftQueue", item.CraftQueue},
              {"craftingMs", item.CraftingProgressMs},
              {"craftsSucceeded", item.CraftsSucceeded},
              {"craftsFailed", item.CraftsFailed}};
    Json customData = Json::array();
    for (int32 i = 0; i < item.CustomItemDatas.ArrayNum; ++i)
        customData.push_back(CustomDataJson(session, item.CustomItemDatas.Data[i]));
    json["customData"] = std::move(customData);
    return json;
}

// Every numeric property of the class chain that the world file can set, nearest class first.
Json PropertiesJson(emu::Game& game, emu::Actor* actor) {
    const emu::Class* cls = actor->Object.ClassPrivate;
    const std::size_t size = ActorObjectSize(game, cls);
    Json properties = Json::object();
    for (const emu::Struct* s = &cls->Base; s != nullptr; s = s->SuperStruct) {
        for (const emu::Property* p = s->ChildProperties; p != nullptr;
             p = reinterpret_cast<const emu::Property*>(p->Base.Next)) {
            std::string name = game.NameText(p->Base.NamePrivate);
            if (properties.contains(name)) continue;
            ReflectedProperty property = FindReflectedProperty(game, cls, name);
            auto value = ReadPropertyNumber(actor, size, property);
            if (!value) continue;
            properties[name] = property.type == "IntProperty" ? Json(static_cast<int32>(*value))
                                                              : NumberJson(*value);
        }
    }
    return properties;
}

Json StatusValuesJson(const emu::StatusComponent& status, int number) {
    return Json{{"current", FloatJson(status.CurrentStatusValues[number])},
                {"max", FloatJson(status.MaxStatusValues[number])},
                {"replicatedMax", FloatJson(status.ReplicatedGlobalMaxStatusValues[number])}};
}

Json StatusJson(const emu::StatusComponent& status) {
    Json json = StatusValuesJson(status, kSuccessStatus);
    Json others = Json::object();
    Json levels = Json::object();
    for (int number = 0; number < emu::kStatusCount; ++number) {
        if (status.NumberOfLevelUpPointsApplied[number] != 0)
            levels[std::to_string(number)] = status.NumberOfLevelUpPointsApplied[number];
        if (number == kSuccessStatus) continue;
        // Statuses the world never touched stay out of the file.
        if (status.CurrentStatusValues[number] != 0.0f || status.MaxStatusValues[number] != 0.0f ||
            status.ReplicatedGlobalMaxStatusValues[number] != 0.0f ||
            std::isnan(status.CurrentStatusValues[number]) ||
            std::isnan(status.MaxStatusValues[number]) ||
            std::isnan(status.ReplicatedGlobalMaxStatusValues[number]))
            others[std::to_string(number)] = StatusValuesJson(status, number);
    }
    if (!others.empty()) json["others"] = std::move(others);
    json["levelUpPoints"] = status.LevelUpPointsAvailable;
    if (!levels.empty()) json["levels"] = std::move(levels);
    return json;
}

Json ActorJson(GameSession& session, int id, emu::Actor* actor) {
    emu::Game& game = session.Game();
    Json json{{"id", id},
              {"class", game.ClassName(&actor->Object)},
              {"team", actor->TargetingTeam},
              {"properties", PropertiesJson(game, actor)}};
    if (emu::Game::IsChildOf(actor->Object.ClassPrivate, game.FindClass("PrimalCharacter"))) {
        if (const emu::StatusComponent* status =
                reinterpret_cast<emu::Character*>(actor)->MyCharacterStatusComponent)
            json["status"] = StatusJson(*status);
    }
    json["items"] = InventoryJson(
        game, actor, [&session](const emu::Item& item) { return ItemJson(session, item); });
    return json;
}

}  // namespace

nlohmann::ordered_json SaveWorld(GameSession& session) {
    Json world = session.WorldDefinitions();
    emu::Game& game = session.Game();
    world["timeMs"] = session.Clock().NowMs();
    world["craftSeed"] = game.CraftSeed();
    world["craftRolls"] = game.CraftRollsDone();
    Json actors = Json::array();
    for (int id : session.Actors().LiveIds())
        actors.push_back(ActorJson(session, id, session.Actors().Find(id)));
    world["actors"] = std::move(actors);
    return world;
}

}  // namespace txl::devserver
