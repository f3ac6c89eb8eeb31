#include "CommandInterpreter.h"

#include <algorithm>
#include <cctype>
#include <exception>

#include "emuhost/CommandRegistry.h"

namespace txl::devserver {
namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

CommandResult Failure(const std::string& message) {
    CommandResult result;
    result.ok = false;
    result.reply = "error: " + message;
    std::replace(result.reply.begin(), result.reply.end(), '\n', ' ');
    return result;
}

// Only `config write` takes the rest of the line as it stands, stray quotes included.
bool TakesRawText(const std::string& name, const CommandWords& words) {
    return name == "config" && words.Size() >= 2 && words[1] == "write";
}

}  // namespace

CommandResult CommandInterpreter::Execute(const std::string& typed, CommandSource source) {
    // Many remote consoles end each command with CR/LF.
    const std::string line = typed.substr(0, typed.find_last_not_of(" \t\r\n") + 1);
    auto start = line.find_first_not_of(" \t\r\n");
    std::string name =
        start == std::string::npos
            ? std::string()
            : LowerCase(line.substr(start, line.find_first_of(" \t\r\n", start) - start));
    try {
        CommandWords words(line);
        if (words.Empty()) return {};
        if (words.UnterminatedQuote() && !TakesRawText(name, words))
            throw CommandError("unterminated quote");
        if (name == "help") return {true, HelpText(), false};
        if (name == "quit") return {true, "", true};
        for (const CommandSpec& spec : DevServerCommands()) {
            if (name != spec.name) continue;
            if (words.Size() < spec.minWords || words.Size() > spec.maxWords)
                return Failure(name + ": usage: " + spec.usage);
            CommandContext context{session_, words, source};
            return {true, spec.run(context), false};
        }
        CommandResult result;
        if (session_.RunPluginCommand(words.RawFrom(0), result.reply)) return result;
        return Failure("unknown command '" + words[0] + "' (type 'help')");
    } catch (const std::exception& error) {
        return Failure(name.empty() ? error.what() : name + ": " + error.what());
    }
}

std::vector<std::string> CommandNames() {
    std::vector<std::string> names{"help", "quit"};
    for (const CommandSpec& spec : DevServerCommands()) names.emplace_back(spec.name);
    for (const std::string& name : emuhost::CommandRegistry::Instance().RconCommandNames())
        names.push_back(name);
    return names;
}

std::string CommandInterpreter::HelpText() const {
    std::string text = "Commands (actor ids are the numbers spawn prints, item ids A:B):\n";
    text +=
        "  help                    this list\n  quit                    unload the plug-in and "
        "stop\n";
    for (const CommandSpec& spec : DevServerCommands()) {
        std::string usage = spec.usage;
        text += "  " + usage + "\n      " + spec.summary + "\n";
    }
    auto names = emuhost::CommandRegistry::Instance().RconCommandNames();
    text += "RCON commands of the plug-in:";
    if (names.empty()) text += " (none registered)";
    for (const std::string& registered : names) text += "\n  " + registered;
    return text;
}

}  // namespace txl::devserver
