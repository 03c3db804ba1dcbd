// Drives and observes the real program from outside, the way a user and Windows would:
// target windows, mouse, keyboard, hotkeys, message boxes, menus, processes and registry.
// Strings at this interface are UTF-8; the wide API is used underneath.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace probe {

// ---- text ----
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
// Bytes of an ANSI file to UTF-8: the active code page, or UTF-8 when a byte-order mark leads.
std::string ansiFileToUtf8(const std::string& bytes);
std::string hwndText(HWND hwnd);  // "0x1234abcd"
HWND parseHwnd(const std::string& text);
// Quotes a value for the machine-readable output lines: "..." with \" \\ \n \r \t escaped.
std::string quote(std::string_view text);

// ---- files ----
std::string exeDir();  // folder of the running executable, no trailing backslash
std::optional<std::string> readFile(const std::string& path);
// The value of the first "[key]=" in a language file, up to the next CR or LF (UTF-8).
std::optional<std::string> languageEntry(const std::string& path, const std::string& key);
std::vector<std::string> splitParts(const std::string& value);  // at every "|"

// ---- windows ----
struct WindowInfo {
    HWND hwnd = nullptr;
    std::string className;
    std::string title;
    bool visible = false;
    DWORD pid = 0;
};

std::string className(HWND hwnd);
std::string windowText(HWND hwnd);  // WM_GETTEXT: also a control's text in another process
DWORD processOf(HWND hwnd);
bool isVisible(HWND hwnd);
WindowInfo describe(HWND hwnd);
std::vector<WindowInfo> topLevelWindows();
std::vector<WindowInfo> topLevelWindowsOf(DWORD pid);

// A top-level window of this process; the class is registered on first use. An owner makes
// it an owned pop-up. Shown unless show is false.
HWND createWindow(const std::string& cls, const std::string& title, HWND owner = nullptr,
                  bool show = true);
// A child control (e.g. "BUTTON") filling the middle of parent's client area.
HWND createChild(HWND parent, const std::string& cls, const std::string& title);
// Processes pending messages, then keeps doing so for ms milliseconds.
void pump(DWORD ms = 0);
// Takes no message for ms milliseconds, as a program busy with something else: whoever waits
// on this thread's windows waits with it, and after 5 s the system calls them not responding.
void stopAnswering(DWORD ms);
// True when the window's thread takes a message sent to it within timeoutMs.
bool answers(HWND hwnd, DWORD timeoutMs);

// Waits (pumping, 1 ms apart) for a top-level window of that class; title and pid narrow it
// when given (pid 0: any process). nullptr on timeout.
HWND findWindow(const std::string& cls, const std::optional<std::string>& title = std::nullopt,
                DWORD pid = 0, DWORD timeoutMs = 0);

// ---- input ----
bool moveMouseOver(HWND hwnd);  // to the centre of its window rectangle
// Puts the pointer at the screen point and returns once the system reports it there.
bool placeCursor(int x, int y);
// Modifier as the product stores it (16 Shift, 17 Ctrl, 18 Alt, 0 none): modifier down,
// key down, key up, modifier up.
bool pressKey(int modifierVk, int vk);
// Several such presses, in order, in one SendInput batch: they reach the focused program's
// queue together, as when someone types fast.
bool pressKeys(const std::vector<std::pair<int, int>>& presses);
// Clicks of a mouse button where the pointer is, numbered as the product stores it (1 middle,
// 2 back, 3 forward), 40 ms apart, with the modifier (16, 17, 18; 0 none) held around them
// and given a moment to be down before the first click.
bool clickButton(int button, int clicks, int modifierVk = 0);
// The pointer from where it is to (x, y) along a straight line, in steps sent stepMs apart;
// the last step lands exactly there.
bool glideCursor(int x, int y, int steps, DWORD stepMs);

// ---- hotkeys ----
// MOD_SHIFT / MOD_CONTROL / MOD_ALT for 16 / 17 / 18, 0 for 0; nullopt for anything else.
std::optional<UINT> modifierFlag(int modifierVk);
// True when this process can register the combination, i.e. nobody else holds it.
// The check itself holds the combination for a moment: a program that registers it at that
// very moment fails and does not try again. Poll only once the program has settled
// (waitSettled) or has ended, or poll sparingly.
bool hotkeyFree(int modifierVk, int vk);
// Waits until every combination is taken (true) or the timeout passes (false), pollMs apart.
bool waitHotkeysTaken(const std::vector<std::pair<int, int>>& combos, DWORD timeoutMs,
                      DWORD pollMs = 1);
bool waitHotkeysFree(const std::vector<std::pair<int, int>>& combos, DWORD timeoutMs,
                     DWORD pollMs = 1);

// ---- message boxes ----
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
};
// A top-level "#32770" window of process pid (0: any).
std::optional<MessageBoxInfo> findMessageBox(DWORD pid, DWORD timeoutMs);
bool pressOk(HWND box);

// ---- menus ----
struct MenuItem {
    std::string text;
    UINT id = 0;  // 0 for separators and submenus
    int depth = 0;
};
// The whole menu bar, depth first. Another process's menu is read by the agent DLL
// (kvr_probe_agent.dll beside this executable) from inside that process.
std::vector<MenuItem> menuBarItems(HWND hwnd, std::string* error = nullptr);
// Matches exactly, else ignoring "&" and anything after a tab.
std::optional<UINT> findMenuCommand(HWND hwnd, const std::string& caption,
                                    std::string* error = nullptr);
bool postMenuCommand(HWND hwnd, UINT id);

// ---- the notification area ----
struct TrayIcon {
    HWND tooltip = nullptr;  // the shell's tool tip window that holds the icon's cell
    RECT rect{};             // the icon's cell, in screen coordinates
    std::string tip;
};
// The icons the taskbar shows now, read from their tool tips (the shell draws icons without
// windows of their own); a deleted icon's tool tip, left with an empty cell, is not one. Empty
// when there is no taskbar.
std::vector<TrayIcon> trayIcons();
// Waits (pumping) for an icon with exactly that tip.
std::optional<TrayIcon> findTrayIcon(const std::string& tip, DWORD timeoutMs);
// Moves the mouse to the screen point and clicks there with the left or right button.
bool clickAt(int x, int y, bool right = false);
// A taskbar of this process along the bottom of the screen, with the notification window and
// clock that Wine's own lacks, laid out as Windows lays them out and put in front of the
// shell's taskbar, so that a program looking for the taskbar finds this one. The icons are
// still read from the shell's.
struct Taskbar {
    HWND tray = nullptr;    // "Shell_TrayWnd", 30 high across the screen
    HWND notify = nullptr;  // "TrayNotifyWnd", 178 x 26 at its right end, a one-pixel border
    HWND clock = nullptr;   // "TrayClockWClass", 66 x 22 at the notification window's right
};
Taskbar createTaskbar();

// ---- the program ----
inline constexpr const char* kMainClass = "KVR_frmPpal";
inline constexpr const char* kSplashClass = "KVR_frmSplash";
// The caption of the exit command, from the English form-text file of a Lng folder.
std::optional<std::string> exitCaption(const std::string& lngDir);
// Finds the main window and posts the exit command; false when the window or item is missing.
bool sendExitCommand(const std::string& lngDir, DWORD timeoutMs, std::string* error = nullptr);
// Waits for the program's main window in process pid, for its thread to answer a message,
// and then settleMs more: by then the hand-over that loaded the window (and registered the
// hotkeys) has finished. Watching windows is passive; this is what to wait for before
// checking hotkeys. nullptr on timeout.
HWND waitSettled(DWORD pid, DWORD timeoutMs, DWORD settleMs = 300);
// Posts WM_CLOSE, as a task list or taskkill without /F asks a program to close.
bool postClose(HWND hwnd);
// WM_QUERYENDSESSION then WM_ENDSESSION(TRUE), as at log-off. True when both were delivered.
bool simulateLogoff(HWND main);

// The program's journal of the windows it has hidden, in this user's local application data
// folder; "" when the system names no such folder.
std::string hiddenJournal();
// The process's working set and private bytes, in bytes; false when they cannot be read.
bool processMemory(DWORD pid, std::size_t* workingSet, std::size_t* privateBytes);
// Whether process pid has loaded the library of that file name (case-insensitive, no folder);
// nothing when its modules cannot be listed.
std::optional<bool> moduleLoaded(DWORD pid, const std::string& fileName);

// ---- processes ----
class Process {
public:
    Process() = default;
    Process(HANDLE handle, DWORD pid) : handle_(handle), pid_(pid) {}
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD pid() const { return pid_; }
    HANDLE handle() const { return handle_; }
    bool running() const;
    // True when the process ended within the timeout; its exit code goes to *code.
    bool wait(DWORD timeoutMs, DWORD* code = nullptr) const;
    void kill() const;

private:
    HANDLE handle_ = nullptr;
    DWORD pid_ = 0;
};

std::optional<Process> startProcess(const std::string& exePath, const std::string& args = "",
                                    std::string* error = nullptr);
std::optional<Process> openProcess(DWORD pid);
std::vector<DWORD> processesNamed(const std::string& exeName);  // case-insensitive
int killProcessesNamed(const std::string& exeName, DWORD timeoutMs = 5000);

// ---- registry ----
// Keys are written with their root: "HKCU\Software\ORQ", "HKLM\...", also HKEY_CURRENT_USER etc.
bool splitRootedKey(const std::string& path, HKEY* root, std::wstring* subKey);
bool regSetString(const std::string& key, const std::string& name, const std::string& value);
std::optional<std::string> regGetString(const std::string& key, const std::string& name);
bool regDeleteValue(const std::string& key, const std::string& name);  // true if gone
bool regDeleteTree(const std::string& key);                            // true if gone
bool regKeyExists(const std::string& key);
// Every key and value under key, sorted: "KEY path" and "VALUE path\name type data" lines.
std::vector<std::string> regDump(const std::string& key);

// ---- screen ----
// The whole (virtual) screen as a 24-bit BMP file.
bool saveScreenshot(const std::string& path);

}  // namespace probe
