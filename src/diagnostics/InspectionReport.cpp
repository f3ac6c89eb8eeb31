#include "diagnostics/InspectionReport.h"

#include <string>

#include "diagnostics/ClassReflection.h"
#include "diagnostics/CreatureRecord.h"
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

  private:
    TArray<AActor*> value_;
};

}  // namespace

nlohmann::json BuildInspectionReport(UWorld* world) {
    nlohmann::json report{{"animals", nlohmann::json::array()},
                          {"classes", nlohmann::json::object()}};
    auto* creatureClass = host::Call<UClass*>("APrimalDinoCharacter.GetPrivateStaticClass()");
    ActorArray actors;
    host::Call<void>(
        "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,TArray<AActor*,"
        "TSizedDefaultAllocator<32>>&)",
        reinterpret_cast<UObject*>(world), creatureClass, &actors.Get());
    nlohmann::json& classes = report["classes"];
    for (int32 i = 0; i < actors.Get().ArrayNum; ++i) {
        auto* creature = reinterpret_cast<UObject*>(actors.Get().Data[i]);
        if (!IsProcessorCreature(creature)) continue;
        UClass* cls = host::ClassOf(creature);
        std::string className = host::ObjectName(cls);
        if (!classes.contains(className)) classes[className] = CaptureClassReflection(cls);
        report["animals"].push_back(DescribeProcessorCreature(creature, className));
    }
    return report;
}

}  // namespace txl
