// Input port: the session's mouse and keyboard as a whole, for what acts without a hotkey: a
// low-level mouse hook, the time of the last input, the virtual screen, the double-click time
// and the keys held down.
#pragma once

#include <cstdint>
#include <functional>

namespace kvr::platform {

// The mouse messages a low-level hook is given (its wParam).
namespace wm {
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMButtonUp = 0x0208;
inline constexpr std::uint32_t kMouseWheel = 0x020A;
inline constexpr std::uint32_t kXButtonDown = 0x020B;
inline constexpr std::uint32_t kXButtonUp = 0x020C;
}  // namespace wm

// Which X button an X-button message is about: the high word of its mouseData.
namespace xbutton {
inline constexpr std::uint32_t kBack = 1;     // XBUTTON1
inline constexpr std::uint32_t kForward = 2;  // XBUTTON2
}  // namespace xbutton

// MSLLHOOKSTRUCT's flags.
namespace llmhf {
inline constexpr std::uint32_t kInjected = 0x1;  // came from SendInput or mouse_event
}  // namespace llmhf

// Virtual-key codes of the modifier keys, either side.
namespace vk {
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12;  // Alt
}  // namespace vk

// One event as a low-level mouse hook sees it (MSLLHOOKSTRUCT and the message).
struct MouseHookEvent {
    std::uint32_t message = wm::kMouseMove;
    int x = 0;  // the pointer, in virtual-screen coordinates
    int y = 0;
    std::uint32_t mouseData = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;  // the tick count of the event
};

// The rectangle around every monitor (SM_XVIRTUALSCREEN, SM_YVIRTUALSCREEN, SM_CXVIRTUALSCREEN,
// SM_CYVIRTUALSCREEN).
struct VirtualScreen {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class Input {
public:
    virtual ~Input() = default;

    using HookHandle = std::uint32_t;  // 0 = none
    // Given every mouse event of the session before any window; true swallows the event, so
    // that no window and no later hook receives it.
    using LowLevelMouseProc = std::function<bool(const MouseHookEvent& event)>;
    // SetWindowsHookEx(WH_MOUSE_LL). The procedure runs on a thread that does nothing else, so
    // that a program busy on its own thread never holds the pointer up: it must be quick and
    // share nothing unguarded with other threads. 0 when the system refused the hook.
    virtual HookHandle setMouseHook(LowLevelMouseProc procedure) = 0;
    // UnhookWindowsHookEx. Once it returns the procedure is not running and never runs again.
    virtual bool unhookMouseHook(HookHandle hook) = 0;

    // GetLastInputInfo: the tick count of the session's last keyboard or mouse input.
    virtual std::uint32_t lastInputTime() = 0;
    // GetTickCount: milliseconds since the system started, wrapping after 49.7 days.
    virtual std::uint32_t tickCount() = 0;
    virtual VirtualScreen virtualScreen() = 0;
    // GetDoubleClickTime: the most milliseconds between the clicks of a double click.
    virtual std::uint32_t doubleClickTime() = 0;
    // GetAsyncKeyState: whether the key is down now.
    virtual bool keyDown(int virtualKey) = 0;
};

}  // namespace kvr::platform
