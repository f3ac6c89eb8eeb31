#include "shared/ProcessorRecognition.h"

#include <cctype>
#include <string_view>

#include "host/EngineNames.h"
#include "host/GameAccess.h"

namespace txl {
namespace {

bool DescendsFromDinoCharacter(UClass* cls) {
    for (auto* s = reinterpret_cast<UStruct*>(cls); s != nullptr;
         s = host::Field<UStruct*>(s, "UStruct.SuperStruct"_field)) {
        if (host::ObjectNameEquals(s, "PrimalDinoCharacter")) return true;
    }
    return false;
}

std::string_view LowerCase(host::ShortText& text) {
    char* units = text.Data();
    // Through unsigned char: bytes of 0x80 and above are not valid tolower arguments as char.
    for (std::size_t i = 0; i < text.View().size(); ++i)
        units[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(units[i])));
    return text.View();
}

}  // namespace

bool IsProcessorCreature(const void* object) {
    if (object == nullptr) return false;
    UClass* cls = host::ClassOf(object);
    if (cls == nullptr || !DescendsFromDinoCharacter(cls)) return false;
    host::ShortText text;
    host::ReadObjectName(cls, text);
    const std::string_view name = LowerCase(text);
    return name.find("thalassovex") != std::string_view::npos &&
           name.find("character_bp") != std::string_view::npos;
}

}  // namespace txl
