#include "host/EngineText.h"

#include <exception>
#include <vector>

#include "AsaApi/Text.h"
#include "host/GameAccess.h"

namespace txl::host {
namespace {

ReleaseFailureReport gReleaseFailureReport = nullptr;

}  // namespace

void ReleaseBuffer(void* data) {
    if (data != nullptr) Call<void>("FMemory.Free(void*)"_function, data);
}

void SetReleaseFailureReport(ReleaseFailureReport report) noexcept {
    gReleaseFailureReport = report;
}

void ReleaseBufferOrLog(void* data) noexcept {
    try {
        ReleaseBuffer(data);
    } catch (const std::exception& error) {
        if (gReleaseFailureReport != nullptr) gReleaseFailureReport(error);
    }
}

void EngineString::Release() {
    void* data = value_.Data;
    value_ = FString();
    ReleaseBuffer(data);
}

std::string ToUtf8(const wchar_t* text, int count) {
    // An empty engine string may have no buffer at all; never convert through it.
    if (text == nullptr || count < 1) return {};
    int32 length =
        UE::Core::Private::GetConvertedLength(static_cast<const UTF8CHAR*>(nullptr), text, count);
    if (length < 1) return {};
    // Converted straight into the result; its own terminator takes the converted one.
    std::string result(static_cast<std::size_t>(length), '\0');
    UE::Core::Private::Convert(reinterpret_cast<UTF8CHAR*>(result.data()), length + 1, text,
                               count + 1);
    return result;
}

std::string ToUtf8(const FString& text) {
    auto characters = Characters(text);
    return ToUtf8(characters.data(), static_cast<int>(characters.size()));
}

std::wstring ToWide(std::string_view text) {
    if (text.empty()) return {};
    // Convert from a terminated copy so that "length + 1" units stay inside the source.
    std::string source(text);
    const auto* units = reinterpret_cast<const UTF8CHAR*>(source.c_str());
    auto count = static_cast<int32>(source.size());
    int32 length =
        UE::Core::Private::GetConvertedLength(static_cast<const wchar_t*>(nullptr), units, count);
    if (length < 1) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    UE::Core::Private::Convert(buffer.data(), length + 1, units, count + 1);
    return {buffer.data(), static_cast<std::size_t>(length)};
}

void ToWide(const std::string& text, ShortWideText& out) {
    out.Resize(0);
    if (text.empty()) return;
    // c_str() is terminated, so "length + 1" units stay inside the source.
    const auto* units = reinterpret_cast<const UTF8CHAR*>(text.c_str());
    const auto count = static_cast<int32>(text.size());
    const int32 length =
        UE::Core::Private::GetConvertedLength(static_cast<const wchar_t*>(nullptr), units, count);
    if (length < 1) return;
    wchar_t* target = out.Resize(static_cast<std::size_t>(length));
    UE::Core::Private::Convert(target, length + 1, units, count + 1);
}

std::wstring_view Characters(const FString& text) {
    if (text.Data == nullptr || text.ArrayNum <= 1) return {};
    std::wstring_view view(text.Data, static_cast<std::size_t>(text.ArrayNum - 1));
    return view;
}

}  // namespace txl::host
