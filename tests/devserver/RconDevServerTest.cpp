#include <gtest/gtest.h>

#include <array>

#include <nlohmann/json.hpp>

#include "DevServerOptions.h"
#include "devserver/DevServerProcess.h"
#include "devserver/RconTestClient.h"
#include "support/EmulatedServer.h"

#ifdef TXL_DEVSERVER

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;
using txl::devserver::rcontest::RconTestClient;

const std::vector<std::string> kClients = {"rcon-client@4.2.5", "rcon-srcds@2.1.1", "rcon@1.1.0"};

// Installs the clients once, into the build tree. Empty when they are there, or why not.
std::string InstallClients(const fs::path& folder) {
    std::string versions;
    for (const std::string& client : kClients) versions += client + "\n";
    const fs::path marker = folder / "installed.txt";
    if (fs::exists(marker) && txltest::ReadBytes(marker) == versions) return "";
    fs::create_directories(folder);
    std::vector<std::string> install = {
        "/usr/bin/env", "npm",        "install",   "--prefix",          folder.string(),
        "--no-save",    "--no-audit", "--no-fund", "--fetch-retries=1", "--fetch-timeout=20000"};
    install.insert(install.end(), kClients.begin(), kClients.end());
    txltest::ChildProcess npmRun(install, folder / "npm.out", folder / "npm.err");
    if (npmRun.Wait(std::chrono::milliseconds(seconds(90))) != 0)
        return txltest::ReadBytes(folder / "npm.err");
    txltest::WriteBytes(marker, versions);
    return "";
}

std::string Refusal(const std::vector<std::string>& arguments) {
    try {
        txl::devserver::ParseOptions(arguments);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "accepted";
}

TEST(RconDevServerTest, BanAndReplyOptionsAreCheckedAndNeedTheListener) {
    const std::vector<std::array<std::string, 3>> cases{
        {"--rcon-ban-failures", "1001", "expected a whole number 1..1000, got '1001'"},
        {"--rcon-ban-window", "0", "expected a positive number of seconds, got '0'"},
        {"--rcon-ban-time", "86401", "at most 86400 seconds, got '86401'"},
        {"--rcon-reply-packets", "all", "expected 'whole' or 'split', got 'all'"}};
    for (const auto& [option, bad, message] : cases) {
        const std::string good = option == "--rcon-reply-packets" ? "split" : "1";
        EXPECT_EQ(Refusal({option, good}), "RCON options need --rcon-port");
        EXPECT_EQ(Refusal({"--rcon-port", "0", "--rcon-password", "x", option, bad}),
                  option + ": " + message);
    }
}

// The dev server, its ban options given, and three popular npm clients that log in,
// run the plug-in's commands and read the state document, longer than one standard packet, whole.
TEST(RconDevServerTest, NpmClientsRunThePluginCommandsAndReadLongRepliesWhole) {
    txltest::PluginFolder folder;
    txltest::DevServerChild server(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "pw",
         "--rcon-ban-failures", "1", "--rcon-ban-window", "60", "--rcon-ban-time", "0.5",
         "--rcon-reply-packets", "whole"},
        folder.Path());
    const int port = server.WaitForRconPort();
    ASSERT_NE(port, 0) << server.Err();
    EXPECT_FALSE(RconTestClient(port, "127.0.0.2").Authenticate("guess"));
    RconTestClient reference(static_cast<uint16_t>(port));
    ASSERT_TRUE(reference.Authenticate("pw"));
    EXPECT_NE(server.Err().find("127.0.0.2 banned for 0.5 s after 1 wrong passwords within 60 s"),
              std::string::npos);
#if defined(_WIN32)
    GTEST_SKIP() << "the npm RCON clients are tried by the Linux build only";
#endif
    const fs::path modules = fs::read_symlink("/proc/self/exe").parent_path() / "rcon-clients";
    if (const std::string why = InstallClients(modules); !why.empty())
        GTEST_SKIP() << "npm could not install the RCON clients (no npm, or no registry):\n" << why;
    const std::vector<std::string> run = {"/usr/bin/env",
                                          "node",
                                          TXL_SOURCE_DIR "/tests/devserver/RconInteropClients.js",
                                          modules.string(),
                                          std::to_string(port),
                                          "pw",
                                          "Thalassovex.Inspect",
                                          "Thalassovex.Apply",
                                          "TXL.Reload",
                                          "state"};
    txltest::ChildProcess clients(run, folder.Path() / "clients.out",
                                  folder.Path() / "clients.err");
    ASSERT_EQ(clients.Wait(std::chrono::milliseconds(seconds(60))), 0)
        << txltest::ReadBytes(folder.Path() / "clients.err");

    const std::string state = reference.Execute(1, "state").value_or("");
    ASSERT_GT(state.size(), 4096u);
    const std::vector<std::string> expected = {
        "Thalassovex runtime capture written to processor-runtime.json",
        "Thalassovex limits applied and replicated to loaded animals",
        "Thalassovex limits applied and replicated to loaded animals", state};
    const auto lines = txltest::Lines(txltest::ReadBytes(folder.Path() / "clients.out"));
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) {
        const auto result = nlohmann::json::parse(line);
        EXPECT_EQ(result.value("replies", nlohmann::json()), nlohmann::json(expected))
            << result["client"] << ": " << result.value("error", "wrong replies");
    }
}

}  // namespace

#endif
