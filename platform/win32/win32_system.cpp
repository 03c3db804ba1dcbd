#include "platform/win32/win32_system.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "platform/single_instance.h"
#include "platform/win32/text.h"

namespace kvr::platform {

namespace {

HWND toHwnd(Hwnd h) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(h)); }

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

Win32System::~Win32System() {
    if (mutex_) CloseHandle(mutex_);
}

bool Win32System::anotherInstanceRunning() {
    // A named mutex in the session's namespace lives exactly as long as the process that holds
    // it, however that process was started; a crashed instance does not lock the name.
    if (!asked_) {
        asked_ = true;
        mutex_ = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
        earlier_ = earlierInstanceFrom(mutex_ != nullptr, GetLastError());
    }
    return earlier_;
}

std::string Win32System::appFolder() {
    std::wstring path = modulePath();
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    // A program at a drive's root keeps its backslash ("C:\").
    path.resize(slash == 2 && path[1] == L':' ? slash + 1 : slash);
    return win32::toUtf8(path);
}

std::uint32_t Win32System::sessionId() {
    DWORD id = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &id) ? id : 0;
}

std::uint32_t Win32System::processId() {
    return GetCurrentProcessId();
}

std::string Win32System::localAppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    std::wstring folder(path);
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return win32::toUtf8(folder);
}

std::string Win32System::exeTitle() {
    std::wstring path = modulePath();
    const auto slash = path.find_last_of(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return win32::toUtf8(name);
}

int Win32System::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int Win32System::screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int Win32System::messageBox(Hwnd owner, const std::string& text, const std::string& caption,
                            std::uint32_t style) {
    return MessageBoxW(toHwnd(owner), win32::toWide(text).c_str(), win32::toWide(caption).c_str(),
                       style);
}

bool Win32System::openDocument(Hwnd owner, const std::string& target) {
    // The default verb: the one the document's kind names as its default, which need not be
    // "open". Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(ShellExecuteW(toHwnd(owner), nullptr,
                                                   win32::toWide(target).c_str(), nullptr,
                                                   nullptr, SW_SHOWNORMAL)) > 32;
}

bool Win32MessageQueue::registerHotKey(Hwnd window, int id, std::uint32_t modifiers,
                                       std::uint32_t virtualKey) {
    return RegisterHotKey(toHwnd(window), id, modifiers, virtualKey) != 0;
}

bool Win32MessageQueue::unregisterHotKey(Hwnd window, int id) {
    return UnregisterHotKey(toHwnd(window), id) != 0;
}

bool Win32MessageQueue::postHotKey(Hwnd window, std::uint32_t id) {
    return window != 0 && PostMessageW(toHwnd(window), WM_HOTKEY, id, 0) != 0;
}

void Win32MessageQueue::waitMessage() { WaitMessage(); }

bool Win32MessageQueue::peekHotKey(std::uint32_t& id) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) return false;
    id = static_cast<std::uint32_t>(msg.wParam);
    return true;
}

void Win32MessageQueue::dispatchPending(const HotKeyHandler& onHotKey) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Keys typed into our own windows keep this loop busy, and a hotkey pressed meanwhile
        // is met here: no window procedure would act on it.
        if (msg.message == WM_HOTKEY && onHotKey) {
            onHotKey(static_cast<std::uint32_t>(msg.wParam));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Win32FileSystem::readFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileW(win32::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    LARGE_INTEGER size;
    // The files read here are a few kilobytes; anything huge is not ours.
    if (GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20)) {
        bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        ok = bytes.empty() ||
             (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
              read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

std::string Win32FileSystem::ansiToUtf8(std::string_view bytes) {
    return win32::ansiToUtf8(bytes);
}

std::vector<std::string> Win32FileSystem::listFiles(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(win32::toWide(pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(win32::toUtf8(found.cFileName));
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

}  // namespace kvr::platform
