#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "ByteReader.h"
#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "RconPacket.h"
#include "RconReplySplitter.h"
#include "RconSession.h"

// A client's byte stream, cut into reads at fuzzed points, through one session's framing and
// dispatch: no command reaches the game before a correct password, every answer leaves as a
// well-formed packet, and a dropped or finishing session takes no more commands.
namespace txlfuzz {
namespace {

using txl::devserver::DecodeRconPacket;
using txl::devserver::RconDecodeStatus;
using Clock = txl::devserver::RconSession::Clock;

constexpr const char* kPassword = "pw";

bool HasAuthRequest(std::string_view stream, const std::string& password) {
    // A correct auth packet as the session would frame it: the decoder decides what a packet is.
    while (true) {
        const auto result = DecodeRconPacket(stream);
        if (result.status != RconDecodeStatus::Decoded) return false;
        if (result.packet.type == txl::devserver::kRconAuth && result.packet.body == password)
            return true;
        stream.remove_prefix(result.consumed);
    }
}

void CheckPackets(const std::vector<std::string>& packets, std::size_t maxBody) {
    for (const std::string& packet : packets) {
        TXL_FUZZ_CHECK(packet.size() >= 14 && packet.size() - 14 <= maxBody);
        // The decoder takes request sizes only: a longer whole reply is checked by its frame.
        if (packet.size() - 14 > txl::devserver::kRconMaxBodySize) {
            std::uint32_t field = 0;
            for (int i = 0; i < 4; ++i)
                field |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(packet[i]))
                         << (8 * i);
            TXL_FUZZ_CHECK(field == packet.size() - 4 &&
                           packet.ends_with(std::string_view("\0\0", 2)));
            continue;
        }
        const auto result = DecodeRconPacket(packet);
        TXL_FUZZ_CHECK(result.status == RconDecodeStatus::Decoded);
        TXL_FUZZ_CHECK(result.consumed == packet.size());
    }
}

}  // namespace

int FuzzRconStream(const std::uint8_t* data, std::size_t size) {
    // The first bytes steer the run: options and the sizes of the reads; the rest is the stream.
    ByteReader steer(data, size < 4 ? size : 4);
    txl::devserver::RconServerOptions options;
    options.password = kPassword;
    const std::uint8_t flags = steer.Byte();
    options.emptyResponsePreamble = (flags & 1U) != 0;
    options.replyPackets = (flags & 2U) != 0 ? txl::devserver::RconReplyPackets::Whole
                                             : txl::devserver::RconReplyPackets::Split;
    const unsigned readSeed = steer.Byte();
    const unsigned completeSeed = steer.Byte();
    txl::devserver::RconAuthThrottle throttle(options.authThrottle);
    std::vector<std::string> logLines;
    const txl::devserver::RconLogger log = [&logLines](const std::string& line) {
        logLines.push_back(line);
    };
    txl::devserver::RconSession session("127.0.0.1", "fuzz", options, throttle, log);

    const std::string_view stream(reinterpret_cast<const char*>(data) + (size < 4 ? size : 4),
                                  size < 4 ? 0 : size - 4);
    Clock::time_point now{};
    std::size_t offset = 0;
    unsigned step = 0;
    std::vector<std::uint64_t> pending;
    while (offset < stream.size()) {
        // Reads of 1 to 64 bytes, or all that is left.
        const std::size_t cut = 1 + ((readSeed * 31U + step * 17U) % 64U);
        const std::string_view chunk = stream.substr(offset, cut);
        const bool authenticatedBefore = HasAuthRequest(stream.substr(0, offset), kPassword);
        const bool broken = session.Broken();
        const bool finishing = session.Finishing();
        // As the server does: no more requests taken than may be outstanding.
        const std::size_t outstanding = session.Outstanding();
        const std::size_t allowed = outstanding < options.maxOutstandingRequests
                                        ? options.maxOutstandingRequests - outstanding
                                        : 0;
        const auto commands = session.Receive(chunk, now, allowed);
        // Commands only after a correct password somewhere earlier in the stream or this read.
        if (!commands.empty()) {
            TXL_FUZZ_CHECK(!broken && !finishing);
            TXL_FUZZ_CHECK(authenticatedBefore ||
                           HasAuthRequest(stream.substr(0, offset + chunk.size()), kPassword));
        }
        for (const auto& command : commands) pending.push_back(command.sequence);
        // The game answers some now and some later, out of order.
        while (!pending.empty() && ((completeSeed >> (step % 8)) & 1U) == 0) {
            const std::uint64_t sequence = pending.back();
            pending.pop_back();
            session.Complete(sequence, std::string(static_cast<std::size_t>(sequence % 9000), 'r'));
        }
        now += std::chrono::milliseconds(250);
        CheckPackets(session.TakeReadyPackets(), MaxReplyBody(options));
        offset += chunk.size();
        ++step;
    }
    for (std::uint64_t sequence : pending) session.Complete(sequence, "late");
    CheckPackets(session.TakeReadyPackets(), MaxReplyBody(options));
    TXL_FUZZ_CHECK(session.Outstanding() == 0);
    return 0;
}

}  // namespace txlfuzz
