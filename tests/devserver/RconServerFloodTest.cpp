#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

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
    static std::string Pipeline(int first, int count, const std::string& command) {
        std::string bytes;
        for (int id = first; id < first + count; ++id) {
            bytes += WirePacketBytes(id, kExec, command);
        }
        return bytes;
    }

    std::optional<RconServer> server_;
};

TEST_F(RconServerFloodTest, PipelinedRequestsAreTakenNoFurtherThanTheLimitWithinOneRead) {
    auto options = TestOptions();
    options.maxOutstandingRequests = 64;
    Start(options);
    RconTestClient client(server_->BoundPort());
    ASSERT_TRUE(client.Authenticate("hunter2"));
    ASSERT_TRUE(client.SendRaw(Pipeline(1, 200, "status")));
    EXPECT_EQ(Drain(), 64u);
    // The rest follows as answers leave, none lost and in order.
    std::size_t taken = 64;
    while (taken < 200) {
        const std::size_t more = Drain();
        if (more == 0) break;
        taken += more;
    }
    EXPECT_EQ(taken, 200u);
    for (int id = 1; id <= 200; ++id) {
        const auto answer = client.Read();
        ASSERT_TRUE(answer) << id;
        EXPECT_EQ(answer->id, id);
        EXPECT_EQ(answer->body, "ok status");
    }
}

TEST_F(RconServerFloodTest, OverTheServerWideOutputBoundOthersGetOneRequestAtATime) {
    auto options = TestOptions();
    options.maxQueuedOutputBytes = std::size_t{1} << 30;
    options.maxTotalQueuedOutputBytes = std::size_t{1} << 20;
    Start(options);
    RconTestClient flooder(server_->BoundPort());
    RconTestClient other(server_->BoundPort());
    ASSERT_TRUE(flooder.Authenticate("hunter2"));
    ASSERT_TRUE(other.Authenticate("hunter2"));
    // More than the loopback's buffers hold, left unread.
    ASSERT_TRUE(flooder.SendRaw(Pipeline(1, 16, "big")));
    EXPECT_EQ(Drain(), 16u);
    ASSERT_TRUE(other.SendRaw(Pipeline(1, 10, "small")));
    EXPECT_EQ(Drain(), 1u);

    std::size_t received = 0;
    while (received < (std::size_t{16} << 20)) {
        const auto answer = flooder.Read();
        ASSERT_TRUE(answer) << received;
        received += answer->body.size();
    }
    std::size_t taken = 1;
    while (taken < 10) {
        const std::size_t more = Drain();
        if (more == 0) break;
        taken += more;
    }
    EXPECT_EQ(taken, 10u);
    for (int id = 1; id <= 10; ++id) {
        const auto answer = other.Read();
        ASSERT_TRUE(answer) << id;
        EXPECT_EQ(answer->id, id);
    }
}

}  // namespace
}  // namespace txl::devserver
