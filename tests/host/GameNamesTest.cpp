#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AsaApi/Address.h"
#include "support/EmulatedServer.h"

namespace {

// A name the game does not publish ends the call that asked for it, rather than reading nowhere.
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
