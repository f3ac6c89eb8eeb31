#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace txlfuzz {

// Takes typed values from the front of a fuzz input; an exhausted input reads as zeros, so
// every input is a complete program.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return offset_ >= size_; }
    std::uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    bool Bool() { return (Byte() & 1U) != 0; }
    // 0 to count - 1.
    unsigned Pick(unsigned count) { return count == 0 ? 0 : Byte() % count; }
    std::uint32_t Uint32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return value;
    }
    std::int32_t Int32() { return static_cast<std::int32_t>(Uint32()); }
    float RawFloat() {
        const std::uint32_t bits = Uint32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

}  // namespace txlfuzz
