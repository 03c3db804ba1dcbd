#include "platform/fake/fake_message_queue.h"

#include <algorithm>
#include <stdexcept>

namespace kvr::platform {

bool FakeMessageQueue::registerHotKey(Hwnd window, int id, std::uint32_t modifiers,
                                      std::uint32_t virtualKey) {
    ++registerCalls_;
    if (taken(modifiers, virtualKey)) return false;
    const bool idInUse = std::any_of(registrations_.begin(), registrations_.end(), [&](auto& r) {
        return r.window == window && r.id == id;
    });
    if (idInUse) return false;
    registrations_.push_back({window, id, modifiers, virtualKey});
    return true;
}

bool FakeMessageQueue::unregisterHotKey(Hwnd window, int id) {
    ++unregisterCalls_;
    auto it = std::find_if(registrations_.begin(), registrations_.end(),
                           [&](auto& r) { return r.window == window && r.id == id; });
    if (it == registrations_.end()) return false;
    registrations_.erase(it);
    return true;
}

bool FakeMessageQueue::postHotKey(Hwnd window, std::uint32_t id) {
    if (window == 0) return false;  // a thread message: no window to say it to
    postHotKey(id);
    return true;
}

void FakeMessageQueue::waitMessage() {
    if (queue_.empty() && onIdle) onIdle();
    if (queue_.empty()) throw std::logic_error("waiting on an empty queue with nothing to come");
}

bool FakeMessageQueue::peekHotKey(std::uint32_t& id) {
    auto it = std::find_if(queue_.begin(), queue_.end(),
                           [](const Message& m) { return std::holds_alternative<HotKey>(m); });
    if (it == queue_.end()) return false;
    id = std::get<HotKey>(*it).id;
    queue_.erase(it);
    return true;
}

void FakeMessageQueue::dispatchPending(const HotKeyHandler& onHotKey) {
    while (!queue_.empty()) {
        Message message = std::move(queue_.front());
        queue_.pop_front();
        if (auto* hotKey = std::get_if<HotKey>(&message)) {
            if (onHotKey) {
                onHotKey(hotKey->id);
            } else {
                hotKeysDispatched_.push_back(hotKey->id);
            }
        } else {
            std::get<std::function<void()>>(message)();
        }
    }
}

bool FakeMessageQueue::press(std::uint32_t modifiers, std::uint32_t virtualKey) {
    for (const auto& r : registrations_) {
        if (r.modifiers == modifiers && r.virtualKey == virtualKey) {
            postHotKey(static_cast<std::uint32_t>(r.id));
            return true;
        }
    }
    return false;
}

void FakeMessageQueue::takeElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey) {
    elsewhere_.emplace_back(modifiers, virtualKey);
}

bool FakeMessageQueue::taken(std::uint32_t modifiers, std::uint32_t virtualKey) const {
    auto same = [&](std::uint32_t m, std::uint32_t k) { return m == modifiers && k == virtualKey; };
    return std::any_of(elsewhere_.begin(), elsewhere_.end(),
                       [&](auto& e) { return same(e.first, e.second); }) ||
           std::any_of(registrations_.begin(), registrations_.end(),
                       [&](auto& r) { return same(r.modifiers, r.virtualKey); });
}

}  // namespace kvr::platform
