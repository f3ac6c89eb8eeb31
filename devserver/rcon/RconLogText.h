#pragma once

#include <string>
#include <string_view>

namespace txl::devserver {

// Client text made safe for a log line: control characters become visible escapes, so a
// client cannot start lines of its own or rewrite the terminal.
std::string EscapeForLog(std::string_view text);

}  // namespace txl::devserver
