#include "WorldState.h"

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

constexpr const char* kProcessorProperties[] = {"SuccessRateCap", "NumberMaxCrafts",
                                                "CraftingSkillLevelMulti"};

// A float as the shortest decimal that reads back as it (0.4, not 0.4000000059604645).
Json StateFloat(float value) {
    if (!std::isfinite(value)) return nullptr;
    return std::stod(NumberText(value));
}

Json StateCustomData(GameSession& session, const FCustomItemData& entry) {
    Json floats = Json::array();
    for (int32 i = 0; i < entry.CustomDataFloats.ArrayNum; ++i)
        floats.push_back(StateFloat(entry.CustomDataFloats.Data[i]));
    Json objects = Json::array();
    for (int32 i = 0; i < entry.CustomDataObjects.ArrayNum; ++i) {
        int id = session.Actors().IdOf(entry.CustomDataObjects.Data[i]);
        objects.push_back(id > 0 ? Json(id) : Json(nullptr));
    }
    return Json{{"name", session.Game().NameText(entry.CustomDataName)},
                {"floats", std::move(floats)},
                {"objects", std::move(objects)}};
}

Json StateItem(GameSession& session, const emu::Item& item) {
    Json customData = Json::array();
    for (int32 i = 0; i < item.CustomItemDatas.ArrayNum; ++i)
        customData.push_back(StateCustomData(session, item.CustomItemDatas.Data[i]));
    Json json{{"id", ItemIdText(item.ItemID)},
              {"class", session.Game().ClassName(&item.Object)},
              {"blueprint", emu::ItemFlag(item, emu::kIsBlueprintBit)},
              {"engram", emu::ItemFlag(item, emu::kIsEngramBit)},
              {"customItemId", item.CustomItemID},
              {"craftQueue", item.CraftQueue},
              {"description", emuhost::ToUtf8(item.CustomItemDescription)},
              {"itemDescription", emuhost::ToUtf8(item.ItemDescription)},
              {"customData", std::move(customData)}};
    if (emu::ItemFlag(item, emu::kIsBlueprintBit)) {
        json["craftsSucceeded"] = item.CraftsSucceeded;
        json["craftsFailed"] = item.CraftsFailed;
    }
    return json;
}

Json StateActor(GameSession& session, int id, emu::Actor* actor) {
    emu::Game& game = session.Game();
    const emu::Class* cls = actor->Object.ClassPrivate;
    bool creature = emu::Game::IsChildOf(cls, game.FindClass("PrimalCharacter"));
    Json properties = Json::object();
    for (const char* name : kProcessorProperties) {
        ReflectedProperty property = FindReflectedProperty(game, cls, name);
        if (property.property != nullptr)
            properties[name] = ReadPropertyValue(actor, ActorObjectSize(game, cls), property);
    }
    Json json{{"id", id},
              {"class", game.ClassName(&actor->Object)},
              {"kind", creature ? "creature" : "container"},
              {"team", actor->TargetingTeam},
              {"properties", std::move(properties)}};
    if (creature) {
        if (const emu::StatusComponent* status =
                reinterpret_cast<emu::Character*>(actor)->MyCharacterStatusComponent) {
            json["status"] =
                Json{{"current", StateFloat(status->CurrentStatusValues[kSuccessStatus])},
                     {"max", StateFloat(status->MaxStatusValues[kSuccessStatus])},
                     {"replicatedMax",
                      StateFloat(status->ReplicatedGlobalMaxStatusValues[kSuccessStatus])},
                     {"levelUpPoints", status->LevelUpPointsAvailable},
                     {"levels", status->NumberOfLevelUpPointsApplied[kSuccessStatus]}};
        }
    }
    json["items"] = InventoryJson(
        game, actor, [&session](const emu::Item& item) { return StateItem(session, item); });
    return json;
}

}  // namespace

nlohmann::ordered_json DescribeWorld(GameSession& session) {
    Json actors = Json::array();
    for (int id : session.Actors().LiveIds())
        actors.push_back(StateActor(session, id, session.Actors().Find(id)));
    return Json{{"time", static_cast<double>(session.Clock().NowMs()) / 1000.0},
                {"actors", std::move(actors)}};
}

}  // namespace txl::devserver
