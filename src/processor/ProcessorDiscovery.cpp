#include "processor/ProcessorDiscovery.h"

#include <cstdint>
#include <stdexcept>

#include "host/EngineNames.h"
#include "host/GameAccess.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

bool IsOfFieldClass(FField* property, const std::string& staticClass) {
    auto* type = host::Call<FFieldClass*>(staticClass);
    return type != nullptr && host::Call<bool>("FField.IsA(FFieldClass*)"_function, property, type);
}

const char* ReflectedType(FField* property) {
    if (IsOfFieldClass(property, "FDoubleProperty.StaticClass()"_function)) return "double";
    if (IsOfFieldClass(property, "FFloatProperty.StaticClass()"_function)) return "float";
    if (IsOfFieldClass(property, "FIntProperty.StaticClass()"_function)) return "int32";
    return "unsupported";
}

// The first property of that name from the class upwards, so a derived class hides its parents.
FField* SearchProperty(UClass* cls, const std::string& name) {
    for (auto* s = reinterpret_cast<UStruct*>(cls); s != nullptr;
         s = host::Field<UStruct*>(s, "UStruct.SuperStruct"_field)) {
        for (auto* p = reinterpret_cast<FField*>(
                 host::Field<FProperty*>(s, "UStruct.ChildProperties"_field));
             p != nullptr; p = host::Field<FField*>(p, "FField.Next"_field)) {
            if (host::NameEquals(host::Field<FName>(p, "FField.NamePrivate"_field), name)) return p;
        }
    }
    return nullptr;
}

bool FitsExpectedType(const std::string& expected, const std::string& type, int32 size) {
    if (expected == "float")
        return (type == "float" && size == 4) || (type == "double" && size == 8);
    if (expected == "int32") return type == "int32" && size == 4;
    return false;
}

}  // namespace

ProcessorProperty FindProcessorProperty(UClass* cls, const std::string& name,
                                        const std::string& expectedType) {
    FField* property = SearchProperty(cls, name);
    if (property == nullptr) throw std::runtime_error("Required processor property is missing");

    const std::string type = ReflectedType(property);
    const int32 size = host::Field<int32>(property, "FProperty.ElementSize"_field);
    const int32 count = host::Field<int32>(property, "FProperty.ArrayDim"_field);
    Log().info("Thalassovex reflected property {}: type={} size={} count={}", name, type, size,
               count);
    if (!FitsExpectedType(expectedType, type, size) || count != 1) {
        throw std::runtime_error("Processor property type/size mismatch");
    }

    const int32 offset = host::Field<int32>(property, "FProperty.Offset_Internal"_field);
    const auto objectSize =
        static_cast<std::int64_t>(host::Field<int32>(cls, "UStruct.PropertiesSize"_field));
    if (offset < 0 || static_cast<std::int64_t>(offset) > objectSize - size) {
        throw std::runtime_error("Processor property is outside the reflected object size");
    }
    return ProcessorProperty{offset, size, reinterpret_cast<FProperty*>(property)};
}

std::pair<ProcessorLayout&, bool> AcquireProcessorLayout(UClass* cls) {
    auto [entry, created] = State().ProcessorLayouts.try_emplace(cls);
    ProcessorLayout& layout = entry->second;
    if (!created) return {layout, false};

    // Nothing is stored until all three pass, so a failed class keeps an all-zero entry.
    ProcessorProperty chance = FindProcessorProperty(cls, "SuccessRateCap", "float");
    ProcessorProperty crafts = FindProcessorProperty(cls, "NumberMaxCrafts", "int32");
    ProcessorProperty skill = FindProcessorProperty(cls, "CraftingSkillLevelMulti", "float");
    layout.successRateCap = chance;
    layout.numberMaxCrafts = crafts;
    layout.craftingSkillLevelMulti = skill;
    layout.valid = true;
    Log().info("Thalassovex processor fields validated: {} cap={} crafts={} skill={}",
               host::ObjectName(cls), chance.offset, crafts.offset, skill.offset);
    return {layout, true};
}

double ReadProcessorNumber(const void* object, const ProcessorProperty& property) {
    const auto* at = static_cast<const char*>(object) + property.offset;
    if (property.size == 8) return *reinterpret_cast<const double*>(at);
    return static_cast<double>(*reinterpret_cast<const float*>(at));
}

}  // namespace txl
