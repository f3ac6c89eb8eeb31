#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "DevServerOptions.h"
#include "devserver/DevServerProcess.h"
#include "support/EmulatedServer.h"

// The dev server's command line, and whole runs of it on a script.
namespace txltest {
namespace {

using txl::devserver::DevServerOptions;
using txl::devserver::ParseOptions;

TEST(DevServerOptions, ReadsEveryOption) {
    using std::filesystem::path;
    const DevServerOptions none = ParseOptions({});
    EXPECT_EQ(std::tie(none.pluginDir, none.rconBind, none.rconAuthTimeout),
              std::tuple(path(TXL_PLUGIN_DIR), "127.0.0.1", 5.0));
    EXPECT_FALSE(none.world || none.script || none.rconPort || none.echo || none.realtime ||
                 none.noPlugin || none.noHistory || none.help);

    const DevServerOptions all = ParseOptions(
        {"--plugin-dir", "p", "--world=w.json", "--timer-interval", "0.25", "--rcon-port", "0",
         "--rcon-bind", "::1", "--rcon-password", "-starts-with-a-dash", "--rcon-empty-preamble",
         "--rcon-auth-timeout", "0.5", "--echo", "--realtime"});
    EXPECT_EQ(std::tie(all.pluginDir, all.world, all.timerInterval, all.rconPort, all.rconBind,
                       all.rconPassword, all.rconAuthTimeout),
              std::tuple(path("p"), path("w.json"), 0.25, 0, "::1", "-starts-with-a-dash", 0.5));
    EXPECT_TRUE(all.rconEmptyPreamble && all.echo && all.realtime);
    const DevServerOptions flags =
        ParseOptions({"--no-plugin", "--no-history", "--print-default-world", "-h"});
    EXPECT_TRUE(flags.noPlugin && flags.noHistory && flags.printDefaultWorld && flags.help);
}

TEST(DevServerOptions, RefusesWithAMessageNamingTheProblem) {
    using Arguments = std::vector<std::string>;
    const auto listening = [](Arguments more) {
        more.insert(more.begin(), {"--rcon-port", "0", "--rcon-password", "x"});
        return more;
    };
    const std::vector<std::pair<Arguments, std::string>> cases{
        {{"--world"}, "--world: missing value"},
        {{"--echo=yes"}, "--echo: takes no value"},
        {{"--no-plugin=1"}, "--no-plugin: takes no value"},
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"stray"}, "unknown option 'stray' (see --help)"},
        {{"--timer-interval", "0"},
         "--timer-interval: expected a positive number of seconds, got '0'"},
        {{"--timer-interval", "1s"},
         "--timer-interval: expected a positive number of seconds, got '1s'"},
        {{"--rcon-port", "65536", "--rcon-password", "x"},
         "--rcon-port: expected a port number 0..65535, got '65536'"},
        {{"--rcon-port", "27020"}, "--rcon-port needs --rcon-password"},
        {{"--rcon-password", "x"}, "RCON options need --rcon-port"},
        {{"--rcon-bind", "0.0.0.0"}, "RCON options need --rcon-port"},
        {{"--rcon-empty-preamble"}, "RCON options need --rcon-port"},
        {{"--rcon-auth-timeout", "2"}, "RCON options need --rcon-port"},
        {{"--rcon-ban-failures", "1"}, "RCON options need --rcon-port"},
        {{"--rcon-ban-window", "1"}, "RCON options need --rcon-port"},
        {{"--rcon-ban-time", "1"}, "RCON options need --rcon-port"},
        {{"--rcon-reply-packets", "split"}, "RCON options need --rcon-port"},
        {listening({"--rcon-auth-timeout", "0"}),
         "--rcon-auth-timeout: expected a positive number of seconds, got '0'"},
        {listening({"--rcon-auth-timeout", "1e9"}),
         "--rcon-auth-timeout: at most 3600 seconds, got '1e9'"},
        {listening({"--rcon-ban-failures", "1001"}),
         "--rcon-ban-failures: expected a whole number 1..1000, got '1001'"},
        {listening({"--rcon-ban-window", "0"}),
         "--rcon-ban-window: expected a positive number of seconds, got '0'"},
        {listening({"--rcon-ban-time", "86401"}),
         "--rcon-ban-time: at most 86400 seconds, got '86401'"},
        {listening({"--rcon-reply-packets", "all"}),
         "--rcon-reply-packets: expected 'whole' or 'split', got 'all'"},
        {{"--script", "s.txt", "--realtime"}, "--realtime does not apply to --script"},
    };
    for (const auto& [arguments, message] : cases) {
        try {
            ParseOptions(arguments);
            ADD_FAILURE() << "accepted: " << arguments.back();
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

#ifdef TXL_DEVSERVER

// Replies alone on standard output, the log on standard error and in the plug-in folder's log
// file; a failed command is reported, the rest runs and the exit code tells it.
TEST(DevServerScript, RepliesLogAndReportGoWhereTheyBelong) {
    PluginFolder folder(R"({"DebugLogging": true})");
    auto run = RunDevServerScript(folder.Path(),
                                  "# 1 is the tamed processor, 1:1 its limited blueprint\n"
                                  "spawn NoSuchClass\ncraft 1 1:1 12\nadvance 20\ncraft 1 1:1 1\n"
                                  "Thalassovex.Inspect\n",
                                  {"--echo"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    // 10 of 12 queued (the class allows 10), then refused.
    EXPECT_EQ(
        Lines(run.out),
        (std::vector<std::string>{
            "# 1 is the tamed processor, 1:1 its limited blueprint", "> spawn NoSuchClass",
            "error: spawn: 'NoSuchClass' is not a creature or container class", "> craft 1 1:1 12",
            "10", "> advance 20", "> craft 1 1:1 1", "0", "> Thalassovex.Inspect",
            "Thalassovex runtime capture written to processor-runtime.json"}));
    auto report = nlohmann::json::parse(ReadBytes(folder.Path() / "processor-runtime.json"));
    EXPECT_EQ(report["animals"].size(), 2u);
    auto log = ReadBytes(folder.Path() / "logs" / "txl-devserver.log");
    for (const char* line :
         {"TXL counter attached: 1:1 0/10", "TXL craft completed: source 1:1 10/10",
          "TXL retained exhausted blueprint 1:1"}) {
        EXPECT_TRUE(Contains(run.err, line)) << line;
        EXPECT_TRUE(Contains(log, line)) << line;
    }
}

// Nothing is loaded or run when the server does not start: exit code 2 and one line.
TEST(DevServerScript, RefusedStartNamesTheProblemAndRunsNothing) {
    PluginFolder folder;
    auto world = folder.Path() / "world.json";
    WriteBytes(world, R"({"actors": [{"class": "Strider_Character_BP_C"},
        {"class": "StorageBox_Small_C"},
        {"class": "Thalassovex_Character_BP_C", "items": [{"class": "X"}]}]})");
    auto marker = folder.Path() / "ran.json";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--world", world.string()}, "world.json: actors[2].items[0]: unknown item class 'X'"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"--plugin-dir", (folder.Path() / "nowhere").string()}, "no plug-in library"},
    };
    for (const auto& [options, message] : cases) {
        auto run = RunDevServerScript(folder.Path(), "state " + marker.string() + "\n", options);
        EXPECT_EQ(run.exitCode, 2) << message;
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "logs"));
}

TEST(DevServerScript, SavedWorldComesBackExactlyAndItsCountersGoOnCounting) {
    PluginFolder folder(R"({"DebugLogging": true})");
    auto File = [&](const std::string& name) { return (folder.Path() / name).string(); };
    // Crafts half done, a copy counting against the box, a level-up, a destroyed actor.
    auto first = RunDevServerScript(folder.Path(),
                                    "craft 1 1:1 3\nadvance 7\ncraft 1 1:5 2\nadvance 3\n"
                                    "setstat 3 max=0.2\nlevelup 3 11\nlevelup 3 4\ndestroy 2\n"
                                    "state " +
                                        File("before.json") + "\nsave " + File("world.json") + "\n",
                                    {"--seed", "99"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    auto second =
        RunDevServerScript(folder.Path(),
                           "state " + File("after.json") + "\nsave " + File("again.json") +
                               "\nadvance 1\nstate " + File("later.json") + "\n",
                           {"--world", File("world.json")});
    ASSERT_EQ(second.exitCode, 0) << second.err;

    EXPECT_EQ(ReadBytes(File("after.json")), ReadBytes(File("before.json")));
    EXPECT_EQ(ReadBytes(File("again.json")), ReadBytes(File("world.json")));
    EXPECT_EQ(nlohmann::json::parse(ReadBytes(File("world.json")))["craftSeed"], 99);

    // The second craft from the copy was a second short of done when the world was saved.
    auto later = nlohmann::json::parse(ReadBytes(File("later.json")));
    EXPECT_EQ(FindStateItem(later, 4, "4:1")["customData"][0]["floats"],
              nlohmann::json::parse("[1.0, 10.0, 5.0]"));
    EXPECT_EQ(FindStateItem(later, 1, "1:1")["customData"][0]["floats"],
              nlohmann::json::parse("[1.0, 10.0, 3.0]"));
    EXPECT_EQ(later["time"], 11.0);
    for (const auto& actor : later["actors"]) EXPECT_NE(actor["id"], 2);
}

#endif

}  // namespace
}  // namespace txltest
