#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AsaApi/Address.h"
#include "AsaApi/Text.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "support/EmulatedServer.h"

// Misuse of the emulated host or game ends the process with a message, as the game would fail
// outright, so that a test cannot pass by reading memory it had no right to.
namespace {

// Re-run in a fresh process: other tests of the binary may have left threads behind.
class EmulatorStrictnessDeathTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(EmulatorStrictnessDeathTest, TextFromNullANegativeCountOrAReleasedBufferAborts) {
    txltest::EmulatedServer server;
    wchar_t wide[4] = {};
    UTF8CHAR narrow[4] = {};
    EXPECT_DEATH(UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr),
                                                       static_cast<const wchar_t*>(nullptr), 0),
                 "GetConvertedLength from a null pointer");
    EXPECT_DEATH(UE::Core::Private::Convert(narrow, 4, static_cast<const wchar_t*>(nullptr), 1),
                 "Convert from a null pointer");
    EXPECT_DEATH(UE::Core::Private::Convert(wide, 4, static_cast<const UTF8CHAR*>(nullptr), 1),
                 "Convert from a null pointer");
    FString text(L"kept");
    EXPECT_DEATH(text.AssignRange(L"abc", -1), "AssignRange with a negative count");
    emu::StringRelease(text);

    FString gone = emu::MakeString(L"released");
    const wchar_t* stale = gone.Data;
    emu::StringRelease(gone);
    FString target;
    EXPECT_DEATH(target.AssignRange(stale, 3), "AssignRange reads through a released buffer");
    EXPECT_DEATH(
        UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr), stale + 2, 3),
        "GetConvertedLength reads through a released buffer");
    EXPECT_DEATH(emu::EngineFree(const_cast<wchar_t*>(stale)),
                 "Free of a pointer already released");
}

bool ThrowingLevelUp(UPrimalCharacterStatusComponent*, EPrimalCharacterStatusValue::Type, bool) {
    throw std::runtime_error("left the detour");
}

// The game and the host have no handler for a plug-in's exception: it would end the server.
TEST_F(EmulatorStrictnessDeathTest, AnExceptionLeavingAPluginIntoTheGameOrHostAborts) {
    txltest::EmulatedServer server;
    void* original = nullptr;
    emuhost::HookManager::Instance().InstallHook(
        "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)",
        reinterpret_cast<void*>(&ThrowingLevelUp), &original);
    EXPECT_DEATH(emu::calls::CanLevelUp(nullptr, 11, false),
                 "an exception reached the game's call of "
                 "UPrimalCharacterStatusComponent.CanLevelUp.*left the detour");

    auto& registry = emuhost::CommandRegistry::Instance();
    registry.AddRconCommand(FString(L"Throws"), [](RCONClientConnection*, RCONPacket*, UWorld*) {
        throw std::runtime_error("left the command");
    });
    EXPECT_DEATH(registry.RunRconCommand("Throws", nullptr, nullptr, nullptr),
                 "command 'Throws' reached the host: left the command");
    registry.AddOnTimerCallback(FString(L"Throws"),
                                [] { throw std::runtime_error("left the timer"); });
    EXPECT_DEATH(registry.FireTimers(), "timer reached the host: left the timer");
}

// A name the game does not publish ends the call that asked for it, rather than reading nowhere.
TEST(GameNames, AnUnknownNameFailsLoudly) {
    txltest::EmulatedServer server;
    EXPECT_THAT([] { GetAddress("UPrimalItem.NoSuchFunction()"); },
                ::testing::ThrowsMessage<std::runtime_error>(
                    ::testing::HasSubstr("UPrimalItem.NoSuchFunction()")));
    EXPECT_EQ(server.Logs().Messages("error", "AsaApi").size(), 1u);
}

}  // namespace
