#include <cctype>

#include "host/EngineNames.h"
#include "host/GameAccess.h"
#include "processor/ProcessorDiscovery.h"

namespace txl {
namespace {

bool DescendsFromDinoCharacter(UClass* cls) {
    for (auto* s = reinterpret_cast<UStruct*>(cls); s != nullptr;
         s = host::Field<UStruct*>(s, "UStruct.SuperStruct")) {
        if (host::ObjectName(s) == "PrimalDinoCharacter") return true;
    }
    return false;
}

std::string LowerCase(std::string text) {
    // Through unsigned char: bytes of 0x80 and above are not valid tolower arguments as char.
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool IsProcessorCreature(const void* object) {
    if (object == nullptr) return false;
    UClass* cls = host::ClassOf(object);
    if (cls == nullptr || !DescendsFromDinoCharacter(cls)) return false;
    std::string name = LowerCase(host::ObjectName(cls));
    return name.find("thalassovex") != std::string::npos &&
           name.find("character_bp") != std::string::npos;
}

double ReadProcessorNumber(const void* object, const ProcessorProperty& property) {
    const auto* at = static_cast<const char*>(object) + property.offset;
    if (property.size == 8) return *reinterpret_cast<const double*>(at);
    return static_cast<double>(*reinterpret_cast<const float*>(at));
}

}  // namespace txl
