#include "devserver/DevServerProcess.h"

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace txltest {
namespace {

constexpr std::chrono::seconds kExitWait(5);
constexpr std::chrono::seconds kScriptRunWait(60);

std::vector<std::string> CommandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> line;
#ifdef TXL_DEVSERVER
    line.push_back(TXL_DEVSERVER);
#endif
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

}  // namespace

DevServerRun RunDevServerProcess(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& scratch) {
    auto out = scratch / "devserver.out";
    auto err = scratch / "devserver.err";
    DevServerRun run;
    {
        ChildProcess process(CommandLine(arguments), out, err);
        run.exitCode = process.Wait(kScriptRunWait);
    }
    run.out = ReadTextFile(out);
    run.err = ReadTextFile(err);
    return run;
}

std::string ReadTextFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void WriteTextFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

DevServerChild::DevServerChild(const std::vector<std::string>& arguments,
                               const std::filesystem::path& scratch)
    : err_(scratch / "devserver-child.err"),
      process_(std::make_unique<ChildProcess>(CommandLine(arguments),
                                              scratch / "devserver-child.out", err_)) {}

DevServerChild::~DevServerChild() = default;

int DevServerChild::WaitForRconPort() {
    static const std::regex listening(R"(rcon: listening on [^ ]*:(\d+))");
    for (int attempt = 0; attempt < 200 && process_->Started(); ++attempt) {
        std::smatch match;
        std::string err = Err();
        if (std::regex_search(err, match, listening)) return std::stoi(match[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

int DevServerChild::Wait() {
    return process_->Wait(kExitWait);
}

int DevServerChild::Stop() {
    return process_->RequestStop() ? Wait() : -1;
}

std::string DevServerChild::Err() const {
    return ReadTextFile(err_);
}

nlohmann::json FindStateItem(const nlohmann::json& state, int actor, const std::string& id) {
    for (const auto& entry : state["actors"]) {
        if (entry["id"] != actor) continue;
        for (const auto& item : entry["items"]) {
            if (item["id"] == id) return item;
        }
    }
    return nullptr;
}

}  // namespace txltest
