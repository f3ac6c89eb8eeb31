#include <algorithm>
#include <array>

#include "crafting/CounterParts.h"
#include "crafting/CraftCounter.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

// Copies can point at each other, and game calls made during a refresh can refresh again:
// an item already being refreshed on this thread, or a nesting deeper than this, is left alone.
constexpr int kMaxRefreshDepth = 16;

struct RefreshStack {
    std::array<UPrimalItem*, kMaxRefreshDepth> Items{};
    int Depth = 0;
};

thread_local RefreshStack tRefreshing;

class RefreshScope {
  public:
    explicit RefreshScope(UPrimalItem* item) {
        RefreshStack& stack = tRefreshing;
        const auto end = stack.Items.begin() + stack.Depth;
        if (stack.Depth >= kMaxRefreshDepth || std::find(stack.Items.begin(), end, item) != end)
            return;
        stack.Items[static_cast<std::size_t>(stack.Depth++)] = item;
        entered_ = true;
    }
    ~RefreshScope() {
        if (entered_) --tRefreshing.Depth;
    }
    RefreshScope(const RefreshScope&) = delete;
    RefreshScope& operator=(const RefreshScope&) = delete;

    bool Entered() const { return entered_; }

  private:
    bool entered_ = false;
};

// What a refresh did; a refusal by the nesting guard is told apart, since a copy whose chain of
// sources loops or runs too deep has nothing it may be counted against.
enum class Refresh { Unchanged, Changed, Refused };

Refresh RefreshCounter(UPrimalItem* item);

std::int32_t& NativeCount(UPrimalItem* item) {
    return host::Field<std::int32_t>(item, "UPrimalItem.CustomItemID"_field);
}

// A shared copy holds its source's record, native count and description.
Refresh MirrorSource(UPrimalItem* copy, UPrimalItem* source) {
    if (RefreshCounter(source) == Refresh::Refused) return Refresh::Refused;
    FCustomItemData* entry = FindCounterEntry(source);
    if (entry == nullptr) return Refresh::Unchanged;
    host::Call<void>("UPrimalItem.SetCustomItemData(FCustomItemData&)"_function, copy, entry);
    NativeCount(copy) = NativeCount(source);
    auto text =
        host::Characters(host::Field<FString>(source, "UPrimalItem.CustomItemDescription"_field));
    host::Field<FString>(copy, "UPrimalItem.CustomItemDescription"_field)
        .AssignRange(text.data(), static_cast<int>(text.size()));
    host::WriteFlag(copy, "UPrimalItem.bHideCustomDescription"_flag, false);
    host::WriteFlag(copy, "UPrimalItem.bForceAllowCustomItemDescription"_flag, true);
    return Refresh::Changed;
}

// Whichever of the record and the game's own count shows more crafts done wins.
void SyncNativeCount(UPrimalItem* item, std::int32_t maximum, std::int32_t& used) {
    const std::int64_t nativeRemaining =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(NativeCount(item)) + 1, 0, maximum);
    used = std::max(used, static_cast<std::int32_t>(maximum - nativeRemaining));
    FCustomItemData* entry = FindCounterEntry(item);
    if (entry != nullptr && crafting::IsValidCounterRecord(*entry))
        entry->CustomDataFloats.Data[2] = static_cast<float>(used);
    NativeCount(item) = maximum - used - 1;
}

Refresh RefreshCounter(UPrimalItem* item) {
    if (!State().EnforcementEnabled || !crafting::IsCountedBlueprint(item))
        return Refresh::Unchanged;
    RefreshScope scope(item);
    if (!scope.Entered()) return Refresh::Refused;
    UPrimalItem* source = ResolveSourceBlueprint(item);
    if (source == nullptr) return Refresh::Unchanged;
    if (source != item) return MirrorSource(item, source);

    std::int32_t maximum = 0;
    std::int32_t used = 0;
    bool attached = false;
    if (!ReadCounter(item, maximum, used)) {
        if (!crafting::AttachCounter(item, maximum, used)) return Refresh::Unchanged;
        attached = true;
    }
    if (maximum > 0) SyncNativeCount(item, maximum, used);
    const bool rewritten = crafting::RewriteCounterDescription(item, maximum, used);
    return rewritten || attached ? Refresh::Changed : Refresh::Unchanged;
}

}  // namespace

bool RefreshBlueprintCounter(UPrimalItem* item) {
    return RefreshCounter(item) == Refresh::Changed;
}

bool RefreshSourceCounter(UPrimalItem* source) {
    return RefreshCounter(source) != Refresh::Refused;
}

bool IsBlueprintExhausted(UPrimalItem* item) {
    if (!State().EnforcementEnabled) return false;
    UPrimalItem* source = ResolveSourceBlueprint(item);
    // Like a copy whose source cannot be found, one whose chain loops or runs too deep.
    if (source == nullptr || !RefreshSourceCounter(source)) return true;
    std::int32_t maximum = 0;
    std::int32_t used = 0;
    if (!ReadCounter(source, maximum, used)) return false;
    return used >= maximum;
}

}  // namespace txl
