#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "CommandInterpreter.h"
#include "DefaultWorld.h"
#include "FuzzCheck.h"
#include "FuzzProcess.h"
#include "FuzzTargets.h"
#include "GameSession.h"
#include "PopulateWorld.h"
#include "WorldFile.h"
#include "WorldFileError.h"
#include "config/LoadConfiguration.h"
#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/HookManager.h"
#include "emuhost/HostLog.h"
#include "plugin/HookTable.h"
#include "plugin/Registrations.h"
#include "plugin/Teardown.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

// A world file, then command lines as an RCON client sends them, through the dev server with the
// plug-in in place: a bad world is refused with a world-file error and nothing else, every
// command answers (no exception, no abort, no hang) and no engine buffer is left behind.
// Input: the world file's bytes, a NUL, then the command lines; without a NUL, the default
// world and every line a command.
namespace txlfuzz {
namespace {

constexpr std::size_t kMaxCommands = 64;

txl::devserver::WorldPlan LoadFuzzedWorld(std::string_view text, emu::Game& game) {
    const auto file = ScratchFolder() / "world.json";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    try {
        return txl::devserver::LoadWorldFile(file, game);
    } catch (const txl::devserver::WorldFileError&) {
        // Refused as a world file should be; the default world takes its place.
        game.Reset();
        return txl::devserver::LoadWorld(nlohmann::json::parse(txl::devserver::DefaultWorldJson()),
                                         "default world", game);
    }
}

void StartPlugin() {
    txl::PluginState& state = txl::State();
    std::ofstream(ScratchFolder() / "config.json", std::ios::binary | std::ios::trunc) << "{}";
    state.ConfigPath = (ScratchFolder() / "config.json").wstring();
    state.ReportPath = (ScratchFolder() / "processor-runtime.json").wstring();
    txl::CreateLogger();
    txl::LoadConfiguration();
    txl::InstallHooks();
    txl::RegisterTimerAndCommands();
}

void ResetHost() {
    emuhost::HookManager::Instance().Reset();
    emuhost::CommandRegistry::Instance().Reset();
}

}  // namespace

int FuzzDevServer(const std::uint8_t* data, std::size_t size) {
    StartQuietGame();
    const txl::PluginConfig savedConfig = txl::State().Config;
    emu::Game& game = emu::Game::Instance();
    ResetHost();
    game.Reset();
    const std::size_t baseline = emu::LiveAllocations();

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    txl::devserver::WorldPlan plan;
    std::string_view commands = input;
    if (split == std::string_view::npos) {
        plan = txl::devserver::LoadWorld(nlohmann::json::parse(txl::devserver::DefaultWorldJson()),
                                         "default world", game);
    } else {
        plan = LoadFuzzedWorld(input.substr(0, split), game);
        commands = input.substr(split + 1);
    }
    StartPlugin();
    {
        txl::devserver::GameSession session(game, ScratchFolder(), 10.0);
        txl::devserver::PopulateWorld(plan, game, session.Actors());
        txl::devserver::CommandInterpreter interpreter(session);
        std::size_t count = 0;
        while (!commands.empty() && count++ < kMaxCommands) {
            const std::size_t end = commands.find('\n');
            const std::string line(commands.substr(0, end));
            commands =
                end == std::string_view::npos ? std::string_view() : commands.substr(end + 1);
            if (interpreter.Execute(line, txl::devserver::CommandSource::Rcon).quit) break;
        }
    }
    txl::Teardown();
    ResetHost();
    game.Reset();
    TXL_FUZZ_CHECK(emu::LiveAllocations() == baseline);
    txl::State().Config = savedConfig;
    return 0;
}

}  // namespace txlfuzz
