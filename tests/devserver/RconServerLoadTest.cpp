#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Clients pipeline 1 MiB answers and never read. Once the loopback's buffers are full, what the
// server holds may pass a limit by no more than the answer that crossed it, per client.
TEST(RconServerFloodBoundTest, QueuedAnswersStayWithinTheLimitsPlusOneAnswerPerClient) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    constexpr std::size_t kAnswer = kMiB + std::size_t{4096};  // with packet headers
    const auto big = [](const std::string&) { return std::string(kMiB, 'x'); };
    for (const bool serverWide : {false, true}) {
        SCOPED_TRACE(serverWide ? "server-wide limit" : "per-client limit");
        auto options = TestOptions();
        options.maxQueuedOutputBytes = serverWide ? std::size_t{1} << 30 : kMiB;
        options.maxTotalQueuedOutputBytes = serverWide ? 4 * kMiB : std::size_t{1} << 30;
        const std::size_t clients = serverWide ? 4 : 1;
        const std::size_t limit = serverWide ? 4 * kMiB : kMiB;
        RconTestServer server(options, big);
        std::vector<std::unique_ptr<RconTestClient>> flooders;
        for (std::size_t i = 0; i < clients; ++i) {
            auto& flooder = flooders.emplace_back(std::make_unique<RconTestClient>(server.Port()));
            ASSERT_TRUE(flooder->Authenticate("hunter2"));
            ASSERT_TRUE(flooder->SendRaw(Pipeline(64, "big")));
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (server.Statistics().peakQueuedOutputBytes < limit &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(10));
        }
        std::this_thread::sleep_for(milliseconds(100));
        const std::size_t peak = server.Statistics().peakQueuedOutputBytes;
        EXPECT_GE(peak, limit);
        EXPECT_LE(peak, limit + clients * kAnswer);
    }
}

// Misbehaving clients, each kind on a thread of its own, open until the test ends.
using Clients = std::vector<std::unique_ptr<RconTestClient>>;

void RunSilent(uint16_t port, int count, Clients& held) {
    for (int i = 0; i < count; ++i) {
        held.push_back(std::make_unique<RconTestClient>(port));
        if (i % 20 == 19) std::this_thread::sleep_for(milliseconds(250));
    }
}

// Wrong passwords (soon banned), some several in one write; hanging up at once, after a little, or
// never.
void RunWrongPasswords(uint16_t port, int count, Clients& held) {
    for (int i = 0; i < count; ++i) {
        RconTestClient& client =
            *held.emplace_back(std::make_unique<RconTestClient>(port, "127.0.0.2"));
        std::string guesses;
        for (int n = 0; n <= i % 3; ++n)
            guesses += WirePacketBytes(n, kAuth, "guess" + std::to_string(i));
        client.SendRaw(guesses);
        if (i % 3 == 0) client.Close();
        if (i % 3 == 1) client.Read(milliseconds(20));
    }
}

// Logged-in clients that pipeline far more than may be outstanding and never read.
void RunFloods(uint16_t port, int count, Clients& held, std::atomic<int>& loggedIn) {
    for (int i = 0; i < count; ++i) {
        RconTestClient& client = *held.emplace_back(std::make_unique<RconTestClient>(port));
        if (client.Authenticate("hunter2")) ++loggedIn;
        client.SendRaw(i % 2 == 0 ? Pipeline(300, "state") : Pipeline(1000, "status"));
    }
}

// About what a populated world's state document takes.
constexpr std::size_t kStateBytes = std::size_t{256} << 10;

std::string Game(const std::string& command) {
    return command == "state" ? std::string(kStateBytes, 's') : "ran " + command;
}

struct AdminReport {
    milliseconds slowest{0};
    int rounds = 0;
    std::string failure;
};

// Log in (again if the slot went to a newer connection first), then a few commands read to their
// end. Timed: the login from the first connect, and each answer to its first packet.
void ServeAdministrator(uint16_t port, AdminReport& report) {
    auto started = Clock::now();
    const auto timed = [&] {
        const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - started);
        report.slowest = std::max(report.slowest, took);
    };
    auto admin = std::make_unique<RconTestClient>(port);
    while (!admin->Authenticate("hunter2")) {
        if (Clock::now() - started > std::chrono::seconds(10))
            return void(report.failure = "no login");
        std::this_thread::sleep_for(milliseconds(5));
        admin = std::make_unique<RconTestClient>(port);
    }
    timed();
    int32_t id = 10;
    for (const std::string command : {"status", "state", "help", "say hello"}) {
        const std::string expected = Game(command);
        started = Clock::now();
        admin->Send(++id, kExec, command);
        std::string reply;
        while (reply.size() < expected.size()) {
            const auto packet = admin->Read();
            if (!packet || packet->id != id || packet->type != kResponseValue) break;
            if (reply.empty()) timed();
            reply += packet->body;
        }
        if (reply != expected) return void(report.failure = "wrong answer to " + command);
    }
    ++report.rounds;
}

// 140 connections misbehave while an administrator works: a connection not logged in gives way
// to a newer one, and a client is not read while over its output limit.
TEST(RconServerAbuseTest, AdministratorIsServedAndMemoryBoundedWhileManyClientsMisbehave) {
    // As shipped: 16 slots, 5 s to log in, 1 MiB of answers per client, 16 MiB in all.
    const auto options = TestOptions();
    RconTestServer server(options, Game);
    const uint16_t port = server.Port();

    Clients silent, guessers, floods;
    std::atomic<int> floodersLoggedIn{0};
    std::atomic<int> driving{3};
    const auto drive = [&](auto run) {
        return std::thread([&driving, run] {
            run();
            --driving;
        });
    };
    std::thread drivers[] = {drive([&] { RunSilent(port, 60, silent); }),
                             drive([&] { RunWrongPasswords(port, 70, guessers); }),
                             drive([&] { RunFloods(port, 10, floods, floodersLoggedIn); })};
    AdminReport admin;
    std::this_thread::sleep_for(milliseconds(100));
    do {
        ServeAdministrator(port, admin);
        std::this_thread::sleep_for(milliseconds(10));
    } while (driving.load() > 0 && admin.failure.empty());
    for (std::thread& driver : drivers) driver.join();
    const RconServerStatistics stats = server.Statistics();

    // Rarely one loses its slot before its login is read; most must be in for the flood to count.
    EXPECT_GE(floodersLoggedIn.load(), 5);
    EXPECT_EQ(admin.failure, "");
    EXPECT_GE(admin.rounds, 1);
    // Tens of ms when idle, about 750 under sanitizers on a loaded machine; without a slot the
    // administrator would wait out the others' 5 s login deadline.
    EXPECT_LT(admin.slowest, milliseconds(3000));
    EXPECT_LE(stats.peakConnections, options.maxConnections);
    EXPECT_LE(stats.peakQueuedOutputBytes, options.maxTotalQueuedOutputBytes);
    EXPECT_LE(stats.peakBufferedInputBytes, options.maxConnections * 2 * 16384);
}

}  // namespace
}  // namespace txl::devserver
