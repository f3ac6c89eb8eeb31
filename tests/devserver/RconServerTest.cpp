#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "RconAuthThrottle.h"
#include "RconTestPeers.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;
using Commands = std::vector<std::string>;

std::string Alphabet(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

std::string Reply(const std::string& command) {
    if (command.starts_with("repeat ")) return Alphabet(std::stoul(command.substr(7)));
    if (command == "throw") throw std::runtime_error("no such thing");
    return Echo(command);
}

// Connects until admitted and logged in: a freed slot is seen by the server a moment later.
bool LogsInWithin(uint16_t port, milliseconds limit, const char* from = "127.0.0.1") {
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;) {
        RconTestClient client(port, from);
        if (client.Authenticate("hunter2") && client.Execute(2, "ok") == "ran ok") return true;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
}

// Encoded as hand-checked bytes, decoded with what follows left alone; every proper prefix waits
// for more, a bad size is refused from the size field alone, a body must end in two NULs.
TEST(RconPacketTest, EncodesLittleEndianWithTwoNulsAndDecodesOnePacketOfAStream) {
    const std::string bytes(
        "\x0c\0\0\0\x04\x03\x02\x01\xff\xff\xff\xff"
        "ab\0\0",
        16);
    EXPECT_EQ(EncodeRconPacket({0x01020304, -1, "ab"}), bytes);
    const RconDecodeResult result = DecodeRconPacket(bytes + "next");
    ASSERT_EQ(result.status, RconDecodeStatus::Decoded);
    EXPECT_EQ(std::tie(result.packet.id, result.packet.type, result.packet.body, result.consumed),
              (std::tuple{0x01020304, -1, std::string("ab"), std::size_t{16}}));
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_EQ(DecodeRconPacket(bytes.substr(0, length)).status, RconDecodeStatus::NeedMoreData)
            << "prefix " << length;
    }
    EXPECT_EQ(DecodeRconPacket(WireBytes(4097, 1, 2, "").substr(0, 4)).status,
              RconDecodeStatus::SizeOutOfRange);
    for (const char* tail : {"ab\0c", "abc\0"}) {
        EXPECT_EQ(DecodeRconPacket(WireBytes(12, 1, 2, std::string_view(tail, 4))).status,
                  RconDecodeStatus::MissingTerminator);
    }
}

TEST(RconAuthThrottleTest, TheBudgetWithinTheWindowBansTheAddressForTheBanTime) {
    RconAuthThrottle throttle({.maxFailures = 3, .window = seconds(10), .banTime = seconds(60)});
    const auto t0 = RconAuthThrottle::Clock::now();
    // Failures further apart than the window never add up.
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(throttle.RecordFailure("a", t0 + i * seconds(5)));
    EXPECT_FALSE(throttle.Banned("a", t0 + seconds(25)));
    EXPECT_FALSE(throttle.RecordFailure("b", t0));
    EXPECT_FALSE(throttle.RecordFailure("b", t0 + seconds(9)));
    EXPECT_TRUE(throttle.RecordFailure("b", t0 + seconds(9)));
    EXPECT_TRUE(throttle.Banned("b", t0 + seconds(68)));
    EXPECT_FALSE(throttle.Banned("b", t0 + seconds(69)));
    EXPECT_FALSE(throttle.Banned("a", t0 + seconds(9)));
    // After the ban the address starts with a fresh budget.
    EXPECT_FALSE(throttle.RecordFailure("b", t0 + seconds(70)));
    EXPECT_FALSE(throttle.Banned("b", t0 + seconds(70)));
}

TEST(RconAuthThrottleTest, AFullTableKeepsItsBansAndForgetsTheMildestOffender) {
    RconAuthThrottle throttle({.maxFailures = 2,
                               .window = seconds(10),
                               .banTime = seconds(60),
                               .maxTrackedAddresses = 2});
    const auto t0 = RconAuthThrottle::Clock::now();
    throttle.RecordFailure("banned", t0);
    throttle.RecordFailure("banned", t0);
    throttle.RecordFailure("once", t0 + seconds(1));
    throttle.RecordFailure("new", t0 + seconds(2));
    EXPECT_TRUE(throttle.Banned("banned", t0 + seconds(2)));
    // "once" was forgotten to make room: its next failure is its first.
    EXPECT_FALSE(throttle.RecordFailure("once", t0 + seconds(3)));
    EXPECT_TRUE(throttle.Banned("banned", t0 + seconds(3)));
}

// Without the option the auth answer comes first, as every Authenticate() here checks.
TEST(RconServerAuthTest, PreambleOptionSendsEmptyResponseValueFirst) {
    auto options = TestOptions();
    options.emptyResponsePreamble = true;
    RconTestServer server(options);
    for (const auto& [password, expectedId] : {std::pair{"hunter2", 9}, std::pair{"bad", -1}}) {
        RconTestClient client(server.Port());
        client.Send(9, kAuth, password);
        const auto preamble = client.Read();
        const auto answer = client.Read();
        ASSERT_TRUE(preamble && answer);
        EXPECT_EQ(std::tie(preamble->type, preamble->id, preamble->body),
                  (std::tuple{kResponseValue, 9, std::string()}));
        EXPECT_EQ(std::tie(answer->type, answer->id), (std::tuple{kAuthResponse, expectedId}));
    }
}

TEST(RconServerAuthTest, StartRefusesEmptyPasswordAndUnusableAddress) {
    RconServer noPassword(RconServerOptions{}, Echo);
    EXPECT_THROW(noPassword.Start(), std::invalid_argument);
    auto options = TestOptions();
    options.bindAddress = "not-an-address";
    RconServer badAddress(options, Echo);
    EXPECT_THROW(badAddress.Start(), std::system_error);
}

// Wrong passwords get -1 and a close. Guessers that hang up at once or after 50 ms get no more than
// the budget, then not even the right password until the ban ends; other addresses get in at once.
TEST(RconServerAuthTest, WrongPasswordsSpendABudgetThenTheAddressIsClosedUntilTheBanEnds) {
    auto options = TestOptions();
    options.authThrottle = {.maxFailures = 5, .window = seconds(60), .banTime = seconds(3)};
    options.authTimeout = seconds(60);
    RconTestServer server(options);
    RconTestClient waiting(server.Port(), "127.0.0.2");
    for (const char* guess : {"hunter3", "hunter", "hunter22", ""}) {
        RconTestClient client(server.Port(), "127.0.0.2");
        client.SendRaw(WirePacketBytes(1, kAuth, guess) + WirePacketBytes(2, kExec, "quit"));
        const auto answer = client.Read();
        ASSERT_TRUE(answer) << guess;
        EXPECT_EQ(std::tie(answer->type, answer->id), (std::tuple{kAuthResponse, -1})) << guess;
        EXPECT_TRUE(client.WaitForClose()) << guess;
    }
    for (int i = 0; i < 16; ++i) {
        RconTestClient guesser(server.Port(), "127.0.0.2");
        guesser.Send(1, kAuth, "guess" + std::to_string(i));
        if (i % 2 == 1) guesser.Read(milliseconds(50));
    }
    RconTestClient banned(server.Port(), "127.0.0.2");
    banned.Send(1, kAuth, "hunter2");
    EXPECT_TRUE(banned.WaitForClose());
    EXPECT_TRUE(waiting.WaitForClose()) << "a connection waiting to log in outlived the ban";
    EXPECT_TRUE(LogsInWithin(server.Port(), milliseconds(500)));
    EXPECT_EQ(server.Logged("wrong password"), 5u);
    EXPECT_EQ(server.Logged("127.0.0.2 banned for 3 s after 5 wrong passwords within 60 s"), 1u);
    EXPECT_GE(server.Statistics().banned, 1u);
    EXPECT_TRUE(LogsInWithin(server.Port(), milliseconds(6000), "127.0.0.2"));
    EXPECT_EQ(server.Commands(), Commands(2, "ok"));
}

TEST(RconServerSlotTest, ClientsNotLoggedInLoseTheirSlotAtTheDeadlineFromConnect) {
    auto options = TestOptions();
    options.authTimeout = milliseconds(150);
    options.idleTimeout = milliseconds(1000);
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
    EXPECT_TRUE(admin.WaitForClose());
}

TEST(RconServerSlotTest, WhenFullTheOldestClientNotLoggedInMakesWayOnlyLoggedInOnesKeepTheirs) {
    auto options = TestOptions();
    options.maxConnections = 3;
    options.authTimeout = seconds(60);
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

class RconServerCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bystander_.Authenticate("hunter2"));
        ASSERT_TRUE(client_.Authenticate("hunter2"));
    }

    // A well-behaved client that must keep working whatever the other one does.
    void ExpectBystanderServed() { EXPECT_EQ(bystander_.Execute(99, "here"), "ran here"); }

    RconTestServer server_{TestOptions(), Reply};
    RconTestClient bystander_{server_.Port()};
    RconTestClient client_{server_.Port()};
};

TEST_F(RconServerCommandTest, RepliesCarryRequestIdsInRequestOrderFromTheGameThread) {
    client_.SendRaw(Pipeline(20, "cmd"));
    bystander_.Send(1, kExec, "from second");
    EXPECT_EQ(bystander_.Read().value().body, "ran from second");
    for (int32_t id = 1; id <= 20; ++id) {
        const auto reply = client_.Read();
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->type, kResponseValue);
        EXPECT_EQ(reply->id, id);
        EXPECT_EQ(reply->body, "ran cmd");
    }
    EXPECT_TRUE(server_.AllRanOnGameThread());
    EXPECT_EQ(client_.Execute(4, "repeat 0"), "") << "an empty reply still takes a packet";
    EXPECT_EQ(client_.Execute(1, "throw"), "error: no such thing");
    EXPECT_EQ(client_.Execute(2, "after"), "ran after");
}

TEST(RconServerReplyTest, LongRepliesGoWholeUpTo64KiBOrSplitAtTheStandardSize) {
    using Sizes = std::vector<std::size_t>;
    for (const auto& [mode, length, expected] :
         {std::tuple{RconReplyPackets::Split, 9000, Sizes{4086, 4086, 828}},
          std::tuple{RconReplyPackets::Whole, 9000, Sizes{9000}},
          std::tuple{RconReplyPackets::Whole, 70000, Sizes{65536, 4464}}}) {
        auto options = TestOptions();
        options.replyPackets = mode;
        RconTestServer server(options, Reply);
        RconTestClient client(server.Port());
        ASSERT_TRUE(client.Authenticate("hunter2"));
        client.Send(6, kExec, "repeat " + std::to_string(length));
        std::string joined;
        std::vector<std::size_t> sizes;
        while (joined.size() < static_cast<std::size_t>(length)) {
            const auto part = client.Read();
            ASSERT_TRUE(part);
            EXPECT_EQ(part->id, 6);
            sizes.push_back(part->body.size());
            joined += part->body;
        }
        EXPECT_EQ(sizes, expected);
        EXPECT_EQ(joined, Alphabet(length));
    }
}

TEST_F(RconServerCommandTest, EmptyResponseValueIsMirroredThenTerminatedInRequestOrder) {
    client_.SendRaw(WirePacketBytes(1, kResponseValue, "") +
                    WirePacketBytes(2, kExec, "repeat 5000") +
                    WirePacketBytes(3, kResponseValue, ""));
    const std::string end("\x00\x01\x00\x00", 4);
    const std::vector<std::pair<int32_t, std::string>> expected{
        {1, ""}, {1, end}, {2, Alphabet(5000)}, {3, ""}, {3, end}};
    for (const auto& [id, body] : expected) {
        const auto packet = client_.Read();
        ASSERT_TRUE(packet);
        EXPECT_EQ(packet->type, kResponseValue);
        EXPECT_EQ(packet->id, id);
        EXPECT_EQ(packet->body, body);
    }
}

TEST_F(RconServerCommandTest, PacketsAreReassembledFromBytesAndSplitFromOneWrite) {
    for (const char byte : WirePacketBytes(12, kExec, "slow")) {
        ASSERT_TRUE(client_.SendRaw(std::string_view(&byte, 1)));
    }
    EXPECT_EQ(client_.Read().value().body, "ran slow");
    client_.SendRaw(WirePacketBytes(1, kExec, "one") + WirePacketBytes(2, kExec, "two"));
    EXPECT_EQ(client_.Read().value().body, "ran one");
    EXPECT_EQ(client_.Read().value().body, "ran two");
    const std::string largest(4086, 'c');
    client_.Send(3, kExec, largest);
    EXPECT_EQ(client_.Read().value().id, 3);
    EXPECT_EQ(server_.Commands(), (Commands{"slow", "one", "two", largest}));
}

// Before a login, anything but a login; after it, a size out of range (the size alone must be
// enough to give up), a body without its NULs ("quit" stands where they belong) or an unknown type.
TEST_F(RconServerCommandTest, BadFramesCloseOnlyThatConnectionUnanswered) {
    for (const auto& [frame, login] : {std::pair{WirePacketBytes(1, kExec, "status"), false},
                                       {WirePacketBytes(1, kResponseValue, ""), false},
                                       {WirePacketBytes(1, 99, ""), false},
                                       {WireBytes(9, 1, kExec, ""), true},
                                       {WireBytes(4097, 1, kExec, ""), true},
                                       {WireBytes(12, 1, kExec, "quit"), true},
                                       {WirePacketBytes(1, 99, ""), true}}) {
        RconTestClient offender(server_.Port());
        ASSERT_TRUE(!login || offender.Authenticate("hunter2"));
        offender.SendRaw(frame);
        EXPECT_TRUE(offender.WaitForClose()) << (login ? "after" : "before") << " login";
    }
    ExpectBystanderServed();
    EXPECT_EQ(server_.Commands(), Commands{"here"});
}

TEST_F(RconServerCommandTest, ClientVanishingMidPacketOrWithCommandsInFlightHarmsNobody) {
    client_.SendRaw(Pipeline(50, "burst") + WirePacketBytes(5, kExec, "half").substr(0, 9));
    client_.Close();
    ExpectBystanderServed();
    EXPECT_TRUE(LogsInWithin(server_.Port(), milliseconds(2000)));
}

// Clients pipeline 1 MiB answers and never read. Once the loopback's buffers are full, what the
// server holds may pass a limit by no more than the answer that crossed it, per client; a client
// over its limits is not read further, and a newcomer with nothing queued is still served.
TEST(RconServerFloodBoundTest, QueuedAnswersStayWithinTheLimitsAndANewcomerIsServed) {
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
            // About 50 kB of requests, more than two reads take in.
            ASSERT_TRUE(flooder->SendRaw(Pipeline(3000, "big")));
        }
        const auto deadline = Clock::now() + seconds(10);
        while (server.Statistics().peakQueuedOutputBytes < limit && Clock::now() < deadline)
            std::this_thread::sleep_for(milliseconds(10));
        std::this_thread::sleep_for(milliseconds(100));
        RconTestClient newcomer(server.Port());
        ASSERT_TRUE(newcomer.Authenticate("hunter2"));
        EXPECT_TRUE(newcomer.Execute(2, "x"));
        const RconServerStatistics stats = server.Statistics();
        EXPECT_GE(stats.peakQueuedOutputBytes, limit);
        EXPECT_LE(stats.peakQueuedOutputBytes, limit + (clients + 1) * kAnswer);
        EXPECT_LE(stats.peakBufferedInputBytes, clients * 2 * 16384);
    }
}

// The test body plays the game thread; the handler stops the server, so the reply has nowhere to
// go, which must neither deadlock nor crash.
TEST(RconServerLifecycleTest, StopFromAHandlerClosesEveryClientWakesTheGameThreadAndIsIdempotent) {
    std::optional<RconServer> server;
    server.emplace(TestOptions(), [&server](const std::string& command) {
        server->Stop();
        return command;
    });
    server->Start();
    RconTestClient client(server->BoundPort());
    ASSERT_TRUE(client.Authenticate("hunter2"));
    RconTestClient midPacket(server->BoundPort());
    midPacket.SendRaw(std::string(5, ' '));
    client.Send(1, kExec, "shutdown");
    ASSERT_TRUE(server->WaitForPending(milliseconds(5000)));
    EXPECT_EQ(server->ProcessPending(), 1u);
    EXPECT_TRUE(client.WaitForClose());
    EXPECT_TRUE(midPacket.WaitForClose());
    const auto started = Clock::now();
    EXPECT_FALSE(server->WaitForPending(seconds(10)));
    EXPECT_LT(Clock::now() - started, seconds(5));
    server->Stop();
    EXPECT_FALSE(RconTestClient(server->BoundPort()).Connected());
}

}  // namespace
}  // namespace txl::devserver
