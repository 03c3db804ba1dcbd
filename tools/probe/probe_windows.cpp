// Windows, input, hotkeys, message boxes and menus, seen from outside the program.
#include <algorithm>

#include "agent_protocol.h"
#include "probe.h"

namespace probe {

namespace {

// A polling probe must yield: a tight loop starves the single-threaded Wine server.
void nap() {
    Sleep(1);
}

LRESULT CALLBACK targetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool ensureClass(const std::wstring& cls) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, cls.c_str(), &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = targetProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));      // IDI_APPLICATION
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls.c_str();
    return RegisterClassExW(&wc) != 0;
}

std::wstring wideText(HWND hwnd) {
    // WM_GETTEXT through SendMessageTimeout: a hung target must not hang the probe.
    wchar_t buf[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(buf), reinterpret_cast<LPARAM>(buf),
                             SMTO_ABORTIFHUNG, 2000, &got))
        return {};
    return std::wstring(buf, std::min<size_t>(got, std::size(buf) - 1));
}

BOOL CALLBACK collectTopLevel(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

std::string stripMenuText(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, text.find('\t')))
        if (c != '&') out += c;
    return out;
}

void walkMenu(HMENU menu, int depth, std::vector<MenuItem>& out) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        item.depth = depth;
        wchar_t buf[512] = {};
        int n = GetMenuStringW(menu, UINT(i), buf, int(std::size(buf)), MF_BYPOSITION);
        item.text = narrow(std::wstring(buf, std::max(n, 0)));
        HMENU sub = GetSubMenu(menu, i);
        UINT id = GetMenuItemID(menu, i);
        item.id = (sub || id == UINT(-1)) ? 0 : id;
        out.push_back(item);
        if (sub) walkMenu(sub, depth + 1, out);
    }
}

}  // namespace

// ---- windows ----

std::string className(HWND hwnd) {
    wchar_t buf[256] = {};
    int n = GetClassNameW(hwnd, buf, int(std::size(buf)));
    return narrow(std::wstring(buf, std::max(n, 0)));
}

std::string windowText(HWND hwnd) {
    return narrow(wideText(hwnd));
}

DWORD processOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

bool isVisible(HWND hwnd) {
    return IsWindowVisible(hwnd) != FALSE;
}

WindowInfo describe(HWND hwnd) {
    // GetWindowText reads another process's caption without a message: a busy program does
    // not stall the listing.
    wchar_t title[512] = {};
    int n = GetWindowTextW(hwnd, title, int(std::size(title)));
    return WindowInfo{hwnd, className(hwnd), narrow(std::wstring(title, std::max(n, 0))),
                      isVisible(hwnd), processOf(hwnd)};
}

std::vector<WindowInfo> topLevelWindows() {
    std::vector<HWND> handles;
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&handles));
    std::vector<WindowInfo> out;
    for (HWND h : handles) out.push_back(describe(h));
    return out;
}

std::vector<WindowInfo> topLevelWindowsOf(DWORD pid) {
    auto all = topLevelWindows();
    std::erase_if(all, [pid](const WindowInfo& w) { return w.pid != pid; });
    return all;
}

HWND createWindow(const std::string& cls, const std::string& title, HWND owner, bool show) {
    std::wstring wcls = widen(cls);
    if (!ensureClass(wcls)) return nullptr;
    HWND hwnd = CreateWindowExW(0, wcls.c_str(), widen(title).c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd && show) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
    }
    pump();
    return hwnd;
}

HWND createChild(HWND parent, const std::string& cls, const std::string& title) {
    RECT rc{};
    GetClientRect(parent, &rc);
    int w = std::max<int>(40, (rc.right - rc.left) / 2),
        h = std::max<int>(20, (rc.bottom - rc.top) / 3);
    HWND child = CreateWindowExW(0, widen(cls).c_str(), widen(title).c_str(), WS_CHILD | WS_VISIBLE,
                                 (rc.right - w) / 2, (rc.bottom - h) / 2, w, h, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    pump();
    return child;
}

void pump(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (GetTickCount() - start >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

void stopAnswering(DWORD ms) {
    Sleep(ms);
}

bool answers(HWND hwnd, DWORD timeoutMs) {
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, nullptr) != 0;
}

HWND findWindow(const std::string& cls, const std::optional<std::string>& title, DWORD pid,
                DWORD timeoutMs) {
    std::wstring wcls = widen(cls);
    std::optional<std::wstring> wtitle;
    if (title) wtitle = widen(*title);
    DWORD start = GetTickCount();
    for (;;) {
        HWND after = nullptr;
        while ((after = FindWindowExW(nullptr, after, wcls.c_str(),
                                      wtitle ? wtitle->c_str() : nullptr)) != nullptr) {
            if (pid == 0 || processOf(after) == pid) return after;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        pump();
        nap();
    }
}

// ---- input ----

bool placeCursor(int x, int y) {
    // Wine answers GetCursorPos from its own record for 100 ms after a move and from the display
    // after that; the display may not have taken the move yet, and a pointer motion still on its
    // way can put it back. Set it until the display too reports it there: another program asking
    // a moment later gets the same answer. Our own windows are answered meanwhile.
    const DWORD start = GetTickCount();
    DWORD setAt = 0;
    bool set = false;
    for (;;) {
        POINT at{};
        if (!GetCursorPos(&at) || at.x != x || at.y != y) {
            if (GetTickCount() - start > 3000) return false;
            if (!SetCursorPos(x, y)) return false;
            setAt = GetTickCount();
            set = true;
        } else if (!set || GetTickCount() - setAt >= 150) {
            return true;
        }
        pump(5);
    }
}

bool moveMouseOver(HWND hwnd) {
    RECT rc{};
    if (!GetWindowRect(hwnd, &rc)) return false;
    return placeCursor((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

namespace {

// A modifier key down or up, and a moment for the system to take it.
bool pressModifier(int modifierVk, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = WORD(modifierVk);
    in.ki.wScan = WORD(MapVirtualKeyW(UINT(modifierVk), 0));  // MAPVK_VK_TO_VSC
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    const bool sent = SendInput(1, &in, sizeof(INPUT)) == 1;
    pump(60);
    return sent;
}

}  // namespace

bool pressKey(int modifierVk, int vk) {
    return pressKeys({{modifierVk, vk}});
}

bool pressKeys(const std::vector<std::pair<int, int>>& presses) {
    auto key = [](int code, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = WORD(code);
        in.ki.wScan = WORD(MapVirtualKeyW(UINT(code), 0));  // MAPVK_VK_TO_VSC
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return in;
    };
    std::vector<INPUT> seq;
    for (auto [modifierVk, vk] : presses) {
        if (modifierVk) seq.push_back(key(modifierVk, false));
        seq.push_back(key(vk, false));
        seq.push_back(key(vk, true));
        if (modifierVk) seq.push_back(key(modifierVk, true));
    }
    return SendInput(UINT(seq.size()), seq.data(), sizeof(INPUT)) == seq.size();
}

bool clickButton(int button, int clicks, int modifierVk) {
    DWORD down = MOUSEEVENTF_MIDDLEDOWN, up = MOUSEEVENTF_MIDDLEUP, data = 0;
    if (button == 2 || button == 3) {
        down = MOUSEEVENTF_XDOWN;
        up = MOUSEEVENTF_XUP;
        data = button == 2 ? XBUTTON1 : XBUTTON2;
    } else if (button != 1) {
        return false;
    }
    if (modifierVk && !pressModifier(modifierVk, true)) return false;
    bool sent = true;
    for (int i = 0; i < clicks && sent; ++i) {
        INPUT click[2]{};
        for (INPUT& in : click) {
            in.type = INPUT_MOUSE;
            in.mi.mouseData = data;
        }
        click[0].mi.dwFlags = down;
        click[1].mi.dwFlags = up;
        sent = SendInput(2, click, sizeof(INPUT)) == 2;
        // As a hand clicks: the window has taken each click before the next comes, well
        // within the double-click time.
        pump(i + 1 < clicks ? 40 : 50);
    }
    if (modifierVk) pressModifier(modifierVk, false);
    return sent;
}

bool glideCursor(int x, int y, int steps, DWORD stepMs) {
    POINT from{};
    if (!GetCursorPos(&from) || steps < 1) return false;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    for (int i = 1; i <= steps; ++i) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(from.x + (x - from.x) * i / steps - left, 65535, width - 1);
        in.mi.dy = MulDiv(from.y + (y - from.y) * i / steps - top, 65535, height - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        if (SendInput(1, &in, sizeof(INPUT)) != 1) return false;
        if (i < steps) pump(stepMs);
    }
    return true;
}

// ---- hotkeys ----

std::optional<UINT> modifierFlag(int modifierVk) {
    switch (modifierVk) {
        case 0:
            return 0u;
        case 16:
            return UINT(MOD_SHIFT);
        case 17:
            return UINT(MOD_CONTROL);
        case 18:
            return UINT(MOD_ALT);
        default:
            return std::nullopt;
    }
}

bool hotkeyFree(int modifierVk, int vk) {
    auto flag = modifierFlag(modifierVk);
    if (!flag) return false;
    constexpr int kProbeId = 0x5EED;  // below the program's 0xBFF4..0xBFFF
    if (!RegisterHotKey(nullptr, kProbeId, *flag, UINT(vk))) return false;
    UnregisterHotKey(nullptr, kProbeId);
    return true;
}

namespace {
bool waitHotkeys(const std::vector<std::pair<int, int>>& combos, DWORD timeoutMs, DWORD pollMs,
                 bool free) {
    DWORD start = GetTickCount();
    for (;;) {
        bool all = std::all_of(combos.begin(), combos.end(),
                               [free](auto c) { return hotkeyFree(c.first, c.second) == free; });
        if (all) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        pump();
        Sleep(std::max<DWORD>(pollMs, 1));
    }
}
}  // namespace

bool waitHotkeysTaken(const std::vector<std::pair<int, int>>& combos, DWORD timeoutMs,
                      DWORD pollMs) {
    return waitHotkeys(combos, timeoutMs, pollMs, false);
}

bool waitHotkeysFree(const std::vector<std::pair<int, int>>& combos, DWORD timeoutMs,
                     DWORD pollMs) {
    return waitHotkeys(combos, timeoutMs, pollMs, true);
}

// ---- message boxes ----

std::optional<MessageBoxInfo> findMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = findWindow("#32770", std::nullopt, pid, timeoutMs);
    if (!box) return std::nullopt;
    MessageBoxInfo info{box, windowText(box), {}};
    // The text sits in the static control with id 0xFFFF; fall back to any static with text.
    if (HWND text = GetDlgItem(box, 0xFFFF)) info.text = windowText(text);
    for (HWND c = GetWindow(box, GW_CHILD); info.text.empty() && c; c = GetWindow(c, GW_HWNDNEXT))
        if (_wcsicmp(widen(className(c)).c_str(), L"Static") == 0) info.text = windowText(c);
    return info;
}

bool pressOk(HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok) return false;
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(ok)) != FALSE;
}

// ---- menus ----

namespace {

std::vector<MenuItem> parseAgentItems(const wchar_t* text) {
    std::vector<MenuItem> out;
    std::wstring all(text);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(L'\n', start);
        if (end == std::wstring::npos) end = all.size();
        std::wstring line = all.substr(start, end - start);
        size_t t1 = line.find(L'\t'), t2 = line.find(L'\t', t1 + 1);
        if (t1 != std::wstring::npos && t2 != std::wstring::npos) {
            MenuItem item;
            item.depth = _wtoi(line.substr(0, t1).c_str());
            item.id = UINT(wcstoul(line.substr(t1 + 1, t2 - t1 - 1).c_str(), nullptr, 10));
            item.text = narrow(line.substr(t2 + 1));
            out.push_back(item);
        }
        start = end + 1;
    }
    return out;
}

// Another process's menu: read from inside it by the agent DLL, hooked into its thread's
// message retrieval and triggered by a posted request.
std::vector<MenuItem> foreignMenuBarItems(HWND hwnd, DWORD timeoutMs, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return std::vector<MenuItem>{};
    };
    DWORD pid = 0, tid = GetWindowThreadProcessId(hwnd, &pid);
    if (!tid) return fail("no such window");
    wchar_t name[64];
    agent::blockName(pid, name);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(agent::Block), name);
    if (!mapping) return fail("CreateFileMapping failed");
    auto* block = static_cast<agent::Block*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(agent::Block)));
    std::vector<MenuItem> items;
    std::string why;
    std::wstring dllPath = widen(exeDir()) + L"\\" + agent::kDllName;
    HMODULE dll = block ? LoadLibraryW(dllPath.c_str()) : nullptr;
    auto proc = dll ? reinterpret_cast<HOOKPROC>(
                          reinterpret_cast<void*>(GetProcAddress(dll, agent::kHookExport)))
                    : nullptr;
    HHOOK hook = proc ? SetWindowsHookExW(WH_GETMESSAGE, proc, dll, tid) : nullptr;
    if (!block) {
        why = "MapViewOfFile failed";
    } else if (!proc) {
        why = "cannot load " + narrow(dllPath);
    } else if (!hook) {
        why = "SetWindowsHookEx failed, error " + std::to_string(GetLastError());
    } else {
        ZeroMemory(block, sizeof *block);
        PostMessageW(hwnd, RegisterWindowMessageW(agent::kRequestMessage), 0, 0);
        DWORD start = GetTickCount();
        while (!InterlockedCompareExchange(&block->done, 0, 0) &&
               GetTickCount() - start < timeoutMs) {
            pump();
            nap();
        }
        if (!block->done)
            why = "the window's process did not answer within " + std::to_string(timeoutMs) + " ms";
        else if (!block->hasMenu)
            why = "the window has no menu bar";
        else
            items = parseAgentItems(block->items);
    }
    if (hook) UnhookWindowsHookEx(hook);
    if (dll) FreeLibrary(dll);
    if (block) UnmapViewOfFile(block);
    CloseHandle(mapping);
    if (!why.empty()) return fail(why);
    return items;
}

}  // namespace

std::vector<MenuItem> menuBarItems(HWND hwnd, std::string* error) {
    if (processOf(hwnd) != GetCurrentProcessId()) return foreignMenuBarItems(hwnd, 5000, error);
    std::vector<MenuItem> out;
    if (HMENU bar = GetMenu(hwnd))
        walkMenu(bar, 0, out);
    else if (error)
        *error = "the window has no menu bar";
    return out;
}

std::optional<UINT> findMenuCommand(HWND hwnd, const std::string& caption, std::string* error) {
    auto items = menuBarItems(hwnd, error);
    for (const auto& item : items)
        if (item.id && item.text == caption) return item.id;
    std::string loose = stripMenuText(caption);
    for (const auto& item : items)
        if (item.id && stripMenuText(item.text) == loose) return item.id;
    if (error && error->empty()) {
        std::string seen;
        for (const auto& item : items) seen.append(" ").append(quote(item.text));
        *error = "no menu item " + quote(caption) + "; items:" + (seen.empty() ? " (none)" : seen);
    }
    return std::nullopt;
}

bool postMenuCommand(HWND hwnd, UINT id) {
    return PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

// ---- the program ----

std::optional<std::string> exitCaption(const std::string& lngDir) {
    auto value = languageEntry(lngDir + "\\KVR_English.txt", "0051");
    if (!value) return std::nullopt;
    return splitParts(*value).front();
}

bool sendExitCommand(const std::string& lngDir, DWORD timeoutMs, std::string* error) {
    auto fail = [error](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    auto caption = exitCaption(lngDir);
    if (!caption) return fail("no [0051] entry in " + lngDir + "\\KVR_English.txt");
    HWND main = findWindow(kMainClass, std::nullopt, 0, timeoutMs);
    if (!main) return fail(std::string("no ") + kMainClass + " window");
    std::string why;
    auto id = findMenuCommand(main, *caption, &why);
    if (!id) return fail(why);
    if (!postMenuCommand(main, *id)) return fail("PostMessage failed");
    return true;
}

HWND waitSettled(DWORD pid, DWORD timeoutMs, DWORD settleMs) {
    DWORD start = GetTickCount();
    HWND main = findWindow(kMainClass, std::nullopt, pid, timeoutMs);
    if (!main) return nullptr;
    DWORD left = timeoutMs - std::min(timeoutMs, GetTickCount() - start);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, std::max<DWORD>(left, 1),
                             &answer))
        return nullptr;
    pump(settleMs);
    return IsWindow(main) ? main : nullptr;
}

bool postClose(HWND hwnd) {
    return PostMessageW(hwnd, WM_CLOSE, 0, 0) != FALSE;
}

bool simulateLogoff(HWND main) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                             &answer))
        return false;
    // The window may be gone once it has handled the end of the session: that is a success.
    SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    return true;
}

// ---- screen ----

bool saveScreenshot(const std::string& path) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files store rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        GdiFlush();
        DWORD stride = ((DWORD(w) * 3 + 3) & ~3u), size = stride * DWORD(h);
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;  // "BM"
        fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
        fh.bfSize = fh.bfOffBits + size;
        HANDLE f =
            CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD put = 0;
            ok = WriteFile(f, &fh, sizeof fh, &put, nullptr) &&
                 WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &put, nullptr) &&
                 WriteFile(f, bits, size, &put, nullptr);
            CloseHandle(f);
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace probe
