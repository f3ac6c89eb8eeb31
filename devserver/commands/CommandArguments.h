#pragma once

#include <optional>
#include <string>

#include "GameSession.h"

namespace txl::devserver {

// Argument readers for the commands; each throws CommandError naming the bad argument.
emu::Actor* ActorArgument(GameSession& session, const std::string& word);
emu::Character* CreatureArgument(GameSession& session, const std::string& word);
emu::ItemContainer* ContainerArgument(GameSession& session, const std::string& word);
FItemNetID ItemIdArgument(const std::string& word);
// The first item with that id in the actor's inventory.
emu::Item* ItemArgument(GameSession& session, emu::Actor* actor, const std::string& word);
long long IntegerArgument(const std::string& word, const std::string& what, long long low,
                          long long high);
// A decimal number; "nan", "inf" and "-inf" are accepted for trying the plug-in's checks.
double NumberArgument(const std::string& word, const std::string& what);
// The value of "key=value", or nothing when the word has another form.
std::optional<std::string> KeyValue(const std::string& word, const std::string& key);

}  // namespace txl::devserver
