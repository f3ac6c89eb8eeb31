#include "diagnostics/ClassReflection.h"

#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics/ScriptScan.h"
#include "host/EngineNames.h"
#include "host/GameAccess.h"

namespace txl {
namespace {

// Case-sensitive on purpose: only the blueprint's own classes carry the word capitalised.
constexpr const char* kListedWord = "Thalassovex";
constexpr const char* kFunctionClass = "Function";

using CapturedFunctions = std::vector<UFunction*>;

std::uint64_t AddressOf(const void* object) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
}

std::string FieldName(const FField* field) {
    return host::NameText(host::Field<FName>(field, "FField.NamePrivate"_field));
}

// "<form>:<owner>.<name>", the text a reference names its target by.
std::string Label(const char* form, const std::string& owner, const std::string& name) {
    std::string label(form);
    label.append(":").append(owner).append(".").append(name);
    return label;
}

nlohmann::json FieldRecord(const FField* property, const std::string& name) {
    return {{"name", name},
            {"offset", host::Field<int32>(property, "FProperty.Offset_Internal"_field)},
            {"size", host::Field<int32>(property, "FProperty.ElementSize"_field)}};
}

// Labels every property of `owner` and hands each to `visit`, in list order.
template <typename Visit>
void WalkProperties(const void* owner, const char* form, const std::string& ownerName,
                    ReflectionLabels& labels, Visit visit) {
    for (auto* p = host::Field<FField*>(owner, "UStruct.ChildProperties"_field); p != nullptr;
         p = host::Field<FField*>(p, "FField.Next"_field)) {
        std::string name = FieldName(p);
        labels.insert_or_assign(AddressOf(p), Label(form, ownerName, name));
        visit(p, name);
    }
}

void CaptureStruct(UStruct* owner, nlohmann::json& record, ReflectionLabels& labels,
                   CapturedFunctions& functions) {
    const std::string ownerName = host::ObjectName(owner);
    const bool listed = ownerName.find(kListedWord) != std::string::npos;
    WalkProperties(owner, "property", ownerName, labels,
                   [&](const FField* property, const std::string& name) {
                       if (listed) record["properties"].push_back(FieldRecord(property, name));
                   });
    for (auto* child = host::Field<UField*>(owner, "UStruct.Children"_field); child != nullptr;
         child = host::Field<UField*>(child, "UField.Next"_field)) {
        labels.insert_or_assign(AddressOf(child),
                                Label("function", ownerName, host::ObjectName(child)));
        if (listed && host::ClassNameOf(child) == kFunctionClass) {
            functions.push_back(reinterpret_cast<UFunction*>(child));
        }
    }
}

nlohmann::json CaptureFunction(UFunction* function, ReflectionLabels& labels) {
    const std::string name = host::ObjectName(function);
    const auto& script = host::Field<TArray<std::uint8_t>>(function, "UStruct.Script"_field);
    nlohmann::json record{{"name", name},
                          {"bytes", script.ArrayNum},
                          {"locals", nlohmann::json::array()},
                          {"references", nlohmann::json::array()}};
    // A local is labelled before the scan, so the function's own script may refer to it.
    WalkProperties(function, "local", name, labels,
                   [&](const FField* local, const std::string& localName) {
                       record["locals"].push_back(FieldRecord(local, localName));
                   });
    std::string hex;
    AppendScriptHex(script.Data, script.ArrayNum, labels, hex, record["references"]);
    record["hex"] = std::move(hex);
    return record;
}

}  // namespace

nlohmann::json CaptureClassReflection(UClass* cls) {
    nlohmann::json record{{"properties", nlohmann::json::array()},
                          {"functions", nlohmann::json::array()}};
    ReflectionLabels labels;
    CapturedFunctions functions;
    for (auto* owner = reinterpret_cast<UStruct*>(cls); owner != nullptr;
         owner = host::Field<UStruct*>(owner, "UStruct.SuperStruct"_field)) {
        CaptureStruct(owner, record, labels, functions);
    }
    // In capture order: a script sees the locals of its own and earlier functions only.
    for (UFunction* function : functions) {
        record["functions"].push_back(CaptureFunction(function, labels));
    }
    return record;
}

}  // namespace txl
