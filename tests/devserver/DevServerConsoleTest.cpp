#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devserver/DevServerProcess.h"
#include "devserver/RconTestPeers.h"
#include "support/EmulatedServer.h"

#ifdef TXL_DEVSERVER

#if defined(TXL_LINE_EDITOR)
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <regex>
#endif

// The dev server's two consoles, run as their users meet them: RCON clients on loopback, and a
// terminal.
namespace txltest {
namespace {

namespace fs = std::filesystem;
using txl::devserver::rcontest::RconTestClient;

// Three popular npm clients log in and run the plug-in's commands and `state`, their replies in
// `folder`/clients.out. Empty when they ran, or why they could not (no npm, no registry).
std::string RunNpmClients([[maybe_unused]] int port, [[maybe_unused]] const fs::path& folder) {
#if defined(_WIN32)
    return "the npm RCON clients are tried by the Linux build only";
#else
    // Installed once, into the build tree.
    const std::vector<std::string> packages = {"rcon-client@4.2.5", "rcon-srcds@2.1.1",
                                               "rcon@1.1.0"};
    const fs::path modules = fs::read_symlink("/proc/self/exe").parent_path() / "rcon-clients";
    std::string versions;
    for (const std::string& package : packages) versions += package + "\n";
    if (!fs::exists(modules / "installed.txt") ||
        ReadBytes(modules / "installed.txt") != versions) {
        fs::create_directories(modules);
        std::vector<std::string> install = {
            "/usr/bin/env", "npm",           "install",           "--no-save",
            "--no-audit",   "--no-fund",     "--fetch-retries=1", "--fetch-timeout=20000",
            "--prefix",     modules.string()};
        install.insert(install.end(), packages.begin(), packages.end());
        ChildProcess npm(install, modules / "npm.out", modules / "npm.err");
        if (npm.Wait(std::chrono::seconds(90)) != 0)
            return "npm could not install the RCON clients:\n" + ReadBytes(modules / "npm.err");
        WriteBytes(modules / "installed.txt", versions);
    }
    ChildProcess clients(
        {"/usr/bin/env", "node", TXL_SOURCE_DIR "/tests/devserver/RconInteropClients.js",
         modules.string(), std::to_string(port), "secret", "Thalassovex.Inspect",
         "Thalassovex.Apply", "TXL.Reload", "state"},
        folder / "clients.out", folder / "clients.err");
    EXPECT_EQ(clients.Wait(std::chrono::seconds(60)), 0) << ReadBytes(folder / "clients.err");
    return "";
#endif
}

// The executable on loopback with its console at end of input: the listener keeps it serving
// until a client asks it to quit. Its ban and reply options given, a long state document comes
// whole, to our client and to the npm ones.
TEST(DevServerRcon, ServesClientsAndNpmClientsUntilOneAsksToQuit) {
    PluginFolder folder;
    DevServerChild server(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "secret",
         "--rcon-ban-failures", "1", "--rcon-ban-window", "60", "--rcon-ban-time", "0.5",
         "--rcon-reply-packets", "whole"},
        folder.Path());
    auto port = static_cast<uint16_t>(server.WaitForRconPort());
    ASSERT_NE(port, 0) << server.Err();
    EXPECT_FALSE(RconTestClient(port, "127.0.0.2").Authenticate("guess"));
    RconTestClient first(port);
    RconTestClient second(port);
    ASSERT_TRUE(first.Authenticate("secret"));
    ASSERT_TRUE(second.Authenticate("secret", 7));
    EXPECT_TRUE(
        Contains(server.Err(), "127.0.0.2 banned for 0.5 s after 1 wrong passwords within 60 s"));

    // Both clients get their own replies, the world is shared, errors come back as one line.
    EXPECT_EQ(first.Execute(10, "spawn Strider_Character_BP_C"), "5");
    EXPECT_EQ(second.Execute(11, "craft 1 1:1 3"), "3");
    EXPECT_EQ(first.Execute(12, "bogus"), "error: unknown command 'bogus' (type 'help')");
    EXPECT_EQ(second.Execute(13, "Thalassovex.Apply"),
              "Thalassovex limits applied and replicated to loaded animals");
    const std::string skipped = RunNpmClients(port, folder.Path());
    const std::string state = first.Execute(14, "state").value_or("");
    EXPECT_TRUE(Contains(state, "\"craftQueue\": 3"));
    EXPECT_GT(state.size(), 4096u);
    if (skipped.empty()) {
        const std::vector<std::string> expected = {
            "Thalassovex runtime capture written to processor-runtime.json",
            "Thalassovex limits applied and replicated to loaded animals",
            "Thalassovex limits applied and replicated to loaded animals", state};
        const auto lines = Lines(ReadBytes(folder.Path() / "clients.out"));
        EXPECT_EQ(lines.size(), 3u);
        for (const std::string& line : lines) {
            const auto result = nlohmann::json::parse(line);
            EXPECT_EQ(result.value("replies", nlohmann::json()), nlohmann::json(expected))
                << result["client"] << ": " << result.value("error", "wrong replies");
        }
    }

    // A client cannot write log lines.
    first.Execute(17, "bogus\nFORGED line\r\x1b[2J");
    first.Execute(15, "quit");
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_TRUE(Contains(server.Err(), "stopping: unloading the plug-in"));
    EXPECT_TRUE(Contains(server.Err(), "bogus\\nFORGED line\\r\\x1b[2J"));
    for (const std::string& line : Lines(server.Err()))
        EXPECT_NE(line.rfind("FORGED", 0), 0u) << line;
    // Its console was no terminal: no prompt, nothing on standard output.
    EXPECT_EQ(server.Out(), "");
    if (!skipped.empty()) GTEST_SKIP() << skipped;
}

#if defined(TXL_LINE_EDITOR)

using Screen = std::vector<std::string>;

// The dev server on a pseudo-terminal, with `home` as its home folder: keys typed at it, and
// the lines it drew, each as it stands after its last carriage return, without escape sequences.
class Terminal {
  public:
    Terminal(std::vector<std::string> arguments, const std::filesystem::path& home) {
        arguments.insert(arguments.begin(), TXL_DEVSERVER);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        winsize size{24, 200, 0, 0};
        if ((pid_ = forkpty(&terminal_, nullptr, nullptr, &size)) == 0) {
            setenv("HOME", home.c_str(), 1);
            setenv("TERM", "xterm", 1);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Terminal() {
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
        close(terminal_);
    }
    void Signal(int number) { kill(pid_, number); }
    void Type(const std::string& keys) { (void)!write(terminal_, keys.data(), keys.size()); }
    // Reads what it draws until `done` holds, for ten seconds at most.
    bool WaitFor(const std::function<bool(const Screen&)>& done) {
        static const std::regex escape("\x1b\\[[0-9;]*[A-Za-z@]|[\a\b]");
        for (int turn = 0; turn < 100; ++turn) {
            Screen screen;
            for (const std::string& line : Lines(drawn))
                screen.push_back(std::regex_replace(line.substr(line.rfind('\r') + 1), escape, ""));
            if (done(screen)) return true;
            pollfd wait{terminal_, POLLIN, 0};
            char buffer[4096];
            ssize_t size = poll(&wait, 1, 100) > 0 ? read(terminal_, buffer, sizeof buffer) : 0;
            if (size > 0) drawn.append(buffer, static_cast<std::size_t>(size));
            if (size < 0) usleep(100'000);  // the server has gone: the terminal reads nothing
        }
        return false;
    }
    bool Shows(const std::string& line) {
        return WaitFor([&](const Screen& s) { return std::count(s.begin(), s.end(), line) > 0; });
    }
    // The exit code once it has ended, or -1.
    int Exit() {
        int status = 0;
        if (!WaitFor([&](const Screen&) { return waitpid(pid_, &status, WNOHANG) == pid_; }))
            return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string drawn;

  private:
    int terminal_ = -1;
    pid_t pid_ = -1;
};

TEST(DevServerTerminal, EditsRecallsCompletesAndKeepsTheTypedLineUnderLogLines) {
    PluginFolder folder;
    Terminal terminal(
        {"--plugin-dir", folder.Path().string(), "--rcon-port", "0", "--rcon-password", "pw"},
        folder.Path());
    ASSERT_TRUE(terminal.Shows("txl> ")) << terminal.drawn;
    // A letter put in after moving to the line's start and two places right; then Up, Enter.
    terminal.Type("spwn Strider_Character_BP_C\x01\x1b[C\x1b[Ca\r");
    EXPECT_TRUE(terminal.Shows("5")) << terminal.drawn;
    terminal.Type("\x1b[A\r");
    EXPECT_TRUE(terminal.Shows("6")) << terminal.drawn;
    terminal.Type("thalassovex.ap\t\r");
    EXPECT_TRUE(terminal.Shows("Thalassovex limits applied and replicated to loaded animals"));

    // A client connects while a line is typed: its log line comes above, the line is drawn again.
    terminal.Type("spawn Str");
    // The listener announces its port from its own thread, at times after the first prompt.
    std::smatch port;
    const std::regex listening("listening on [^ ]*:(\\d+)\\s");  // the whole number
    ASSERT_TRUE(terminal.WaitFor([&](const Screen&) {
        return std::regex_search(terminal.drawn, port, listening);
    })) << terminal.drawn;
    RconTestClient client(static_cast<uint16_t>(std::stoi(port[1])));
    EXPECT_TRUE(terminal.WaitFor([](const Screen& s) {
        return s.size() > 2 && s.back() == "txl> spawn Str" &&
               std::regex_match(s[s.size() - 2], std::regex("\\d\\d/.*rcon: .* connected"));
    })) << terminal.drawn;
    terminal.Type("ider_Character_BP_C\r");
    EXPECT_TRUE(terminal.Shows("7")) << terminal.drawn;
    // A termination signal, with a line half typed, stops it cleanly.
    terminal.Type("sta");
    terminal.Signal(SIGTERM);
    // Read before the exit is seen: what it drew last may still be unread then.
    EXPECT_TRUE(terminal.WaitFor([&](const Screen&) {
        return Contains(terminal.drawn, "stopping: unloading the plug-in");
    })) << terminal.drawn;
    EXPECT_EQ(terminal.Exit(), 0);
}

TEST(DevServerTerminal, HistoryOutlivesTheServerUnlessTurnedOff) {
    PluginFolder folder;
    const auto file = folder.Path() / ".txl-devserver_history";
    auto run = [&](const std::string& keys, std::vector<std::string> options = {}) {
        options.insert(options.end(), {"--plugin-dir", folder.Path().string()});
        Terminal terminal(options, folder.Path());
        EXPECT_TRUE(terminal.Shows("txl> "));
        terminal.Type(keys);
        return terminal.Exit();
    };
    EXPECT_EQ(run("stat 1\rquit\r"), 0);
    const auto history = ReadBytes(file);
    EXPECT_EQ(run("stat 2\rquit\r", {"--no-history"}), 0);
    EXPECT_EQ(ReadBytes(file), history);
    EXPECT_EQ(run("\x1b[A\r"), 0) << "Up brings back the first run's last line, quit";
}

#endif

}  // namespace

}  // namespace txltest

#endif
