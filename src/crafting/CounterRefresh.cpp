#include <algorithm>
#include <array>

#include "crafting/CounterParts.h"
#include "crafting/CraftCounter.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

// Game calls made during a refresh can refresh again: an item already being refreshed on this
// thread, or a nesting deeper than this, is left alone.
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

std::int32_t& NativeCount(UPrimalItem* item) {
    return host::Field<std::int32_t>(item, "UPrimalItem.CustomItemID"_field);
}

// Crafts the game counted on a copy since it last mirrored its root: a copy of a class that
// limits its crafts spends its own native count even while nothing is counted. A copy without an
// earlier record, or with another root's, tells nothing.
std::int32_t CraftsSinceMirror(UPrimalItem* copy, std::int32_t maximum) {
    FCustomItemData* entry = FindCounterEntry(copy);
    if (entry == nullptr || !crafting::IsValidCounterRecord(*entry)) return 0;
    const float* floats = entry->CustomDataFloats.Data;
    if (static_cast<std::int32_t>(floats[1]) != maximum) return 0;
    const std::int64_t nativeRemaining =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(NativeCount(copy)) + 1, 0, maximum);
    const std::int64_t mirroredRemaining = maximum - static_cast<std::int32_t>(floats[2]);
    return static_cast<std::int32_t>(
        std::max<std::int64_t>(mirroredRemaining - nativeRemaining, 0));
}

// A shared copy holds its root's record, native count and description.
void MirrorRoot(UPrimalItem* copy, UPrimalItem* root, FCustomItemData* entry) {
    host::Call<void>("UPrimalItem.SetCustomItemData(FCustomItemData&)"_function, copy, entry);
    NativeCount(copy) = NativeCount(root);
    auto text =
        host::Characters(host::Field<FString>(root, "UPrimalItem.CustomItemDescription"_field));
    host::Field<FString>(copy, "UPrimalItem.CustomItemDescription"_field)
        .AssignRange(text.data(), static_cast<int>(text.size()));
    host::WriteFlag(copy, "UPrimalItem.bHideCustomDescription"_flag, false);
    host::WriteFlag(copy, "UPrimalItem.bForceAllowCustomItemDescription"_flag, true);
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

// Settles the root's own counter. The copies of `chain` give a root in no processor its first
// record when one of them sits in a processor, and hand over the crafts their own native count
// took since they last mirrored it.
bool RefreshRootCounter(const SourceChain& chain) {
    UPrimalItem* root = chain.Root();
    std::int32_t maximum = 0;
    std::int32_t used = 0;
    bool attached = false;
    if (!ReadCounter(root, maximum, used)) {
        if (!crafting::AttachCounter(root, chain.Links[0], maximum, used)) return false;
        attached = true;
    }
    if (maximum > 0) {
        for (int i = 0; i + 1 < chain.Count; ++i) {
            const std::int32_t crafts =
                CraftsSinceMirror(chain.Links[static_cast<std::size_t>(i)], maximum);
            used = static_cast<std::int32_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(used) + crafts, maximum));
        }
        SyncNativeCount(root, maximum, used);
    }
    const bool rewritten = crafting::RewriteCounterDescription(root, maximum, used);
    return rewritten || attached;
}

bool IsRefreshable(UPrimalItem* item) {
    return State().EnforcementEnabled && crafting::IsCountedBlueprint(item);
}

// True when the item changed; a copy whose chain of sources cannot be resolved stays as it is.
// The chain comes from the caller, which resolved it already.
bool RefreshCounter(UPrimalItem* item, const SourceChain& chain) {
    if (!chain.Resolved) return false;
    RefreshScope scope(item);
    if (!scope.Entered()) return false;
    const bool changed = RefreshRootCounter(chain);
    // Every link, however deep, mirrors the root.
    UPrimalItem* root = chain.Root();
    bool mirrored = false;
    for (int i = chain.Count - 2; i >= 0; --i) {
        // Found again for each: a game call may have moved the root's array.
        FCustomItemData* entry = FindCounterEntry(root);
        if (entry == nullptr) break;
        MirrorRoot(chain.Links[static_cast<std::size_t>(i)], root, entry);
        mirrored = true;
    }
    return changed || mirrored;
}

}  // namespace

bool RefreshBlueprintCounter(UPrimalItem* item) {
    return IsRefreshable(item) && RefreshCounter(item, ResolveSourceChain(item));
}

UPrimalItem* RefreshCountedRoot(UPrimalItem* item) {
    const SourceChain chain = ResolveSourceChain(item);
    if (!chain.Resolved) return nullptr;
    if (IsRefreshable(item)) RefreshCounter(item, chain);
    return chain.Root();
}

bool IsCountedRootExhausted(UPrimalItem* root) {
    // Like a copy whose source cannot be found, one whose chain loops or runs too deep.
    if (root == nullptr) return true;
    std::int32_t maximum = 0;
    std::int32_t used = 0;
    if (!ReadCounter(root, maximum, used)) return false;
    return used >= maximum;
}

bool IsBlueprintExhausted(UPrimalItem* item) {
    return State().EnforcementEnabled && IsCountedRootExhausted(RefreshCountedRoot(item));
}

}  // namespace txl
