#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace txl::devserver {

// Packet types as clients use them; exec and auth-response share the value 2.
inline constexpr int32_t kRconResponseValue = 0;
inline constexpr int32_t kRconExecCommand = 2;
inline constexpr int32_t kRconAuthResponse = 2;
inline constexpr int32_t kRconAuth = 3;

// The size field counts id, type, body and the two trailing NULs.
inline constexpr int32_t kRconMinPacketSize = 10;
inline constexpr int32_t kRconMaxPacketSize = 4096;
inline constexpr std::size_t kRconMaxBodySize = kRconMaxPacketSize - kRconMinPacketSize;

struct RconPacket {
    int32_t id = 0;
    int32_t type = 0;
    std::string body;
};

enum class RconDecodeStatus { NeedMoreData, Decoded, SizeOutOfRange, MissingTerminator };

struct RconDecodeResult {
    RconDecodeStatus status = RconDecodeStatus::NeedMoreData;
    RconPacket packet;
    // Bytes of the input taken by the decoded packet; zero unless Decoded.
    std::size_t consumed = 0;
};

// Requests must fit kRconMaxBodySize; replies may be longer (see RconReplyPackets).
std::string EncodeRconPacket(const RconPacket& packet);

// Looks at the front of a receive buffer; never reads past it.
RconDecodeResult DecodeRconPacket(std::string_view buffer);

}  // namespace txl::devserver
