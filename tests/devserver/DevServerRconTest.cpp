#include <gtest/gtest.h>

#include "devserver/DevServerProcess.h"
#include "devserver/RconTestClient.h"
#include "support/EmulatedServer.h"

#ifdef TXL_DEVSERVER

namespace {

using txl::devserver::rcontest::kAuth;
using txl::devserver::rcontest::RconTestClient;
using txl::devserver::rcontest::WireBytes;

// The executable on loopback with its console at end of input: the listener keeps it serving
// until a client asks it to quit.
TEST(DevServerRcon, ServesClientsThroughBadOnes) {
    txltest::PluginFolder folder;
    txltest::DevServerChild server(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "secret"},
        folder.Path());
    auto port = static_cast<uint16_t>(server.WaitForRconPort());
    ASSERT_NE(port, 0) << server.Err();

    RconTestClient first(port);
    RconTestClient second(port);
    ASSERT_TRUE(first.Authenticate("secret"));
    ASSERT_TRUE(second.Authenticate("secret", 7));

    // A wrong password is answered with -1 and the connection closed.
    RconTestClient intruder(port);
    intruder.Send(3, kAuth, "guess");
    auto refusal = intruder.Read();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->id, -1);
    EXPECT_TRUE(intruder.WaitForClose());

    // A client that goes away halfway through a packet harms nobody.
    {
        RconTestClient quitter(port);
        ASSERT_TRUE(quitter.Authenticate("secret"));
        quitter.SendRaw(WireBytes(40, 9, 2, "spawn Str"));
    }

    // Both clients get their own replies, the world is shared, errors come back as one line.
    EXPECT_EQ(first.Execute(10, "spawn Strider_Character_BP_C"), "5");
    EXPECT_EQ(second.Execute(11, "craft 1 1:1 3"), "3");
    EXPECT_EQ(first.Execute(12, "bogus"), "error: unknown command 'bogus' (type 'help')");
    EXPECT_EQ(second.Execute(13, "Thalassovex.Apply"),
              "Thalassovex limits applied and replicated to loaded animals");
    auto state = first.Execute(14, "state");
    ASSERT_TRUE(state.has_value());
    EXPECT_NE(state->find("\"craftQueue\": 3"), std::string::npos);

    // Clients that end commands with CR/LF are understood; a client cannot write log lines.
    EXPECT_EQ(second.Execute(16, "help\r\n").value_or("").rfind("Commands", 0), 0u);
    first.Execute(17, "bogus\nFORGED line\r\x1b[2J");

    first.Execute(15, "quit");
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_NE(server.Err().find("stopping: unloading the plug-in"), std::string::npos);
    EXPECT_NE(server.Err().find("bogus\\nFORGED line\\r\\x1b[2J"), std::string::npos);
    for (const std::string& line : txltest::Lines(server.Err())) {
        EXPECT_NE(line.rfind("FORGED", 0), 0u) << line;
    }
}

TEST(DevServerRcon, TerminationSignalStopsItCleanly) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no SIGTERM; Ctrl-C and the console's close event need a "
                    "console shared with the test, which a test run does not have";
#endif
    txltest::PluginFolder folder;
    txltest::DevServerChild server(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "pw"},
        folder.Path());
    ASSERT_NE(server.WaitForRconPort(), 0) << server.Err();
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_NE(server.Err().find("stopping: unloading the plug-in"), std::string::npos);
}

TEST(DevServerRcon, QuitFromAClientStopsTheServer) {
    txltest::PluginFolder folder;
    txltest::DevServerChild server(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "pw"},
        folder.Path());
    auto port = static_cast<uint16_t>(server.WaitForRconPort());
    ASSERT_NE(port, 0) << server.Err();
    RconTestClient client(port);
    ASSERT_TRUE(client.Authenticate("pw"));
    client.Execute(2, "quit");
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_NE(server.Err().find("stopping: unloading the plug-in"), std::string::npos);
}

}  // namespace

#endif
