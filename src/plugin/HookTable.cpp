#include "plugin/HookTable.h"

#include "AsaApi/Hooks.h"
#include "crafting/CraftingDetours.h"
#include "processor/ProcessorDetours.h"

namespace txl {
namespace {

template <typename F>
HookRecord Hook(const char* symbol, F* detour) {
    return HookRecord{symbol, reinterpret_cast<void*>(detour), nullptr, false};
}

}  // namespace

std::array<HookRecord, kHookCount> MakeHookTable() {
    return {
        Hook("APrimalDinoCharacter.BeginPlay()", &DetourBeginPlay),
        Hook("AShooterPlayerController.ServerMultiUse_Implementation(UObject*,int)",
             &DetourServerMultiUse),
        Hook("UPrimalCharacterStatusComponent.BPGetCurrentStatusValue(EPrimalCharacterStatusValue::"
             "Type)",
             &DetourCurrentStatus),
        Hook("UPrimalCharacterStatusComponent.BPGetMaxStatusValue(EPrimalCharacterStatusValue::"
             "Type)",
             &DetourMaxStatus),
        Hook("UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)",
             &DetourCanLevelUp),
        Hook("UPrimalItem.UpdatedItem(bool,bool)", &DetourUpdatedItem),
        Hook("UPrimalItem.CraftBlueprint(bool)", &DetourCraftBlueprint),
        Hook("UPrimalItem.FinishCraftingBlueprint()", &DetourFinishCrafting),
        Hook("UPrimalItem.GetMaximumAdditionalCrafting(UPrimalInventoryComponent*,"
             "AShooterPlayerController*)",
             &DetourMaximumCrafting),
        Hook("UPrimalInventoryComponent.RemoveItem(FItemNetID&,bool,bool,bool,bool)",
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
