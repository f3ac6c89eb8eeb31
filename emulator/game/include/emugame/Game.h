#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "emugame/Journal.h"
#include "emugame/ObjectModel.h"

namespace emu {

struct ItemSpec {
    Class* itemClass = nullptr;
    bool blueprint = false;
    bool engram = false;
    std::optional<FItemNetID> id;  // a fresh id when absent
    std::wstring description;      // the class's ItemDescription
    std::wstring customDescription;
    std::optional<int32> customItemId;  // the game's own default when absent
    float durability = 100.0f;
};

struct WorldObject;  // UWorld

// The emulated game: names, objects with their reflection graph, the world's actors,
// and the journal of calls tests observe. One per process, like the game server.
class Game {
  public:
    static Game& Instance();

    // Publishes every game name with the host and builds the engine's base classes.
    // Safe to call more than once.
    void Start();
    // Destroys every object and engine buffer the game holds; names stay published.
    void Reset();

    // Names.
    FName MakeName(const std::string& text);
    std::string NameText(FName name) const;
    // The name as the engine's name table holds it, in engine text; valid while the game runs.
    const std::wstring& NameEntry(FName name) const;

    // Objects, addressed through the object table as weak references address them.
    ObjectBase* NewObject(Class* objectClass, const std::string& name, std::size_t size);
    void DestroyObject(ObjectBase* object);
    bool IsAlive(const ObjectBase* object) const;
    FWeakObjectPtr MakeWeak(const ObjectBase* object) const;
    ObjectBase* ResolveWeak(const FWeakObjectPtr& weak) const;

    // Reflection.
    Class* FindClass(const std::string& name) const;
    Class* DefineClass(const std::string& name, Class* super, int32 propertiesSize = 0);
    Property* AddProperty(Struct* owner, const std::string& name, FieldClass* type,
                          int32 elementSize, int32 offset, int32 arrayDim = 1);
    Function* AddFunction(Struct* owner, const std::string& name, const std::vector<uint8>& script,
                          Class* kind = nullptr);
    FieldClass* DefineFieldClass(const std::string& name, FieldClass* super);
    FieldClass* FindFieldClass(const std::string& name) const;
    static bool IsChildOf(const Class* candidate, const Class* ancestor);
    std::string ClassName(const ObjectBase* object) const;

    // Item classes; a class without a craft limit setting has no sparse data at all.
    Class* DefineItemClass(const std::string& name, std::optional<int32> blueprintAllowMaxCraftings,
                           float craftingSeconds = 2.0f);

    // World.
    WorldObject* World();
    Character* SpawnCreature(Class* creatureClass, int32 team);
    ItemContainer* SpawnContainer(Class* containerClass);
    Item* GiveItem(InventoryComponent* inventory, const ItemSpec& spec);
    void RemoveFromInventory(InventoryComponent* inventory, Item* item);
    void DestroyActor(Actor* actor);
    std::vector<Actor*> Actors() const;
    ObjectBase* PlayerController();
    InventoryComponent* InventoryOf(ObjectBase* actor) const;
    // Stores `source`'s id and `container` in a "BlueprintSharing" entry of `copy`.
    void AddSharingEntry(Item* copy, const Item* source, ItemContainer* container);

    Journal& Log() { return journal_; }

    // Makes the game's own function `call` (its journal name) throw std::runtime_error
    // the next `times` times it runs.
    void FailCall(const std::string& call, int times = 1);
    void ThrowIfFailing(const std::string& call);

    // Runs the game's crafting for `seconds` of simulated time: each queued craft of an item in
    // any inventory takes its class's BaseCraftingTime (2 seconds without one) and finishes
    // through the hookable FinishCraftingBlueprint. An item destroyed meanwhile is left alone.
    void AdvanceCrafting(double seconds);

  private:
    Game() = default;
    struct Slot {
        ObjectBase* object = nullptr;
        int32 serial = 0;
        std::size_t size = 0;
    };
    void BuildBaseClasses();
    void ReleaseObjectBuffers(ObjectBase* object);

    bool started_ = false;
    std::vector<std::string> names_;
    std::deque<std::wstring> wideNames_;  // entries keep their address
    std::unordered_map<std::string, int32> nameIndex_;
    std::vector<Slot> objects_;
    int32 nextSerial_ = 1;
    std::unordered_map<std::string, Class*> classes_;
    std::vector<std::unique_ptr<FieldClass>> fieldClasses_;
    std::vector<std::unique_ptr<Property>> properties_;
    std::vector<std::unique_ptr<ItemSparseClassData>> sparseData_;
    std::vector<Actor*> actors_;
    WorldObject* world_ = nullptr;
    ObjectBase* controller_ = nullptr;
    uint32 nextItemId_ = 1000;
    Journal journal_;
    std::unordered_map<std::string, int> failingCalls_;
};

// Field-class and class names the engine builds in.
inline constexpr const char* kFunctionClassName = "Function";

}  // namespace emu
