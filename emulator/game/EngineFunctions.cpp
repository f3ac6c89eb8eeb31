#include <cstring>
#include <string>

#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/Publish.h"
#include "emugame/World.h"
#include "emuhost/Misuse.h"
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

// Straight from the name table into the engine buffer, as the engine does.
void NameToString(const FName* name, FString* out) {
    const std::wstring& text = Game::Instance().NameEntry(*name);
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
    emuhost::RequireUnreleased(text->Data, "RCONClientConnection.SendMessage");
    std::string message = emuhost::ToUtf8(*text);
    Game::Instance().Log().Record("SendMessage", connection,
                                  std::to_string(id) + "," + std::to_string(type) + "," + message);
    if (connection->deliver != nullptr && *connection->deliver)
        (*connection->deliver)(id, type, message);
}

}  // namespace

void PublishEngineFunctions(Publisher& publish) {
    publish.Function<&MemoryFree, void(void*)>("FMemory.Free(void*)");
    publish.Function<&MemoryMalloc, void*(unsigned long long, unsigned int)>(
        "FMemory.Malloc(unsigned__int64,unsignedint)");
    publish.Function<&MemoryRealloc, void*(void*, unsigned long long, unsigned int)>(
        "FMemory.Realloc(void*,unsigned__int64,unsignedint)");
    publish.Function<&NameToString, void(const FName*, FString*)>("FName.ToString(FString&)");
    publish.Function<&NameConstruct, void(FName*, const char*, EFindName)>(
        "FName.FName(char*,EFindName)");
    publish.Function<&WeakAssign, void(FWeakObjectPtr*, UObject*)>(
        "FWeakObjectPtr.operator=(UObject*)");
    publish.Function<&WeakGet, UObject*(const FWeakObjectPtr*, bool)>("FWeakObjectPtr.Get()");
    publish.Function<&FieldIsA, bool(FField*, FFieldClass*)>("FField.IsA(FFieldClass*)");
    publish.Function<&DoublePropertyClass, FFieldClass*()>("FDoubleProperty.StaticClass()");
    publish.Function<&FloatPropertyClass, FFieldClass*()>("FFloatProperty.StaticClass()");
    publish.Function<&IntPropertyClass, FFieldClass*()>("FIntProperty.StaticClass()");
    publish.Function<&GetSparseClassData, void*(UClass*, EGetSparseClassDataMethod)>(
        "UClass.GetSparseClassData(EGetSparseClassDataMethod)");
    publish.Function<&DinoCharacterClass, UClass*()>(
        "APrimalDinoCharacter.GetPrivateStaticClass()");
    publish.Function<&ItemContainerClass, UClass*()>(
        "APrimalStructureItemContainer.GetPrivateStaticClass()");
    publish.Function<&GetAllActorsOfClass, void(UObject*, UClass*, TArray<AActor*>*)>(
        "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,TArray<AActor*,"
        "TSizedDefaultAllocator<32>>&)");
    publish.Function<&SendMessage, void(RCONClientConnection*, int, int, FString*)>(
        "RCONClientConnection.SendMessage(int,int,FString&)");
}

}  // namespace emu
