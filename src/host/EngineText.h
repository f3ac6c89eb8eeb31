#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "AsaApi/EngineTypes.h"
#include "host/StackText.h"

// Engine text and buffers: conversions through the host, and release through the game's allocator.
namespace txl::host {

// Releases an engine buffer; null is ignored. A release that fails raises the host's error, as
// any other host call does.
void ReleaseBuffer(void* data);

// Where a release that may not raise its failure hands it; the layer that logs sets it.
using ReleaseFailureReport = void (*)(const std::exception& error) noexcept;
void SetReleaseFailureReport(ReleaseFailureReport report) noexcept;
// Only where raising would end the process (a destructor that may not throw): a release that
// fails goes to the report above and the buffer is lost.
void ReleaseBufferOrLog(void* data) noexcept;
// An FString this code owns. The normal path ends with Release(), whose failure is raised like
// any other host failure; a buffer still held when it goes (an exception is unwinding) is
// released by the destructor, which may only report a failure. Whether an exception is unwinding
// cannot be asked instead: on Windows each module keeps its own count of them.
class EngineString {
  public:
    EngineString() = default;
    explicit EngineString(const std::wstring& text) : value_(text.c_str()) {}
    ~EngineString() { ReleaseBufferOrLog(value_.Data); }
    EngineString(const EngineString&) = delete;
    EngineString& operator=(const EngineString&) = delete;

    FString& Get() { return value_; }
    void Release();

  private:
    FString value_;
};

// Releases an engine array on the normal path and empties it, so its owner's destructor, which
// only reports, finds nothing left to release.
template <class T>
void ReleaseArray(TArray<T>& array) {
    void* data = array.Data;
    array = TArray<T>();
    ReleaseBuffer(data);
}

// Text of `count` wide units (no terminator counted). Empty for null or a count below 1.
std::string ToUtf8(const wchar_t* text, int count);
std::string ToUtf8(const FString& text);
std::wstring ToWide(std::string_view text);
// The same conversion into `out`, without a heap allocation of ours for short text.
void ToWide(const std::string& text, ShortWideText& out);
// The characters of an engine string, without the terminator.
std::wstring_view Characters(const FString& text);

}  // namespace txl::host
