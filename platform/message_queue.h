// Message-queue and hotkey port: the calls of the program's own message loop.
#pragma once

#include <cstdint>
#include <functional>

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
    // PostMessage(window, WM_HOTKEY, id, 0): queues what a press of the window's hotkey id
    // queues. Safe from any thread.
    virtual bool postHotKey(Hwnd window, std::uint32_t id) = 0;
    // Sleeps until the thread's queue holds a message.
    virtual void waitMessage() = 0;
    // Removes one WM_HOTKEY of any window of the thread; its wParam goes to id.
    virtual bool peekHotKey(std::uint32_t& id) = 0;
    // Takes every pending message until the queue is empty, messages that arrive meanwhile
    // included. Each WM_HOTKEY met on the way goes to onHotKey with its wParam, in its place
    // among the others, and is not dispatched; every other message is translated and
    // dispatched. Without onHotKey a WM_HOTKEY is dispatched to its window like the rest.
    using HotKeyHandler = std::function<void(std::uint32_t id)>;
    virtual void dispatchPending(const HotKeyHandler& onHotKey) = 0;
    void dispatchPending() { dispatchPending(HotKeyHandler{}); }
};

}  // namespace kvr::platform
