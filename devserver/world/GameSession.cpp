#include "GameSession.h"

#include "emugame/Allocator.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/WideText.h"

namespace txl::devserver {

GameSession::GameSession(emu::Game& game, std::filesystem::path pluginDir, double timerInterval)
    : game_(game),
      actors_(game),
      clock_(
          SimulatedClock::ToMilliseconds(timerInterval),
          [this](std::int64_t milliseconds) {
              game_.Advance(milliseconds);
              if (afterStep_) afterStep_();
          },
          [this] {
              emuhost::CommandRegistry::Instance().FireTimers();
              if (afterStep_) afterStep_();
          }),
      pluginDir_(std::move(pluginDir)) {
    deliver_ = [this](int32, int32, const std::string& text) {
        if (collecting_ == nullptr) return;
        if (!collecting_->empty()) collecting_->push_back('\n');
        *collecting_ += text;
    };
    OpenConnection();
}

void GameSession::OpenConnection() {
    connection_ = reinterpret_cast<emu::RconConnection*>(
        game_.NewObject(game_.FindClass("RCONClientConnection"), "RCONClientConnection_0",
                        sizeof(emu::RconConnection)));
    connection_->deliver = &deliver_;
    connectionRef_ = game_.MakeWeak(&connection_->Object);
}

GameSession::~GameSession() {
    // Through the weak reference: the game may have been reset under a test's feet.
    if (auto* connection = game_.ResolveWeak(connectionRef_)) game_.DestroyObject(connection);
}

bool GameSession::RunPluginCommand(const std::string& line, std::string& reply) {
    auto& registry = emuhost::CommandRegistry::Instance();
    if (!registry.HasRconCommand(line.substr(0, line.find(' ')))) return false;
    RCONPacket packet;
    packet.Id = nextPacketId_++;
    packet.Type = 2;
    packet.Body = emu::MakeString(emuhost::ToWide(line));
    packet.Length = static_cast<int32>(line.size() + 10);
    struct Cleanup {
        std::string*& collecting;
        RCONPacket& packet;
        ~Cleanup() {
            collecting = nullptr;
            emu::StringRelease(packet.Body);
        }
    } cleanup{collecting_, packet};
    collecting_ = &reply;
    registry.RunRconCommand(line, reinterpret_cast<RCONClientConnection*>(connection_), &packet,
                            reinterpret_cast<UWorld*>(game_.World()));
    return true;
}

}  // namespace txl::devserver
