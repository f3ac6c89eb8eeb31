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
// For destructors declared noexcept(false): raises a failed release, unless an exception begun
// after the owner's construction (`uncaughtAtConstruction`, from std::uncaught_exceptions()) is
// unwinding through it; then it is reported as above.
void ReleaseBufferInDestructor(void* data, int uncaughtAtConstruction);

// An FString this code owns; its buffer is released when it goes.
class EngineString {
  public:
    EngineString();
    explicit EngineString(const std::wstring& text);
    ~EngineString() noexcept(false);
    EngineString(const EngineString&) = delete;
    EngineString& operator=(const EngineString&) = delete;

    FString& Get() { return value_; }

  private:
    FString value_;
    int uncaught_;
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
