// The notification area's icons as the shell shows them, and clicks on them.
#include "probe.h"
// Needs the types windows.h declares.
#include <commctrl.h>

#include <cstring>

namespace probe {

namespace {

// TTTOOLINFOW as a 64-bit shell keeps it: a 32-bit reader of a 64-bit explorer must use these
// offsets, not its own structure's.
constexpr std::size_t kToolInfoSize = 72;
constexpr std::size_t kRectAt = 24;
constexpr std::size_t kTextPointerAt = 48;
constexpr std::size_t kHwndAt = 8;
// TTTOOLINFOW of a 32-bit shell.
constexpr std::size_t kToolInfoSize32 = 48;
constexpr std::size_t kRectAt32 = 16;
constexpr std::size_t kTextPointerAt32 = 36;
constexpr std::size_t kHwndAt32 = 8;
constexpr std::size_t kTextAt = 256;  // the tip's buffer, after the structure
constexpr std::size_t kTextChars = 512;

bool isWow64(HANDLE process) {
    BOOL wow = FALSE;
    using IsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto query = reinterpret_cast<IsWow64Process>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    return query && query(process, &wow) && wow;
}

// Whether the other process is 64-bit: this one is 32-bit, so it is unless both run under
// WoW64 or the system itself is 32-bit.
bool otherIs64Bit(HANDLE other) {
    const bool selfWow = isWow64(GetCurrentProcess());
    return selfWow && !isWow64(other);
}

// The shell's taskbar: not one this process made.
HWND shellTaskbar() {
    HWND tray = nullptr;
    while ((tray = FindWindowExW(nullptr, tray, L"Shell_TrayWnd", nullptr)) != nullptr)
        if (processOf(tray) != GetCurrentProcessId()) return tray;
    return nullptr;
}

}  // namespace

std::vector<TrayIcon> trayIcons() {
    std::vector<TrayIcon> icons;
    HWND tray = shellTaskbar();
    if (!tray) return icons;
    DWORD pid = 0;
    GetWindowThreadProcessId(tray, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return icons;
    const bool wide = otherIs64Bit(process);
    const std::size_t size = wide ? kToolInfoSize : kToolInfoSize32;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) {
        CloseHandle(process);
        return icons;
    }
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (className(w) != "tooltips_class32" || GetWindow(w, GW_OWNER) != tray) continue;
        BYTE info[kToolInfoSize] = {};
        const auto cb = static_cast<UINT>(size);
        std::memcpy(info, &cb, sizeof cb);
        const std::uint64_t text = reinterpret_cast<UINT_PTR>(remote + kTextAt);
        std::memcpy(info + (wide ? kTextPointerAt : kTextPointerAt32), &text, wide ? 8 : 4);
        wchar_t none = 0;
        SIZE_T done = 0;
        WriteProcessMemory(process, remote, info, size, &done);
        WriteProcessMemory(process, remote + kTextAt, &none, sizeof none, &done);
        DWORD_PTR found = 0;
        if (!SendMessageTimeoutW(w, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote),
                                 SMTO_ABORTIFHUNG, 2000, &found) ||
            !found)
            continue;
        wchar_t tip[kTextChars] = {};
        if (!ReadProcessMemory(process, remote, info, size, &done) ||
            !ReadProcessMemory(process, remote + kTextAt, tip, sizeof tip - sizeof(wchar_t), &done))
            continue;
        RECT cell{};
        std::memcpy(&cell, info + (wide ? kRectAt : kRectAt32), sizeof cell);
        // The tool tip of an icon that was deleted stays, with an empty cell.
        if (IsRectEmpty(&cell)) continue;
        std::uint32_t owner = 0;  // a window handle's significant half
        std::memcpy(&owner, info + (wide ? kHwndAt : kHwndAt32), sizeof owner);
        HWND toolWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(owner));
        MapWindowPoints(toolWindow ? toolWindow : tray, nullptr, reinterpret_cast<POINT*>(&cell),
                        2);
        icons.push_back({w, cell, narrow(tip)});
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return icons;
}

std::optional<TrayIcon> findTrayIcon(const std::string& tip, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (const TrayIcon& icon : trayIcons())
            if (icon.tip == tip) return icon;
        if (GetTickCount() - start >= timeoutMs) return std::nullopt;
        pump(50);
    }
}

Taskbar createTaskbar() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const wchar_t* name : {L"Shell_TrayWnd", L"TrayNotifyWnd", L"TrayClockWClass"}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = name;
        RegisterClassExW(&wc);  // fails harmlessly for a class registered before
    }
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    Taskbar bar;
    // Topmost as the shell's is, and made after it: first in the Z-order.
    bar.tray = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                               WS_POPUP | WS_VISIBLE, 0, height - 30, width, 30, nullptr, nullptr,
                               instance, nullptr);
    bar.notify = CreateWindowExW(0, L"TrayNotifyWnd", L"", WS_CHILD | WS_VISIBLE | WS_BORDER,
                                 width - 180, 2, 178, 26, bar.tray, nullptr, instance, nullptr);
    bar.clock = CreateWindowExW(0, L"TrayClockWClass", L"12:00", WS_CHILD | WS_VISIBLE, 109, 1, 66,
                                22, bar.notify, nullptr, instance, nullptr);
    pump();
    return bar;
}

bool clickAt(int x, int y, bool right) {
    if (!placeCursor(x, y)) return false;
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    return SendInput(2, input, sizeof(INPUT)) == 2;
}

}  // namespace probe
