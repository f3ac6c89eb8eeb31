#include <gtest/gtest.h>

#include <tuple>

#include "RconAuthThrottle.h"
#include "RconPacket.h"
#include "RconTestClient.h"

namespace txl::devserver {
namespace {

using rcontest::WireBytes;
using rcontest::WirePacketBytes;
using std::chrono::seconds;

TEST(RconPacketTest, EncodesLittleEndianHeaderBodyAndTwoNuls) {
    const std::string expected(
        "\x0c\0\0\0\x04\x03\x02\x01\xff\xff\xff\xff"
        "ab\0\0",
        16);
    EXPECT_EQ(EncodeRconPacket({0x01020304, -1, "ab"}), expected);
}

TEST(RconPacketTest, DecodesPacketAndReportsBytesTaken) {
    const std::string bytes = WirePacketBytes(42, 2, "status") + "next";
    const RconDecodeResult result = DecodeRconPacket(bytes);
    ASSERT_EQ(result.status, RconDecodeStatus::Decoded);
    EXPECT_EQ(std::tie(result.packet.id, result.packet.type, result.packet.body),
              (std::tuple{42, 2, std::string("status")}));
    EXPECT_EQ(result.consumed, bytes.size() - 4);
}

// Every proper prefix waits for more; a bad size is refused from the size field alone, a body
// without both NULs once the packet is complete.
TEST(RconPacketTest, DecodeWaitsForMoreOrRefusesBadFrames) {
    const std::string bytes = WirePacketBytes(1, 2, "x");
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_EQ(DecodeRconPacket(bytes.substr(0, length)).status, RconDecodeStatus::NeedMoreData)
            << "prefix " << length;
    }
    for (const int32_t size : {9, 0, -1, 4097, 0x7fffffff}) {
        EXPECT_EQ(DecodeRconPacket(WireBytes(size, 0, 0, "").substr(0, 4)).status,
                  RconDecodeStatus::SizeOutOfRange)
            << "size " << size;
    }
    for (const char* tail : {"abcd", "ab\0c", "abc\0"}) {
        EXPECT_EQ(DecodeRconPacket(WireBytes(12, 1, 2, std::string_view(tail, 4))).status,
                  RconDecodeStatus::MissingTerminator);
    }
}

TEST(RconAuthThrottleTest, TheBudgetWithinTheWindowBansTheAddressForTheBanTime) {
    RconAuthThrottle throttle({.maxFailures = 3, .window = seconds(10), .banTime = seconds(60)});
    const auto t0 = RconAuthThrottle::Clock::now();
    // Failures further apart than the window never add up.
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(throttle.RecordFailure("a", t0 + i * seconds(5)));
    EXPECT_FALSE(throttle.Banned("a", t0 + seconds(25)));
    EXPECT_FALSE(throttle.RecordFailure("b", t0));
    EXPECT_FALSE(throttle.RecordFailure("b", t0 + seconds(9)));
    EXPECT_TRUE(throttle.RecordFailure("b", t0 + seconds(9)));
    EXPECT_TRUE(throttle.Banned("b", t0 + seconds(68)));
    EXPECT_FALSE(throttle.Banned("b", t0 + seconds(69)));
    EXPECT_FALSE(throttle.Banned("a", t0 + seconds(9)));
    // After the ban the address starts with a fresh budget.
    EXPECT_FALSE(throttle.RecordFailure("b", t0 + seconds(70)));
    EXPECT_FALSE(throttle.Banned("b", t0 + seconds(70)));
}

TEST(RconAuthThrottleTest, AFullTableKeepsItsBansAndForgetsTheMildestOffender) {
    RconAuthThrottle throttle({.maxFailures = 2,
                               .window = seconds(10),
                               .banTime = seconds(60),
                               .maxTrackedAddresses = 2});
    const auto t0 = RconAuthThrottle::Clock::now();
    throttle.RecordFailure("banned", t0);
    throttle.RecordFailure("banned", t0);
    throttle.RecordFailure("once", t0 + seconds(1));
    throttle.RecordFailure("new", t0 + seconds(2));
    EXPECT_TRUE(throttle.Banned("banned", t0 + seconds(2)));
    // "once" was forgotten to make room: its next failure is its first.
    EXPECT_FALSE(throttle.RecordFailure("once", t0 + seconds(3)));
    EXPECT_TRUE(throttle.Banned("banned", t0 + seconds(3)));
}

}  // namespace
}  // namespace txl::devserver
