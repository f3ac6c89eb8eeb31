#include <stdexcept>

#include "emugame/Allocator.h"
#include "emugame/Game.h"

namespace emu {

Class* Game::FindClass(const std::string& name) const {
    auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : found->second;
}

Class* Game::DefineClass(const std::string& name, Class* super, int32 propertiesSize) {
    if (FindClass(name) != nullptr) throw std::invalid_argument("class already defined: " + name);
    // Every class object is an instance of "Class", which may not exist yet while the base is
    // built.
    auto* cls = reinterpret_cast<Class*>(NewObject(FindClass("Class"), name, sizeof(Class)));
    cls->Base.SuperStruct = super != nullptr ? &super->Base : nullptr;
    int32 inherited = super != nullptr ? super->Base.PropertiesSize : 0;
    cls->Base.PropertiesSize = propertiesSize > inherited ? propertiesSize : inherited;
    cls->Base.MinAlignment = 8;
    classes_[name] = cls;
    return cls;
}

bool Game::IsChildOf(const Class* candidate, const Class* ancestor) {
    if (ancestor == nullptr) return false;
    for (const Struct* s = candidate != nullptr ? &candidate->Base : nullptr; s != nullptr;
         s = s->SuperStruct) {
        if (s == &ancestor->Base) return true;
    }
    return false;
}

FieldClass* Game::DefineFieldClass(const std::string& name, FieldClass* super) {
    auto fieldClass = std::make_unique<FieldClass>();
    fieldClass->Name = MakeName(name);
    fieldClass->Id = fieldClasses_.size() + 1;
    fieldClass->SuperClass = super;
    fieldClasses_.push_back(std::move(fieldClass));
    return fieldClasses_.back().get();
}

FieldClass* Game::FindFieldClass(const std::string& name) const {
    for (const auto& fieldClass : fieldClasses_) {
        if (NameText(fieldClass->Name) == name) return fieldClass.get();
    }
    return nullptr;
}

Property* Game::AddProperty(Struct* owner, const std::string& name, FieldClass* type,
                            int32 elementSize, int32 offset, int32 arrayDim) {
    auto property = std::make_unique<Property>();
    *property = Property{};
    property->Base.ClassPrivate = type;
    property->Base.Owner = owner;
    property->Base.NamePrivate = MakeName(name);
    property->ArrayDim = arrayDim;
    property->ElementSize = elementSize;
    property->Offset_Internal = offset;
    // Appended at the end of the owner's list, keeping declaration order.
    Property** link = &owner->ChildProperties;
    while (*link != nullptr) link = reinterpret_cast<Property**>(&(*link)->Base.Next);
    *link = property.get();
    properties_.push_back(std::move(property));
    return properties_.back().get();
}

Function* Game::AddFunction(Struct* owner, const std::string& name,
                            const std::vector<uint8>& script, Class* kind) {
    Class* functionClass = kind != nullptr ? kind : FindClass(kFunctionClassName);
    auto* function = reinterpret_cast<Function*>(NewObject(functionClass, name, sizeof(Function)));
    function->Base.Base.Object.OuterPrivate = &owner->Base.Object;
    if (!script.empty()) {
        ArrayReserve(function->Base.Script, static_cast<int32>(script.size()));
        for (uint8 byte : script) ArrayAppend(function->Base.Script, byte);
    }
    Field** link = &owner->Children;
    while (*link != nullptr) link = &(*link)->Next;
    *link = &function->Base.Base;
    return function;
}

Class* Game::DefineItemClass(const std::string& name,
                             std::optional<int32> blueprintAllowMaxCraftings,
                             float craftingSeconds) {
    Class* cls = DefineClass(name, FindClass("PrimalItem"));
    if (blueprintAllowMaxCraftings.has_value()) {
        auto data = std::make_unique<ItemSparseClassData>();
        data->BaseCraftingTime = craftingSeconds;
        data->BlueprintAllowMaxCraftings = *blueprintAllowMaxCraftings;
        cls->SparseClassData = data.get();
        sparseData_.push_back(std::move(data));
    }
    return cls;
}

}  // namespace emu
