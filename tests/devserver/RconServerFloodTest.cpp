#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "RconServer.h"
#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using std::chrono::milliseconds;

// The test body plays the game thread, so it sees how many requests each read let through.
class RconServerFloodTest : public ::testing::Test {
  protected:
    void Start(RconServerOptions options) {
        server_.emplace(std::move(options), [](const std::string& command) {
            return command == "big" ? std::string(std::size_t{1} << 20, 'x') : "ok " + command;
        });
        server_->Start();
    }
    // Whatever the network thread hands over once it has settled.
    std::size_t Drain() {
        if (!server_->WaitForPending(milliseconds(2000))) return 0;
        std::this_thread::sleep_for(milliseconds(50));
        return server_->ProcessPending();
    }

    std::optional<RconServer> server_;
};

TEST_F(RconServerFloodTest, PipelinedRequestsReachTheGameThreadOneAtATimeAllAnsweredInOrder) {
    Start(TestOptions());
    RconTestClient client(server_->BoundPort());
    ASSERT_TRUE(client.Authenticate("hunter2"));
    ASSERT_TRUE(client.SendRaw(Pipeline(200, "status")));
    EXPECT_EQ(Drain(), 1u);
    std::size_t taken = 1;
    while (taken < 200 && server_->WaitForPending(milliseconds(2000))) {
        taken += server_->ProcessPending();
    }
    EXPECT_EQ(taken, 200u);
    for (int id = 1; id <= 200; ++id) {
        const auto answer = client.Read();
        ASSERT_TRUE(answer) << id;
        EXPECT_EQ(answer->id, id);
        EXPECT_EQ(answer->body, "ok status");
    }
}

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

}  // namespace
}  // namespace txl::devserver
