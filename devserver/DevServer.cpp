#include "DevServer.h"

#include <spdlog/logger.h>

#include <fstream>
#include <iostream>
#include <optional>

#include "AsaApi/Logging.h"
#include "CommandRunner.h"
#include "DefaultWorld.h"
#include "InputLoop.h"
#include "PopulateWorld.h"
#include "RemoteConsole.h"
#include "StopSignals.h"
#include "WorldFile.h"
#include "WorldFileError.h"
#include "emuhost/HostLog.h"
#include "emuhost/PluginLoader.h"

namespace txl::devserver {
namespace {

std::shared_ptr<spdlog::logger> MakeLogger() {
    auto& sinks = GetLogSinks();
    auto logger = std::make_shared<spdlog::logger>("DevServer", sinks.begin(), sinks.end());
    logger->set_pattern("%D %R [%n][%l] %v");
    logger->flush_on(spdlog::level::info);
    return logger;
}

int StartFailed(const std::string& message) {
    std::cerr << "txl-devserver: " << message << std::endl;
    return kExitStartFailed;
}

}  // namespace

int RunDevServer(const DevServerOptions& options) {
    if (options.help) {
        std::cout << UsageText();
        return kExitOk;
    }
    if (options.printDefaultWorld) {
        std::cout << DefaultWorldJson();
        return kExitOk;
    }
    // Everything that can be refused is checked before the plug-in is loaded.
    auto library = options.pluginDir / emuhost::PluginLibraryFileName("ThalassovexCraftingControl");
    if (!options.noPlugin && !std::filesystem::exists(library))
        return StartFailed("no plug-in library " + library.string());
    std::ifstream script;
    if (options.script) {
        script.open(*options.script);
        if (!script) return StartFailed("cannot open script " + options.script->string());
    }

    // Before the listener announces its port: a stop asked for during start-up is honoured once the
    // world is up, never by the default action that skips the plug-in's unload.
    InstallStopSignals();
    emu::Game& game = emu::Game::Instance();
    game.Start();
    WorldPlan plan;
    try {
        plan = options.world
                   ? LoadWorldFile(*options.world, game)
                   : LoadWorld(nlohmann::json::parse(DefaultWorldJson()), "default world", game);
    } catch (const WorldFileError& error) {
        return StartFailed(error.what());
    }

    emuhost::ConfigureLogSinks(true, options.pluginDir / "logs" / "txl-devserver.log");
    auto logger = MakeLogger();
    std::unique_ptr<RemoteConsole> remote;
    if (options.rconPort) {
        try {
            remote = std::make_unique<RemoteConsole>(options, logger);
        } catch (const std::exception& error) {
            return StartFailed("cannot listen for RCON on " + options.rconBind + ":" +
                               std::to_string(*options.rconPort) + ": " + error.what());
        }
    }
    std::optional<emuhost::LoadedPlugin> plugin;
    try {
        if (!options.noPlugin) plugin.emplace(library);
    } catch (const std::exception& error) {
        return StartFailed(error.what());
    }
    GameSession session(game, options.pluginDir, options.timerInterval);
    if (plugin) {
        session.SetPluginCycle([&plugin] { plugin->Unload(); },
                               [&plugin, &library] { plugin.emplace(library); });
    }
    RestoreWorld(plan, session, options.seed);
    CommandRunner runner(session, std::cout, options.echo, logger);
    if (plugin) {
        logger->info("world ready: {} actors; plug-in loaded from {}", plan.actors.size(),
                     options.pluginDir.string());
    } else {
        logger->info("world ready: {} actors; plug-in not loaded (--no-plugin)",
                     plan.actors.size());
    }

    if (remote) remote->Attach(&runner);

    int exitCode = options.script ? RunScript(runner, script, remote.get())
                                  : RunInteractive(runner, options, remote.get(), *logger);

    if (remote) remote->Stop();
    if (plugin) {
        logger->info("stopping: unloading the plug-in");
        plugin->Unload();
    }
    StopFinished();
    return exitCode;
}

}  // namespace txl::devserver
