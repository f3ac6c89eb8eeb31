#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AsaApi/Address.h"
#include "emuhost/NameRegistry.h"
#include "host/HostNames.h"
#include "support/EmulatedServer.h"

namespace {

// Every name the plug-in resolves is published by the game, as what the plug-in takes it for.
TEST(GameNames, EveryNameThePluginUsesResolves) {
    txltest::EmulatedServer server;
    char object[1024] = {};
    for (const txl::host::HostName& listed : txl::host::kHostNames) {
        const std::string name(listed.Text);
        switch (listed.Kind) {
            case txl::host::HostNameKind::Function:
                EXPECT_NE(GetAddress(name), nullptr) << name;
                break;
            case txl::host::HostNameKind::Field:
                EXPECT_NO_THROW(GetAddress(object, name)) << name;
                break;
            case txl::host::HostNameKind::BitField:
                EXPECT_EQ(GetBitField(object, name).num_bits, 1u) << name;
                break;
            case txl::host::HostNameKind::Hook:
                EXPECT_NE(emuhost::NameRegistry::Instance().HookSlot(name), nullptr) << name;
                break;
        }
    }
}

TEST(GameNames, AnUnknownNameFailsLoudly) {
    txltest::EmulatedServer server;
    try {
        GetAddress("UPrimalItem.NoSuchFunction()");
        FAIL() << "an unknown name resolved";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("UPrimalItem.NoSuchFunction()"),
                  std::string::npos);
    }
    EXPECT_EQ(server.Logs().Messages("error", "AsaApi").size(), 1u);
}

}  // namespace
