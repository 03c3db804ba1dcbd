#include <vector>

#include "platform/win32/text.h"
#include "ui/win32/peers.h"
#include "ui/win32/win32_backend.h"

namespace kvr::ui {

using win32::FormWindow;

Win32Backend::Win32Backend(void* instance, int iconResource)
    : instance_(instance), iconResource_(iconResource) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                    ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES;
    InitCommonControlsEx(&classes);
}

std::unique_ptr<FormPeer> Win32Backend::createPeer(Form& form) {
    auto* instance = static_cast<HINSTANCE>(instance_);
    HICON icon = iconResource_ ? LoadIconW(instance, MAKEINTRESOURCEW(iconResource_)) : nullptr;
    if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
    return std::make_unique<FormWindow>(form, instance, icon);
}

}  // namespace kvr::ui

namespace kvr::ui::win32 {

namespace {

Rect windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void styleFor(const Form& form, DWORD& style, DWORD& exStyle) {
    const DWORD minMax =
        (form.minButton ? WS_MINIMIZEBOX : 0) | (form.maxButton ? WS_MAXIMIZEBOX : 0);
    exStyle = 0;
    switch (form.borderStyle) {
        case BorderStyle::None:
            style = WS_POPUP;
            break;
        case BorderStyle::FixedSingle:
            style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | minMax;
            break;
        case BorderStyle::Sizable:
            style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | minMax;
            break;
        case BorderStyle::FixedDialog:
            style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
            exStyle = WS_EX_DLGMODALFRAME;
            break;
        case BorderStyle::FixedToolWindow:
            style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
            exStyle = WS_EX_TOOLWINDOW;
            break;
    }
    exStyle |= form.showInTaskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
}

// Messages of a container's children belong to the form.
LRESULT CALLBACK forwardToForm(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR form) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return SendMessageW(reinterpret_cast<HWND>(form), message, wParam, lParam);
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, forwardToForm, id);
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

FormWindow::FormWindow(Form& form, HINSTANCE instance, HICON icon)
    : form_(form), instance_(instance) {
    const std::wstring className = L"KVR_" + toWide(form.name());
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, className.c_str(), &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = icon;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = className.c_str();
        RegisterClassExW(&windowClass);
    }
    DWORD style = 0, exStyle = 0;
    styleFor(form, style, exStyle);
    const Rect& r = form.rect();
    CreateWindowExW(exStyle, className.c_str(), toWide(form.caption()).c_str(), style, r.left,
                    r.top, r.width, r.height, nullptr, nullptr, instance, this);
    bar_ = CreateMenu();
}

FormWindow::~FormWindow() {
    *alive_ = false;
    releaseModalOwner();
    if (hwnd_) {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        // From here on the window's messages go nowhere near the form.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (GetMenu(hwnd) == bar_) SetMenu(hwnd, nullptr);
        DestroyWindow(hwnd);
    }
    if (bar_) DestroyMenu(bar_);
}

LRESULT CALLBACK FormWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FormWindow*>(created->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed from outside: forget the handle so that nothing is destroyed twice.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

template <class Predicate>
Peer* FormWindow::findPeer(Predicate matches) const {
    for (Control* control : form_.controls()) {
        auto* peer = dynamic_cast<Peer*>(control->peer());
        if (peer && matches(*peer)) return peer;
    }
    return nullptr;
}

// Handlers reached from here may unload the form and so destroy this object: after calling
// into the form nothing below touches a member.
LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (message) {
        case WM_CLOSE:
            form_.unload(UnloadMode::ControlMenu);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) form_.unload(UnloadMode::WindowsSession);
            return 0;
        case WM_SIZE: {
            if (!form_.loaded() || wParam == SIZE_MAXSHOW || wParam == SIZE_MAXHIDE) break;
            const WindowState state = wParam == SIZE_MINIMIZED   ? WindowState::Minimized
                                      : wParam == SIZE_MAXIMIZED ? WindowState::Maximized
                                                                 : WindowState::Normal;
            // A minimised window keeps the rectangle it had.
            const Rect rect = state == WindowState::Minimized ? form_.rect() : windowRect(hwnd);
            form_.userResized(rect, state);
            return 0;
        }
        case WM_MOVE:
            if (form_.loaded() && !IsIconic(hwnd)) form_.userMoved(windowRect(hwnd));
            break;
        case WM_COMMAND: {
            if (lParam == 0 && HIWORD(wParam) == 0) {
                const UINT id = LOWORD(wParam);
                if (Peer* peer = findPeer([id](Peer& p) { return p.commandId() == id; })) {
                    peer->command(0);
                    return 0;
                }
            } else if (lParam != 0) {
                auto child = reinterpret_cast<HWND>(lParam);
                if (Peer* peer = findPeer([child](Peer& p) { return p.window() == child; })) {
                    peer->command(HIWORD(wParam));
                    return 0;
                }
            }
            break;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            HWND from = header->hwndFrom;
            if (Peer* peer = findPeer([from](Peer& p) { return p.window() == from; })) {
                LRESULT result = 0;
                if (peer->notify(*header, result)) return result;
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            auto child = reinterpret_cast<HWND>(lParam);
            if (Peer* peer = findPeer([child](Peer& p) { return p.window() == child; }))
                if (HBRUSH brush = peer->colorStatic(reinterpret_cast<HDC>(wParam)))
                    return reinterpret_cast<LRESULT>(brush);
            break;
        }
        case WM_TIMER: {
            const UINT_PTR id = wParam;
            if (Peer* peer = findPeer([id](Peer& p) { return p.timerId() == id; })) {
                peer->timer();
                return 0;
            }
            break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

Hwnd FormWindow::handle() const {
    return toHwnd(hwnd_);
}

void FormWindow::showAsState() {
    switch (form_.windowState()) {
        case WindowState::Minimized:
            ShowWindow(hwnd_, SW_SHOWMINIMIZED);
            break;
        case WindowState::Maximized:
            ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
            break;
        case WindowState::Normal:
            ShowWindow(hwnd_, IsIconic(hwnd_) || IsZoomed(hwnd_) ? SW_RESTORE : SW_SHOW);
            break;
    }
}

void FormWindow::releaseModalOwner() {
    // Before the dialog goes, so that activation returns to the owner and not elsewhere.
    if (!modalOwner_) return;
    EnableWindow(modalOwner_, TRUE);
    modalOwner_ = nullptr;
}

void FormWindow::changed(Form& form, Change what) {
    if (!hwnd_) return;
    switch (what) {
        case Change::Caption:
            SetWindowTextW(hwnd_, toWide(form.caption()).c_str());
            break;
        case Change::Rect: {
            const Rect& r = form.rect();
            if (IsIconic(hwnd_)) {
                WINDOWPLACEMENT placement{};
                placement.length = sizeof placement;
                GetWindowPlacement(hwnd_, &placement);
                placement.rcNormalPosition = {r.left, r.top, r.left + r.width, r.top + r.height};
                placement.showCmd = IsWindowVisible(hwnd_) ? SW_SHOWMINNOACTIVE : SW_HIDE;
                SetWindowPlacement(hwnd_, &placement);
            } else {
                SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        }
        case Change::Visible:
            if (form.visible()) {
                showAsState();
            } else {
                releaseModalOwner();
                ShowWindow(hwnd_, SW_HIDE);
            }
            break;
        case Change::WindowState:
            // A hidden window takes its state when shown.
            if (!IsWindowVisible(hwnd_)) break;
            switch (form.windowState()) {
                case WindowState::Minimized:
                    ShowWindow(hwnd_, SW_MINIMIZE);
                    break;
                case WindowState::Maximized:
                    ShowWindow(hwnd_, SW_MAXIMIZE);
                    break;
                case WindowState::Normal:
                    ShowWindow(hwnd_, SW_SHOWNORMAL);
                    break;
            }
            break;
        default:
            break;
    }
}

void FormWindow::bringToTop() {
    if (!hwnd_) return;
    const UINT activate = IsWindowVisible(hwnd_) ? 0 : SWP_NOACTIVATE;
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | activate);
}

std::unique_ptr<ControlPeer> FormWindow::createPeer(Control& control) {
    if (!hwnd_) return nullptr;
    switch (control.kind()) {
        case Kind::MenuItem:
            return std::make_unique<MenuPeer>(*this, static_cast<MenuItem&>(control));
        case Kind::ImageList:
            return std::make_unique<ImageListPeer>(*this, static_cast<ImageList&>(control));
        case Kind::Timer:
            return createTimerPeer(*this, static_cast<Timer&>(control));
        case Kind::ListView:
            return createListViewPeer(*this, static_cast<ListView&>(control));
        case Kind::Label:
        case Kind::CommandButton:
        case Kind::Frame:
        case Kind::PictureBox:
        case Kind::Image:
            return createWindowPeer(*this, control);
        default:
            // Not mirrored yet: the control lives as state alone.
            return nullptr;
    }
}

void FormWindow::forgetImages(HIMAGELIST images) {
    for (Control* control : form_.controls())
        if (auto* peer = dynamic_cast<Peer*>(control->peer())) peer->forgetImages(images);
}

HWND FormWindow::parentFor(const Control& control) const {
    if (control.container) {
        if (auto* peer = dynamic_cast<Peer*>(control.container->peer())) {
            if (HWND container = peer->window()) {
                SetWindowSubclass(container, forwardToForm, 1, reinterpret_cast<DWORD_PTR>(hwnd_));
                return container;
            }
        }
    }
    return hwnd_;
}

void FormWindow::rebuildMenu(MenuItem* parent, const MenuItem* adding, MenuPeer* addingPeer) {
    const auto peerOf = [adding, addingPeer](const MenuItem* item) {
        return item == adding ? addingPeer : dynamic_cast<MenuPeer*>(item->peer());
    };
    HMENU menu = bar_;
    std::vector<MenuItem*> items;
    if (parent) {
        MenuPeer* parentPeer = peerOf(parent);
        if (!parentPeer) return;
        menu = parentPeer->submenu();
        items = parent->children();
    } else {
        for (Control* control : form_.controls())
            if (control->kind() == Kind::MenuItem && !static_cast<MenuItem*>(control)->parent())
                items.push_back(static_cast<MenuItem*>(control));
    }
    // RemoveMenu leaves the submenus alive: their items own them.
    while (GetMenuItemCount(menu) > 0) RemoveMenu(menu, 0, MF_BYPOSITION);
    for (MenuItem* item : items) {
        MenuPeer* peer = peerOf(item);
        if (!peer || !item->visible()) continue;
        std::wstring text = toWide(item->caption());
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.wID = peer->commandId();
        if (item->separator()) {
            info.fMask = MIIM_FTYPE | MIIM_ID;
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
            info.fType = MFT_STRING;
            info.dwTypeData = text.data();
            info.fState = (item->enabled() ? MFS_ENABLED : MFS_DISABLED) |
                          (item->checked() ? MFS_CHECKED : MFS_UNCHECKED);
            info.hSubMenu = item->children().empty() ? nullptr : peer->submenu();
        }
        InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
    }
    if (!parent && hwnd_) {
        // Once attached the bar stays, and an emptied bar is only repainted: taking it away or
        // recomputing the frame resizes the client area, and the bar empties while a form is
        // being destroyed, when a resize must not reach it.
        const bool empty = GetMenuItemCount(bar_) == 0;
        if (GetMenu(hwnd_) != bar_) {
            if (!empty) SetMenu(hwnd_, bar_);
        } else if (empty) {
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        } else {
            DrawMenuBar(hwnd_);
        }
    }
}

void FormWindow::popupMenu(MenuItem& menu) {
    auto* peer = dynamic_cast<MenuPeer*>(menu.peer());
    if (!peer || !hwnd_ || menu.children().empty()) return;
    HMENU popup = peer->submenu();
    HWND hwnd = hwnd_;
    auto alive = alive_;
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                         cursor.x, cursor.y, 0, hwnd, nullptr));
    if (!*alive) return;
    PostMessageW(hwnd, WM_NULL, 0, 0);
    if (chosen == 0) return;
    if (Peer* item = findPeer([chosen](Peer& p) { return p.commandId() == chosen; }))
        item->command(0);
}

void FormWindow::runModal(Form* owner) {
    HWND self = hwnd_;
    if (!self) return;
    auto alive = alive_;
    HWND ownerWindow =
        owner ? reinterpret_cast<HWND>(static_cast<std::uintptr_t>(owner->hWnd())) : nullptr;
    if (ownerWindow == self || (ownerWindow && !IsWindow(ownerWindow))) ownerWindow = nullptr;
    if (ownerWindow) {
        SetWindowLongPtrW(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
        EnableWindow(ownerWindow, FALSE);
        modalOwner_ = ownerWindow;
    }
    MSG message;
    while (*alive && IsWindowVisible(self)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit for the loop that owns the program.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (*alive) releaseModalOwner();
}

}  // namespace kvr::ui::win32
