#pragma once

#include <cstdint>

#include "AsaApi/EngineTypes.h"

namespace txl {

// Where one reflected property lies in a creature object.
struct ProcessorProperty {
    std::int32_t offset = 0;
    std::int32_t size = 0;
    FProperty* property = nullptr;
};

// The three crafting properties of one creature class, and whether the class passed validation.
struct ProcessorLayout {
    ProcessorProperty successRateCap;
    ProcessorProperty numberMaxCrafts;
    ProcessorProperty craftingSkillLevelMulti;
    bool valid = false;
};

}  // namespace txl
