#pragma once

#include <string>
#include <string_view>

#include "AsaApi/EngineTypes.h"
#include "host/StackText.h"

// Engine text and buffers: conversions through the host, and release through the game's allocator.
namespace txl::host {

// Releases an engine buffer; null is ignored.
void ReleaseBuffer(void* data);
// For destructors: a release that fails is logged and the buffer lost, since an exception
// escaping a destructor would end the server.
void ReleaseBufferOrLog(void* data) noexcept;

// An FString this code owns; its buffer is released when it goes.
class EngineString {
  public:
    EngineString() = default;
    explicit EngineString(const std::wstring& text);
    ~EngineString();
    EngineString(const EngineString&) = delete;
    EngineString& operator=(const EngineString&) = delete;

    FString& Get() { return value_; }

  private:
    FString value_;
};

// Text of `count` wide units (no terminator counted). Empty for null or a count below 1.
std::string ToUtf8(const wchar_t* text, int count);
std::string ToUtf8(const FString& text);
std::wstring ToWide(std::string_view text);
// The same conversion into `out`, without a heap allocation of ours for short text.
void ToWide(const std::string& text, ShortWideText& out);
// The characters of an engine string, without the terminator.
std::wstring_view Characters(const FString& text);

}  // namespace txl::host
