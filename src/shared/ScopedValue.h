#pragma once

#include <utility>

namespace txl {

// Sets a (thread-local) value for the length of a scope and puts the saved one back on
// every way out, exceptions included.
template <typename T>
class ScopedValue {
  public:
    ScopedValue(T& target, T value)
        : target_(target), saved_(std::exchange(target, std::move(value))) {}
    ~ScopedValue() { target_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

  private:
    T& target_;
    T saved_;
};

}  // namespace txl
