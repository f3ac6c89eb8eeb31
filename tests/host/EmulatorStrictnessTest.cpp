#include <gtest/gtest.h>

#include "AsaApi/Text.h"
#include "emugame/Allocator.h"
#include "support/EmulatedServer.h"

// Misuse of the emulated host or game ends the process with a message, as the game would fail
// outright, so that a test cannot pass by reading memory it had no right to.
namespace {

// Re-run in a fresh process: other tests of the binary may have left threads behind.
class EmulatorStrictnessDeathTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(EmulatorStrictnessDeathTest, ConversionFromNullAborts) {
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
}

TEST_F(EmulatorStrictnessDeathTest, NegativeAssignRangeCountAborts) {
    txltest::EmulatedServer server;
    FString text(L"kept");
    EXPECT_DEATH(text.AssignRange(L"abc", -1), "AssignRange with a negative count");
    emu::StringRelease(text);
}

TEST_F(EmulatorStrictnessDeathTest, ReadThroughAReleasedBufferAborts) {
    txltest::EmulatedServer server;
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

TEST(EmulatorStrictness, LiveBuffersAndEmptyTextPassUnchallenged) {
    txltest::EmulatedServer server;
    FString live = emu::MakeString(L"live");
    FString copy;
    copy.AssignRange(live.Data, 4);
    EXPECT_EQ(
        UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr), copy.Data, 4),
        4);
    copy.AssignRange(nullptr, 0);
    EXPECT_EQ(copy.ArrayNum, 0);
    emu::StringRelease(live);
    emu::StringRelease(copy);
}

}  // namespace
