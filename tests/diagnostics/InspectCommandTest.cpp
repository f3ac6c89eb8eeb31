#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <nlohmann/json.hpp>

#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/NameRegistry.h"
#include "processor/ProcessorTestWorld.h"

// "Thalassovex.Inspect" as an RCON client runs it, and how its report replaces the earlier one:
// never through what another user planted beside it, keeping what the administrator set on it,
// and leaving nothing behind when it fails.
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using txltest::kSuccess;

const std::string kWritten = "7,0,Thalassovex runtime capture written to processor-runtime.json";
const std::string kFailed = "7,0,Thalassovex inspection failed; see API log";

// A server with the plug-in loaded from its own folder and an RCON client.
struct InspectScenario {
    explicit InspectScenario(const std::string& config = "{}")
        : classes(emu::DefineStandardClasses(server.Game())),
          plugin(config),
          folder(plugin.Folder()),
          connection(txltest::OpenConnection(server.Game())) {}

    emu::Game& Game() { return server.Game(); }
    std::filesystem::path Report() const { return folder.Path() / "processor-runtime.json"; }
    emu::Character* SpawnProcessor(float currentSuccess) {
        emu::Character* creature = Game().SpawnCreature(classes.processor, 50000);
        creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = currentSuccess;
        return creature;
    }
    // As an RCON client would, with packet id 7; true if the host found the command.
    bool Inspect() {
        if (!emuhost::CommandRegistry::Instance().HasRconCommand("Thalassovex.Inspect"))
            return false;
        txltest::RunCommand(Game(), "Thalassovex.Inspect", connection, 7);
        return true;
    }
    std::vector<std::string> Replies() { return txltest::Replies(Game()); }

    txltest::EmulatedServer server;
    emu::StandardClasses classes;
    txltest::LoadedPluginFolder plugin;
    txltest::PluginFolder& folder;
    emu::RconConnection* connection;
};

#if !defined(_WIN32)
// Acts as an unprivileged user for a scope, so that root's rights do not hide a refusal.
class ActingAsNobody {
  public:
    ActingAsNobody() : switched_(geteuid() == 0 && seteuid(65534) == 0) {}
    ~ActingAsNobody() {
        if (switched_ && seteuid(0) != 0) std::abort();
    }

  private:
    bool switched_;
};
#endif

// Writes a first report, then expects later runs to fail and leave it byte for byte.
class ReportFile : public ::testing::Test {
  protected:
    void WriteEarlierReport() {
        processor = scenario.SpawnProcessor(-0.7f);
        ASSERT_TRUE(scenario.Inspect());
        earlier = txltest::ReadBytes(scenario.Report());
        ASSERT_FALSE(earlier.empty());
        entries = txltest::FolderEntries(scenario.folder.Path());
        scenario.Game().Log().Clear();
    }

    void InspectExpectingFailure(const std::string& error) {
        scenario.Game().Log().Clear();
        scenario.server.Logs().Clear();
        ASSERT_TRUE(scenario.Inspect());
        EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kFailed});
        EXPECT_EQ(txltest::ReadBytes(scenario.Report()), earlier);
        EXPECT_EQ(txltest::FolderEntries(scenario.folder.Path()), entries);
        auto errors = scenario.server.Logs().Messages("error");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind("Thalassovex inspection failed: " + error, 0), 0u) << errors[0];
    }

    InspectScenario scenario;
    emu::Character* processor = nullptr;
    std::string earlier;
    std::vector<std::string> entries;
};

TEST(InspectCommand, WithNoProcessorWritesAnEmptyReport) {
    InspectScenario scenario;
    scenario.Game().SpawnCreature(scenario.classes.creature, 50000);
    auto live = emu::LiveAllocations();

    ASSERT_TRUE(scenario.Inspect());

    EXPECT_EQ(txltest::ReadBytes(scenario.Report()), "{\n  \"animals\": [],\n  \"classes\": {}\n}");
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
    EXPECT_EQ(emu::LiveAllocations(), live);
}

// Reading "effectiveSuccess" goes through the status detour, which enforces the creature on the
// class's first sight; the layout it creates already fills the same record. Switched off, the
// inspection changes nothing and, with no layout discovered, reports no chance.
TEST(InspectCommand, EffectiveSuccessPassesThroughTheStatusDetour) {
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        InspectScenario scenario(enabled ? "{}" : R"({"Enabled": false})");
        emu::Character* creature = scenario.SpawnProcessor(0.4f);
        creature->MyCharacterStatusComponent->MaxStatusValues[kSuccess] = 0.8f;
        auto* chance = emu::FindDeclaredProperty(scenario.Game(), &scenario.classes.processor->Base,
                                                 "SuccessRateCap");
        emu::PropertyValue<float>(creature, chance) = 1.0f;

        ASSERT_TRUE(scenario.Inspect());

        json animal = json::parse(txltest::ReadBytes(scenario.Report())).at("animals").at(0);
        const double stored = 1.0 + static_cast<double>(0.4f);
        EXPECT_EQ(animal.at("uncappedSuccess"), stored);
        EXPECT_EQ(animal.at("effectiveSuccess"), enabled ? 0.5 : stored);
        EXPECT_EQ(animal.contains("chance"), enabled);
        if (enabled) {
            EXPECT_EQ(animal.at("maximumSuccess"), 0.5);
            EXPECT_EQ(animal.at("chance"), 0.5);
            EXPECT_EQ(animal.at("maxCrafts"), 50);
        }
        EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess],
                  enabled ? -0.5f : 0.4f);
        EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
    }
}

// A release that fails ends the command like any other host failure; the one of the actor array,
// met while that failure unwinds, is logged and the rest goes on.
TEST(InspectCommand, AFailingReleaseFailsTheInspectionAndIsLoggedWhileUnwinding) {
    InspectScenario scenario;
    scenario.SpawnProcessor(-0.7f);
    emuhost::NameRegistry::Instance().FailResolution("FMemory.Free(void*)");
    const bool ran = scenario.Inspect();
    emuhost::NameRegistry::Instance().ClearFaults();

    ASSERT_TRUE(ran);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kFailed});
    const std::string failure = "Host call failed for 'FMemory.Free(void*)'";
    EXPECT_EQ(scenario.server.Logs().Messages("error"),
              (std::vector<std::string>{"Thalassovex buffer release failed: " + failure,
                                        "Thalassovex inspection failed: " + failure,
                                        "Thalassovex hook failed: " + failure}));
}

// Whatever ends an inspection, the earlier report stays byte for byte, nothing is left beside
// it and, unlike at the enforcement boundaries, the limiter stays on.
TEST_F(ReportFile, AFailureKeepsTheEarlierReportAndTheLimiterOn) {
    WriteEarlierReport();
    auto live = emu::LiveAllocations();
    scenario.Game().FailCall("GetAllActorsOfClass");
    InspectExpectingFailure("Game call failed: GetAllActorsOfClass");
    // Read-only by its mode, or writable by its owner only while another user runs the
    // inspection in a folder anyone may write: a rename would replace it regardless.
    const fs::path report = scenario.Report();
    fs::permissions(report, fs::perms::owner_write, fs::perm_options::remove);
    InspectExpectingFailure("Could not write diagnostic report");
    fs::permissions(report, fs::perms::owner_write, fs::perm_options::add);
#if !defined(_WIN32)
    // The file size limit makes the write fall short after the scratch file was created.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    InspectExpectingFailure("Could not write diagnostic report");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    if (geteuid() == 0) {
        chmod(scenario.folder.Path().c_str(), 0777);
        ActingAsNobody nobody;
        InspectExpectingFailure("Could not write diagnostic report");
    }
#endif
    EXPECT_EQ(emu::LiveAllocations(), live);
    emu::ItemSpec item;
    item.itemClass = scenario.classes.resource;
    item.customDescription = std::wstring(L"broken ") + static_cast<wchar_t>(0xD800);
    scenario.Game().GiveItem(processor->MyInventoryComponent, item);
    live = emu::LiveAllocations();
    InspectExpectingFailure("[json.exception.type_error.316]");
    EXPECT_EQ(emu::LiveAllocations(), live);

    emu::StatusComponent* status = processor->MyCharacterStatusComponent;
    status->CurrentStatusValues[kSuccess] = 0.4f;
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(status, kSuccess), -0.5f);
}

TEST_F(ReportFile, WhatIsPlantedAtTheOldScratchNameIsNeitherFollowedNorInTheWay) {
    WriteEarlierReport();
    txltest::PluginFolder elsewhere;
    const fs::path victim = elsewhere.Path() / "victim";
    txltest::WriteBytes(victim, "victim");
    const fs::path planted = fs::path(scenario.Report()) += ".tmp";
    std::error_code linkError;
    fs::create_symlink(victim, planted, linkError);
    if (!linkError) {
        ASSERT_TRUE(scenario.Inspect());
        EXPECT_EQ(txltest::ReadBytes(victim), "victim");
        EXPECT_TRUE(fs::is_symlink(planted));
        fs::remove(planted);
    }
    fs::create_directory(planted);
    ASSERT_TRUE(scenario.Inspect());
    EXPECT_TRUE(fs::is_directory(planted));
    EXPECT_EQ(txltest::ReadBytes(scenario.Report()), earlier);
    entries.push_back("processor-runtime.json.tmp");
    EXPECT_EQ(txltest::FolderEntries(scenario.folder.Path()), entries);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>(linkError ? 1 : 2, kWritten));
}

TEST_F(ReportFile, TheNewReportKeepsTheModeOwnerAndAttributesOfTheEarlierOne) {
    WriteEarlierReport();
    const fs::path report = scenario.Report();
#if defined(_WIN32)
    ASSERT_TRUE(SetFileAttributesW(report.c_str(), FILE_ATTRIBUTE_HIDDEN));
    // Wine keeps no such attribute on a Unix file system.
    const bool hidden = (GetFileAttributesW(report.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
    ASSERT_EQ(chmod(report.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(report.c_str(), 65534, 65534), 0);
    }
#endif
    scenario.SpawnProcessor(-0.8f);

    ASSERT_TRUE(scenario.Inspect());

    EXPECT_NE(txltest::ReadBytes(report), earlier);
    EXPECT_EQ(txltest::FolderEntries(scenario.folder.Path()), entries);
#if defined(_WIN32)
    EXPECT_EQ((GetFileAttributesW(report.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0, hidden);
#else
    struct stat status {};
    ASSERT_EQ(stat(report.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(status.st_uid, 65534u);
        EXPECT_EQ(status.st_gid, 65534u);
    }
#endif
}

TEST_F(ReportFile, AFolderThatTakesNoNewFileHasTheReportWrittenInPlaceIfItIsWritable) {
#if defined(_WIN32)
    GTEST_SKIP() << "a read-only folder on Windows still takes new files";
#else
    WriteEarlierReport();
    const fs::path report = scenario.Report();
    const fs::path folder = scenario.folder.Path();
    struct stat before {};
    ASSERT_EQ(stat(report.c_str(), &before), 0);
    chmod(folder.c_str(), 0555);
    chmod(report.c_str(), 0666);
    scenario.SpawnProcessor(-0.8f);
    scenario.Game().Log().Clear();
    {
        ActingAsNobody nobody;
        ASSERT_TRUE(scenario.Inspect());
    }
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
    EXPECT_EQ(nlohmann::json::parse(txltest::ReadBytes(report)).at("animals").size(), 2u);
    struct stat after {};
    ASSERT_EQ(stat(report.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
#endif
}

// The administrator's link is written through and stays a link; one another user planted at the
// report's name is not followed.
TEST_F(ReportFile, AReportLinkIsFollowedOnlyWhenTheAdministratorMadeIt) {
    txltest::PluginFolder elsewhere;
    const fs::path target = elsewhere.Path() / "kept-here.json";
    std::error_code error;
    fs::create_symlink(target, scenario.Report(), error);
    // Windows grants symbolic links only with a privilege, and wine makes none.
    if (error) GTEST_SKIP() << "this system cannot create a symbolic link: " << error.message();
    WriteEarlierReport();
    ASSERT_TRUE(fs::is_symlink(scenario.Report()));
    EXPECT_EQ(txltest::ReadBytes(target), earlier);
    // Beside the target: the plug-in's copy, its configuration and the report, nothing more.
    EXPECT_EQ(txltest::FolderEntries(elsewhere.Path()).size(), 3u);
#if !defined(_WIN32)
    if (geteuid() != 0) return;
    ASSERT_EQ(lchown(scenario.Report().c_str(), 65534, 65534), 0);
    InspectExpectingFailure("Could not write diagnostic report");
#endif
}

}  // namespace
