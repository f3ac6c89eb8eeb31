#include "plugin/HookTable.h"

#include "AsaApi/Hooks.h"
#include "crafting/CraftingDetours.h"
#include "host/GameAccess.h"
#include "processor/ProcessorDetours.h"

namespace txl {
namespace {

template <typename F>
HookRecord Hook(const std::string& symbol, F* detour) {
    return HookRecord{symbol.c_str(), reinterpret_cast<void*>(detour), nullptr, false};
}

}  // namespace

std::array<HookRecord, kHookCount> MakeHookTable() {
    return {
        Hook("APrimalDinoCharacter.BeginPlay()"_hook, &DetourBeginPlay),
        Hook("AShooterPlayerController.ServerMultiUse_Implementation(UObject*,int)"_hook,
             &DetourServerMultiUse),
        Hook("UPrimalCharacterStatusComponent.BPGetCurrentStatusValue(EPrimalCharacterStatusValue::"
             "Type)"_hook,
             &DetourCurrentStatus),
        Hook("UPrimalCharacterStatusComponent.BPGetMaxStatusValue(EPrimalCharacterStatusValue::"
             "Type)"_hook,
             &DetourMaxStatus),
        Hook(
            "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)"_hook,
            &DetourCanLevelUp),
        Hook("UPrimalItem.UpdatedItem(bool,bool)"_hook, &DetourUpdatedItem),
        Hook("UPrimalItem.CraftBlueprint(bool)"_hook, &DetourCraftBlueprint),
        Hook("UPrimalItem.FinishCraftingBlueprint()"_hook, &DetourFinishCrafting),
        Hook("UPrimalItem.GetMaximumAdditionalCrafting(UPrimalInventoryComponent*,"
             "AShooterPlayerController*)"_hook,
             &DetourMaximumCrafting),
        Hook("UPrimalInventoryComponent.RemoveItem(FItemNetID&,bool,bool,bool,bool)"_hook,
             &DetourRemoveItem),
    };
}

void InstallHooks() {
    State().Hooks = MakeHookTable();
    for (HookRecord& hook : State().Hooks) {
        hook.Installed = AsaApi::GetHooks().InstallHook(hook.Symbol, hook.Detour, &hook.Original);
    }
}

void RemoveHook(const HookRecord& hook) {
    AsaApi::GetHooks().RemoveHook(hook.Symbol, hook.Detour);
}

}  // namespace txl
