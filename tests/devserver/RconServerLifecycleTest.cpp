#include <gtest/gtest.h>

#include <future>

#include "RconServer.h"
#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using std::chrono::milliseconds;

// Here the test body plays the game thread, to control exactly when work is drained.
class RconServerLifecycleTest : public ::testing::Test {
  protected:
    void Connect() {
        server_.Start();
        client_.emplace(server_.BoundPort());
        ASSERT_TRUE(client_->Authenticate("hunter2"));
    }

    RconServer server_{TestOptions(), [this](const std::string& command) {
                           if (command == "shutdown") {
                               server_.Stop();
                           }
                           return command;
                       }};
    std::optional<RconTestClient> client_;
};

TEST_F(RconServerLifecycleTest, CommandsWaitForTheGameThreadToDrainThem) {
    Connect();
    client_->Send(1, kExec, "hello");
    ASSERT_TRUE(server_.WaitForPending(milliseconds(5000)));
    EXPECT_FALSE(client_->Read(milliseconds(20))) << "answered before the game thread ran it";
    EXPECT_EQ(server_.ProcessPending(), 1u);
    EXPECT_EQ(client_->Read().value().body, "hello");
    EXPECT_EQ(server_.ProcessPending(), 0u);
}

TEST_F(RconServerLifecycleTest, WakeEndsAWaitWithoutWork) {
    server_.Start();
    auto waiting = std::async(std::launch::async,
                              [&] { return server_.WaitForPending(std::chrono::hours(1)); });
    server_.Wake();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
}

TEST_F(RconServerLifecycleTest, StopClosesEveryClientAndIsIdempotent) {
    Connect();
    RconTestClient midPacket(server_.BoundPort());
    midPacket.SendRaw(std::string(5, ' '));
    client_->Send(1, kExec, "never answered");
    ASSERT_TRUE(server_.WaitForPending(milliseconds(5000)));

    server_.Stop();
    EXPECT_TRUE(client_->WaitForClose());
    EXPECT_TRUE(midPacket.WaitForClose());
    EXPECT_EQ(server_.ProcessPending(), 1u);  // the reply has nowhere to go; must not crash
    server_.Stop();
    EXPECT_FALSE(RconTestClient(server_.BoundPort()).Connected());
}

TEST_F(RconServerLifecycleTest, StopFromInsideAHandlerDoesNotDeadlock) {
    Connect();
    client_->Send(1, kExec, "shutdown");
    ASSERT_TRUE(server_.WaitForPending(milliseconds(5000)));
    EXPECT_EQ(server_.ProcessPending(), 1u);
    EXPECT_TRUE(client_->WaitForClose());
}

}  // namespace
}  // namespace txl::devserver
