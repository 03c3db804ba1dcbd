#include <windows.h>

#include <set>
#include <vector>

#include "platform/win32/text.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_registry.h"
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

  private:
    std::set<std::string> registered_;
    std::vector<HWND> created_;
};

}  // namespace

DesktopEnv makeDesktop() {
    return {std::make_unique<platform::Win32Desktop>(), std::make_unique<Win32Arranger>()};
}

}  // namespace kvr::contract
