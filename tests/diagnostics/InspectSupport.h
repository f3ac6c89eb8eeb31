#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "emugame/Game.h"
#include "emugame/World.h"

// Helpers for running the inspect command and reading what it left behind.
namespace txltest {

emu::RconConnection* MakeRconConnection(emu::Game& game);
// Replies the game sent over RCON, as it journals them: "id,type,text".
std::vector<std::string> RconReplies(emu::Game& game);
// Runs "Thalassovex.Inspect" through the host, as an RCON client would, with packet id 7.
bool RunInspect(emu::Game& game, emu::RconConnection* connection);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& text);
// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

emu::ItemSpec ItemOf(emu::Class* cls, bool blueprint = false, bool engram = false);

// The sixteen hex digits a script holds for an object's address.
std::string AddressHex(const void* object);

}  // namespace txltest
