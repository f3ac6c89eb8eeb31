#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Connects until admitted and logged in: a freed slot is seen by the server a moment later.
bool LogsInWithin(uint16_t port, milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        RconTestClient client(port);
        if (client.Authenticate("hunter2") && client.Execute(2, "ok") == "ran ok") return true;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
}

TEST(RconServerSlotTest, ClientsNotLoggedInLoseTheirSlotAtTheDeadlineFromConnect) {
    auto options = TestOptions();
    options.authTimeout = milliseconds(150);
    options.idleTimeout = std::chrono::seconds(60);
    options.maxConnections = 3;
    RconTestServer server(options);
    RconTestClient admin(server.Port());
    ASSERT_TRUE(admin.Authenticate("hunter2"));
    RconTestClient silent(server.Port());
    RconTestClient trickler(server.Port());
    // A packet announced at full size and fed a byte at a time never completes in time.
    ASSERT_TRUE(trickler.SendRaw(WireBytes(4096, 1, kAuth, "")));
    for (int i = 0; i < 20; ++i) {
        trickler.SendRaw("x");
        std::this_thread::sleep_for(milliseconds(20));
    }
    EXPECT_TRUE(silent.WaitForClose());
    EXPECT_TRUE(trickler.WaitForClose());
    // Logged in, the idle timeout applies rather than the login deadline.
    EXPECT_EQ(admin.Execute(3, "still here"), "ran still here");
    EXPECT_TRUE(LogsInWithin(server.Port(), milliseconds(2000)));
}

TEST(RconServerSlotTest, GuesserThatHangsUpWhileThrottledFreesItsSlotAtOnce) {
    auto options = TestOptions();
    options.maxConnections = 1;
    options.authTimeout = std::chrono::seconds(60);
    options.authThrottle.firstDelay = std::chrono::seconds(60);
    RconTestServer server(options);
    {
        RconTestClient first(server.Port(), "127.0.0.2");
        ASSERT_FALSE(first.Authenticate("guess1"));
    }
    {
        RconTestClient second(server.Port(), "127.0.0.2");
        second.Send(2, kAuth, "guess2");
        EXPECT_FALSE(second.Read(milliseconds(50))) << "second guess answered without delay";
    }
    // A newer connection would take the slot anyway, so look at what the server holds.
    const auto deadline = Clock::now() + milliseconds(2000);
    while (server.Statistics().connections > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    EXPECT_EQ(server.Statistics().connections, 0u);
    EXPECT_TRUE(LogsInWithin(server.Port(), milliseconds(2000)));
}

TEST(RconServerSlotTest, WhenFullTheOldestClientNotLoggedInMakesWayOnlyLoggedInOnesKeepTheirs) {
    auto options = TestOptions();
    options.maxConnections = 3;
    options.authTimeout = std::chrono::seconds(60);
    RconTestServer server(options);
    RconTestClient oldest(server.Port());
    RconTestClient newer(server.Port());
    RconTestClient admin(server.Port());
    ASSERT_TRUE(admin.Authenticate("hunter2"));

    RconTestClient second(server.Port());
    const auto started = Clock::now();
    ASSERT_TRUE(second.Authenticate("hunter2")) << "kept out by a client that never logged in";
    EXPECT_EQ(second.Execute(2, "ok"), "ran ok");
    EXPECT_LT(Clock::now() - started, milliseconds(1000));
    EXPECT_TRUE(oldest.WaitForClose());
    EXPECT_FALSE(newer.Read(milliseconds(20)));

    RconTestClient third(server.Port());
    ASSERT_TRUE(third.Authenticate("hunter2"));
    EXPECT_TRUE(newer.WaitForClose());
    // Every slot logged in: the newcomer is the one turned away.
    RconTestClient fourth(server.Port());
    EXPECT_TRUE(fourth.WaitForClose());
    EXPECT_EQ(admin.Execute(3, "still here"), "ran still here");
    EXPECT_EQ(server.Statistics().refused, 1u);
}

TEST(RconServerSlotTest, RightPasswordIsNotHeldUpByWrongOnesFromTheSameAddress) {
    auto options = TestOptions();
    options.authThrottle.firstDelay = std::chrono::seconds(60);
    RconTestServer server(options);
    RconTestClient first(server.Port());
    ASSERT_FALSE(first.Authenticate("guess1"));
    RconTestClient second(server.Port());
    second.Send(2, kAuth, "guess2");

    RconTestClient admin(server.Port());
    admin.Send(5, kAuth, "hunter2");
    const auto answer = admin.Read(milliseconds(1000));
    ASSERT_TRUE(answer) << "right password throttled with the wrong ones";
    EXPECT_EQ(answer->id, 5);
    EXPECT_EQ(admin.Execute(6, "ok"), "ran ok");
    EXPECT_FALSE(second.Read(milliseconds(20))) << "wrong guess answered without delay";
}

}  // namespace
}  // namespace txl::devserver
