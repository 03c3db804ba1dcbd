// Message-queue and hotkey port: the calls of the program's own message loop.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace kvr::platform {

namespace mod {
inline constexpr std::uint32_t kAlt = 1;
inline constexpr std::uint32_t kControl = 2;
inline constexpr std::uint32_t kShift = 4;
}  // namespace mod

class MessageQueue {
public:
    virtual ~MessageQueue() = default;

    virtual bool registerHotKey(Hwnd window, int id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;
    virtual bool unregisterHotKey(Hwnd window, int id) = 0;
    // Sleeps until the thread's queue holds a message.
    virtual void waitMessage() = 0;
    // Removes one WM_HOTKEY of any window of the thread; its wParam goes to id.
    virtual bool peekHotKey(std::uint32_t& id) = 0;
    // Translates and dispatches every pending message until the queue is empty.
    virtual void dispatchPending() = 0;
};

}  // namespace kvr::platform
