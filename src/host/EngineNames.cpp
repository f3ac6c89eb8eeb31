#include "host/EngineNames.h"

#include "AsaApi/Text.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"

namespace txl::host {
namespace {

// FName.ToString into `text`, whose buffer the engine allocates and `text` releases.
std::wstring_view EngineNameText(const FName& name, EngineString& text) {
    Call<void>("FName.ToString(FString&)"_function, &name, &text.Get());
    return Characters(text.Get());
}

// Units of UTF-8 that the host's conversion makes of `wide`; 0 for empty text.
int32 ConvertedLength(std::wstring_view wide) {
    if (wide.empty()) return 0;
    return UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr), wide.data(),
                                                 static_cast<int32>(wide.size()));
}

// `wide` must be followed by its terminator, which is converted too.
void ConvertInto(std::wstring_view wide, int32 length, ShortText& out) {
    char* target = out.Resize(static_cast<std::size_t>(length));
    UE::Core::Private::Convert(reinterpret_cast<UTF8CHAR*>(target), length + 1, wide.data(),
                               static_cast<int32>(wide.size()) + 1);
}

}  // namespace

void ReadNameText(const FName& name, ShortText& out) {
    EngineString text;
    const std::wstring_view wide = EngineNameText(name, text);
    const int32 length = ConvertedLength(wide);
    if (length < 1) {
        out.Resize(0);
        text.Release();
        return;
    }
    ConvertInto(wide, length, out);
    text.Release();
}

bool NameEquals(const FName& name, std::string_view expected) {
    EngineString text;
    const std::wstring_view wide = EngineNameText(name, text);
    const int32 length = ConvertedLength(wide);
    bool equal =
        length < 1 ? expected.empty() : static_cast<std::size_t>(length) == expected.size();
    if (equal && length > 0) {
        ShortText converted;
        ConvertInto(wide, length, converted);
        equal = converted.View() == expected;
    }
    text.Release();
    return equal;
}

std::string NameText(const FName& name) {
    ShortText text;
    ReadNameText(name, text);
    return std::string(text.View());
}

FName MakeName(const std::string& text) {
    FName name;
    Call<void>("FName.FName(char*,EFindName)"_function, &name, text.c_str(), FNAME_Add);
    return name;
}

std::string ObjectName(const void* object) {
    return NameText(Field<FName>(object, "UObjectBase.NamePrivate"_field));
}

void ReadObjectName(const void* object, ShortText& out) {
    ReadNameText(Field<FName>(object, "UObjectBase.NamePrivate"_field), out);
}

bool ObjectNameEquals(const void* object, std::string_view text) {
    return NameEquals(Field<FName>(object, "UObjectBase.NamePrivate"_field), text);
}

UClass* ClassOf(const void* object) {
    return Field<UClass*>(object, "UObjectBase.ClassPrivate"_field);
}

std::string ClassNameOf(const void* object) {
    UClass* cls = ClassOf(object);
    return cls != nullptr ? ObjectName(cls) : std::string();
}

}  // namespace txl::host
