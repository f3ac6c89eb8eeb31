#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "crafting/CounterParts.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"
#include "shared/PluginState.h"

namespace txl::crafting {
namespace {

constexpr std::wstring_view kRemainingMarker = L"\nThalassovex crafts remaining: ";
constexpr std::wstring_view kUsedMarker = L"\nThalassovex crafts used: ";
constexpr std::wstring_view kSeparator = L" - ";
constexpr std::wstring_view kSlash = L"/";

// The description without any counter line of ours; the item's own text when it has none.
std::wstring DescriptionBase(UPrimalItem* item) {
    std::wstring text(
        host::Characters(host::Field<FString>(item, "UPrimalItem.CustomItemDescription")));
    const std::size_t cut = std::min(text.find(kRemainingMarker), text.find(kUsedMarker));
    if (cut != std::wstring::npos) {
        text.resize(cut);
    } else if (text.empty()) {
        text = host::Characters(host::Field<FString>(item, "UPrimalItem.ItemDescription"));
    }
    return text;
}

void AppendCounterLine(std::wstring& text, std::int32_t maximum, std::int32_t used) {
    text += kRemainingMarker;
    text += std::to_wstring(std::max(maximum - used, 0));
    text += kSlash;
    text += std::to_wstring(maximum);
    const std::string& exhausted = State().Config.ExhaustedCounterText;
    if (used >= maximum && !exhausted.empty()) {
        text += kSeparator;
        text += host::ToWide(exhausted);
    }
}

}  // namespace

bool RewriteCounterDescription(UPrimalItem* item, std::int32_t maximum, std::int32_t used) {
    std::wstring text = DescriptionBase(item);
    if (State().Config.ShowCraftCounter) AppendCounterLine(text, maximum, used);

    // Lengths are explicit throughout: the text may hold U+0000.
    FString& current = host::Field<FString>(item, "UPrimalItem.CustomItemDescription");
    if (host::Characters(current) == text &&
        !host::ReadFlag(item, "UPrimalItem.bHideCustomDescription")) {
        return false;
    }
    host::EngineString fresh;
    fresh.Get().AssignRange(text.data(), static_cast<int>(text.size()));
    // The old buffer moves into `fresh`, which releases it.
    std::swap(current, fresh.Get());
    host::WriteFlag(item, "UPrimalItem.bHideCustomDescription", false);
    host::WriteFlag(item, "UPrimalItem.bForceAllowCustomItemDescription", true);
    return true;
}

}  // namespace txl::crafting
