#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;

std::string Alphabet(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    return text;
}

class RconServerCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(client_.Authenticate("hunter2")); }

    static std::string Reply(const std::string& command) {
        if (command.starts_with("repeat ")) {
            return Alphabet(std::stoul(command.substr(7)));
        }
        if (command == "throw") {
            throw std::runtime_error("no such thing");
        }
        return Echo(command);
    }

    RconTestServer server_{TestOptions(), Reply};
    RconTestClient client_{server_.Port()};
};

TEST_F(RconServerCommandTest, RepliesCarryRequestIdsInRequestOrderFromTheGameThread) {
    std::string batch;
    for (int32_t id = 10; id < 30; ++id) {
        batch += WirePacketBytes(id, kExec, "cmd" + std::to_string(id));
    }
    client_.SendRaw(batch);
    for (int32_t id = 10; id < 30; ++id) {
        const auto reply = client_.Read();
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->type, kResponseValue);
        EXPECT_EQ(reply->id, id);
        EXPECT_EQ(reply->body, "ran cmd" + std::to_string(id));
    }
    EXPECT_TRUE(server_.AllRanOnGameThread());
}

TEST_F(RconServerCommandTest, EmptyReplyStillSendsOnePacket) {
    EXPECT_EQ(client_.Execute(4, "repeat 0"), "");
}

TEST_F(RconServerCommandTest, LongReplyIsSplitIntoFullPacketsWithTheSameId) {
    client_.Send(6, kExec, "repeat 9000");
    std::string joined;
    std::vector<std::size_t> sizes;
    while (joined.size() < 9000) {
        const auto part = client_.Read();
        ASSERT_TRUE(part);
        EXPECT_EQ(part->id, 6);
        sizes.push_back(part->body.size());
        joined += part->body;
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4086, 4086, 828}));
    EXPECT_EQ(joined, Alphabet(9000));
}

TEST_F(RconServerCommandTest, EmptyResponseValueIsMirroredThenTerminatedInRequestOrder) {
    client_.SendRaw(WirePacketBytes(1, kResponseValue, "") +
                    WirePacketBytes(2, kExec, "repeat 5000") +
                    WirePacketBytes(3, kResponseValue, ""));
    std::vector<WirePacket> packets;
    for (int i = 0; i < 6; ++i) {
        const auto packet = client_.Read();
        ASSERT_TRUE(packet);
        EXPECT_EQ(packet->type, kResponseValue);
        packets.push_back(*packet);
    }
    const std::string terminator("\x00\x01\x00\x00", 4);
    const std::vector<int32_t> ids{packets[0].id, packets[1].id, packets[2].id,
                                   packets[3].id, packets[4].id, packets[5].id};
    EXPECT_EQ(ids, (std::vector<int32_t>{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(packets[0].body, "");
    EXPECT_EQ(packets[1].body, terminator);
    EXPECT_EQ(packets[2].body.size() + packets[3].body.size(), 5000u);
    EXPECT_EQ(packets[4].body, "");
    EXPECT_EQ(packets[5].body, terminator);
}

TEST_F(RconServerCommandTest, ThrowingHandlerAnswersWithErrorAndKeepsServing) {
    EXPECT_EQ(client_.Execute(1, "throw"), "error: no such thing");
    EXPECT_EQ(client_.Execute(2, "after"), "ran after");
}

TEST_F(RconServerCommandTest, TwoClientsEachGetTheirOwnAnswers) {
    RconTestClient other(server_.Port());
    ASSERT_TRUE(other.Authenticate("hunter2"));
    client_.Send(1, kExec, "from first");
    other.Send(1, kExec, "from second");
    EXPECT_EQ(other.Read().value().body, "ran from second");
    EXPECT_EQ(client_.Read().value().body, "ran from first");
}

}  // namespace
}  // namespace txl::devserver
