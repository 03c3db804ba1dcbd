// The wait that answers other programs, against the real queue: a program that sends to one of
// our windows while we wait for it to carry something out is answered, not left blocked.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/win32/win32_system.h"

namespace kvr::platform {
namespace {

TEST(QueueWin32, AMessageSentByAnotherThreadIsHandledDuringTheWait) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    std::atomic<int> answered{-1};
    std::thread sender([&] {
        DWORD_PTR result = 0;
        // Well past the waits below: it fails only when nobody handles the message.
        answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
    });
    Win32MessageQueue queue;
    for (int i = 0; i < 500 && answered < 0; ++i) queue.waitSentMessages(10);
    sender.join();
    EXPECT_EQ(answered, 1);
    DestroyWindow(window);
}

}  // namespace
}  // namespace kvr::platform
