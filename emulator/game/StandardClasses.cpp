#include "emugame/StandardClasses.h"

#include <stdexcept>

#include "emugame/ProcessorScripts.h"

namespace emu {

Class* DefineCreatureClass(Game& game, const std::string& name,
                           const std::vector<PropertySpec>& properties, Class* super) {
    Class* parent = super != nullptr ? super : game.FindClass("PrimalDinoCharacter");
    Class* cls = game.DefineClass(name, parent);
    int32 end = cls->Base.PropertiesSize;
    for (const PropertySpec& spec : properties) {
        FieldClass* type = game.FindFieldClass(spec.type);
        if (type == nullptr) throw std::invalid_argument("unknown property type: " + spec.type);
        int32 offset = spec.offset >= 0
                           ? spec.offset
                           : (end + spec.elementSize - 1) / spec.elementSize * spec.elementSize;
        game.AddProperty(&cls->Base, spec.name, type, spec.elementSize, offset, spec.arrayDim);
        if (spec.offset < 0) end = offset + spec.elementSize * spec.arrayDim;
    }
    cls->Base.PropertiesSize = (end + 7) / 8 * 8;
    return cls;
}

Property* FindDeclaredProperty(Game& game, Struct* cls, const std::string& name) {
    for (Property* p = cls->ChildProperties; p != nullptr;
         p = reinterpret_cast<Property*>(p->Base.Next)) {
        if (game.NameText(p->Base.NamePrivate) == name) return p;
    }
    return nullptr;
}

StandardClasses DefineStandardClasses(Game& game) {
    StandardClasses classes;
    if (Class* existing = game.FindClass("Thalassovex_Character_BP_C")) {
        classes.processor = existing;
    } else {
        classes.processor = DefineCreatureClass(game, "Thalassovex_Character_BP_C",
                                                {{"SuccessRateCap", "FloatProperty", 4},
                                                 {"NumberMaxCrafts", "IntProperty", 4},
                                                 {"CraftingSkillLevelMulti", "FloatProperty", 4}});
        DefineProcessorScripts(game, classes.processor);
        DefineCreatureClass(game, "Strider_Character_BP_C", {});
        game.DefineClass("StorageBox_Small_C", game.FindClass("PrimalStructureItemContainer"));
        game.DefineItemClass("PrimalItem_Bolt_C", 10);
        game.DefineItemClass("PrimalItem_Lantern_C", 0);
        game.DefineItemClass("PrimalItemResource_Shell_C", std::nullopt);
    }
    classes.creature = game.FindClass("Strider_Character_BP_C");
    classes.storage = game.FindClass("StorageBox_Small_C");
    classes.limitedBlueprint = game.FindClass("PrimalItem_Bolt_C");
    classes.unlimitedBlueprint = game.FindClass("PrimalItem_Lantern_C");
    classes.resource = game.FindClass("PrimalItemResource_Shell_C");
    return classes;
}

}  // namespace emu
