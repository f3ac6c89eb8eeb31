#pragma once

#include <stdexcept>
#include <string>

namespace txl::devserver {

// A world file that cannot be used; the message names the file and the place in it.
class WorldFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace txl::devserver
