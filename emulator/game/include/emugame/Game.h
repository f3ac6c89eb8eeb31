#pragma once

#include <cstddef>
#include <cstdint>
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

    // Objects, addressed through the object table as weak references address them. Destroying
    // an object only marks it pending-kill: it stays valid memory until the next garbage
    // collection, which nulls every reference to it held in reflected properties and custom item
    // data, then frees it.
    ObjectBase* NewObject(Class* objectClass, const std::string& name, std::size_t size);
    void DestroyObject(ObjectBase* object);
    // Not yet freed (pending-kill objects are still alive).
    bool IsAlive(const ObjectBase* object) const;
    bool IsPendingKill(const ObjectBase* object) const;
    FWeakObjectPtr MakeWeak(const ObjectBase* object) const;
    // Null once the object is pending-kill, unless `evenIfPendingKill`; null once freed.
    ObjectBase* ResolveWeak(const FWeakObjectPtr& weak, bool evenIfPendingKill = false) const;
    void CollectGarbage();
    std::size_t PendingKillCount() const;

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
    // The game's transfer: out of the item's inventory, into `to`, announced with UpdatedItem.
    // Crafts queued on the item are dropped.
    void MoveItem(Item* item, InventoryComponent* to);
    // A blueprint copy that the game makes at run time, pointing at `source` in `container`, and
    // announced.
    Item* ShareBlueprint(InventoryComponent* inventory, const Item* source,
                         ItemContainer* container, std::optional<FItemNetID> id = std::nullopt);
    // A dino begins play through the hookable dino entry; other characters through their own.
    void BeginPlay(Character* creature);
    // Marks the actor, its components and the items it holds pending-kill.
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

    // Runs the game for `milliseconds` of simulated time: each queued craft of an item in any
    // inventory takes its class's BaseCraftingTime (2 seconds without one) and finishes through
    // the hookable FinishCraftingBlueprint; an item destroyed meanwhile is left alone. Garbage is
    // collected at every whole multiple of kCollectionIntervalMs.
    void Advance(std::int64_t milliseconds);
    std::int64_t NowMs() const { return nowMs_; }
    // For a restored world: the time it was saved at.
    void SetNowMs(std::int64_t milliseconds);
    static constexpr std::int64_t kCollectionIntervalMs = 60'000;

    // Finished crafts roll their outcome from a seeded generator: the n-th roll depends on the
    // seed and n alone, so a restored world rolls on as the saved one would have.
    void SetCraftRolls(std::uint64_t seed, std::uint64_t rollsDone);
    static constexpr std::uint64_t kDefaultCraftSeed = 1;
    std::uint64_t CraftSeed() const { return craftSeed_; }
    std::uint64_t CraftRollsDone() const { return craftRolls_; }
    // A number in [0, 1).
    double NextCraftRoll();

    // How much a level-up of `status` raises its maximum for creatures of `cls`: the nearest
    // class in its chain that sets it, else kDefaultLevelUpGain.
    void SetLevelUpGain(Class* cls, int status, float amount);
    float LevelUpGain(const Class* cls, int status) const;
    // The classes that set a gain of their own, with what they set.
    const std::unordered_map<const Class*, std::unordered_map<int, float>>& LevelUpGains() const {
        return levelUpGains_;
    }
    static constexpr float kDefaultLevelUpGain = 0.1f;
    struct LevelUpResult {
        bool applied = false;
        float maxBefore = 0;  // both read through the hookable BPGetMaxStatusValue
        float maxAfter = 0;
    };
    // The game's level-up: asks the hookable CanLevelUp; when allowed spends a point, raises the
    // maximum by the class's gain and replicates. When refused nothing changes.
    LevelUpResult LevelUp(Character* creature, int status);

  private:
    Game() = default;
    struct Slot {
        ObjectBase* object = nullptr;
        int32 serial = 0;
        std::size_t size = 0;
        bool pendingKill = false;
    };
    void BuildBaseClasses();
    void ReleaseObjectBuffers(ObjectBase* object);
    void FreeObject(Slot& slot);
    void RunCrafting(std::int64_t milliseconds);

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
    std::int64_t nowMs_ = 0;
    std::uint64_t craftSeed_ = kDefaultCraftSeed;
    std::uint64_t craftRolls_ = 0;
    std::unordered_map<const Class*, std::unordered_map<int, float>> levelUpGains_;
};

// Field-class and class names the engine builds in.
inline constexpr const char* kFunctionClassName = "Function";

}  // namespace emu
