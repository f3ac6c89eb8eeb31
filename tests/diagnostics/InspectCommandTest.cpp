#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "diagnostics/InspectSupport.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emuhost/NameRegistry.h"

namespace {

using nlohmann::json;
using txltest::EarlierReport;

using txltest::InspectScenario;
using txltest::kFailed;
using txltest::kSuccess;
using txltest::kWritten;

TEST(InspectCommand, WithNoProcessorWritesAnEmptyReport) {
    InspectScenario scenario;
    scenario.Game().SpawnCreature(scenario.classes.creature, 50000);
    auto live = emu::LiveAllocations();

    ASSERT_TRUE(scenario.Inspect());

    EXPECT_EQ(txltest::ReadBytes(scenario.Report()), "{\n  \"animals\": [],\n  \"classes\": {}\n}");
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

TEST_F(EarlierReport, TextThatIsNotUtf8KeepsTheEarlierReport) {
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

TEST_F(EarlierReport, AFailingActorQueryKeepsTheEarlierReport) {
    WriteEarlierReport();
    scenario.Game().FailCall("GetAllActorsOfClass");

    ASSERT_TRUE(scenario.Inspect());

    ExpectFailureKeptEarlierReport("Game call failed: GetAllActorsOfClass");
    // Unlike the enforcement boundaries, a failed inspection leaves the limiter on.
    emu::StatusComponent* status = processor->MyCharacterStatusComponent;
    status->CurrentStatusValues[kSuccess] = 0.4f;
    EXPECT_EQ(emu::calls::BPGetCurrentStatusValue(status, kSuccess), -0.5f);
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

}  // namespace
