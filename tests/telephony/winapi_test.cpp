// The system calls under the dialler: text conversion, the message-box and debug services,
// local blocks and the message pump.
#include "zylma/files/files.h"
#include "zylma/winapi/services.h"
#include "zylma/winapi/winapi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zylma::testing {
namespace {

using namespace zylma::winapi;

// The dialler's texts cross with the record layer's conversion.
TEST(Cp1252, BothWays) {
    using files::cp1252ToUtf8;
    using files::utf8ToCp1252;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"abc", "abc"},
        {"\xA1 OK !", "¡ OK !"},
        {"L\xEDnea Sesi\xF3n \xD1", "Línea Sesión Ñ"},
        {"\x80\x99\x9F", "€™Ÿ"},
    };
    for (const auto& [bytes, utf8] : cases) {
        EXPECT_EQ(cp1252ToUtf8(bytes), utf8);
        EXPECT_EQ(utf8ToCp1252(utf8), bytes);
    }
    EXPECT_EQ(cp1252ToUtf8("\x81\x8D"), "\xC2\x81\xC2\x8D");  // no character there: kept as its own code point
    EXPECT_EQ(utf8ToCp1252("a☎b"), "a?b");                             // none in Windows-1252
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");                            // cut sequence
    EXPECT_EQ(utf8ToCp1252("\xFF" "b"), "?b");
}

TEST(WinApi, MessageBoxAndDebugGoToTheInstalledServices) {
    resetServices();
    setDebugToStderr(false);
    std::vector<std::string> seen;
    setMessageBoxService([&](const std::string& text, const std::string& caption, unsigned type) {
        seen.push_back(caption + "|" + text + "|" + std::to_string(type));
        return 7;
    });
    std::string debug;
    setDebugHook([&](const std::string& bytes) { debug += bytes; });
    EXPECT_EQ(MessageBoxA(nullptr, "\xA1 OK !", "KZQ", MB_ICONINFORMATION), 7);
    OutputDebugStringA("L\xEDnea\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{"KZQ|¡ OK !|64"});
    EXPECT_EQ(debug, "L\xEDnea\n");
    resetServices();
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", 0), IDOK);  // the default answers OK
}

TEST(WinApi, LocalBlocks) {
    resetServices();
    std::size_t before = localBlocksInUse();
    auto* p = static_cast<unsigned char*>(LocalAlloc(LMEM_ZEROINIT, 1048));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(LocalSize(p), 1048u);
    EXPECT_EQ(p[0] | p[1047], 0);
    EXPECT_EQ(localBlocksInUse(), before + 1);
    EXPECT_EQ(LocalFree(p), nullptr);
    EXPECT_EQ(localBlocksInUse(), before);
    setAllocGate([](std::size_t bytes) { return bytes < 100; });
    EXPECT_EQ(LocalAlloc(LMEM_ZEROINIT, 100), nullptr);
    EXPECT_EQ(localBlocksInUse(), before);
    EXPECT_EQ(LocalSize(nullptr), 0u);
    resetServices();
}

TEST(WinApi, PumpRunsEventsThenSourcesThenOneMessageAtATime) {
    resetServices();
    std::vector<std::string> order;
    setPendingEventsService([&] { order.push_back("events"); });
    int source = addMessageSource([&] {
        order.push_back("source");
        if (order.size() < 3) {
            postCallback([&] { order.push_back("first"); });
            postCallback([&] { order.push_back("second"); });
        }
    });
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(order, (std::vector<std::string>{"events", "source", "first", "events", "source", "second", "events",
                                               "source"}));
    removeMessageSource(source);
    EXPECT_EQ(DispatchMessageA(&msg), 0);  // already run: nothing twice
    resetServices();
}

TEST(WinApi, ClockAndSleepCanBeReplaced) {
    resetServices();
    DWORD a = GetTickCount();
    Sleep(5);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - a), 4u);
    DWORD fake = 0xFFFFFFF0;
    setTickSource([&] { return fake; });
    setSleepHook([&](std::uint32_t ms) { fake += ms; });
    Sleep(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    resetServices();
}

}  // namespace
}  // namespace zylma::testing
