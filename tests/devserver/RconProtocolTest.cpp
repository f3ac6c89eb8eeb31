#include <gtest/gtest.h>

#include "RconPacket.h"
#include "RconTestClient.h"

namespace txl::devserver {
namespace {

using rcontest::WireBytes;
using rcontest::WirePacketBytes;

TEST(RconPacketTest, EncodesLittleEndianHeaderBodyAndTwoNuls) {
    const std::string expected(
        "\x0c\x00\x00\x00\x04\x03\x02\x01\xff\xff\xff\xff"
        "ab\x00\x00",
        16);
    EXPECT_EQ(EncodeRconPacket({0x01020304, -1, "ab"}), expected);
}

TEST(RconPacketTest, DecodesPacketAndReportsBytesTaken) {
    const std::string bytes = WirePacketBytes(42, 2, "status") + "next";
    const RconDecodeResult result = DecodeRconPacket(bytes);
    ASSERT_EQ(result.status, RconDecodeStatus::Decoded);
    EXPECT_EQ(result.packet.id, 42);
    EXPECT_EQ(result.packet.type, 2);
    EXPECT_EQ(result.packet.body, "status");
    EXPECT_EQ(result.consumed, bytes.size() - 4);
}

TEST(RconPacketTest, WaitsForEveryPrefixOfAPacket) {
    const std::string bytes = WirePacketBytes(1, 2, "x");
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_EQ(DecodeRconPacket(bytes.substr(0, length)).status, RconDecodeStatus::NeedMoreData)
            << "prefix " << length;
    }
}

TEST(RconPacketTest, RejectsSizeOutOfRangeFromTheSizeFieldAlone) {
    for (const int32_t size : {9, 0, -1, 4097, 0x7fffffff}) {
        EXPECT_EQ(DecodeRconPacket(WireBytes(size, 0, 0, "").substr(0, 4)).status,
                  RconDecodeStatus::SizeOutOfRange)
            << "size " << size;
    }
}

TEST(RconPacketTest, RejectsBodyWithoutBothTrailingNuls) {
    for (const std::string& tail :
         {std::string("abcd"), std::string("ab\0c", 4), std::string("abc\0", 4)}) {
        EXPECT_EQ(DecodeRconPacket(WireBytes(12, 1, 2, tail)).status,
                  RconDecodeStatus::MissingTerminator);
    }
}

}  // namespace
}  // namespace txl::devserver
