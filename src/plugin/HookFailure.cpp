#include "plugin/HookFailure.h"

#include "plugin/Logger.h"

namespace txl {

void LogHookFailure(const std::exception& error) {
    Log().error("Thalassovex hook failed: {}", error.what());
}

}  // namespace txl
