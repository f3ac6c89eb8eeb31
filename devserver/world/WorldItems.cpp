#include "WorldItems.h"

#include <climits>
#include <cstdint>

#include "ItemIdText.h"
#include "emuhost/WideText.h"

namespace txl::devserver {
namespace {

template <typename Read>
void EachElement(const WorldJsonNode& entry, const char* key, Read read) {
    if (!entry.Has(key)) return;
    WorldJsonNode list = entry.Member(key);
    list.ExpectArray();
    for (std::size_t i = 0; i < list.Size(); ++i) read(list.Element(i));
}

PlannedCustomData CustomDataOf(const WorldJsonNode& node) {
    node.ExpectObject({"name", "floats", "doubles", "strings", "objects", "names"});
    PlannedCustomData entry;
    entry.name = node.Member("name").String();
    EachElement(node, "floats", [&](const WorldJsonNode& value) {
        entry.floats.push_back(static_cast<float>(value.Number()));
    });
    EachElement(node, "doubles",
                [&](const WorldJsonNode& value) { entry.doubles.push_back(value.Number()); });
    EachElement(node, "strings",
                [&](const WorldJsonNode& value) { entry.strings.push_back(value.String()); });
    // An actor id, or null for a reference the game has cleared.
    EachElement(node, "objects", [&](const WorldJsonNode& value) {
        entry.objects.push_back(
            value.Value().is_null() ? 0 : static_cast<int>(value.Integer(1, INT32_MAX)));
    });
    EachElement(node, "names",
                [&](const WorldJsonNode& value) { entry.names.push_back(value.String()); });
    return entry;
}

}  // namespace

FItemNetID ItemIdOf(const WorldJsonNode& node) {
    auto id = ParseItemId(node.String());
    if (!id) node.Fail("'" + node.String() + "' is not an item id \"A:B\"");
    return *id;
}

PlannedItem PlanItem(const WorldJsonNode& node, emu::Game& game) {
    node.ExpectObject({"class", "blueprint", "engram", "id", "description", "itemDescription",
                       "customItemId", "durability", "hideCustomDescription",
                       "forceAllowCustomItemDescription", "craftQueue", "craftingMs",
                       "craftsSucceeded", "craftsFailed", "customData"});
    std::string className = node.Member("class").String();
    PlannedItem item;
    emu::ItemSpec& spec = item.spec;
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
    item.hideCustomDescription = node.BoolOr("hideCustomDescription", false);
    item.forceAllowCustomItemDescription = node.BoolOr("forceAllowCustomItemDescription", false);
    item.craftQueue = static_cast<uint16>(node.IntegerOr("craftQueue", 0, 0, UINT16_MAX));
    item.craftingMs = node.IntegerOr("craftingMs", 0, 0, INT64_MAX);
    item.craftsSucceeded = static_cast<uint32>(node.IntegerOr("craftsSucceeded", 0, 0, UINT32_MAX));
    item.craftsFailed = static_cast<uint32>(node.IntegerOr("craftsFailed", 0, 0, UINT32_MAX));
    EachElement(node, "customData", [&](const WorldJsonNode& entry) {
        item.customData.push_back(CustomDataOf(entry));
    });
    return item;
}

}  // namespace txl::devserver
