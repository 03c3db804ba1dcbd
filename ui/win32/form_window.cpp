#include <algorithm>
#include <vector>

#include "platform/win32/text.h"
#include "ui/win32/peers.h"
#include "ui/win32/win32_backend.h"

namespace kvr::ui {

using win32::FormWindow;

Win32Backend::Win32Backend(void* instance, int iconResource)
    : instance_(instance), iconResource_(iconResource) {}

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

// Functions of later systems, found at run time so that the program still starts without them.
template <class Function>
Function user32(const char* name) {
    HMODULE module = GetModuleHandleW(L"user32.dll");
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

int dpiOf(HWND hwnd) {
    static const auto getDpiForWindow = user32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow && hwnd)
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

bool hasMenuBar(const Form& form) {
    for (const Control* control : form.controls())
        if (control->kind() == Kind::MenuItem && control->visible() &&
            !static_cast<const MenuItem*>(control)->parent())
            return true;
    return false;
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
            comctl().removeWindowSubclass(hwnd, forwardToForm, id);
            break;
    }
    return comctl().defSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

FormWindow::FormWindow(Form& form, HINSTANCE instance, HICON icon)
    : form_(form), instance_(instance), controlsMade_(form.loadingToShow()) {
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
    if (!hwnd_) return;
    for (const auto& [name, handler] : form.onRegisteredMessage) {
        const UINT message = RegisterWindowMessageW(toWide(name).c_str());
        if (message == 0) continue;
        registered_[message] = name;
        // A program running with more rights than the shell still hears it.
        ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);
    }
    // The design is at 96 dpi; the window takes its screen's scale before anything is laid out.
    dpi_ = dpiOf(hwnd_);
    SIZE outer{scale(r.width), scale(r.height)};
    if (form.clientSize.width > 0 && form.clientSize.height > 0) outer = outerFor(form.clientSize);
    if (outer.cx != r.width || outer.cy != r.height)
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    form.userMoved(windowRect(hwnd_));
}

SIZE FormWindow::outerFor(Size client) const {
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32<AdjustForDpi>("AdjustWindowRectExForDpi");
    RECT r{0, 0, scale(client.width), scale(client.height)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    // The bar is attached only when its items are made, after this: count it now.
    const BOOL menu = GetMenu(hwnd_) != nullptr || hasMenuBar(form_);
    if (adjustForDpi)
        adjustForDpi(&r, style, menu, exStyle, static_cast<UINT>(dpi_));
    else
        AdjustWindowRectEx(&r, style, menu, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

Rect FormWindow::place(const Control& control) const {
    const Rect& d = control.rect();
    Rect r{scale(d.left), scale(d.top), scale(d.width), scale(d.height)};
    const Size& design = form_.clientSize;
    const unsigned anchors = control.anchors;
    if (control.container || design.width <= 0 || design.height <= 0 || !hwnd_ ||
        anchors == (anchor::kLeft | anchor::kTop))
        return r;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int rightGap = scale(design.width - d.left - d.width);
    const int bottomGap = scale(design.height - d.top - d.height);
    if (anchors & anchor::kRight) {
        const int right = client.right - rightGap;
        if (anchors & anchor::kLeft)
            r.width = std::max(0, right - r.left);
        else
            r.left = right - r.width;
    }
    if (anchors & anchor::kBottom) {
        const int bottom = client.bottom - bottomGap;
        if (anchors & anchor::kTop)
            r.height = std::max(0, bottom - r.top);
        else
            r.top = bottom - r.height;
    }
    return r;
}

void FormWindow::layout() {
    for (Control* control : form_.controls())
        if (auto* peer = dynamic_cast<Peer*>(control->peer())) peer->layout();
}

void FormWindow::changeDpi(int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    // Images first: the controls that show them measure their rows and buttons by them.
    for (Control* control : form_.controls())
        if (control->kind() == Kind::ImageList)
            if (auto* peer = dynamic_cast<Peer*>(control->peer())) peer->dpiChanged();
    for (Control* control : form_.controls())
        if (control->kind() != Kind::ImageList)
            if (auto* peer = dynamic_cast<Peer*>(control->peer())) peer->dpiChanged();
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (message >= 0xC000) {
        if (const auto it = registered_.find(message); it != registered_.end()) {
            const std::string name = it->second;
            form_.registeredMessage(name);
            return 0;
        }
    }
    switch (message) {
        case WM_SYSCOMMAND:
            // The close box, the system menu's Close and Alt+F4 all come this way; a bare
            // WM_CLOSE comes from another program (a task list, an uninstaller).
            if ((wParam & 0xFFF0) != SC_CLOSE) break;
            form_.unload(UnloadMode::ControlMenu);
            return 0;
        case WM_CLOSE:
            form_.unload(UnloadMode::TaskManager);
            return 0;
        case WM_HOTKEY:
            form_.hotkey(static_cast<int>(wParam));
            return 0;
        case WM_HELP:
            // F1 anywhere in the window; controls pass it up to here.
            requestHelp(form_);
            return TRUE;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) form_.unload(UnloadMode::WindowsSession);
            return 0;
        case WM_SIZE: {
            if (wParam != SIZE_MINIMIZED) layout();
            if (!form_.loaded() || wParam == SIZE_MAXSHOW || wParam == SIZE_MAXHIDE) break;
            const WindowState state = wParam == SIZE_MINIMIZED   ? WindowState::Minimized
                                      : wParam == SIZE_MAXIMIZED ? WindowState::Maximized
                                                                 : WindowState::Normal;
            // A minimised window keeps the rectangle it had.
            const Rect rect = state == WindowState::Minimized ? form_.rect() : windowRect(hwnd);
            form_.userResized(rect, state);
            return 0;
        }
        case WM_GETMINMAXINFO: {
            const Size& least = form_.minClientSize;
            if (least.width <= 0 || least.height <= 0) break;
            const SIZE outer = outerFor(least);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {outer.cx, outer.cy};
            return 0;
        }
        case 0x02E0: {  // WM_DPICHANGED, not in every SDK's headers
            auto alive = alive_;
            changeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            if (*alive) layout();
            return 0;
        }
        case WM_MOVE:
            if (form_.loaded() && !IsIconic(hwnd)) form_.userMoved(windowRect(hwnd));
            break;
        case WM_ACTIVATE:
            // Back to the control that had the focus when the window was left, as dialogs do.
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
                Control* active = form_.activeControl();
                auto* peer = active ? dynamic_cast<Peer*>(active->peer()) : nullptr;
                if (peer && peer->window() && active->reachable()) {
                    SetFocus(peer->window());
                    return 0;
                }
            }
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
                    peer->commandFrom(LOWORD(wParam), HIWORD(wParam));
                    return 0;
                }
            }
            break;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            HWND from = header->hwndFrom;
            if (Peer* peer = findPeer([from](Peer& p) { return p.owns(from); })) {
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
                // Again at every show: a control whose window could not be made (the common
                // controls failed to load) gets another try.
                controlsMade_ = true;
                auto alive = alive_;
                form.realizeControls();
                if (!*alive || !hwnd_) return;
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
    // What a hidden window needs: its menus, its timers, and its picture boxes, which may be
    // the windows of notification-area icons. The rest comes with the first show.
    switch (control.kind()) {
        case Kind::MenuItem:
            return std::make_unique<MenuPeer>(*this, static_cast<MenuItem&>(control));
        case Kind::Timer:
            return createTimerPeer(*this, static_cast<Timer&>(control));
        case Kind::PictureBox:
            return createPictureBoxPeer(*this, static_cast<PictureBox&>(control));
        default:
            break;
    }
    if (!controlsMade_ || !loadCommonControls()) return nullptr;
    switch (control.kind()) {
        case Kind::ImageList:
            return std::make_unique<ImageListPeer>(*this, static_cast<ImageList&>(control));
        case Kind::ListView:
            return createListViewPeer(*this, static_cast<ListView&>(control));
        case Kind::TreeView:
            return createTreeViewPeer(*this, static_cast<TreeView&>(control));
        case Kind::Toolbar:
            return createToolbarPeer(*this, static_cast<Toolbar&>(control));
        case Kind::CheckBox:
        case Kind::OptionButton:
        case Kind::TextBox:
        case Kind::ComboBox:
        case Kind::TabStrip:
            return createInputPeer(*this, control);
        case Kind::Label:
        case Kind::CommandButton:
        case Kind::Frame:
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
                // A picture box is made before the common controls are loaded.
                if (const CommonControls* controls = loadCommonControls())
                    controls->setWindowSubclass(container, forwardToForm, 1,
                                                reinterpret_cast<DWORD_PTR>(hwnd_));
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

void FormWindow::refresh() {
    if (hwnd_)
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
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
    focusFirstControl();
    MSG message;
    // Until the form itself goes: a dialog that a hide by title took away stays modal, and the
    // show that brings it back brings back a working dialog.
    while (*alive && form_.loaded() && form_.visible()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit for the loop that owns the program.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        // The dialog's own keys; what they run may end the dialog and this object with it.
        if (dialogKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (*alive) releaseModalOwner();
}

void FormWindow::focusFirstControl() {
    Control* first = form_.activeControl();
    if (!first || !first->reachable()) {
        const std::vector<Control*> order = form_.tabOrder();
        first = order.empty() ? nullptr : order.front();
    }
    if (first) first->setFocus();
}

bool FormWindow::dialogKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!hwnd_ || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
    HWND focus = GetFocus();
    for (Control* control : form_.controls()) {
        auto* peer = dynamic_cast<Peer*>(control->peer());
        if (peer && peer->window() && (peer->window() == focus || IsChild(peer->window(), focus)))
            if (peer->wantsKey(message.wParam)) return false;
    }
    const int shift = (GetKeyState(VK_SHIFT) < 0 ? shiftmask::kShift : 0) |
                      (GetKeyState(VK_CONTROL) < 0 ? shiftmask::kCtrl : 0) |
                      (GetKeyState(VK_MENU) < 0 ? shiftmask::kAlt : 0);
    return form_.dialogKey(static_cast<int>(message.wParam), shift);
}

}  // namespace kvr::ui::win32
