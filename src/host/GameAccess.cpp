#include "host/GameAccess.h"

namespace txl::host {
namespace {

uint32 Mask(const BitField& field) {
    return field.num_bits >= 32 ? 0xFFFFFFFFU : ((1U << field.num_bits) - 1U);
}

}  // namespace

bool ReadFlag(void* object, const std::string& name) {
    BitField field = GetBitField(object, name);
    auto word = *reinterpret_cast<const uint32*>(field.offset);
    return ((word >> field.bit_position) & Mask(field)) != 0;
}

void WriteFlag(void* object, const std::string& name, bool on) {
    BitField field = GetBitField(object, name);
    auto* word = reinterpret_cast<uint32*>(field.offset);
    uint32 mask = Mask(field) << field.bit_position;
    *word = (*word & ~mask) | (on ? (1U << field.bit_position) : 0U);
}

}  // namespace txl::host
