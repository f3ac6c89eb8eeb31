#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "GameSession.h"
#include "PopulateWorld.h"
#include "WorldFile.h"
#include "devserver/DevServerProcess.h"
#include "support/EmulatedServer.h"

namespace {

// The ```json blocks of the README's section on world files.
std::vector<std::string> WorldFileExamples() {
    std::string readme = txltest::ReadTextFile(std::filesystem::path(TXL_SOURCE_DIR) / "README.md");
    auto start = readme.find("### World files");
    auto end = readme.find("\n### ", start + 1);
    std::string section = readme.substr(start, end - start);
    std::vector<std::string> blocks;
    for (auto open = section.find("```json\n"); open != std::string::npos;
         open = section.find("```json\n", open + 1)) {
        auto body = open + 8;
        blocks.push_back(section.substr(body, section.find("```", body) - body));
    }
    return blocks;
}

TEST(DevServerReadme, EveryWorldFileExampleLoadsAsWritten) {
    auto examples = WorldFileExamples();
    ASSERT_FALSE(examples.empty());
    for (const std::string& example : examples) {
        txltest::EmulatedServer server;
        txltest::PluginFolder folder;
        txl::devserver::GameSession session(server.Game(), folder.Path(), 1.0);
        try {
            auto plan =
                txl::devserver::LoadWorld(nlohmann::json::parse(example), "README", server.Game());
            txl::devserver::RestoreWorld(plan, session);
            EXPECT_FALSE(plan.actors.empty());
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what() << "\n" << example;
        }
    }
}

}  // namespace
