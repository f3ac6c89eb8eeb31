#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ByteReader.h"
#include "FuzzCheck.h"
#include "FuzzProcess.h"
#include "FuzzTargets.h"
#include "crafting/CraftCounter.h"
#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "plugin/HookTable.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

// Blueprints carrying any custom item data (counter records of any shape, sharing entries that
// form chains and loops, any floats) driven through the game's crafting with the plug-in's
// detours installed: a valid counter of a blueprint that is its own source never loses crafts
// done, its maximum never changes, no exception reaches the game and no engine buffer leaks.
namespace txlfuzz {
namespace {

constexpr const char* kCounterName = "ThalassovexLimiter.CounterV1";
constexpr const char* kSharingName = "BlueprintSharing";
constexpr std::size_t kMaxItems = 8;
constexpr int kMaxSteps = 48;

struct World {
    emu::StandardClasses classes;
    emu::Class* fuzzClass = nullptr;
    emu::Character* processor = nullptr;
    emu::Character* creature = nullptr;
    std::array<emu::ItemContainer*, 2> boxes{};
    std::array<emu::InventoryComponent*, 4> inventories{};
    std::vector<FWeakObjectPtr> items;
};

float InterestingFloat(ByteReader& in) {
    static constexpr float kValues[] = {0.0f,  1.0f,       2.0f,        3.0f,    5.0f,    10.0f,
                                        50.0f, 1000000.0f, 1000001.0f,  -1.0f,   0.5f,    2.5f,
                                        -0.0f, FLT_MAX,    16777217.0f, 1000.0f, 2000.0f, 4e9f};
    const unsigned pick = in.Pick(22);
    if (pick < std::size(kValues)) return kValues[pick];
    if (pick == 18) return std::numeric_limits<float>::quiet_NaN();
    if (pick == 19) return std::numeric_limits<float>::infinity();
    if (pick == 20) return -std::numeric_limits<float>::infinity();
    return in.RawFloat();
}

std::wstring InterestingText(ByteReader& in) {
    switch (in.Pick(6)) {
        case 0:
            return L"";
        case 1:
            return L"A bolt.";
        case 2:
            return L"Old\nThalassovex crafts remaining: 3/10 - gone";
        case 3:
            return L"\nThalassovex crafts used: 2\nThalassovex crafts remaining: ";
        case 4:
            return std::wstring(300, L'\u00e9');
        default:
            return L"\nThalassovex crafts remaining: ";
    }
}

emu::Item* Resolve(const FWeakObjectPtr& weak) {
    return reinterpret_cast<emu::Item*>(emu::Game::Instance().ResolveWeak(weak));
}

emu::Item* PickItem(World& world, ByteReader& in) {
    if (world.items.empty()) return nullptr;
    return Resolve(world.items[in.Pick(static_cast<unsigned>(world.items.size()))]);
}

void AddCustomEntry(World& world, emu::Item* item, ByteReader& in) {
    emu::Game& game = emu::Game::Instance();
    FCustomItemData entry{};
    const unsigned kind = in.Pick(3);
    entry.CustomDataName = game.MakeName(kind == 0   ? kCounterName
                                         : kind == 1 ? kSharingName
                                                     : "Colour");
    for (unsigned n = in.Pick(5); n > 0; --n)
        emu::ArrayAppend(entry.CustomDataFloats, InterestingFloat(in));
    for (unsigned n = in.Pick(3); n > 0; --n) {
        UObject* object = nullptr;
        switch (in.Pick(4)) {
            case 0:
                object = reinterpret_cast<UObject*>(world.boxes[0]);
                break;
            case 1:
                object = reinterpret_cast<UObject*>(world.boxes[1]);
                break;
            case 2:
                object = reinterpret_cast<UObject*>(world.processor);
                break;
            default:
                break;
        }
        emu::ArrayAppend(entry.CustomDataObjects, object);
    }
    emu::ArrayAppend(item->CustomItemDatas, entry);
}

void AddItem(World& world, ByteReader& in) {
    emu::Game& game = emu::Game::Instance();
    emu::ItemSpec spec;
    const emu::StandardClasses& c = world.classes;
    const std::array<emu::Class*, 4> classes = {c.limitedBlueprint, c.unlimitedBlueprint,
                                                c.resource, world.fuzzClass};
    spec.itemClass = classes[in.Pick(4)];
    spec.blueprint = in.Pick(8) != 0;
    spec.engram = in.Pick(8) == 0;
    // Few distinct ids, so that copies find sources, and sometimes more than one.
    if (in.Pick(4) != 0) spec.id = FItemNetID{in.Pick(4), in.Pick(3)};
    switch (in.Pick(3)) {
        case 0:
            break;
        case 1:
            spec.customItemId = static_cast<int32>(in.Pick(14)) - 2;
            break;
        default:
            spec.customItemId = in.Int32();
            break;
    }
    spec.description = InterestingText(in);
    spec.customDescription = InterestingText(in);
    const unsigned where = in.Pick(5);
    emu::InventoryComponent* inventory = where < 4 ? world.inventories[where] : nullptr;
    emu::Item* item = game.GiveItem(inventory, spec);
    for (unsigned n = in.Pick(4); n > 0; --n) AddCustomEntry(world, item, in);
    world.items.push_back(game.MakeWeak(&item->Object));
}

// A well-formed sharing entry towards another item, which may close a loop.
void ShareFrom(World& world, ByteReader& in) {
    emu::Item* copy = PickItem(world, in);
    emu::Item* source = PickItem(world, in);
    if (copy == nullptr || source == nullptr) return;
    emu::Game::Instance().AddSharingEntry(copy, source, world.boxes[in.Pick(2)]);
}

void MoveItem(World& world, emu::Item* item, emu::InventoryComponent* to) {
    emu::Game& game = emu::Game::Instance();
    if (auto* from =
            reinterpret_cast<emu::InventoryComponent*>(game.ResolveWeak(item->OwnerInventory)))
        game.RemoveFromInventory(from, item);
    emu::ArrayAppend(to->InventoryItems, item);
    item->OwnerInventory = game.MakeWeak(&to->Component.Object);
    (void)world;
}

void Settings(ByteReader& in) {
    txl::PluginState& state = txl::State();
    static constexpr std::int32_t kCrafts[] = {1, 2, 10, 50, 1000000};
    state.Config = txl::PluginConfig{};
    state.Config.ShowCraftCounter = in.Pick(4) != 0;
    state.Config.DestroyExhaustedBlueprints = in.Pick(3) == 0;
    state.Config.DebugLogging = in.Pick(4) == 0;
    switch (in.Pick(3)) {
        case 0:
            state.Config.ExhaustedCounterText = "";
            break;
        case 1:
            state.Config.ExhaustedCounterText = std::string(256, 'x');
            break;
        default:
            break;
    }
    state.EnforcementEnabled = in.Pick(8) != 0;
    state.MaxCrafts = kCrafts[in.Pick(5)];
    state.Config.MaxCraftingsPerBlueprint = state.MaxCrafts;
    state.AdoptionCounts.clear();
    for (unsigned n = in.Pick(3); n > 0; --n) {
        const std::string key = std::to_string(in.Pick(4)) + ":" + std::to_string(in.Pick(3));
        state.AdoptionCounts[key] = static_cast<std::int32_t>(in.Pick(3)) % (state.MaxCrafts + 1);
    }
    state.Config.AdoptTestBlueprints = state.AdoptionCounts;
}

bool IsOwnCountedBlueprint(const emu::Item* item) {
    if (!emu::ItemFlag(*item, emu::kIsBlueprintBit) || emu::ItemFlag(*item, emu::kIsEngramBit))
        return false;
    emu::Game& game = emu::Game::Instance();
    for (int32 i = 0; i < item->CustomItemDatas.ArrayNum; ++i) {
        if (game.NameText(item->CustomItemDatas.Data[i].CustomDataName) == kSharingName)
            return false;
    }
    return true;
}

// The first counter entry's maximum and used when the record is valid.
struct Counter {
    FWeakObjectPtr item;
    float maximum = 0;
    float used = 0;
};

bool ReadValidCounter(const emu::Item* item, float& maximum, float& used) {
    emu::Game& game = emu::Game::Instance();
    for (int32 i = 0; i < item->CustomItemDatas.ArrayNum; ++i) {
        const FCustomItemData& entry = item->CustomItemDatas.Data[i];
        if (game.NameText(entry.CustomDataName) != kCounterName) continue;
        const TArray<float>& f = entry.CustomDataFloats;
        if (f.ArrayNum != 3 || f.Data[0] != 1.0f || !std::isfinite(f.Data[1]) ||
            !std::isfinite(f.Data[2]) || f.Data[1] < 1.0f || f.Data[1] > 1000000.0f ||
            f.Data[2] < 0.0f || f.Data[2] > f.Data[1] || std::floor(f.Data[1]) != f.Data[1] ||
            std::floor(f.Data[2]) != f.Data[2])
            return false;
        maximum = f.Data[1];
        used = f.Data[2];
        return true;
    }
    return false;
}

std::vector<Counter> ValidCounters(const World& world) {
    std::vector<Counter> counters;
    for (const FWeakObjectPtr& weak : world.items) {
        const emu::Item* item = Resolve(weak);
        Counter counter{weak};
        if (item != nullptr && IsOwnCountedBlueprint(item) &&
            ReadValidCounter(item, counter.maximum, counter.used))
            counters.push_back(counter);
    }
    return counters;
}

void CheckCounters(const std::vector<Counter>& before) {
    for (const Counter& counter : before) {
        const emu::Item* item = Resolve(counter.item);
        if (item == nullptr || !IsOwnCountedBlueprint(item)) continue;
        float maximum = 0;
        float used = 0;
        TXL_FUZZ_CHECK(ReadValidCounter(item, maximum, used));
        TXL_FUZZ_CHECK(maximum == counter.maximum);
        TXL_FUZZ_CHECK(used >= counter.used);
    }
}

void Step(World& world, ByteReader& in) {
    emu::Game& game = emu::Game::Instance();
    const unsigned op = in.Pick(16);
    emu::Item* item = PickItem(world, in);
    emu::StatusComponent* status = world.processor->MyCharacterStatusComponent;
    switch (op) {
        case 13:
            emu::calls::ServerMultiUse(
                game.PlayerController(),
                in.Bool() ? &world.processor->Base.Object : &world.creature->Base.Object, 0);
            return;
        case 14:
            emu::calls::BPGetCurrentStatusValue(status, static_cast<int>(in.Pick(12)));
            return;
        case 15:
            emu::calls::CanLevelUp(status, static_cast<int>(in.Pick(12)), in.Bool());
            return;
        case 0:
            emu::calls::BeginPlay(world.processor);
            return;
        case 1:
            game.Advance(500LL * in.Pick(12));
            return;
        case 2:
            txl::State().EnforcementEnabled = in.Pick(6) != 0;
            return;
        default:
            break;
    }
    if (item == nullptr) return;
    switch (op) {
        case 3:
            emu::calls::UpdatedItem(item, in.Bool(), in.Bool());
            break;
        case 4:
            emu::calls::CraftBlueprint(item, in.Bool());
            break;
        case 5:
            emu::calls::FinishCraftingBlueprint(item);
            break;
        case 6:
            emu::calls::GetMaximumAdditionalCrafting(item, world.inventories[in.Pick(4)],
                                                     game.PlayerController());
            break;
        case 7: {
            FItemNetID id = item->ItemID;
            emu::calls::RemoveItem(world.inventories[in.Pick(4)], &id, in.Bool(), in.Bool(),
                                   in.Bool(), in.Bool());
            break;
        }
        case 8:
            item->CustomItemID = static_cast<int32>(in.Pick(14)) - 3;
            break;
        case 9:
            MoveItem(world, item, world.inventories[in.Pick(4)]);
            break;
        case 10:
            item->CraftQueue = static_cast<uint16>(in.Pick(4) == 0 ? 65535 : in.Pick(6));
            break;
        case 11:
            txl::IsBlueprintExhausted(reinterpret_cast<UPrimalItem*>(item));
            break;
        default:
            txl::RefreshBlueprintCounter(reinterpret_cast<UPrimalItem*>(item));
            break;
    }
}

World BuildWorld(ByteReader& in) {
    emu::Game& game = emu::Game::Instance();
    World world;
    world.classes = emu::DefineStandardClasses(game);
    std::optional<int32> limit;
    if (in.Bool()) limit = in.Pick(2) == 0 ? in.Int32() : static_cast<int32>(in.Pick(8)) - 2;
    world.fuzzClass = game.DefineItemClass("PrimalItem_Fuzz_C", limit, 0.5f * in.Pick(5));
    world.processor = game.SpawnCreature(world.classes.processor, 60000);
    world.creature = game.SpawnCreature(world.classes.creature, 60000);
    world.boxes = {game.SpawnContainer(world.classes.storage),
                   game.SpawnContainer(world.classes.storage)};
    world.inventories = {world.processor->MyInventoryComponent,
                         world.creature->MyInventoryComponent, world.boxes[0]->MyInventoryComponent,
                         world.boxes[1]->MyInventoryComponent};
    for (unsigned n = 1 + in.Pick(kMaxItems); n > 0; --n) AddItem(world, in);
    for (unsigned n = in.Pick(4); n > 0; --n) ShareFrom(world, in);
    return world;
}

// The plug-in's settings as they were before this input, put back afterwards so that the test
// suite's other tests see what they left.
struct SavedSettings {
    txl::PluginConfig config = txl::State().Config;
    bool enabled = txl::State().EnforcementEnabled;
    std::int32_t maxCrafts = txl::State().MaxCrafts;
    txl::AdoptionTable adoption = txl::State().AdoptionCounts;
    ~SavedSettings() {
        txl::PluginState& state = txl::State();
        state.Config = config;
        state.EnforcementEnabled = enabled;
        state.MaxCrafts = maxCrafts;
        state.AdoptionCounts = adoption;
    }
};

}  // namespace

int FuzzBlueprintData(const std::uint8_t* data, std::size_t size) {
    StartQuietGame();
    SavedSettings saved;
    emu::Game& game = emu::Game::Instance();
    emuhost::HookManager::Instance().Reset();
    game.Reset();
    const std::size_t baseline = emu::LiveAllocations();
    txl::CreateLogger();

    ByteReader in(data, size);
    Settings(in);
    World world = BuildWorld(in);
    txl::InstallHooks();
    for (int step = 0; step < kMaxSteps && !in.Empty(); ++step) {
        const std::vector<Counter> before = ValidCounters(world);
        Step(world, in);
        CheckCounters(before);
    }
    txl::Teardown();
    emuhost::HookManager::Instance().Reset();
    game.Reset();
    TXL_FUZZ_CHECK(emu::LiveAllocations() == baseline);
    return 0;
}

}  // namespace txlfuzz
