#include "DefaultWorld.h"

namespace txl::devserver {

// Ids: actor 1 holds items 1:1 to 1:5, the box (actor 4) holds 4:1. Values above the default
// caps (50 % chance, 50 crafts), so that the first enforcement has something to clamp. The box's
// blueprint got its counter in a processor earlier (3 of 10 used); 1:5 is a shared copy of it.
std::string_view DefaultWorldJson() {
    return R"({
  "comment": "The dev server's default world. Actor ids: 1 tamed processor, 2 wild processor, 3 ordinary creature, 4 storage box.",
  "standardClasses": true,
  "actors": [
    {
      "class": "Thalassovex_Character_BP_C",
      "team": 50000,
      "properties": {"SuccessRateCap": 1.0, "NumberMaxCrafts": 100, "CraftingSkillLevelMulti": 2.0},
      "status": {"current": 0.4, "max": 0.4, "replicatedMax": 0.4},
      "items": [
        {"class": "PrimalItem_Bolt_C", "blueprint": true, "id": "1:1",
         "itemDescription": "Blueprint: crossbow bolts."},
        {"class": "PrimalItem_Lantern_C", "blueprint": true, "id": "1:2",
         "itemDescription": "Blueprint: a lantern."},
        {"class": "PrimalItemResource_Shell_C", "id": "1:3", "itemDescription": "A shell."},
        {"class": "PrimalItem_Bolt_C", "blueprint": true, "engram": true, "id": "1:4"},
        {"class": "PrimalItem_Bolt_C", "blueprint": true, "id": "1:5",
         "customData": [{"name": "BlueprintSharing", "floats": [4, 1], "objects": [4]}]}
      ]
    },
    {
      "class": "Thalassovex_Character_BP_C",
      "team": 0,
      "properties": {"SuccessRateCap": 1.0, "NumberMaxCrafts": 100, "CraftingSkillLevelMulti": 2.0},
      "status": {"current": 0.4, "max": 0.4, "replicatedMax": 0.4}
    },
    {
      "class": "Strider_Character_BP_C",
      "team": 50000,
      "status": {"current": 0.4, "max": 0.4, "replicatedMax": 0.4}
    },
    {
      "class": "StorageBox_Small_C",
      "team": 50000,
      "items": [
        {"class": "PrimalItem_Bolt_C", "blueprint": true, "id": "4:1",
         "itemDescription": "Blueprint: crossbow bolts (shared).",
         "description": "Blueprint: crossbow bolts (shared).\nThalassovex crafts remaining: 7/10",
         "forceAllowCustomItemDescription": true, "customItemId": 6,
         "customData": [{"name": "ThalassovexLimiter.CounterV1", "floats": [1, 10, 3]}]}
      ]
    }
  ]
}
)";
}

}  // namespace txl::devserver
