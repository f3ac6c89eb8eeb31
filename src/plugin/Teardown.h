#pragma once

namespace txl {

// Removes what initialisation put in place and empties the caches. Safe to run twice.
void Teardown();

}  // namespace txl
