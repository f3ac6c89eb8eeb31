#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "DevServer.h"
#include "DevServerOptions.h"

int main(int argc, char** argv) {
    using namespace txl::devserver;
    DevServerOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "txl-devserver: " << error.what() << std::endl;
        return kExitStartFailed;
    }
    return RunDevServer(options);
}
