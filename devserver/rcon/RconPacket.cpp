#include "RconPacket.h"

#include <cassert>

namespace txl::devserver {
namespace {

constexpr std::size_t kHeaderSize = 12;  // size, id, type

void AppendInt32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((bits >> shift) & 0xFFu));
    }
}

int32_t ReadInt32(std::string_view in, std::size_t offset) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

}  // namespace

std::string EncodeRconPacket(const RconPacket& packet) {
    assert(packet.body.size() <= INT32_MAX - kRconMinPacketSize);
    std::string out;
    out.reserve(kHeaderSize + packet.body.size() + 2);
    AppendInt32(out, static_cast<int32_t>(packet.body.size()) + kRconMinPacketSize);
    AppendInt32(out, packet.id);
    AppendInt32(out, packet.type);
    out += packet.body;
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

RconDecodeResult DecodeRconPacket(std::string_view buffer) {
    RconDecodeResult result;
    if (buffer.size() < 4) {
        return result;
    }
    // Reject a bad size as soon as it is visible rather than waiting for a body that may never end.
    const int32_t size = ReadInt32(buffer, 0);
    if (size < kRconMinPacketSize || size > kRconMaxPacketSize) {
        result.status = RconDecodeStatus::SizeOutOfRange;
        return result;
    }
    const std::size_t total = 4 + static_cast<std::size_t>(size);
    if (buffer.size() < total) {
        return result;
    }
    if (buffer[total - 2] != '\0' || buffer[total - 1] != '\0') {
        result.status = RconDecodeStatus::MissingTerminator;
        return result;
    }
    result.status = RconDecodeStatus::Decoded;
    result.packet.id = ReadInt32(buffer, 4);
    result.packet.type = ReadInt32(buffer, 8);
    result.packet.body.assign(buffer.substr(kHeaderSize, total - kHeaderSize - 2));
    result.consumed = total;
    return result;
}

}  // namespace txl::devserver
