#include "RconSession.h"

#include <sstream>

#include "RconReplySplitter.h"

namespace txl::devserver {
namespace {

// Marks the end of a multi-packet reply for clients that send an empty probe after a command.
const std::string kTerminatorBody("\x00\x01\x00\x00", 4);

std::string Seconds(std::chrono::milliseconds duration) {
    std::ostringstream text;
    text << static_cast<double>(duration.count()) / 1000;
    return text.str();
}

// No early exit, so response time does not reveal how much of a guess matched.
bool SamePassword(std::string_view given, std::string_view expected) {
    if (expected.empty() || given.size() != expected.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < given.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i] ^ expected[i]);
    }
    return difference == 0;
}

}  // namespace

RconSession::RconSession(std::string host, std::string label, const RconServerOptions& options,
                         RconAuthThrottle& throttle, const RconLogger& log)
    : host_(std::move(host)),
      label_(std::move(label)),
      options_(options),
      throttle_(throttle),
      log_(log) {}

std::vector<RconSessionCommand> RconSession::Receive(std::string_view bytes, Clock::time_point now,
                                                     std::size_t allowed) {
    std::vector<RconSessionCommand> commands;
    if (broken_ || finishing_) {
        return commands;
    }
    input_.append(bytes);
    std::size_t offset = 0;
    while (!broken_ && !finishing_ && !awaitingGame_ && slots_.size() < allowed) {
        const RconDecodeResult result = DecodeRconPacket(std::string_view(input_).substr(offset));
        if (result.status == RconDecodeStatus::NeedMoreData) {
            break;
        }
        if (result.status == RconDecodeStatus::SizeOutOfRange) {
            Break("packet size out of range");
        } else if (result.status == RconDecodeStatus::MissingTerminator) {
            Break("packet body not NUL-terminated");
        } else {
            offset += result.consumed;
            Handle(result.packet, now, commands);
        }
    }
    input_.erase(0, offset);
    return commands;
}

void RconSession::Handle(const RconPacket& packet, Clock::time_point now,
                         std::vector<RconSessionCommand>& commands) {
    if (packet.type == kRconAuth) {
        HandleAuth(packet, now);
        return;
    }
    if (!authenticated_) {
        Break("request before authentication");
        return;
    }
    if (packet.type == kRconExecCommand) {
        Slot& slot = AddSlot();
        slot.waitingForGame = true;
        awaitingGame_ = true;
        slot.requestId = packet.id;
        commands.push_back({slot.sequence, packet.body});
    } else if (packet.type == kRconResponseValue) {
        Slot& slot = AddSlot();
        AddPacket(slot, EncodeRconPacket({packet.id, kRconResponseValue, ""}));
        AddPacket(slot, EncodeRconPacket({packet.id, kRconResponseValue, kTerminatorBody}));
    } else {
        Break("unknown packet type " + std::to_string(packet.type));
    }
}

void RconSession::HandleAuth(const RconPacket& packet, Clock::time_point now) {
    // A banned address gets no answer, not even to the right password: its guesses are spent.
    if (throttle_.Banned(host_, now)) {
        finishing_ = true;
        return;
    }
    const bool accepted = SamePassword(packet.body, options_.password);
    Slot& slot = AddSlot();
    if (options_.emptyResponsePreamble) {
        AddPacket(slot, EncodeRconPacket({packet.id, kRconResponseValue, ""}));
    }
    AddPacket(slot, EncodeRconPacket({accepted ? packet.id : -1, kRconAuthResponse, ""}));
    if (accepted) {
        authenticated_ = true;
        Log("rcon: " + label_ + " authenticated");
        return;
    }
    authenticated_ = false;
    finishing_ = true;
    Log("rcon: " + label_ + " wrong password");
    if (throttle_.RecordFailure(host_, now)) {
        const auto& limits = options_.authThrottle;
        Log("rcon: " + host_ + " banned for " + Seconds(limits.banTime) + " s after " +
            std::to_string(limits.maxFailures) + " wrong passwords within " +
            Seconds(limits.window) + " s");
    }
}

void RconSession::Complete(uint64_t sequence, std::string_view reply) {
    for (Slot& slot : slots_) {
        if (slot.sequence != sequence || !slot.waitingForGame) {
            continue;
        }
        for (const std::string& body : SplitRconReply(reply, MaxReplyBody(options_))) {
            AddPacket(slot, EncodeRconPacket({slot.requestId, kRconResponseValue, body}));
        }
        slot.waitingForGame = false;
        awaitingGame_ = false;
        return;
    }
}

std::vector<std::string> RconSession::TakeReadyPackets() {
    std::vector<std::string> packets;
    while (!slots_.empty() && !slots_.front().waitingForGame) {
        for (std::string& packet : slots_.front().packets) {
            queuedBytes_ -= packet.size();
            packets.push_back(std::move(packet));
        }
        slots_.pop_front();
    }
    return packets;
}

void RconSession::Break(const std::string& reason) {
    broken_ = true;
    Log("rcon: " + label_ + " dropped: " + reason);
}

void RconSession::Log(const std::string& line) const {
    if (log_) log_(line);
}

RconSession::Slot& RconSession::AddSlot() {
    Slot& slot = slots_.emplace_back();
    slot.sequence = nextSequence_++;
    return slot;
}

void RconSession::AddPacket(Slot& slot, std::string packet) {
    queuedBytes_ += packet.size();
    slot.packets.push_back(std::move(packet));
}

}  // namespace txl::devserver
