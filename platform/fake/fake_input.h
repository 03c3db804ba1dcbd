// The session's input for tests: a clock that moves only when told, mouse events a test sends
// through the installed hooks as Windows would, and modifier keys it holds down.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "platform/input.h"

namespace kvr::platform {

class FakeInput : public Input {
public:
    HookHandle setMouseHook(LowLevelMouseProc procedure) override;
    bool unhookMouseHook(HookHandle hook) override;
    std::uint32_t lastInputTime() override { return lastInput; }
    std::uint32_t tickCount() override { return now; }
    VirtualScreen virtualScreen() override { return screen; }
    std::uint32_t doubleClickTime() override { return doubleClick; }
    bool keyDown(int virtualKey) override { return held.count(virtualKey) != 0; }

    // Test side.
    // An event as the mouse gives it, now (unless it has a time of its own): the newest hook
    // first, each until one swallows it. True when it got past them to the windows.
    bool send(MouseHookEvent event);
    // The pointer moves to (x, y), a click of a button (wm::kMButtonDown's pair, or an X
    // button's), as send() does them.
    bool moveTo(int x, int y);
    bool click(std::uint32_t downMessage, std::uint32_t mouseData = 0);
    // A key of the keyboard goes down or up; that is input too.
    void hold(int virtualKey, bool down);
    void advance(std::uint32_t milliseconds) { now += milliseconds; }
    bool hooked() const { return !hooks_.empty(); }
    int hooksSet() const { return hooksSet_; }

    std::uint32_t now = 0x10000;  // far enough from 0 that times before it are plain numbers
    std::uint32_t lastInput = 0x10000;
    VirtualScreen screen{0, 0, 1280, 800};
    std::uint32_t doubleClick = 500;
    std::set<int> held;
    int x = 640, y = 400;
    // What got past the hooks, in order.
    std::vector<MouseHookEvent> delivered;

private:
    std::map<HookHandle, LowLevelMouseProc> hooks_;
    HookHandle next_ = 1;
    int hooksSet_ = 0;
};

}  // namespace kvr::platform
