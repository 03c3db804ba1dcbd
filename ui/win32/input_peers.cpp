// The controls a user fills in: check boxes, option buttons, text boxes, drop-down lists, the
// tab strip and the borderless frames that hold a tab's page.
#include <vector>

#include "platform/win32/text.h"
#include "ui/win32/peers.h"

namespace kvr::ui::win32 {

namespace {

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

int shiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? shiftmask::kShift : 0) |
           (GetKeyState(VK_CONTROL) < 0 ? shiftmask::kCtrl : 0) |
           (GetKeyState(VK_MENU) < 0 ? shiftmask::kAlt : 0);
}

// Check boxes and option buttons hold their value in the state: a click goes there, and the
// state's value comes back as the check mark.
class CheckPeer final : public WindowPeer {
public:
    CheckPeer(FormWindow& owner, Control& control, DWORD style)
        : WindowPeer(owner, control, L"BUTTON", style | WS_TABSTOP, 0) {
        pushCheck();
    }

    void changed(Control& control, Change what) override {
        if (what == Change::Checked)
            pushCheck();
        else
            WindowPeer::changed(control, what);
    }

    void command(WORD code) override {
        if (code == BN_CLICKED) control_.click();
    }

private:
    void pushCheck() {
        if (!hwnd_) return;
        const bool checked = control_.kind() == Kind::CheckBox
                                 ? static_cast<CheckBox&>(control_).value() == 1
                                 : static_cast<OptionButton&>(control_).value();
        SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
};

// The text lives in the state; what the user types comes back through EN_CHANGE. Keys go to
// the box's key events first, and a character its KeyPress swallows never reaches the text.
class TextBoxPeer final : public WindowPeer {
public:
    TextBoxPeer(FormWindow& owner, TextBox& box)
        : WindowPeer(owner, box, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE),
          box_(box) {
        if (!hwnd_) return;
        pushText();
        comctl().setWindowSubclass(hwnd_, keys, 1, reinterpret_cast<DWORD_PTR>(this));
    }

    void changed(Control& control, Change what) override {
        if (what == Change::Text)
            pushText();
        else
            WindowPeer::changed(control, what);
    }

    void command(WORD code) override {
        if (code != EN_CHANGE || pushing_) return;
        box_.setText(platform::win32::toUtf8(windowText(hwnd_)));
    }

private:
    void pushText() {
        if (!hwnd_) return;
        const std::wstring text = toWide(box_.text());
        // The user's own typing comes back here: setting it again would move the caret.
        if (windowText(hwnd_) == text) return;
        pushing_ = true;
        SetWindowTextW(hwnd_, text.c_str());
        pushing_ = false;
    }

    static LRESULT CALLBACK keys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self) {
        auto* peer = reinterpret_cast<TextBoxPeer*>(self);
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: {
                const bool handled = static_cast<bool>(peer->box_.onKeyDown);
                peer->box_.keyDown(static_cast<int>(wParam), shiftState());
                // F10 would open the window's menu; a box that reads keys took it.
                if (message == WM_SYSKEYDOWN && wParam == VK_F10 && handled) return 0;
                break;
            }
            case WM_CHAR: {
                const int left = peer->box_.keyPress(static_cast<int>(wParam));
                if (left == 0) return 0;
                wParam = static_cast<WPARAM>(left);
                break;
            }
            case WM_NCDESTROY:
                comctl().removeWindowSubclass(hwnd, keys, id);
                break;
        }
        return comctl().defSubclassProc(hwnd, message, wParam, lParam);
    }

    TextBox& box_;
    bool pushing_ = false;
};

// A drop-down list: the list shows below the field, so the window is taller than the design.
class ComboPeer final : public WindowPeer {
public:
    ComboPeer(FormWindow& owner, ComboBox& combo)
        : WindowPeer(owner, combo, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0),
          combo_(combo) {
        pushItems();
        layout();
    }

    void changed(Control& control, Change what) override {
        if (!hwnd_) return;
        switch (what) {
            case Change::Items:
                pushItems();
                break;
            case Change::Selection:
                SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.listIndex()), 0);
                break;
            default:
                WindowPeer::changed(control, what);
                break;
        }
    }

    void layout() override {
        if (!hwnd_) return;
        Rect r = owner_.place(control_);
        r.height += owner_.scale(kListHeight);
        SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void command(WORD code) override {
        if (code != CBN_SELCHANGE) return;
        combo_.setListIndex(static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)));
    }

    bool wantsKey(WPARAM virtualKey) const override {
        return (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE) && hwnd_ &&
               SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0);
    }

private:
    static constexpr int kListHeight = 120;  // the open list, at 96 dpi

    void pushItems() {
        if (!hwnd_) return;
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : combo_.items()) {
            const std::wstring text = toWide(item);
            SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.listIndex()), 0);
    }

    ComboBox& combo_;
};

// The tabs only; the pages are frames the form shows and hides as the selection changes. It
// lies below the frames, which clip it.
class TabStripPeer final : public WindowPeer {
public:
    TabStripPeer(FormWindow& owner, TabStrip& strip)
        : WindowPeer(owner, strip, WC_TABCONTROLW, WS_TABSTOP | WS_CLIPSIBLINGS | TCS_TOOLTIPS, 0),
          strip_(strip) {
        pushTabs();
    }

    void changed(Control& control, Change what) override {
        if (!hwnd_) return;
        switch (what) {
            case Change::Items:
                pushTabs();
                break;
            case Change::Selection:
                TabCtrl_SetCurSel(hwnd_, strip_.selectedIndex());
                break;
            default:
                WindowPeer::changed(control, what);
                break;
        }
    }

    bool owns(HWND from) const override {
        return from && (from == hwnd_ || from == TabCtrl_GetToolTips(hwnd_));
    }

    bool notify(const NMHDR& header, LRESULT& result) override {
        if (header.code == TCN_SELCHANGE) {
            strip_.select(TabCtrl_GetCurSel(hwnd_));
            result = 0;
            return true;
        }
        if (header.code == TTN_GETDISPINFOW) {
            auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
            const auto index = static_cast<std::size_t>(header.idFrom);
            tip_ = index < strip_.tabs().size() ? toWide(strip_.tabs()[index].toolTip) : L"";
            info.lpszText = tip_.data();
            info.hinst = nullptr;
            result = 0;
            return true;
        }
        return false;
    }

private:
    void pushTabs() {
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        TabCtrl_DeleteAllItems(hwnd_);
        const auto& tabs = strip_.tabs();
        for (std::size_t i = 0; i < tabs.size(); ++i) {
            std::wstring caption = toWide(tabs[i].caption);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = caption.data();
            SendMessageW(hwnd_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        TabCtrl_SetCurSel(hwnd_, strip_.selectedIndex());
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    TabStrip& strip_;
    std::wstring tip_;
};

// A frame without a border: a plain window that holds a tab's page, above the tab strip.
class PagePeer final : public WindowPeer {
public:
    PagePeer(FormWindow& owner, Frame& frame)
        : WindowPeer(owner, frame, L"STATIC", WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT) {
        bringToFront();
    }
};

}  // namespace

std::unique_ptr<Peer> createInputPeer(FormWindow& owner, Control& control) {
    switch (control.kind()) {
        case Kind::CheckBox:
            return std::make_unique<CheckPeer>(owner, control, BS_CHECKBOX);
        case Kind::OptionButton:
            return std::make_unique<CheckPeer>(owner, control, BS_RADIOBUTTON);
        case Kind::TextBox:
            return std::make_unique<TextBoxPeer>(owner, static_cast<TextBox&>(control));
        case Kind::ComboBox:
            return std::make_unique<ComboPeer>(owner, static_cast<ComboBox&>(control));
        case Kind::TabStrip:
            return std::make_unique<TabStripPeer>(owner, static_cast<TabStrip&>(control));
        case Kind::Frame:
            return std::make_unique<PagePeer>(owner, static_cast<Frame&>(control));
        default:
            return nullptr;
    }
}

}  // namespace kvr::ui::win32
