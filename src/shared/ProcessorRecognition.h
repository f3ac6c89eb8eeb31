#pragma once

// Below the subsystems: processor limits enforce on such creatures, and crafting counts the
// blueprints that sit in their inventories.
namespace txl {

// Whether any object (null allowed) is a processor creature, decided afresh from its class.
bool IsProcessorCreature(const void* object);

}  // namespace txl
