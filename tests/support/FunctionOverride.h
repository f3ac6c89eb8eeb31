#pragma once

#include <string>

#include "emuhost/NameRegistry.h"

namespace txltest {
// Its own inner namespace: the processor tests have another class of this name, and the two must
// not meet at link time.
inline namespace crafting_override {

// Publishes a stand-in for a game function under its name for the length of a scope, so that
// a test can make the game do something more inside a call the plug-in makes by name.
class FunctionOverride {
  public:
    template <typename F>
    FunctionOverride(std::string name, F* replacement)
        : name_(std::move(name)),
          original_(emuhost::NameRegistry::Instance().FunctionEntry(name_)) {
        emuhost::NameRegistry::Instance().RegisterFunction(name_,
                                                           reinterpret_cast<void*>(replacement));
    }
    ~FunctionOverride() { emuhost::NameRegistry::Instance().RegisterFunction(name_, original_); }
    FunctionOverride(const FunctionOverride&) = delete;
    FunctionOverride& operator=(const FunctionOverride&) = delete;

    template <typename F>
    F* Original() const {
        return reinterpret_cast<F*>(original_);
    }

  private:
    std::string name_;
    void* original_;
};

}  // namespace crafting_override
}  // namespace txltest
