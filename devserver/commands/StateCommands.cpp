#include <fstream>

#include "CommandTable.h"
#include "PopulateWorld.h"
#include "WorldFile.h"
#include "WorldSave.h"
#include "WorldState.h"

// state, save, restart, config.
namespace txl::devserver {
namespace {

void WriteTextFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << text;
    stream.close();
    if (!stream) throw CommandError("cannot write " + file.string());
}

}  // namespace

std::string RunState(CommandContext& context) {
    // Invalid UTF-8 in a description is replaced rather than failing the whole document.
    std::string text = DescribeWorld(context.session)
                           .dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    if (context.words.Size() == 1) return text;
    if (context.source == CommandSource::Rcon)
        throw CommandError("writing a file is for the console and scripts; use 'state' alone");
    WriteTextFile(context.words[1], text + "\n");
    return {};
}

std::string RunSave(CommandContext& context) {
    if (context.source == CommandSource::Rcon)
        throw CommandError("writing a file is for the console and scripts");
    std::string text =
        SaveWorld(context.session).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    WriteTextFile(context.words[1], text + "\n");
    return {};
}

std::string RunRestart(CommandContext& context) {
    GameSession& session = context.session;
    // Through the text `save` writes, so that only what a world file holds survives.
    const nlohmann::json saved = nlohmann::json::parse(
        SaveWorld(session).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    session.UnloadPlugin();
    session.Game().Reset();
    session.OpenConnection();
    WorldPlan plan = LoadWorld(saved, "restart", session.Game());
    session.LoadPlugin();
    RestoreWorld(plan, session);
    return {};
}

std::string RunConfig(CommandContext& context) {
    const std::string& action = context.words[1];
    std::filesystem::path file = context.session.PluginDir() / "config.json";
    if (action == "show" && context.words.Size() == 2) {
        std::ifstream stream(file, std::ios::binary);
        if (!stream) throw CommandError("cannot read " + file.string());
        std::string text((std::istreambuf_iterator<char>(stream)),
                         std::istreambuf_iterator<char>());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }
    if (action == "write" && context.words.Size() >= 3) {
        // Written as given, broken or not: trying the plug-in's refusal is the point.
        WriteTextFile(file, context.words.RawFrom(2) + "\n");
        return {};
    }
    throw CommandError("usage: config show | config write JSON");
}

}  // namespace txl::devserver
