#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "emugame/Game.h"

namespace txl::devserver {

// A reflected property of an object's class chain, read and written as the game stores it.
struct ReflectedProperty {
    const emu::Property* property = nullptr;
    std::string type;  // the field class: "FloatProperty", "DoubleProperty", "IntProperty", ...
};

// The first property of that name from the class up its chain, as the engine finds it.
ReflectedProperty FindReflectedProperty(emu::Game& game, const emu::Class* cls,
                                        const std::string& name);
bool IsNumericProperty(const ReflectedProperty& property);
// Whether element `index` lies inside an object of `objectSize` bytes.
bool PropertyFits(const ReflectedProperty& property, std::size_t objectSize, int index = 0);

// Element `index` of a numeric property that fits the object, as stored (not finite included).
std::optional<double> ReadPropertyNumber(void* object, std::size_t objectSize,
                                         const ReflectedProperty& property, int index = 0);
// Element `index` of a numeric property that fits the object; null otherwise, and for a value
// that is not finite.
nlohmann::json ReadPropertyValue(void* object, std::size_t objectSize,
                                 const ReflectedProperty& property, int index = 0);
// Element 0; false, writing nothing, when the property is not numeric or does not fit.
bool WritePropertyValue(void* object, std::size_t objectSize, const ReflectedProperty& property,
                        double value);

}  // namespace txl::devserver
