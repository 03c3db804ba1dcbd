#include "platform/fake/fake_input.h"

namespace kvr::platform {

Input::HookHandle FakeInput::setMouseHook(LowLevelMouseProc procedure) {
    if (!procedure) return 0;
    ++hooksSet_;
    const HookHandle handle = next_++;
    hooks_.emplace(handle, std::move(procedure));
    return handle;
}

bool FakeInput::unhookMouseHook(HookHandle hook) {
    return hooks_.erase(hook) != 0;
}

bool FakeInput::send(MouseHookEvent event) {
    if (event.time == 0) event.time = now;
    lastInput = now;
    x = event.x;
    y = event.y;
    // The last hook set is the first asked, as in the system's chain.
    for (auto it = hooks_.rbegin(); it != hooks_.rend(); ++it) {
        if (it->second(event)) return false;
    }
    delivered.push_back(event);
    return true;
}

bool FakeInput::moveTo(int toX, int toY) {
    return send({.message = wm::kMouseMove, .x = toX, .y = toY});
}

bool FakeInput::click(std::uint32_t downMessage, std::uint32_t mouseData) {
    const bool down = send({.message = downMessage, .x = x, .y = y, .mouseData = mouseData});
    const bool up = send({.message = downMessage + 1, .x = x, .y = y, .mouseData = mouseData});
    return down && up;
}

void FakeInput::hold(int virtualKey, bool down) {
    lastInput = now;
    if (down) {
        held.insert(virtualKey);
    } else {
        held.erase(virtualKey);
    }
}

}  // namespace kvr::platform
