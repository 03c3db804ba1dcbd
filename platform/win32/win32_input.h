// The input port over user32: a low-level mouse hook on a thread of its own, the last input,
// the virtual screen, the double-click time and the keys held.
#pragma once

#include <map>
#include <memory>

#include "platform/input.h"

namespace kvr::platform {

class Win32Input : public Input {
public:
    Win32Input();
    Win32Input(const Win32Input&) = delete;
    Win32Input& operator=(const Win32Input&) = delete;
    // Takes down the hooks still set.
    ~Win32Input() override;

    HookHandle setMouseHook(LowLevelMouseProc procedure) override;
    bool unhookMouseHook(HookHandle hook) override;
    std::uint32_t lastInputTime() override;
    std::uint32_t tickCount() override;
    VirtualScreen virtualScreen() override;
    std::uint32_t doubleClickTime() override;
    bool keyDown(int virtualKey) override;

    struct Hook;

private:
    std::map<HookHandle, std::unique_ptr<Hook>> hooks_;
    HookHandle next_ = 1;
};

}  // namespace kvr::platform
