#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emugame/Game.h"

namespace emu {

// How a creature class declares one reflected property. Offset -1 places it after the
// members the class already has.
struct PropertySpec {
    std::string name;
    std::string type =
        "FloatProperty";  // a field class: FloatProperty, DoubleProperty, IntProperty, ...
    int32 elementSize = 4;
    int32 arrayDim = 1;
    int32 offset = -1;
};

// Defines a creature class under `super` (PrimalDinoCharacter when null) with its properties
// laid out in the creature object, growing the class's PropertiesSize to hold them.
Class* DefineCreatureClass(Game& game, const std::string& name,
                           const std::vector<PropertySpec>& properties, Class* super = nullptr);

// The property named `name` declared by `cls` itself, or null.
Property* FindDeclaredProperty(Game& game, Struct* cls, const std::string& name);

// Typed access to a property's value inside an object.
template <typename T>
T& PropertyValue(void* object, const Property* property) {
    return *reinterpret_cast<T*>(static_cast<char*>(object) + property->Offset_Internal);
}

// The classes of an ordinary world: a processor creature as the game declares it (float
// SuccessRateCap, int32 NumberMaxCrafts, float CraftingSkillLevelMulti), an ordinary creature,
// a storage box, and item classes with and without a craft limit. The processor class carries
// compiled functions (ProcessorScripts.h).
struct StandardClasses {
    Class* processor = nullptr;           // "Thalassovex_Character_BP_C"
    Class* creature = nullptr;            // "Strider_Character_BP_C"
    Class* storage = nullptr;             // "StorageBox_Small_C"
    Class* limitedBlueprint = nullptr;    // "PrimalItem_Bolt_C", BlueprintAllowMaxCraftings 10
    Class* unlimitedBlueprint = nullptr;  // "PrimalItem_Lantern_C", BlueprintAllowMaxCraftings 0
    Class* resource = nullptr;            // "PrimalItemResource_Shell_C", no sparse data
};

// Defines them once per game reset; later calls return the same classes.
StandardClasses DefineStandardClasses(Game& game);

}  // namespace emu
