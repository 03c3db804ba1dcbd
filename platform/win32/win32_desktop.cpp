#include "platform/win32/win32_desktop.h"

#include <windows.h>
// Need the types windows.h declares.
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "platform/win32/icon_pixels.h"
#include "platform/win32/text.h"

namespace kvr::platform {

namespace {

HWND toHwnd(Hwnd h) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(h));
}
Hwnd fromHwnd(HWND h) {
    return static_cast<Hwnd>(reinterpret_cast<UINT_PTR>(h));
}

BOOL CALLBACK visitWindow(HWND h, LPARAM param) {
    const auto& visit = *reinterpret_cast<const std::function<bool(Hwnd)>*>(param);
    return visit(fromHwnd(h)) ? TRUE : FALSE;
}

// A window's title is cut to this many UTF-16 units; no real title comes near it.
constexpr std::size_t kMaxTitle = 65536;

// Text up to the first NUL of a fixed-size buffer.
std::string cut(const wchar_t* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != L'\0') ++n;
    return win32::toUtf8(std::wstring_view(text, n));
}

// The full path of a process's executable; "" when the process cannot be asked.
std::wstring imagePathOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return {};
    // Long paths reach beyond MAX_PATH.
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    const BOOL found = QueryFullProcessImageNameW(process, 0, path.data(), &length);
    CloseHandle(process);
    path.resize(found ? length : 0);
    return path;
}

// The small icon of the program a window belongs to, as its executable holds it; null for none.
// The caller destroys it.
HICON programSmallIcon(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const std::wstring path = imagePathOf(processId);
    HICON small = nullptr;
    if (!path.empty()) ExtractIconExW(path.c_str(), 0, nullptr, &small, 1);
    return small;
}

}  // namespace

std::vector<std::uint32_t> Win32Desktop::classSmallIcon(Hwnd h, int size) {
    if (size <= 0 || !IsWindow(toHwnd(h))) return {};
    SetLastError(ERROR_SUCCESS);
    auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(toHwnd(h), GCLP_HICONSM));
    // Wine answers only for the classes of the asking process, and cannot draw another
    // process's icons: there the window's program gives the picture instead.
    HICON own = nullptr;
    if (!icon && GetLastError() != ERROR_SUCCESS) icon = own = programSmallIcon(toHwnd(h));
    if (!icon) return {};
    std::vector<std::uint32_t> pixels = win32::iconPixels(icon, size);
    if (own) DestroyIcon(own);
    return pixels;
}

bool Win32Desktop::enumWindows(const std::function<bool(Hwnd)>& visit) {
    // A walk the callback stops also returns FALSE; only a walk that could not start is a
    // failure for us.
    SetLastError(ERROR_SUCCESS);
    const BOOL done = EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&visit));
    return done != FALSE || GetLastError() == ERROR_SUCCESS;
}

bool Win32Desktop::enumDesktopWindows(const std::function<bool(Hwnd)>& visit) {
    SetLastError(ERROR_SUCCESS);
    const BOOL done = EnumDesktopWindows(nullptr, visitWindow, reinterpret_cast<LPARAM>(&visit));
    return done != FALSE || GetLastError() == ERROR_SUCCESS;
}

Hwnd Win32Desktop::getWindow(Hwnd h, std::uint32_t cmd) {
    return fromHwnd(GetWindow(toHwnd(h), cmd));
}

std::string Win32Desktop::getClassName(Hwnd h) {
    wchar_t name[256] = {};
    const int n = GetClassNameW(toHwnd(h), name, 256);
    return n <= 0 ? std::string() : cut(name, static_cast<std::size_t>(n));
}

int Win32Desktop::getWindowTextLength(Hwnd h) {
    return GetWindowTextLengthW(toHwnd(h));
}

std::string Win32Desktop::getWindowText(Hwnd h) {
    // The title the window manager keeps: GetWindowTextW sends a window of this process, on
    // another thread, a message and waits for it, and GetWindowTextLengthW does the same to any
    // program; a hide must wait for nobody. A title that fills the buffer is read again into a
    // larger one.
    std::wstring text(512, L'\0');
    for (;;) {
        const int n = InternalGetWindowText(toHwnd(h), text.data(), static_cast<int>(text.size()));
        if (n <= 0) return {};
        if (static_cast<std::size_t>(n) + 1 < text.size() || text.size() >= kMaxTitle) {
            return cut(text.data(), static_cast<std::size_t>(n));
        }
        text.resize(text.size() * 2);
    }
}

bool Win32Desktop::isWindowVisible(Hwnd h) {
    return IsWindowVisible(toHwnd(h)) != FALSE;
}

bool Win32Desktop::isWindow(Hwnd h) {
    return IsWindow(toHwnd(h)) != FALSE;
}

bool Win32Desktop::showWindow(Hwnd h, int cmd) {
    HWND w = toHwnd(h);
    // ShowWindow waits for the window's thread: a program that has stopped taking messages
    // would hold us, and every hotkey after, until it wakes. Such a window gets the command
    // to carry out when it does.
    constexpr UINT kAnswerMs = 250;
    if (GetWindowThreadProcessId(w, nullptr) != GetCurrentThreadId() &&
        !SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, nullptr)) {
        const bool wasVisible = IsWindowVisible(w) != FALSE;
        ShowWindowAsync(w, cmd);
        return wasVisible;
    }
    return ShowWindow(w, cmd) != FALSE;
}

bool Win32Desktop::showWindowAsync(Hwnd h, int cmd) {
    // Its own result says whether the window was visible for a window of this thread, and
    // whether the request went out for another's: only "is it a window" means the same for
    // both, and the request that went out answers it.
    return ShowWindowAsync(toHwnd(h), cmd) != FALSE || IsWindow(toHwnd(h)) != FALSE;
}

Hwnd Win32Desktop::getParent(Hwnd h) {
    return fromHwnd(GetParent(toHwnd(h)));
}

bool Win32Desktop::getCursorPos(int& x, int& y) {
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    x = p.x;
    y = p.y;
    return true;
}

Hwnd Win32Desktop::windowFromPoint(int x, int y) {
    return fromHwnd(WindowFromPoint(POINT{x, y}));
}

std::uint32_t Win32Desktop::getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) {
    // Windows leaves the id untouched for a stale handle; the port promises 0.
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(toHwnd(h), &pid);
    processId = thread == 0 ? 0 : pid;
    return thread;
}

int Win32Desktop::cascadeWindows(std::uint32_t how) {
    return CascadeWindows(nullptr, how, nullptr, 0, nullptr);
}

int Win32Desktop::tileWindows(std::uint32_t how) {
    return TileWindows(nullptr, how, nullptr, 0, nullptr);
}

std::optional<std::vector<ProcessEntry>> Win32Desktop::processSnapshot() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<ProcessEntry> processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        processes.push_back({cut(entry.szExeFile, MAX_PATH), entry.th32ProcessID});
    }
    CloseHandle(snapshot);
    return processes;
}

std::string Win32Desktop::processImagePath(std::uint32_t processId) {
    return win32::toUtf8(imagePathOf(processId));
}

std::uint64_t Win32Desktop::processStartTime(std::uint32_t processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return 0;
    std::uint64_t started = 0;
    FILETIME created, exited, kernel, user;
    // A process that has ended lives on as an object while anyone holds a handle to it.
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
        GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        started =
            (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    }
    CloseHandle(process);
    return started;
}

}  // namespace kvr::platform
