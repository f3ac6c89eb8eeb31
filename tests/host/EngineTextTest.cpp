#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "host/EngineText.h"
#include "support/EmulatedServer.h"

namespace {

// Empty strings are empty text without touching a buffer; text outside ASCII goes both ways.
TEST(EngineText, ConvertsEmptyTextAndTextOutsideAscii) {
    txltest::EmulatedServer server;
    FString empty;
    EXPECT_EQ(txl::host::ToUtf8(empty), "");
    FString made(L"");
    EXPECT_EQ(made.Data, nullptr);
    EXPECT_EQ(made.ArrayNum, 0);
    EXPECT_EQ(txl::host::ToUtf8(nullptr, 0), "");
    EXPECT_EQ(txl::host::ToUtf8(L"x", -3), "");
    EXPECT_TRUE(txl::host::ToWide("").empty());

    auto live = emu::LiveAllocations();
    {
        const std::string text =
            "Kr\xC3\xA4he \xE2\x82\xAC \xF0\x9F\x90\x99";  // two-, three- and four-byte characters
        txl::host::EngineString engine(txl::host::ToWide(text));
        EXPECT_EQ(txl::host::ToUtf8(engine.Get()), text);
        // A four-byte character is one unit here, a surrogate pair where wchar_t is 16-bit.
        EXPECT_EQ(engine.Get().ArrayNum, sizeof(wchar_t) == 2 ? 11 : 10);
        engine.Get().AssignRange(L"xy", 1);
        EXPECT_EQ(txl::host::ToUtf8(engine.Get()), "x");
    }
    EXPECT_EQ(emu::LiveAllocations(), live);
}

}  // namespace
