#pragma once

#include <string_view>

namespace txl::devserver {

// The world the dev server runs when no world file is named, written as a world file.
std::string_view DefaultWorldJson();

}  // namespace txl::devserver
