#include <windows.h>

#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "platform/preferred_mixer.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_icons.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_mixer.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "tests/contract/contract_env.h"

namespace kvr::contract {

std::unique_ptr<platform::Registry> makeRegistry() {
    return std::make_unique<platform::Win32Registry>();
}

namespace {

HWND toHwnd(platform::Hwnd h) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(h));
}

// Our windows live on this thread: let Wine deliver what creating and destroying them queued.
void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class Win32Arranger : public WindowArranger {
  public:
    ~Win32Arranger() override {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
            if (IsWindow(*it)) DestroyWindow(*it);
        }
        pump();
    }

    platform::Hwnd create(const std::string& className, const std::string& title,
                          const WindowOptions& options) override {
        const std::wstring wideClass = platform::win32::toWide(className);
        if (registered_.insert(className).second) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = wideClass.c_str();
            RegisterClassExW(&wc);
        }
        DWORD style = options.parent != 0  ? WS_CHILD
                      : options.owner != 0 ? WS_POPUP | WS_CAPTION
                                           : WS_OVERLAPPEDWINDOW;
        if (options.visible) style |= WS_VISIBLE;
        POINT at{options.x, options.y};
        if (options.parent != 0) ScreenToClient(toHwnd(options.parent), &at);
        const HWND h = CreateWindowExW(0, wideClass.c_str(), platform::win32::toWide(title).c_str(),
                                       style, at.x, at.y, options.width, options.height,
                                       toHwnd(options.parent != 0 ? options.parent : options.owner),
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
        if (h != nullptr) created_.push_back(h);
        pump();
        return static_cast<platform::Hwnd>(reinterpret_cast<UINT_PTR>(h));
    }

    void destroy(platform::Hwnd h) override {
        DestroyWindow(toHwnd(h));
        pump();
    }

    std::uint32_t processId() override { return GetCurrentProcessId(); }

    platform::Hwnd createNotAnswering(const std::string& className,
                                      const std::string& title) override {
        auto busy = std::make_unique<Busy>();
        Busy& b = *busy;
        const std::wstring wideClass = platform::win32::toWide(className);
        const std::wstring wideTitle = platform::win32::toWide(title);
        b.thread = std::thread([&b, wideClass, wideTitle] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = wideClass.c_str();
            RegisterClassExW(&wc);  // fails harmlessly when this process has it already
            const HWND h = CreateWindowExW(0, wideClass.c_str(), wideTitle.c_str(),
                                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 120,
                                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
            pump();
            b.hwnd = h;
            SetEvent(b.made);
            WaitForSingleObject(b.wake, INFINITE);  // takes no message meanwhile
            pump();
            SetEvent(b.answered);
            WaitForSingleObject(b.end, INFINITE);
            DestroyWindow(h);
        });
        WaitForSingleObject(b.made, INFINITE);
        const auto h = static_cast<platform::Hwnd>(reinterpret_cast<UINT_PTR>(b.hwnd));
        busy_.push_back(std::move(busy));
        return h;
    }

    void answerAgain(platform::Hwnd h) override {
        for (const auto& busy : busy_) {
            if (busy->hwnd != toHwnd(h)) continue;
            SetEvent(busy->wake);
            WaitForSingleObject(busy->answered, 10000);
        }
    }

  private:
    // A thread with one window, stopped until woken, and then until the arranger goes.
    struct Busy {
        HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE end = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HWND hwnd = nullptr;
        std::thread thread;
        ~Busy() {
            SetEvent(wake);
            SetEvent(end);
            if (thread.joinable()) thread.join();
            for (HANDLE e : {made, wake, answered, end}) CloseHandle(e);
        }
    };

    std::set<std::string> registered_;
    std::vector<HWND> created_;
    std::vector<std::unique_ptr<Busy>> busy_;
};

}  // namespace

DesktopEnv makeDesktop() {
    return {std::make_unique<platform::Win32Desktop>(), std::make_unique<Win32Arranger>()};
}

namespace {

class Win32ShellArranger : public ShellArranger {
public:
    ~Win32ShellArranger() override {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            if (IsWindow(*it)) DestroyWindow(*it);
        pump();
    }

    platform::Hwnd create(const std::string& className, platform::Hwnd parent, int x, int y,
                          int width, int height, bool bordered) override {
        const std::wstring wideClass = platform::win32::toWide(className);
        if (registered_.insert(className).second) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = wideClass.c_str();
            RegisterClassExW(&wc);
        }
        const DWORD style = (parent != 0 ? WS_CHILD : WS_POPUP) | (bordered ? WS_BORDER : 0);
        const HWND h = CreateWindowExW(0, wideClass.c_str(), L"", style, x, y, width, height,
                                       toHwnd(parent), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (h != nullptr) created_.push_back(h);
        pump();
        return static_cast<platform::Hwnd>(reinterpret_cast<UINT_PTR>(h));
    }
    std::uint32_t processId() override { return GetCurrentProcessId(); }

private:
    std::set<std::string> registered_;
    std::vector<HWND> created_;
};

}  // namespace

ShellEnv makeShell() {
    return {std::make_unique<platform::Win32Shell>(), std::make_unique<Win32ShellArranger>()};
}

namespace {

// Private to the queue environment's window: lParam owns a std::function to run.
constexpr UINT kRunMessage = WM_APP + 0x4B;
constexpr wchar_t kQueueWindowClass[] = L"KVRContractQueue";

LRESULT CALLBACK queueWindowProc(HWND h, UINT message, WPARAM w, LPARAM l) {
    if (message == kRunMessage) {
        std::unique_ptr<std::function<void()>> run(reinterpret_cast<std::function<void()>*>(l));
        (*run)();
        return 0;
    }
    return DefWindowProcW(h, message, w, l);
}

class Win32QueueEnv : public QueueEnv {
public:
    Win32QueueEnv() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = queueWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kQueueWindowClass;
        RegisterClassExW(&wc);  // fails harmlessly when an earlier environment registered it
        window_ =
            CreateWindowExW(0, kQueueWindowClass, L"KVR contract queue", WS_OVERLAPPEDWINDOW, 0, 0,
                            200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        // Start each case from an empty queue.
        pump();
    }

    ~Win32QueueEnv() override {
        if (guardThread_ != nullptr) {
            SetEvent(guardCancel_);
            WaitForSingleObject(guardThread_, INFINITE);
            CloseHandle(guardThread_);
        }
        if (guardCancel_ != nullptr) CloseHandle(guardCancel_);
        // Frees, without running, what the case left queued: it may point at the case's locals.
        MSG msg;
        while (PeekMessageW(&msg, window_, kRunMessage, kRunMessage, PM_REMOVE)) {
            delete reinterpret_cast<std::function<void()>*>(msg.lParam);
        }
        pump();
        DestroyWindow(window_);
        pump();
    }

    platform::MessageQueue& queue() override { return queue_; }
    platform::Hwnd window() override {
        return static_cast<platform::Hwnd>(reinterpret_cast<UINT_PTR>(window_));
    }

    void postOrdinary(std::function<void()> message) override {
        auto* owned = new std::function<void()>(std::move(message));
        if (!PostMessageW(window_, kRunMessage, 0, reinterpret_cast<LPARAM>(owned))) delete owned;
    }

    bool pressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey) override {
        std::vector<WORD> keys;
        if (modifiers & platform::mod::kControl) keys.push_back(VK_CONTROL);
        if (modifiers & platform::mod::kAlt) keys.push_back(VK_MENU);
        if (modifiers & platform::mod::kShift) keys.push_back(VK_SHIFT);
        keys.push_back(static_cast<WORD>(virtualKey));
        std::vector<INPUT> inputs;
        for (WORD k : keys) inputs.push_back(key(k, 0));
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
            inputs.push_back(key(*it, KEYEVENTF_KEYUP));
        }
        if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) !=
            inputs.size()) {
            return false;
        }
        // Input travels through the server; give it a moment to land without taking anything
        // off the queue.
        for (int i = 0; i < 100 && !(HIWORD(GetQueueStatus(QS_HOTKEY)) & QS_HOTKEY); ++i) Sleep(10);
        return true;
    }

    void guardWait(int milliseconds) override {
        guardCancel_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        guardDelay_ = static_cast<DWORD>(milliseconds);
        waiter_ = GetCurrentThreadId();
        guardThread_ = CreateThread(nullptr, 0, guard, this, 0, nullptr);
    }

    bool wokenByGuard() override { return woken_ != 0; }

private:
    static INPUT key(WORD virtualKey, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.dwFlags = flags;
        return input;
    }

    static DWORD WINAPI guard(void* self) {
        auto* env = static_cast<Win32QueueEnv*>(self);
        if (WaitForSingleObject(env->guardCancel_, env->guardDelay_) == WAIT_TIMEOUT) {
            InterlockedExchange(&env->woken_, 1);
            PostThreadMessageW(env->waiter_, WM_NULL, 0, 0);
        }
        return 0;
    }

    platform::Win32MessageQueue queue_;
    HWND window_ = nullptr;
    HANDLE guardThread_ = nullptr;
    HANDLE guardCancel_ = nullptr;
    DWORD guardDelay_ = 0;
    DWORD waiter_ = 0;
    volatile LONG woken_ = 0;
};

std::wstring wide(const std::string& utf8) {
    return platform::win32::toWide(utf8);
}

class Win32FilesEnv : public FilesEnv {
public:
    Win32FilesEnv() {
        wchar_t temp[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        std::wstring path(temp, n);
        if (!path.empty() && path.back() == L'\\') path.pop_back();
        static int serial = 0;
        path += L"\\KVRContract" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++serial);
        removeTree(path);
        CreateDirectoryW(path.c_str(), nullptr);
        folder_ = platform::win32::toUtf8(path);
    }

    ~Win32FilesEnv() override { removeTree(wide(folder_)); }

    platform::FileSystem& files() override { return files_; }
    std::string folder() override { return folder_; }

    void write(const std::string& name, const std::string& bytes) override {
        HANDLE file = CreateFileW(wide(folder_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        if (!bytes.empty()) {
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
        CloseHandle(file);
    }

    void makeFolder(const std::string& name) override {
        CreateDirectoryW(wide(folder_ + "\\" + name).c_str(), nullptr);
    }

    bool exists(const std::string& name) override {
        return GetFileAttributesW(wide(folder_ + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::optional<std::string> read(const std::string& name) override {
        HANDLE file = CreateFileW(wide(folder_ + "\\" + name).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return std::nullopt;
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            bytes.append(buffer, got);
        }
        CloseHandle(file);
        return bytes;
    }

    unsigned ansiCodePage() override { return GetACP(); }

private:
    // Through the raw API, so cleaning up owes nothing to the code under test.
    static void removeTree(const std::wstring& path) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring child = path + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(child);
                } else {
                    DeleteFileW(child.c_str());
                }
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(path.c_str());
    }

    platform::Win32FileSystem files_;
    std::string folder_;
};

}  // namespace

std::unique_ptr<QueueEnv> makeQueueEnv() {
    return std::make_unique<Win32QueueEnv>();
}

std::unique_ptr<platform::System> makeSystem() {
    return std::make_unique<platform::Win32System>();
}

std::unique_ptr<FilesEnv> makeFilesEnv() {
    return std::make_unique<Win32FilesEnv>();
}

namespace {

struct Win32Mixers {
    platform::Win32CoreAudioMixer endpoint;
    platform::Win32WinmmMixer winmm;
};

// As WinMain wires it; the adapters are built before the mixer that chooses between them.
class ProgramMixer : private Win32Mixers, public platform::PreferredMixer {
public:
    ProgramMixer() : PreferredMixer(endpoint, winmm) {}
};

}  // namespace

std::unique_ptr<platform::Mixer> makeMixer() {
    return std::make_unique<ProgramMixer>();
}

std::unique_ptr<platform::Keyboard> makeKeyboard() {
    return std::make_unique<platform::Win32Keyboard>();
}

namespace {

constexpr wchar_t kInputWindowClass[] = L"KVRContractInput";
int inputButtons = 0;  // presses and releases the input window received

LRESULT CALLBACK inputWindowProc(HWND h, UINT message, WPARAM w, LPARAM l) {
    if (message >= WM_LBUTTONDOWN && message <= WM_XBUTTONDBLCLK && message != WM_MOUSEWHEEL)
        ++inputButtons;
    return DefWindowProcW(h, message, w, l);
}

class Win32InputEnv : public InputEnv {
public:
    Win32InputEnv() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = inputWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kInputWindowClass;
        RegisterClassExW(&wc);
        const auto t = target();
        window_ = CreateWindowExW(WS_EX_TOPMOST, kInputWindowClass, L"KVR contract input",
                                  WS_POPUP | WS_VISIBLE, t.left, t.top, t.width, t.height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        // Wine updates the keys held only for input that reaches a window: a session has one in
        // front, and this test process alone may have none. The display confirms the change a
        // moment later and Wine then reads the keys held from the display's own keyboard,
        // where no key sent here is down: that happens before the first key is sent.
        SetForegroundWindow(window_);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 300) {
            pump();
            Sleep(5);
        }
        inputButtons = 0;
    }
    ~Win32InputEnv() override {
        DestroyWindow(window_);
        pump();
    }

    platform::Input& input() override { return input_; }
    platform::VirtualScreen target() override { return {100, 100, 200, 200}; }

    bool move(int x, int y) override {
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(x - left, 65535, width - 1);
        in.mi.dy = MulDiv(y - top, 65535, height - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        return send(in);
    }

    bool button(std::uint32_t message, std::uint32_t mouseData) override {
        INPUT in{};
        in.type = INPUT_MOUSE;
        switch (message) {
            case WM_LBUTTONDOWN:
                in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                break;
            case WM_LBUTTONUP:
                in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
                break;
            case WM_RBUTTONDOWN:
                in.mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
                break;
            case WM_RBUTTONUP:
                in.mi.dwFlags = MOUSEEVENTF_RIGHTUP;
                break;
            case WM_MBUTTONDOWN:
                in.mi.dwFlags = MOUSEEVENTF_MIDDLEDOWN;
                break;
            case WM_MBUTTONUP:
                in.mi.dwFlags = MOUSEEVENTF_MIDDLEUP;
                break;
            case WM_XBUTTONDOWN:
                in.mi.dwFlags = MOUSEEVENTF_XDOWN;
                break;
            case WM_XBUTTONUP:
                in.mi.dwFlags = MOUSEEVENTF_XUP;
                break;
            default:
                return false;
        }
        in.mi.mouseData = mouseData >> 16;
        return send(in);
    }

    bool key(int virtualKey, bool down) override {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(virtualKey);
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(virtualKey), 0));
        in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        return send(in);
    }

    bool waitUntil(const std::function<bool()>& pred) override {
        const DWORD start = GetTickCount();
        while (!pred()) {
            if (GetTickCount() - start > 5000) return false;
            pump();
            Sleep(1);
        }
        return true;
    }

    int buttonsReceived() override {
        pump();
        return inputButtons;
    }

    void pause(int milliseconds) override {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
            pump();
            Sleep(1);
        }
    }

private:
    static bool send(INPUT& in) { return SendInput(1, &in, sizeof(INPUT)) == 1; }

    platform::Win32Input input_;
    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<InputEnv> makeInputEnv() {
    return std::make_unique<Win32InputEnv>();
}

IconsEnv makeIcons() {
    wchar_t system[MAX_PATH] = {}, windows[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetWindowsDirectoryW(windows, MAX_PATH);
    IconsEnv env;
    env.icons = std::make_unique<platform::Win32Icons>();
    env.withIcons = platform::win32::toUtf8(system) + "\\notepad.exe";
    env.withoutIcons = platform::win32::toUtf8(windows) + "\\win.ini";
    env.missing = platform::win32::toUtf8(windows) + "\\no such program.exe";
    return env;
}

}  // namespace kvr::contract
