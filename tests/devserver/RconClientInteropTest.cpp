#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devserver/DevServerProcess.h"
#include "devserver/RconTestClient.h"
#include "support/EmulatedServer.h"

#ifdef TXL_DEVSERVER

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

const std::vector<std::string> kClients = {"rcon-client@4.2.5", "rcon-srcds@2.1.1", "rcon@1.1.0"};

// Installs the clients once, into the build tree. Empty when they are there, or why not.
std::string InstallClients(const fs::path& folder) {
    std::string versions;
    for (const std::string& client : kClients) versions += client + "\n";
    const fs::path marker = folder / "installed.txt";
    if (fs::exists(marker) && txltest::ReadTextFile(marker) == versions) return "";
    fs::create_directories(folder);
    std::vector<std::string> install = {
        "/usr/bin/env", "npm",        "install",   "--prefix",          folder.string(),
        "--no-save",    "--no-audit", "--no-fund", "--fetch-retries=1", "--fetch-timeout=20000"};
    install.insert(install.end(), kClients.begin(), kClients.end());
    txltest::ChildProcess npmRun(install, folder / "npm.out", folder / "npm.err");
    if (npmRun.Wait(std::chrono::milliseconds(seconds(90))) != 0)
        return txltest::ReadTextFile(folder / "npm.err");
    txltest::WriteTextFile(marker, versions);
    return "";
}

// Three popular npm clients log in to the dev server as shipped, run the plug-in's commands and
// read the state document, longer than one standard packet, whole.
TEST(RconClientInterop, NpmClientsRunThePluginCommandsAndReadLongRepliesWhole) {
#if defined(_WIN32)
    GTEST_SKIP() << "the npm RCON clients are tried by the Linux build only";
#endif
    const fs::path modules = fs::read_symlink("/proc/self/exe").parent_path() / "rcon-clients";
    if (const std::string why = InstallClients(modules); !why.empty())
        GTEST_SKIP() << "npm could not install the RCON clients (no npm, or no registry):\n" << why;
    txltest::PluginFolder folder;
    txltest::DevServerChild server(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "pw"},
        folder.Path());
    const int port = server.WaitForRconPort();
    ASSERT_NE(port, 0) << server.Err();
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
        << txltest::ReadTextFile(folder.Path() / "clients.err");

    txl::devserver::rcontest::RconTestClient reference(static_cast<uint16_t>(port));
    ASSERT_TRUE(reference.Authenticate("pw"));
    const std::string state = reference.Execute(1, "state").value_or("");
    ASSERT_GT(state.size(), 4096u);
    const std::vector<std::string> expected = {
        "Thalassovex runtime capture written to processor-runtime.json",
        "Thalassovex limits applied and replicated to loaded animals",
        "Thalassovex limits applied and replicated to loaded animals", state};
    const auto lines = txltest::Lines(txltest::ReadTextFile(folder.Path() / "clients.out"));
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) {
        const auto result = nlohmann::json::parse(line);
        EXPECT_EQ(result.value("replies", nlohmann::json()), nlohmann::json(expected))
            << result["client"] << ": " << result.value("error", "wrong replies");
    }
}

}  // namespace

#endif
