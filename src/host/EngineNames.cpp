#include "host/EngineNames.h"

#include "host/EngineText.h"
#include "host/GameAccess.h"

namespace txl::host {

std::string NameText(const FName& name) {
    EngineString text;
    Call<void>("FName.ToString(FString&)", &name, &text.Get());
    return ToUtf8(text.Get());
}

FName MakeName(const std::string& text) {
    FName name;
    Call<void>("FName.FName(char*,EFindName)", &name, text.c_str(), FNAME_Add);
    return name;
}

std::string ObjectName(const void* object) {
    return NameText(Field<FName>(object, "UObjectBase.NamePrivate"));
}

UClass* ClassOf(const void* object) {
    return Field<UClass*>(object, "UObjectBase.ClassPrivate");
}

std::string ClassNameOf(const void* object) {
    UClass* cls = ClassOf(object);
    return cls != nullptr ? ObjectName(cls) : std::string();
}

}  // namespace txl::host
