#include "emugame/ProcessorScripts.h"

#include "emugame/ScriptBytes.h"
#include "emugame/StandardClasses.h"

namespace emu {
namespace {

// A few opcodes of the engine's script, enough to make the streams look compiled.
constexpr uint8 kLocalVariable = 0x00;
constexpr uint8 kInstanceVariable = 0x01;
constexpr uint8 kReturn = 0x04;
constexpr uint8 kNothing = 0x0B;
constexpr uint8 kLet = 0x0F;
constexpr uint8 kFinalFunction = 0x1C;
constexpr uint8 kComputedJump = 0x4E;
constexpr uint8 kEndOfScript = 0x53;

}  // namespace

void DefineProcessorScripts(Game& game, Class* processor) {
    Struct* owner = &processor->Base;
    Property* chance = FindDeclaredProperty(game, owner, "SuccessRateCap");
    Property* crafts = FindDeclaredProperty(game, owner, "NumberMaxCrafts");
    FieldClass* floatType = game.FindFieldClass("FloatProperty");
    FieldClass* intType = game.FindFieldClass("IntProperty");

    Function* signature = game.AddFunction(owner, "OnCraftFinished__DelegateSignature", {},
                                           FunctionKind(game, "DelegateFunction"));
    Function* graph = game.AddFunction(owner, "ExecuteUbergraph_Thalassovex_Character_BP", {});
    Property* entry = game.AddProperty(&graph->Base, "EntryPoint", intType, 4, 0);
    Property* result =
        game.AddProperty(&graph->Base, "CallFunc_GetCraftingChance_ReturnValue", floatType, 4, 4);
    Function* apply = game.AddFunction(owner, "ApplyCraftingLimits", {});
    Property* newCap = game.AddProperty(&apply->Base, "NewCap", floatType, 4, 0);
    game.AddProperty(&apply->Base, "NewCrafts", intType, 4, 4);

    // The graph names a local of the limits function, which is compiled after it.
    SetScript(graph, ScriptBytes()
                         .Bytes({kComputedJump, kLocalVariable})
                         .Address(entry)
                         .Bytes({kLet, kInstanceVariable})
                         .Address(chance)
                         .Bytes({kLocalVariable})
                         .Address(result)
                         .Bytes({kFinalFunction})
                         .Address(signature)
                         .Bytes({kLocalVariable})
                         .Address(newCap)
                         .Bytes({kReturn, kNothing, kEndOfScript})
                         .Get());
    // Ends on an address, so the last full window holds one.
    SetScript(apply, ScriptBytes()
                         .Bytes({kLet, kLocalVariable})
                         .Address(newCap)
                         .Bytes({kLocalVariable})
                         .Address(result)
                         .Bytes({kInstanceVariable})
                         .Address(crafts)
                         .Bytes({kLet, kLocalVariable})
                         .Address(newCap)
                         .Bytes({kInstanceVariable})
                         .Address(chance)
                         .Get());
    // Cut short inside an address: no full window holds it.
    game.AddFunction(owner, "ReceiveTick",
                     ScriptBytes().Bytes({kInstanceVariable}).PartialAddress(chance, 7).Get());
}

}  // namespace emu
