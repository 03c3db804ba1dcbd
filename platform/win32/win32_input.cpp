#include "platform/win32/win32_input.h"

#include <windows.h>

#include <thread>

namespace kvr::platform {

// A low-level hook is called on the thread that set it, from that thread's message loop, and
// the system holds the pointer until it answers: the thread does nothing else.
struct Win32Input::Hook {
    LowLevelMouseProc procedure;
    std::thread thread;
    DWORD threadId = 0;
    // Signalled by the thread once it knows whether the hook is set: a std::promise would
    // bring several kilobytes of the runtime into the executable.
    HANDLE told = nullptr;
    bool set = false;
};

namespace {

// The hook whose thread this is; the system calls the procedure without a word of context.
thread_local Win32Input::Hook* current = nullptr;

LRESULT CALLBACK lowLevelMouse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && current) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const MouseHookEvent event{
            .message = static_cast<std::uint32_t>(wParam),
            .x = info->pt.x,
            .y = info->pt.y,
            .mouseData = info->mouseData,
            .flags = info->flags,
            // Input sent without a time of its own is stamped by the system, but not everywhere.
            .time = info->time != 0 ? info->time : GetTickCount(),
        };
        if (current->procedure(event)) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void hookThread(Win32Input::Hook* hook) {
    current = hook;
    MSG msg;
    // The queue exists before anyone is told the thread's id, so that WM_QUIT has a place.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    hook->threadId = GetCurrentThreadId();
    HHOOK handle = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouse, GetModuleHandleW(nullptr), 0);
    hook->set = handle != nullptr;
    SetEvent(hook->told);
    if (!handle) return;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    UnhookWindowsHookEx(handle);
}

}  // namespace

Win32Input::Win32Input() = default;

Win32Input::~Win32Input() {
    while (!hooks_.empty()) unhookMouseHook(hooks_.begin()->first);
}

Input::HookHandle Win32Input::setMouseHook(LowLevelMouseProc procedure) {
    if (!procedure) return 0;
    auto hook = std::make_unique<Hook>();
    hook->procedure = std::move(procedure);
    hook->told = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!hook->told) return 0;
    hook->thread = std::thread(hookThread, hook.get());
    WaitForSingleObject(hook->told, INFINITE);
    CloseHandle(hook->told);
    if (!hook->set) {
        hook->thread.join();
        return 0;
    }
    const HookHandle handle = next_++;
    hooks_.emplace(handle, std::move(hook));
    return handle;
}

bool Win32Input::unhookMouseHook(HookHandle handle) {
    const auto it = hooks_.find(handle);
    if (it == hooks_.end()) return false;
    Hook& hook = *it->second;
    PostThreadMessageW(hook.threadId, WM_QUIT, 0, 0);
    hook.thread.join();
    hooks_.erase(it);
    return true;
}

std::uint32_t Win32Input::lastInputTime() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    return GetLastInputInfo(&info) ? info.dwTime : GetTickCount();
}

std::uint32_t Win32Input::tickCount() {
    return GetTickCount();
}

VirtualScreen Win32Input::virtualScreen() {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::uint32_t Win32Input::doubleClickTime() {
    return GetDoubleClickTime();
}

bool Win32Input::keyDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace kvr::platform
