// The least programs that do kvr.exe's jobs, run beside it in the same Wine world so that its
// figures can be given as ratios; under Wine an absolute time mostly measures Wine.
//   kvr_bench_floor idle [MODIFIER KEY]
//       RegisterHotKey + GetMessage; the hotkey (Shift+F9 by default) hides the window under the
//       mouse with ShowWindow
//   kvr_bench_floor title TEXT sync|async [MODIFIER KEY]
//       the hotkey (Shift+F11 by default) hides every visible top-level window whose title
//       contains TEXT, with one ShowWindow (sync) or ShowWindowAsync (async) per window
// Modifiers as kvr.exe stores them: 16 Shift, 17 Ctrl, 18 Alt. Only kernel32 and user32.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

wchar_t titleText[256];
bool async = false;

BOOL CALLBACK hideMatching(HWND w, LPARAM) {
    wchar_t title[512];
    if (IsWindowVisible(w) && GetWindowTextW(w, title, 512) > 0 && std::wcsstr(title, titleText)) {
        if (async) {
            ShowWindowAsync(w, SW_HIDE);
        } else {
            ShowWindow(w, SW_HIDE);
        }
    }
    return TRUE;
}

void hideUnderMouse() {
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (HWND w = GetAncestor(WindowFromPoint(p), GA_ROOT)) ShowWindow(w, SW_HIDE);
}

UINT modifierFlag(int vk) {
    return vk == 16 ? MOD_SHIFT : vk == 17 ? MOD_CONTROL : vk == 18 ? MOD_ALT : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int argc = __argc;
    char** argv = __argv;
    if (argc < 2) return 2;
    const bool byTitle = std::strcmp(argv[1], "title") == 0;
    int next = 2;
    if (byTitle) {
        if (argc < 4) return 2;
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, titleText, 256);
        async = std::strcmp(argv[3], "async") == 0;
        next = 4;
    }
    int modifier = 16;
    int key = byTitle ? VK_F11 : VK_F9;
    if (argc >= next + 2) {
        modifier = std::atoi(argv[next]);
        key = std::atoi(argv[next + 1]);
    }
    if (!RegisterHotKey(nullptr, 1, modifierFlag(modifier), static_cast<UINT>(key))) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_HOTKEY) continue;
        if (byTitle) {
            EnumWindows(hideMatching, 0);
        } else {
            hideUnderMouse();
        }
    }
    return 0;
}
