#include <algorithm>
#include <array>
#include <initializer_list>
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

// Room for any signed 32-bit decimal.
using Digits = std::array<wchar_t, 12>;

std::wstring_view Decimal(std::int32_t value, Digits& digits) {
    auto magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) magnitude = 0U - magnitude;
    std::size_t at = digits.size();
    do {
        digits[--at] = static_cast<wchar_t>(L'0' + magnitude % 10U);
        magnitude /= 10U;
    } while (magnitude != 0U);
    if (value < 0) digits[--at] = L'-';
    return {digits.data() + at, digits.size() - at};
}

// The description without any counter line of ours; the item's own text when it has none.
// A view into the item's own buffers, which nothing changes until the description is replaced.
std::wstring_view DescriptionBase(UPrimalItem* item) {
    std::wstring_view text =
        host::Characters(host::Field<FString>(item, "UPrimalItem.CustomItemDescription"_field));
    const std::size_t cut = std::min(text.find(kRemainingMarker), text.find(kUsedMarker));
    if (cut != std::wstring_view::npos) return text.substr(0, cut);
    if (text.empty())
        return host::Characters(host::Field<FString>(item, "UPrimalItem.ItemDescription"_field));
    return text;
}

// The new description as pieces; compared and copied without joining them first.
class DescriptionPieces {
  public:
    void Add(std::wstring_view piece) { pieces_[count_++] = piece; }

    bool Equals(std::wstring_view text) const {
        std::size_t at = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            const std::wstring_view piece = pieces_[i];
            if (text.substr(at, piece.size()) != piece) return false;
            at += piece.size();
        }
        return at == text.size();
    }

    // Copies the pieces into `out`.
    void Join(std::wstring& out) const {
        out.clear();
        for (std::size_t i = 0; i < count_; ++i) out.append(pieces_[i]);
    }

  private:
    std::array<std::wstring_view, 8> pieces_{};
    std::size_t count_ = 0;
};

}  // namespace

bool RewriteCounterDescription(UPrimalItem* item, std::int32_t maximum, std::int32_t used) {
    DescriptionPieces pieces;
    pieces.Add(DescriptionBase(item));
    Digits remaining{};
    Digits limit{};
    host::ShortWideText exhausted;
    if (State().Config.ShowCraftCounter) {
        pieces.Add(kRemainingMarker);
        pieces.Add(Decimal(std::max(maximum - used, 0), remaining));
        pieces.Add(kSlash);
        pieces.Add(Decimal(maximum, limit));
        const std::string& text = State().Config.ExhaustedCounterText;
        if (used >= maximum && !text.empty()) {
            pieces.Add(kSeparator);
            host::ToWide(text, exhausted);
            pieces.Add(exhausted.View());
        }
    }

    // Lengths are explicit throughout: the text may hold U+0000.
    FString& current = host::Field<FString>(item, "UPrimalItem.CustomItemDescription"_field);
    if (pieces.Equals(host::Characters(current)) &&
        !host::ReadFlag(item, "UPrimalItem.bHideCustomDescription"_flag)) {
        return false;
    }
    // Joined before the old buffer goes: the base may be a view into it.
    // Not kept between calls: a thread-local with a destructor would pin the module in memory
    // on Windows until the thread ends, so the host could never unload the plug-in.
    std::wstring joined;
    pieces.Join(joined);
    host::EngineString fresh;
    fresh.Get().AssignRange(joined.data(), static_cast<int>(joined.size()));
    // The old buffer moves into `fresh`, which releases it.
    std::swap(current, fresh.Get());
    fresh.Release();
    host::WriteFlag(item, "UPrimalItem.bHideCustomDescription"_flag, false);
    host::WriteFlag(item, "UPrimalItem.bForceAllowCustomItemDescription"_flag, true);
    return true;
}

}  // namespace txl::crafting
