#include "diagnostics/InspectionReport.h"

#include <exception>
#include <string>

#include "diagnostics/ClassReflection.h"
#include "diagnostics/CreatureRecord.h"
#include "diagnostics/ReportText.h"
#include "host/EngineNames.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"
#include "processor/ProcessorDiscovery.h"

namespace txl {
namespace {

// The actor array the game fills for us; its buffer is the engine's and goes back on every exit.
class ActorArray {
  public:
    ActorArray() = default;
    ~ActorArray() { host::ReleaseBufferOrLog(value_.Data); }
    ActorArray(const ActorArray&) = delete;
    ActorArray& operator=(const ActorArray&) = delete;

    TArray<AActor*>& Get() { return value_; }
    void Release() { host::ReleaseArray(value_); }

  private:
    TArray<AActor*> value_;
};

}  // namespace

std::string SerialiseInspectionReport(UWorld* world) {
    auto* creatureClass =
        host::Call<UClass*>("APrimalDinoCharacter.GetPrivateStaticClass()"_function);
    ActorArray actors;
    host::Call<void>(
        "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,TArray<AActor*,"
        "TSizedDefaultAllocator<32>>&)"_function,
        reinterpret_cast<UObject*>(world), creatureClass, &actors.Get());
    nlohmann::json classes = nlohmann::json::object();
    ReportText text;
    std::exception_ptr serialisationError;
    std::size_t animals = 0;
    text.Append("{\n  \"animals\": [");
    for (int32 i = 0; i < actors.Get().ArrayNum; ++i) {
        auto* creature = reinterpret_cast<UObject*>(actors.Get().Data[i]);
        if (!IsProcessorCreature(creature)) continue;
        UClass* cls = host::ClassOf(creature);
        std::string className = host::ObjectName(cls);
        if (!classes.contains(className)) classes[className] = CaptureClassReflection(cls);
        const nlohmann::json record = DescribeProcessorCreature(creature, className);
        if (serialisationError) continue;  // every creature is still described
        text.Append(animals++ == 0 ? "\n    " : ",\n    ");
        try {
            text.Append(record, 4);
        } catch (const nlohmann::json::exception&) {
            serialisationError = std::current_exception();
        }
    }
    if (serialisationError) std::rethrow_exception(serialisationError);
    text.Append(animals == 0 ? "]" : "\n  ]");
    text.Append(",\n  \"classes\": ");
    text.Append(classes, 2);
    text.Append("\n}");
    actors.Release();
    return text.Take();
}

}  // namespace txl
