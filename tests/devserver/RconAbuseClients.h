#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RconTestClient.h"

namespace txl::devserver::rcontest {

// Misbehaving clients, one kind per function, each run on a thread of its own. Every one opens
// exactly `count` connections, so the total is known whatever the server does with them.
struct AbuseTally {
    std::atomic<int> connections{0};
    std::atomic<int> floodersLoggedIn{0};
    // Malformed frames the server must drop without an answer.
    std::atomic<int> dropsExpected{0};
    std::atomic<int> dropsSeen{0};
};

using Clients = std::vector<std::unique_ptr<RconTestClient>>;

inline RconTestClient& Open(Clients& held, uint16_t port, AbuseTally& tally) {
    ++tally.connections;
    return *held.emplace_back(std::make_unique<RconTestClient>(port));
}

// Connect and never send; kept open until the test ends.
inline void RunSilent(uint16_t port, int count, Clients& held, AbuseTally& tally) {
    for (int i = 0; i < count; ++i) {
        Open(held, port, tally);
        if (i % 20 == 19) std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
}

// A login announced at full size, then a byte at a time, ten clients at once.
inline void RunSlow(uint16_t port, int count, AbuseTally& tally) {
    for (int batch = 0; batch < count; batch += 10) {
        Clients held;
        for (int i = batch; i < count && i < batch + 10; ++i) {
            Open(held, port, tally).SendRaw(WireBytes(4096, 1, kAuth, ""));
        }
        for (int step = 0; step < 20; ++step) {
            for (auto& client : held) client->SendRaw("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    }
}

// Wrong passwords, some several in one write; the guesser hangs up at once, waits a little for
// the throttled answer, or stays.
inline void RunWrongPasswords(uint16_t port, int count, Clients& held, AbuseTally& tally) {
    for (int i = 0; i < count; ++i) {
        RconTestClient& client = Open(held, port, tally);
        std::string guesses;
        for (int n = 0; n <= i % 3; ++n)
            guesses += WirePacketBytes(n, kAuth, "guess" + std::to_string(i));
        client.SendRaw(guesses);
        if (i % 3 == 0) client.Close();
        if (i % 3 == 1) client.Read(std::chrono::milliseconds(20));
    }
}

// Logged-in clients that pipeline far more than may be outstanding and never read.
inline void RunFloods(uint16_t port, int count, const std::string& password, Clients& held,
                      AbuseTally& tally) {
    for (int i = 0; i < count; ++i) {
        RconTestClient& client = Open(held, port, tally);
        if (client.Authenticate(password)) ++tally.floodersLoggedIn;
        client.SendRaw(i % 2 == 0 ? Pipeline(300, "state") : Pipeline(1000, "status"));
    }
}

// Frames the server must drop, and a login cut short by a client that hangs up.
inline void RunMalformed(uint16_t port, int count, const std::string& password, AbuseTally& tally) {
    const std::string login = WirePacketBytes(1, kAuth, password);
    const std::vector<std::string> dropped = {
        WireBytes(-5, 1, kAuth, ""),
        WireBytes(1 << 20, 1, kAuth, ""),
        WireBytes(9, 1, kAuth, "x"),
        WireBytes(14, 1, kAuth, "abcdXY"),
        WirePacketBytes(1, kExec, "pwned"),
        WirePacketBytes(1, 77, "pwned"),
        Pipeline(50, "pwned").replace(8, 1, "\x05"),
        login + WirePacketBytes(2, 99, "pwned"),
        login + WireBytes(1 << 16, 2, kExec, "pwned"),
    };
    for (int i = 0; i < count; ++i) {
        Clients held;
        RconTestClient& client = Open(held, port, tally);
        const std::size_t kind = static_cast<std::size_t>(i) % (dropped.size() + 1);
        if (kind == dropped.size()) {
            client.SendRaw(login.substr(0, 7));
            continue;
        }
        client.SendRaw(dropped[kind]);
        ++tally.dropsExpected;
        // A login answer may come first (unless the slot went to a newer connection); nothing
        // else may.
        if (kind >= 7) {
            const auto answer = client.Read();
            if (!answer) ++tally.dropsSeen;
            if (!answer || answer->type != kAuthResponse || answer->id != 1) continue;
        }
        if (client.WaitForClose()) ++tally.dropsSeen;
    }
}

}  // namespace txl::devserver::rcontest
