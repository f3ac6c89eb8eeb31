#include "ReflectedProperty.h"

#include <cmath>
#include <cstring>

namespace txl::devserver {
namespace {

char* ElementAddress(void* object, const emu::Property* property, int index) {
    return static_cast<char*>(object) + property->Offset_Internal +
           static_cast<std::ptrdiff_t>(index) * property->ElementSize;
}

// Explicit offsets in a world file need not be aligned.
template <typename T>
T Load(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T>
void Store(char* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

}  // namespace

ReflectedProperty FindReflectedProperty(emu::Game& game, const emu::Class* cls,
                                        const std::string& name) {
    for (const emu::Struct* s = cls != nullptr ? &cls->Base : nullptr; s != nullptr;
         s = s->SuperStruct) {
        for (const emu::Property* p = s->ChildProperties; p != nullptr;
             p = reinterpret_cast<const emu::Property*>(p->Base.Next)) {
            if (game.NameText(p->Base.NamePrivate) == name)
                return {p, game.NameText(p->Base.ClassPrivate->Name)};
        }
    }
    return {};
}

bool IsNumericProperty(const ReflectedProperty& property) {
    const auto& type = property.type;
    const int size = property.property != nullptr ? property.property->ElementSize : 0;
    return (type == "FloatProperty" && size == 4) || (type == "DoubleProperty" && size == 8) ||
           (type == "IntProperty" && size == 4);
}

bool PropertyFits(const ReflectedProperty& property, std::size_t objectSize, int index) {
    if (property.property == nullptr || property.property->Offset_Internal < 0 || index < 0)
        return false;
    auto end = static_cast<std::size_t>(property.property->Offset_Internal) +
               static_cast<std::size_t>(property.property->ElementSize) *
                   (static_cast<std::size_t>(index) + 1);
    return index < property.property->ArrayDim && end <= objectSize;
}

std::optional<double> ReadPropertyNumber(void* object, std::size_t objectSize,
                                         const ReflectedProperty& property, int index) {
    if (!IsNumericProperty(property) || !PropertyFits(property, objectSize, index))
        return std::nullopt;
    char* at = ElementAddress(object, property.property, index);
    if (property.type == "IntProperty") return Load<int32>(at);
    if (property.type == "FloatProperty") return Load<float>(at);
    return Load<double>(at);
}

nlohmann::json ReadPropertyValue(void* object, std::size_t objectSize,
                                 const ReflectedProperty& property, int index) {
    auto value = ReadPropertyNumber(object, objectSize, property, index);
    if (!value || !std::isfinite(*value)) return nullptr;
    if (property.type == "IntProperty") return static_cast<int32>(*value);
    return *value;
}

bool WritePropertyValue(void* object, std::size_t objectSize, const ReflectedProperty& property,
                        double value) {
    if (!IsNumericProperty(property) || !PropertyFits(property, objectSize)) return false;
    char* at = ElementAddress(object, property.property, 0);
    if (property.type == "IntProperty") Store(at, static_cast<int32>(value));
    if (property.type == "FloatProperty") Store(at, static_cast<float>(value));
    if (property.type == "DoubleProperty") Store(at, value);
    return true;
}

}  // namespace txl::devserver
