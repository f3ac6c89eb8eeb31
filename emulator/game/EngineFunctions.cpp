#include <cstring>
#include <string>

#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/Publish.h"
#include "emugame/World.h"
#include "emuhost/WideText.h"

// Engine services the game publishes: allocator, names, weak references, field types,
// class queries, the actor query and RCON replies.
namespace emu {
namespace {

void MemoryFree(void* pointer) {
    EngineFree(pointer);
}
void* MemoryMalloc(unsigned long long size, unsigned int alignment) {
    return EngineMalloc(size, alignment);
}
void* MemoryRealloc(void* pointer, unsigned long long size, unsigned int alignment) {
    return EngineRealloc(pointer, size, alignment);
}

void NameToString(const FName* name, FString* out) {
    std::wstring text = emuhost::ToWide(Game::Instance().NameText(*name));
    StringRelease(*out);
    *out = MakeString(text);
}

void NameConstruct(FName* name, const char* text, EFindName) {
    // Both find modes add the text: the game never refuses a name a plug-in asks for.
    *name = Game::Instance().MakeName(text);
}

void WeakAssign(FWeakObjectPtr* weak, ObjectBase* object) {
    *weak = Game::Instance().MakeWeak(object);
}

ObjectBase* WeakGet(const FWeakObjectPtr* weak, bool evenIfPendingKill) {
    return Game::Instance().ResolveWeak(*weak, evenIfPendingKill);
}

bool FieldIsA(const FieldBase* field, const FieldClass* type) {
    if (field == nullptr || type == nullptr) return false;
    for (const FieldClass* kind = field->ClassPrivate; kind != nullptr; kind = kind->SuperClass) {
        if (kind == type) return true;
    }
    return false;
}

FieldClass* DoublePropertyClass() {
    return Game::Instance().FindFieldClass("DoubleProperty");
}
FieldClass* FloatPropertyClass() {
    return Game::Instance().FindFieldClass("FloatProperty");
}
FieldClass* IntPropertyClass() {
    return Game::Instance().FindFieldClass("IntProperty");
}

void* GetSparseClassData(Class* cls, EGetSparseClassDataMethod) {
    return cls->SparseClassData;
}

Class* DinoCharacterClass() {
    return Game::Instance().FindClass("PrimalDinoCharacter");
}
Class* ItemContainerClass() {
    return Game::Instance().FindClass("PrimalStructureItemContainer");
}

void GetAllActorsOfClass(ObjectBase*, Class* actorClass, TArray<Actor*>* out) {
    Game& game = Game::Instance();
    game.ThrowIfFailing("GetAllActorsOfClass");
    for (Actor* actor : game.Actors()) {
        if (Game::IsChildOf(actor->Object.ClassPrivate, actorClass)) ArrayAppend(*out, actor);
    }
}

void SendMessage(RconConnection* connection, int id, int type, FString* text) {
    std::string message = emuhost::ToUtf8(*text);
    Game::Instance().Log().Record("SendMessage", connection,
                                  std::to_string(id) + "," + std::to_string(type) + "," + message);
    if (connection->deliver != nullptr && *connection->deliver)
        (*connection->deliver)(id, type, message);
}

}  // namespace

void PublishEngineFunctions(Publisher& publish) {
    publish.Function("FMemory.Free(void*)", &MemoryFree);
    publish.Function("FMemory.Malloc(unsigned__int64,unsignedint)", &MemoryMalloc);
    publish.Function("FMemory.Realloc(void*,unsigned__int64,unsignedint)", &MemoryRealloc);
    publish.Function("FName.ToString(FString&)", &NameToString);
    publish.Function("FName.FName(char*,EFindName)", &NameConstruct);
    publish.Function("FWeakObjectPtr.operator=(UObject*)", &WeakAssign);
    publish.Function("FWeakObjectPtr.Get()", &WeakGet);
    publish.Function("FField.IsA(FFieldClass*)", &FieldIsA);
    publish.Function("FDoubleProperty.StaticClass()", &DoublePropertyClass);
    publish.Function("FFloatProperty.StaticClass()", &FloatPropertyClass);
    publish.Function("FIntProperty.StaticClass()", &IntPropertyClass);
    publish.Function("UClass.GetSparseClassData(EGetSparseClassDataMethod)", &GetSparseClassData);
    publish.Function("APrimalDinoCharacter.GetPrivateStaticClass()", &DinoCharacterClass);
    publish.Function("APrimalStructureItemContainer.GetPrivateStaticClass()", &ItemContainerClass);
    publish.Function(
        "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,TArray<AActor*,"
        "TSizedDefaultAllocator<32>>&)",
        &GetAllActorsOfClass);
    publish.Function("RCONClientConnection.SendMessage(int,int,FString&)", &SendMessage);
}

}  // namespace emu
