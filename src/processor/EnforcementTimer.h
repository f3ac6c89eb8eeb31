#pragma once

namespace txl {

// Re-enforces every tracked processor that still exists and forgets those that do not.
void RunEnforcementTimer();

}  // namespace txl
