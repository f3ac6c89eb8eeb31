#include <gtest/gtest.h>

#include <stdexcept>

#include "RconTestClient.h"
#include "RconTestServer.h"

namespace txl::devserver {
namespace {

using namespace rcontest;
using std::chrono::milliseconds;

TEST(RconServerAuthTest, RightPasswordIsAnsweredWithRequestIdAndNothingBefore) {
    RconTestServer server;
    RconTestClient client(server.Port());
    client.Send(77, kAuth, "hunter2");
    const auto answer = client.Read();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type, kAuthResponse);
    EXPECT_EQ(answer->id, 77);
    EXPECT_EQ(client.Execute(5, "status"), "ran status");
}

TEST(RconServerAuthTest, WrongPasswordGetsMinusOneThenCloseAndQueuedCommandsNeverRun) {
    auto options = TestOptions();
    options.authThrottle.firstDelay = milliseconds(1);
    RconTestServer server(options);
    for (const char* guess : {"hunter3", "hunter", "hunter22", ""}) {
        RconTestClient client(server.Port());
        client.SendRaw(WirePacketBytes(1, kAuth, guess) + WirePacketBytes(2, kExec, "quit"));
        const auto answer = client.Read();
        ASSERT_TRUE(answer) << guess;
        EXPECT_EQ(answer->type, kAuthResponse);
        EXPECT_EQ(answer->id, -1) << guess;
        EXPECT_TRUE(client.WaitForClose()) << guess;
    }
    EXPECT_TRUE(server.Commands().empty());
}

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
        EXPECT_EQ(preamble->type, kResponseValue);
        EXPECT_EQ(preamble->id, 9);
        EXPECT_EQ(preamble->body, "");
        EXPECT_EQ(answer->type, kAuthResponse);
        EXPECT_EQ(answer->id, expectedId);
    }
}

TEST(RconServerAuthTest, RequestsBeforeAuthCloseTheConnectionUnanswered) {
    RconTestServer server;
    for (const int32_t type : {kExec, kResponseValue, 99}) {
        RconTestClient client(server.Port());
        client.Send(1, type, "status");
        EXPECT_TRUE(client.WaitForClose()) << "type " << type;
    }
    EXPECT_TRUE(server.Commands().empty());
}

TEST(RconServerAuthTest, ThrottledAddressDoesNotHoldUpOtherClients) {
    auto options = TestOptions();
    options.authThrottle.firstDelay = std::chrono::seconds(30);
    RconTestServer server(options);
    // The guesser uses another loopback address so the honest client is not throttled too.
    RconTestClient first(server.Port(), "127.0.0.2");
    ASSERT_FALSE(first.Authenticate("guess1"));
    RconTestClient second(server.Port(), "127.0.0.2");
    second.Send(2, kAuth, "guess2");

    RconTestClient honest(server.Port());
    ASSERT_TRUE(honest.Authenticate("hunter2"));
    EXPECT_EQ(honest.Execute(3, "status"), "ran status");
    EXPECT_FALSE(second.Read(milliseconds(50))) << "second guess answered without delay";
}

TEST(RconServerAuthTest, StartRefusesEmptyPasswordAndUnusableAddress) {
    RconServer noPassword(RconServerOptions{}, Echo);
    EXPECT_THROW(noPassword.Start(), std::invalid_argument);
    auto options = TestOptions();
    options.bindAddress = "not-an-address";
    RconServer badAddress(options, Echo);
    EXPECT_THROW(badAddress.Start(), std::system_error);
}

}  // namespace
}  // namespace txl::devserver
