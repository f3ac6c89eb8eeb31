#include "devserver/DevServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

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
    for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
    auto out = scratch / "devserver.out";
    auto err = scratch / "devserver.err";
    command.append(" </dev/null >")
        .append(Quoted(out.string()))
        .append(" 2>")
        .append(Quoted(err.string()));
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

DevServerChild::DevServerChild(const std::vector<std::string>& arguments,
                               const std::filesystem::path& scratch)
    : err_(scratch / "devserver-child.err") {
#ifdef TXL_DEVSERVER
    std::vector<std::string> argv{TXL_DEVSERVER};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> raw;
    for (auto& argument : argv) raw.push_back(argument.data());
    raw.push_back(nullptr);
    std::string errPath = err_.string();
    std::string outPath = (scratch / "devserver-child.out").string();
    pid_ = fork();
    if (pid_ == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(raw[0], raw.data());
        _exit(127);
    }
#else
    (void)arguments;
#endif
}

DevServerChild::~DevServerChild() {
    if (pid_ > 0) Stop(SIGKILL);
}

int DevServerChild::WaitForRconPort() {
    static const std::regex listening(R"(rcon: listening on [^ ]*:(\d+))");
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::smatch match;
        std::string err = Err();
        if (std::regex_search(err, match, listening)) return std::stoi(match[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

int DevServerChild::Stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    for (int attempt = 0; attempt < 200; ++attempt) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return -1;
}

std::string DevServerChild::Err() const {
    return ReadTextFile(err_);
}

}  // namespace txltest
