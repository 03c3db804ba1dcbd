// An in-memory thread queue: tests post messages and press hotkeys, the program's loop takes
// them exactly as it would from Windows.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <variant>
#include <vector>

#include "platform/message_queue.h"

namespace kvr::platform {

class FakeMessageQueue : public MessageQueue {
public:
    struct Registration {
        Hwnd window;
        int id;
        std::uint32_t modifiers;
        std::uint32_t virtualKey;
    };

    bool registerHotKey(Hwnd window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool unregisterHotKey(Hwnd window, int id) override;
    bool postHotKey(Hwnd window, std::uint32_t id) override;
    void waitMessage() override;
    bool peekHotKey(std::uint32_t& id) override;
    using MessageQueue::dispatchPending;
    void dispatchPending(const HotKeyHandler& onHotKey) override;

    // Test side.
    // Presses a combination: a WM_HOTKEY is queued when some window registered it.
    bool press(std::uint32_t modifiers, std::uint32_t virtualKey);
    void postHotKey(std::uint32_t id) { queue_.emplace_back(HotKey{id}); }
    // An ordinary message: dispatching it runs the function.
    void post(std::function<void()> message) { queue_.emplace_back(std::move(message)); }
    // Combinations another program holds.
    void takeElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey);
    bool taken(std::uint32_t modifiers, std::uint32_t virtualKey) const;
    // Runs when the loop waits on an empty queue; a test posts its next message here. Waiting
    // with nothing to come would hang the real program, so here it throws.
    std::function<void()> onIdle;

    const std::vector<Registration>& registrations() const { return registrations_; }
    std::size_t pending() const { return queue_.size(); }
    // Hotkey ids dispatched to a window procedure, which ignores them: those the loop lost.
    const std::vector<std::uint32_t>& hotKeysDispatched() const { return hotKeysDispatched_; }
    int registerCalls() const { return registerCalls_; }
    int unregisterCalls() const { return unregisterCalls_; }

private:
    struct HotKey {
        std::uint32_t id;
    };
    using Message = std::variant<HotKey, std::function<void()>>;

    std::deque<Message> queue_;
    std::vector<Registration> registrations_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> elsewhere_;
    std::vector<std::uint32_t> hotKeysDispatched_;
    int registerCalls_ = 0;
    int unregisterCalls_ = 0;
};

}  // namespace kvr::platform
