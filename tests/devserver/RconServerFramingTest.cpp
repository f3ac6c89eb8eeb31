#include <gtest/gtest.h>

#include <string>

#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using Commands = std::vector<std::string>;

class RconServerFramingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bystander_.Authenticate("hunter2"));
        ASSERT_TRUE(client_.Authenticate("hunter2"));
    }

    // A well-behaved client that must keep working whatever the other one does.
    void ExpectBystanderServed() { EXPECT_EQ(bystander_.Execute(99, "here"), "ran here"); }

    RconTestServer server_;
    RconTestClient bystander_{server_.Port()};
    RconTestClient client_{server_.Port()};
};

TEST_F(RconServerFramingTest, PacketSentOneByteAtATimeIsReassembled) {
    for (const char byte : WirePacketBytes(12, kExec, "slow")) {
        ASSERT_TRUE(client_.SendRaw(std::string_view(&byte, 1)));
    }
    EXPECT_EQ(client_.Read().value().body, "ran slow");
}

TEST_F(RconServerFramingTest, TwoPacketsInOneWriteAreBothAnswered) {
    client_.SendRaw(WirePacketBytes(1, kExec, "one") + WirePacketBytes(2, kExec, "two"));
    EXPECT_EQ(client_.Read().value().body, "ran one");
    EXPECT_EQ(client_.Read().value().body, "ran two");
}

TEST_F(RconServerFramingTest, LargestLegalPacketIsAccepted) {
    const std::string command(4086, 'c');
    client_.Send(3, kExec, command);
    EXPECT_EQ(client_.Read().value().id, 3);
    EXPECT_EQ(server_.Commands(), Commands{command});
}

TEST_F(RconServerFramingTest, SizeOutOfRangeClosesOnlyThatConnection) {
    for (const int32_t size : {9, 4097}) {
        RconTestClient offender(server_.Port());
        ASSERT_TRUE(offender.Authenticate("hunter2"));
        // No body follows: the size alone must be enough to give up.
        offender.SendRaw(WireBytes(size, 1, kExec, ""));
        EXPECT_TRUE(offender.WaitForClose()) << "size " << size;
    }
    ExpectBystanderServed();
}

TEST_F(RconServerFramingTest, BodyWithoutTrailingNulsIsRefused) {
    // The size covers "quit" exactly, so where the NULs belong stand "it".
    client_.SendRaw(WireBytes(12, 1, kExec, "quit"));
    EXPECT_TRUE(client_.WaitForClose());
    ExpectBystanderServed();
    EXPECT_EQ(server_.Commands(), Commands{"here"});
}

TEST_F(RconServerFramingTest, ClientVanishingMidPacketLeavesOthersServed) {
    client_.SendRaw(WirePacketBytes(5, kExec, "half").substr(0, 9));
    client_.Close();
    ExpectBystanderServed();
    RconTestClient newcomer(server_.Port());
    EXPECT_TRUE(newcomer.Authenticate("hunter2"));
    EXPECT_EQ(server_.Commands(), Commands{"here"});
}

TEST_F(RconServerFramingTest, ClientLeavingWithCommandsInFlightDoesNotDisturbOthers) {
    std::string burst;
    for (int32_t id = 0; id < 50; ++id) {
        burst += WirePacketBytes(id, kExec, "burst");
    }
    client_.SendRaw(burst);
    client_.Close();
    ExpectBystanderServed();
}

TEST(RconServerLimitsTest, SilentConnectionIsClosedAfterIdleTimeout) {
    auto options = TestOptions();
    options.idleTimeout = std::chrono::milliseconds(100);
    RconTestServer server(options);
    RconTestClient client(server.Port());
    EXPECT_TRUE(client.WaitForClose());
}

TEST(RconServerLimitsTest, ConnectionsBeyondTheLimitAreClosed) {
    auto options = TestOptions();
    options.maxConnections = 1;
    RconTestServer server(options);
    RconTestClient first(server.Port());
    ASSERT_TRUE(first.Authenticate("hunter2"));
    RconTestClient second(server.Port());
    EXPECT_TRUE(second.WaitForClose());
    EXPECT_EQ(first.Execute(2, "ok"), "ran ok");
}

}  // namespace
}  // namespace txl::devserver
