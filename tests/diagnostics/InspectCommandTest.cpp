#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <nlohmann/json.hpp>

#include "diagnostics/InspectSupport.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/NameRegistry.h"
#include "emuhost/PluginLoader.h"
#include "support/EmulatedServer.h"

namespace {

using nlohmann::json;
using txltest::EmulatedServer;
using txltest::PluginFolder;

constexpr int kSuccess = 11;
const std::string kWritten = "7,0,Thalassovex runtime capture written to processor-runtime.json";
const std::string kFailed = "7,0,Thalassovex inspection failed; see API log";

// A server with the plug-in loaded from its own folder and an RCON client.
struct InspectScenario {
    explicit InspectScenario(const std::string& config = "{}")
        : classes(emu::DefineStandardClasses(server.Game())),
          folder(config),
          plugin(folder.Library()),
          connection(txltest::MakeRconConnection(server.Game())) {}

    emu::Game& Game() { return server.Game(); }
    std::filesystem::path Report() const { return folder.Path() / "processor-runtime.json"; }
    emu::Character* SpawnProcessor(float currentSuccess) {
        emu::Character* creature = Game().SpawnCreature(classes.processor, 50000);
        creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = currentSuccess;
        return creature;
    }
    bool Inspect() { return txltest::RunInspect(Game(), connection); }
    std::vector<std::string> Replies() { return txltest::RconReplies(Game()); }

    EmulatedServer server;
    emu::StandardClasses classes;
    PluginFolder folder;
    emuhost::LoadedPlugin plugin;
    emu::RconConnection* connection;
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

TEST(InspectCommand, CapturesEachClassOnceAndReleasesEveryEngineBuffer) {
    InspectScenario scenario;
    scenario.SpawnProcessor(-0.7f);
    scenario.Game().SpawnCreature(scenario.classes.creature, 50000);
    emu::Character* second = scenario.SpawnProcessor(-0.8f);
    scenario.Game().GiveItem(second->MyInventoryComponent,
                             txltest::ItemOf(scenario.classes.limitedBlueprint, true));
    auto live = emu::LiveAllocations();

    ASSERT_TRUE(scenario.Inspect());

    json report = json::parse(txltest::ReadBytes(scenario.Report()));
    ASSERT_EQ(report.at("animals").size(), 2u);
    EXPECT_EQ(report.at("animals")[0].at("uncappedSuccess"), 1.0 + static_cast<double>(-0.7f));
    EXPECT_EQ(report.at("animals")[1].at("items").size(), 1u);
    ASSERT_EQ(report.at("classes").size(), 1u);
    // The processor blueprint's event graph, limits function and tick; not its delegate.
    const json& functions = report.at("classes").at("Thalassovex_Character_BP_C").at("functions");
    ASSERT_EQ(functions.size(), 3u);
    EXPECT_EQ(functions[1].at("references").size(), 5u);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
    EXPECT_EQ(emu::LiveAllocations(), live);
}

TEST(InspectCommand, ReportsWhileEnforcementIsOffWithoutChangingAnything) {
    InspectScenario scenario(R"({"Enabled": false})");
    emu::Character* creature = scenario.SpawnProcessor(0.4f);

    ASSERT_TRUE(scenario.Inspect());

    json animal = json::parse(txltest::ReadBytes(scenario.Report())).at("animals").at(0);
    const double stored = 1.0 + static_cast<double>(0.4f);
    EXPECT_EQ(animal.at("uncappedSuccess"), stored);
    EXPECT_EQ(animal.at("effectiveSuccess"), stored);
    // No enforcement ran, so no layout was discovered.
    EXPECT_FALSE(animal.contains("chance"));
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], 0.4f);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
}

// Reading "effectiveSuccess" goes through the status detour, which enforces the creature on the
// class's first sight; the layout it creates already fills the same record.
TEST(InspectCommand, EffectiveSuccessPassesThroughTheStatusDetour) {
    InspectScenario scenario;
    emu::Character* creature = scenario.SpawnProcessor(0.4f);
    creature->MyCharacterStatusComponent->MaxStatusValues[kSuccess] = 0.8f;
    auto* chance = emu::FindDeclaredProperty(scenario.Game(), &scenario.classes.processor->Base,
                                             "SuccessRateCap");
    emu::PropertyValue<float>(creature, chance) = 1.0f;

    ASSERT_TRUE(scenario.Inspect());

    json animal = json::parse(txltest::ReadBytes(scenario.Report())).at("animals").at(0);
    EXPECT_EQ(animal.at("uncappedSuccess"), 1.0 + static_cast<double>(0.4f));
    EXPECT_EQ(animal.at("effectiveSuccess"), 0.5);
    EXPECT_EQ(animal.at("maximumSuccess"), 0.5);
    EXPECT_EQ(animal.at("chance"), 0.5);
    EXPECT_EQ(animal.at("maxCrafts"), 50);
    EXPECT_EQ(creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess], -0.5f);
    EXPECT_EQ(scenario.Replies(), std::vector<std::string>{kWritten});
}

// Writes a first report, then expects the second run to fail and leave it byte for byte.
class FailedInspection : public ::testing::Test {
  protected:
    void WriteEarlierReport() {
        processor = scenario.SpawnProcessor(-0.7f);
        ASSERT_TRUE(scenario.Inspect());
        earlier = txltest::ReadBytes(scenario.Report());
        ASSERT_FALSE(earlier.empty());
        entries = txltest::FolderEntries(scenario.folder.Path());
        scenario.Game().Log().Clear();
    }

    void ExpectFailureKeptEarlierReport(const std::string& error) {
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

TEST_F(FailedInspection, TextThatIsNotUtf8KeepsTheEarlierReport) {
    WriteEarlierReport();
    emu::Character* creature = scenario.SpawnProcessor(-0.7f);
    emu::ItemSpec item = txltest::ItemOf(scenario.classes.resource);
    item.customDescription = std::wstring(L"broken ") + static_cast<wchar_t>(0xD800);
    scenario.Game().GiveItem(creature->MyInventoryComponent, item);
    auto live = emu::LiveAllocations();

    ASSERT_TRUE(scenario.Inspect());

    ExpectFailureKeptEarlierReport("[json.exception.type_error.316]");
    EXPECT_EQ(emu::LiveAllocations(), live);
}

TEST_F(FailedInspection, AFailingActorQueryKeepsTheEarlierReport) {
    WriteEarlierReport();
    scenario.Game().FailCall("GetAllActorsOfClass");

    ASSERT_TRUE(scenario.Inspect());

    ExpectFailureKeptEarlierReport("Game call failed: GetAllActorsOfClass");
    // Unlike the enforcement boundaries, a failed inspection leaves the limiter on.
    emu::StatusComponent* status = processor->MyCharacterStatusComponent;
    status->CurrentStatusValues[kSuccess] = 0.4f;
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(status, kSuccess), -0.5f);
}

#if !defined(_WIN32)
// The folder refuses new files; root is kept out by acting as an unprivileged user meanwhile.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(const std::filesystem::path& folder) : folder_(folder) {
        chmod(folder_.c_str(), 0555);
        if (geteuid() == 0 && seteuid(65534) == 0) switched_ = true;
    }
    ~UnwritableFolder() {
        if (switched_ && seteuid(0) != 0) std::abort();
        chmod(folder_.c_str(), 0755);
    }

  private:
    std::filesystem::path folder_;
    bool switched_ = false;
};

#endif

TEST_F(FailedInspection, AnUnwritableFolderKeepsTheEarlierReport) {
#if defined(_WIN32)
    GTEST_SKIP() << "a read-only folder on Windows still takes new files, and file access "
                    "rights are not set up by this test";
#else
    WriteEarlierReport();
    {
        UnwritableFolder unwritable(scenario.folder.Path());
        ASSERT_TRUE(scenario.Inspect());
    }
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
    EXPECT_EQ(scenario.server.Logs().Messages("error")[0],
              "Thalassovex inspection failed: Could not write diagnostic report");
#endif
}

TEST_F(FailedInspection, AReadOnlyReportIsLeftAsItIs) {
    WriteEarlierReport();
    const auto report = scenario.Report();
    std::filesystem::permissions(report, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
    ASSERT_TRUE(scenario.Inspect());
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
    EXPECT_EQ(std::filesystem::status(report).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
}

TEST_F(FailedInspection, AReportThisProcessMayNotWriteIsLeftAsItIs) {
#if defined(_WIN32)
    GTEST_SKIP() << "acting as another user needs POSIX user ids";
#else
    if (geteuid() != 0) GTEST_SKIP() << "needs to act as another user";
    WriteEarlierReport();
    // Writable by its owner only, in a folder anyone may write; the inspection runs as another
    // user.
    chmod(scenario.Report().c_str(), 0644);
    chmod(scenario.folder.Path().c_str(), 0777);
    ASSERT_EQ(seteuid(65534), 0);
    const bool ran = scenario.Inspect();
    if (seteuid(0) != 0) std::abort();
    chmod(scenario.folder.Path().c_str(), 0755);
    ASSERT_TRUE(ran);
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
#endif
}

TEST(InspectCommand, ReleasesThatFailInsideDestructorsAreLoggedNotThrown) {
    InspectScenario scenario;
    scenario.SpawnProcessor(-0.7f);
    emuhost::NameRegistry::Instance().FailResolution("FMemory.Free(void*)");
    const bool ran = scenario.Inspect();
    emuhost::NameRegistry::Instance().ClearFaults();

    ASSERT_TRUE(ran);
    EXPECT_EQ(scenario.Replies().size(), 1u);
    const auto errors = scenario.server.Logs().Messages("error");
    ASSERT_FALSE(errors.empty());
    for (const std::string& line : errors)
        EXPECT_EQ(line,
                  "Thalassovex buffer release failed: Host call failed for "
                  "'FMemory.Free(void*)'");
}

TEST(InspectCommand, AReportThatIsALinkIsWrittenThroughAndStaysALink) {
    InspectScenario scenario;
    txltest::PluginFolder elsewhere;
    const auto target = elsewhere.Path() / "kept-here.json";
    std::error_code error;
    std::filesystem::create_symlink(target, scenario.Report(), error);
    // Windows grants symbolic links only with a privilege, and wine makes none.
    if (error) GTEST_SKIP() << "this system cannot create a symbolic link: " << error.message();

    ASSERT_TRUE(scenario.Inspect());
    ASSERT_TRUE(scenario.Inspect());

    EXPECT_TRUE(std::filesystem::is_symlink(scenario.Report()));
    EXPECT_EQ(txltest::ReadBytes(target), "{\n  \"animals\": [],\n  \"classes\": {}\n}");
    EXPECT_EQ(scenario.Replies(), (std::vector<std::string>{kWritten, kWritten}));
    EXPECT_FALSE(std::filesystem::exists(elsewhere.Path() / "kept-here.json.tmp"));
}

// The file size limit makes the write fall short after the temporary file was created.
TEST_F(FailedInspection, AShortWriteRemovesTheTemporaryFile) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no file size limit to make a write fall short";
#else
    WriteEarlierReport();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    bool ran = scenario.Inspect();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    ASSERT_TRUE(ran);
    ExpectFailureKeptEarlierReport("Could not write diagnostic report");
#endif
}

}  // namespace
