#include "LineEditor.h"

#include <editline/readline.h>
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The line editor on libedit, through its readline interface (POSIX terminals).
namespace txl::devserver {

struct LineEditor::State {
    std::vector<std::string> words;
    std::string historyFile;  // empty: history lasts as long as the process
    std::string lastLine;
    int terminal = -1;       // where standard output went: the terminal
    int standardError = -1;  // standard error as it was, when it went to the same terminal
    int output = -1;         // what the program writes while the editor runs
    int wake[2] = {-1, -1};
    FILE* screen = nullptr;  // the editor's own drawing
    std::string unfinished;  // output without its line end yet
    bool ended = false;
};

namespace {

constexpr const char* kPrompt = "txl> ";
constexpr int kHistoryLines = 1000;

// The library's hooks are plain functions: one editor per process.
LineEditor::State* current = nullptr;

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

// Whole lines of output go above the prompt, which is drawn again with the typed text.
void ShowOutput(LineEditor::State& state) {
    char buffer[4096];
    ssize_t size = 0;
    while ((size = read(state.output, buffer, sizeof buffer)) > 0)
        state.unfinished.append(buffer, static_cast<std::size_t>(size));
    auto end = state.unfinished.rfind('\n');
    if (end == std::string::npos) return;
    std::fputs("\r\033[K", state.screen);
    std::fwrite(state.unfinished.data(), 1, end + 1, state.screen);
    std::fflush(state.screen);
    state.unfinished.erase(0, end + 1);
    rl_forced_update_display();
}

// The editor waits for keys here, so output can be shown while nothing else is being drawn.
int ReadKey(FILE*) {
    LineEditor::State& state = *current;
    for (;;) {
        pollfd waits[] = {
            {STDIN_FILENO, POLLIN, 0}, {state.output, POLLIN, 0}, {state.wake[0], POLLIN, 0}};
        if (poll(waits, 3, -1) < 0) continue;
        if (waits[2].revents != 0) return EOF;
        if (waits[1].revents != 0) ShowOutput(state);
        if (waits[0].revents == 0) continue;
        unsigned char key = 0;
        ssize_t size = read(STDIN_FILENO, &key, 1);
        if (size == 1) return key;
        if (size < 0 && errno == EINTR) continue;
        return EOF;
    }
}

char* NextWord(const char* text, int state) {
    static std::size_t next = 0;
    if (state == 0) next = 0;
    const auto& words = current->words;
    while (next < words.size()) {
        const std::string& word = words[next++];
        if (strncasecmp(word.c_str(), text, std::strlen(text)) == 0) return strdup(word.c_str());
    }
    return nullptr;
}

// The first word is a command name; a later one is a file name only after state and save.
char** Complete(const char* text, int start, int) {
    std::string before(rl_line_buffer, static_cast<std::size_t>(start));
    auto first = before.find_first_not_of(" \t");
    rl_attempted_completion_over = 1;
    if (first == std::string::npos) return rl_completion_matches(text, NextWord);
    std::string command = before.substr(first, before.find_first_of(" \t", first) - first);
    if (strcasecmp(command.c_str(), "state") == 0 || strcasecmp(command.c_str(), "save") == 0)
        rl_attempted_completion_over = 0;
    return nullptr;
}

void Remember(LineEditor::State& state, const std::string& line) {
    if (line.find_first_not_of(" \t") == std::string::npos || line == state.lastLine) return;
    state.lastLine = line;
    add_history(line.c_str());
    if (!state.historyFile.empty()) write_history(state.historyFile.c_str());
}

bool SameTerminal(int one, int other) {
    struct stat first {};
    struct stat second {};
    return isatty(other) && fstat(one, &first) == 0 && fstat(other, &second) == 0 &&
           first.st_rdev == second.st_rdev;
}

// Standard output (and standard error on the same terminal) back to the terminal, and what was
// written meanwhile after it.
void Restore(LineEditor::State& state) {
    std::fputs("\r\033[K", state.screen);
    std::fflush(state.screen);
    std::fflush(nullptr);
    dup2(state.terminal, STDOUT_FILENO);
    if (state.standardError >= 0) dup2(state.standardError, STDERR_FILENO);
    // Those were the pipe's last writers: it reads to its end.
    fcntl(state.output, F_SETFL, fcntl(state.output, F_GETFL) & ~O_NONBLOCK);
    std::string rest = std::move(state.unfinished);
    char buffer[4096];
    for (ssize_t size; (size = read(state.output, buffer, sizeof buffer)) != 0;) {
        if (size > 0) rest.append(buffer, static_cast<std::size_t>(size));
        if (size < 0 && errno != EINTR) break;
    }
    WriteAll(state.terminal, rest.data(), rest.size());
}

}  // namespace

std::unique_ptr<LineEditor> LineEditor::Open(const LineEditorSettings& settings) {
    if (current != nullptr || !isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
    auto state = std::make_unique<State>();
    int output[2] = {-1, -1};
    if (pipe2(output, O_CLOEXEC) != 0) return nullptr;
    if (pipe2(state->wake, O_CLOEXEC) != 0) {
        close(output[0]);
        close(output[1]);
        return nullptr;
    }
    state->words = settings.words;
    const char* home = std::getenv("HOME");
    if (settings.history && home != nullptr && *home != '\0')
        state->historyFile = std::string(home) + "/.txl-devserver_history";

    std::fflush(nullptr);
    state->terminal = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    state->screen = fdopen(fcntl(state->terminal, F_DUPFD_CLOEXEC, 3), "w");
    if (state->terminal < 0 || state->screen == nullptr) {
        for (int fd : {output[0], output[1], state->wake[0], state->wake[1], state->terminal})
            if (fd >= 0) close(fd);
        return nullptr;
    }
    if (SameTerminal(STDOUT_FILENO, STDERR_FILENO)) {
        state->standardError = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        dup2(output[1], STDERR_FILENO);
    }
    dup2(output[1], STDOUT_FILENO);
    close(output[1]);
    state->output = output[0];
    fcntl(state->output, F_SETFL, fcntl(state->output, F_GETFL) | O_NONBLOCK);

    current = state.get();
    rl_readline_name = "txl-devserver";
    rl_instream = stdin;
    rl_outstream = state->screen;
    rl_getc_function = ReadKey;
    // Ctrl-C stays the server's stop request; the editor leaves the terminal as it found it
    // when its line ends.
    rl_catch_signals = 0;
    rl_attempted_completion_function = Complete;
    rl_initialize();
    using_history();
    stifle_history(kHistoryLines);
    if (!state->historyFile.empty()) read_history(state->historyFile.c_str());
    return std::unique_ptr<LineEditor>(new LineEditor(std::move(state)));
}

LineEditor::LineEditor(std::unique_ptr<State> state) : state_(std::move(state)) {}

LineEditor::~LineEditor() {
    if (!state_->ended) Restore(*state_);
    for (int fd : {state_->terminal, state_->standardError, state_->output, state_->wake[0],
                   state_->wake[1]})
        if (fd >= 0) close(fd);
    if (state_->screen != nullptr) std::fclose(state_->screen);
    current = nullptr;
}

std::optional<std::string> LineEditor::ReadLine() {
    if (state_->ended) return std::nullopt;
    if (char* typed = readline(kPrompt)) {
        std::string line(typed);
        std::free(typed);
        Remember(*state_, line);
        return line;
    }
    state_->ended = true;
    Restore(*state_);
    return std::nullopt;
}

void LineEditor::Stop() {
    WriteAll(state_->wake[1], "s", 1);
}

}  // namespace txl::devserver
