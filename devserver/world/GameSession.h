#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "ActorTable.h"
#include "SimulatedClock.h"
#include "emugame/Game.h"
#include "emugame/World.h"

namespace txl::devserver {

// The emulated server as the commands see it: the game and its actors, the clock, the plug-in
// folder, and the RCON connection through which the plug-in's commands reply.
class GameSession {
  public:
    GameSession(emu::Game& game, std::filesystem::path pluginDir, double timerInterval);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    emu::Game& Game() { return game_; }
    ActorTable& Actors() { return actors_; }
    SimulatedClock& Clock() { return clock_; }
    const std::filesystem::path& PluginDir() const { return pluginDir_; }
    // The world file's class definitions and comment, which `save` writes back.
    const nlohmann::ordered_json& WorldDefinitions() const { return definitions_; }
    void SetWorldDefinitions(nlohmann::ordered_json definitions) {
        definitions_ = std::move(definitions);
    }

    // Called after each step of the clock (a stretch of crafting, a timer tick), so that what
    // the game did is told in order.
    void SetAfterStep(std::function<void()> afterStep) { afterStep_ = std::move(afterStep); }

    // How `restart` unloads the plug-in and loads it again; unset, there is no plug-in to cycle.
    void SetPluginCycle(std::function<void()> unload, std::function<void()> load) {
        unloadPlugin_ = std::move(unload);
        loadPlugin_ = std::move(load);
    }
    void UnloadPlugin() {
        if (unloadPlugin_) unloadPlugin_();
    }
    void LoadPlugin() {
        if (loadPlugin_) loadPlugin_();
    }
    // A new connection for the plug-in's replies, after the game was reset under the old one.
    void OpenConnection();

    // Runs a command the plug-in registered; false when none has that name. The replies it
    // sends, in order and one per line, end up in `reply`.
    bool RunPluginCommand(const std::string& line, std::string& reply);

  private:
    emu::Game& game_;
    ActorTable actors_;
    SimulatedClock clock_;
    std::filesystem::path pluginDir_;
    nlohmann::ordered_json definitions_ = nlohmann::ordered_json::object();
    std::function<void(int32, int32, const std::string&)> deliver_;
    std::function<void()> afterStep_;
    std::function<void()> unloadPlugin_;
    std::function<void()> loadPlugin_;
    emu::RconConnection* connection_ = nullptr;
    FWeakObjectPtr connectionRef_;
    std::string* collecting_ = nullptr;
    int32 nextPacketId_ = 1;
};

}  // namespace txl::devserver
