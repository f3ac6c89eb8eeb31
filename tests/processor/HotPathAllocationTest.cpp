#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "processor/ProcessorTestWorld.h"
#include "support/AllocationCount.h"

// The detours the game thread runs most often allocate nothing of their own: the names they
// resolve are built once, converted names land in stack buffers, and nothing is rebuilt. Each
// call is counted with the game alone, then with the detours in place: the two counts must
// match.
namespace {

using txltest::kSuccess;
using txltest::kTamed;

using Call = std::pair<std::string, std::function<void()>>;

// Allocations of a call made once before, so that one-off work (first sight of a class, the
// journal's room) is behind it.
std::uint64_t AllocationsOf(const std::function<void()>& call) {
    call();
    txltest::AllocationCount count;
    call();
    return count.Allocations();
}

class HotPathAllocation : public ::testing::Test {
  protected:
    HotPathAllocation() {
        classes = emu::DefineStandardClasses(server.Game());
        processor = txltest::SpawnProcessor(server.Game(), kTamed, {0.5f, 50, 0.5f}, 0.4f);
        ordinary = server.Game().SpawnCreature(classes.creature, kTamed);
        emu::ItemSpec resource;
        resource.itemClass = classes.resource;
        item = server.Game().GiveItem(processor->MyInventoryComponent, resource);
    }

    // Each call's count with the game alone, then with the detours installed.
    void ExpectNothingAdded(const std::vector<Call>& calls) {
        std::vector<std::uint64_t> game;
        game.reserve(calls.size());
        for (const auto& [name, call] : calls) game.push_back(AllocationsOf(call));
        plugin.InstallHooks();
        emu::calls::BeginPlay(processor);  // tracked, discovered and settled
        for (std::size_t i = 0; i < calls.size(); ++i)
            EXPECT_EQ(AllocationsOf(calls[i].second), game[i]) << calls[i].first;
    }

    emu::StatusComponent* Status(emu::Character* creature) {
        return creature->MyCharacterStatusComponent;
    }

    txltest::EmulatedServer server;
    txltest::InProcessPlugin plugin;
    emu::StandardClasses classes;
    emu::Character* processor = nullptr;
    emu::Character* ordinary = nullptr;
    emu::Item* item = nullptr;
};

TEST_F(HotPathAllocation, CountingSeesAnAllocation) {
    // Through a volatile pointer, so the compiler cannot drop the pair.
    void* (*volatile allocate)(std::size_t) = &::operator new;
    txltest::AllocationCount count;
    void* memory = allocate(64);
    ::operator delete(memory);
    EXPECT_EQ(count.Allocations(), 1U);
}

TEST_F(HotPathAllocation, PassThroughCallsAddNoAllocation) {
    ExpectNothingAdded({
        {"other status read", [&] { emu::calls::BPGetCurrentStatusValue(Status(processor), 3); }},
        {"other maximum read", [&] { emu::calls::BPGetMaxStatusValue(Status(processor), 3); }},
        {"other level-up check", [&] { emu::calls::CanLevelUp(Status(processor), 3, false); }},
        {"announcement of a non-blueprint",
         [&] {
             // The game journals each announcement; clearing keeps the journal's room.
             server.Game().Log().Clear();
             emu::calls::UpdatedItem(item, false, false);
         }},
    });
}

TEST_F(HotPathAllocation, StatusDetoursAddNoAllocation) {
    std::vector<Call> calls;
    for (emu::Character* owner : {processor, ordinary}) {
        const std::string who = owner == processor ? "processor " : "other creature ";
        calls.emplace_back(who + "success read", [this, owner] {
            emu::calls::BPGetCurrentStatusValue(Status(owner), kSuccess);
        });
        calls.emplace_back(who + "maximum read", [this, owner] {
            emu::calls::BPGetMaxStatusValue(Status(owner), kSuccess);
        });
        calls.emplace_back(who + "level-up check", [this, owner] {
            emu::calls::CanLevelUp(Status(owner), kSuccess, false);
        });
    }
    ExpectNothingAdded(calls);
    // The detours did their work: the processor's success is read at the limit.
    EXPECT_FLOAT_EQ(emu::calls::BPGetCurrentStatusValue(Status(processor), kSuccess), -0.5f);
}

}  // namespace
