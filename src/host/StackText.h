#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace txl::host {

// Text held on the stack while it is short, as engine names and counter lines are; longer text
// spills to the heap. Not copyable: its view points into itself.
template <typename Char, std::size_t Inline>
class StackText {
  public:
    StackText() = default;
    StackText(const StackText&) = delete;
    StackText& operator=(const StackText&) = delete;

    // Storage for `length` units and a terminator; the contents are left to the caller.
    Char* Resize(std::size_t length) {
        if (length < Inline) {
            data_ = inline_.data();
        } else {
            spill_.resize(length);
            data_ = spill_.data();
        }
        length_ = length;
        data_[length] = Char{};
        return data_;
    }

    Char* Data() { return data_; }
    std::basic_string_view<Char> View() const { return {data_, length_}; }

  private:
    std::array<Char, Inline> inline_{};
    std::basic_string<Char> spill_;
    Char* data_ = inline_.data();
    std::size_t length_ = 0;
};

using ShortText = StackText<char, 256>;
// Room for any setting of up to 256 UTF-8 bytes.
using ShortWideText = StackText<wchar_t, 264>;

}  // namespace txl::host
