#pragma once

namespace txl {

// Reads config.json at ConfigPath, validates it and commits every setting together.
// On any failure raises a std::exception and leaves every setting as it was.
void LoadConfiguration();

}  // namespace txl
