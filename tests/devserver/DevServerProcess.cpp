#include "devserver/DevServerProcess.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace txltest {
namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

DevServerRun RunDevServerProcess(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& scratch) {
#ifdef TXL_DEVSERVER
    std::string command = Quoted(TXL_DEVSERVER);
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    auto out = scratch / "devserver.out";
    auto err = scratch / "devserver.err";
    command += " </dev/null >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
    int status = std::system(command.c_str());
    DevServerRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadTextFile(out);
    run.err = ReadTextFile(err);
    return run;
#else
    (void)arguments;
    (void)scratch;
    return {};
#endif
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
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

}  // namespace txltest
