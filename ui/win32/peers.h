// Inside the Win32 backend: the form's window and the counterparts of its controls. Each peer
// holds the real object and mirrors one control's state into it; the form's window procedure
// finds the peer a message belongs to by walking the form's controls, so nothing outlives
// the form in a global table.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/win32/text.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace kvr::ui::win32 {

using platform::win32::toWide;

inline Hwnd toHwnd(HWND window) {
    return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(window));
}

class FormWindow;
class MenuPeer;

// The common controls (comctl32, version 6 as the manifest asks) cost megabytes of resident
// memory: they are loaded when a form first shows a control that needs them, not at start, so
// a program that waits in the notification area with its windows never opened goes without.
struct CommonControls {
    decltype(&::SetWindowSubclass) setWindowSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeWindowSubclass = nullptr;
    decltype(&::DefSubclassProc) defSubclassProc = nullptr;
    decltype(&::ImageList_Create) imageListCreate = nullptr;
    decltype(&::ImageList_Destroy) imageListDestroy = nullptr;
    decltype(&::ImageList_SetIconSize) imageListSetIconSize = nullptr;
    decltype(&::ImageList_GetImageCount) imageListGetImageCount = nullptr;
    decltype(&::ImageList_Add) imageListAdd = nullptr;
};
// Loads the library and registers its window classes at the first call; nullptr when it
// cannot be loaded, and then again at the next call.
const CommonControls* loadCommonControls();
// What loadCommonControls loaded: only peers made after it succeeded call this.
const CommonControls& comctl();

// What the form's window procedure may ask of a control's counterpart.
class Peer : public ControlPeer {
public:
    virtual HWND window() const { return nullptr; }
    // Whether a notification from this window is the control's: its own, or a window it made
    // (a tab strip's tool tips).
    virtual bool owns(HWND from) const { return from && from == window(); }
    // A key the focused control needs for itself although the dialog keeps it (Enter and
    // Escape in an open drop-down list).
    virtual bool wantsKey(WPARAM virtualKey) const { return false; }
    virtual UINT commandId() const { return 0; }
    virtual UINT_PTR timerId() const { return 0; }
    // WM_COMMAND from the control's window (notification code).
    virtual void command(WORD code) {}
    // The same with the command's id, which tells the items of a toolbar apart.
    virtual void commandFrom(WORD id, WORD code) { command(code); }
    virtual bool notify(const NMHDR& header, LRESULT& result) { return false; }
    // WM_CTLCOLORSTATIC; null = the default colours.
    virtual HBRUSH colorStatic(HDC dc) { return nullptr; }
    virtual void timer() {}
    // The image list is about to go: stop showing it.
    virtual void forgetImages(HIMAGELIST images) {}
    // The form's client area changed size: take the place the layout gives.
    virtual void layout() {}
    // The window moved to a screen of another scale: fonts and images anew.
    virtual void dpiChanged() {}
};

class FormWindow final : public FormPeer {
public:
    FormWindow(Form& form, HINSTANCE instance, HICON icon);
    ~FormWindow() override;

    Hwnd handle() const override;
    void changed(Form& form, Change what) override;
    std::unique_ptr<ControlPeer> createPeer(Control& control) override;
    void bringToTop() override;
    void popupMenu(MenuItem& menu) override;
    void refresh() override;
    void runModal(Form* owner) override;

    Form& form() const { return form_; }
    HWND hwnd() const { return hwnd_; }
    HINSTANCE instance() const { return instance_; }
    UINT nextId() { return nextId_++; }
    // The window a control's window goes into: its container's, else the form's.
    HWND parentFor(const Control& control) const;
    // Fills the menu that shows parent's children again from the state (null: the menu bar).
    // adding: an item whose peer is being made and not attached yet.
    void rebuildMenu(MenuItem* parent, const MenuItem* adding = nullptr,
                     MenuPeer* addingPeer = nullptr);
    void forgetImages(HIMAGELIST images);

    // Dots per inch of the window's screen; 96 is the designed scale.
    int dpi() const { return dpi_; }
    int scale(int designed) const { return MulDiv(designed, dpi_, 96); }
    // Where a control goes in pixels: its designed rectangle scaled, and for a control on an
    // anchored form, kept at the edges it is anchored to.
    Rect place(const Control& control) const;

private:
    void layout();
    void changeDpi(int dpi, const RECT* suggested);
    // The outer size that holds the client area at the current scale.
    SIZE outerFor(Size client) const;
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    template <class Predicate>
    Peer* findPeer(Predicate matches) const;
    void showAsState();
    void releaseModalOwner();
    // A key for the dialog (Form::dialogKey) rather than for the focused control; true when
    // it was used.
    bool dialogKey(const MSG& message);
    void focusFirstControl();

    Form& form_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HMENU bar_ = nullptr;
    // The registered messages the form handles, by number.
    std::map<UINT, std::string> registered_;
    UINT nextId_ = 100;
    int dpi_ = 96;
    HWND modalOwner_ = nullptr;
    // Whether the controls' windows are made: when the form is loaded to be shown at once,
    // else at its first show.
    bool controlsMade_;
    // Set to false when this object goes, so a handler that unloaded the form tells the
    // window procedure still on the stack not to touch it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class MenuPeer final : public Peer {
public:
    MenuPeer(FormWindow& owner, MenuItem& item);
    ~MenuPeer() override;
    void changed(Control& control, Change what) override;
    UINT commandId() const override { return id_; }
    void command(WORD) override { item_.click(); }
    // The popup menu that holds the item's children, made on first use.
    HMENU submenu();
    bool hasSubmenu() const { return submenu_ != nullptr; }

private:
    FormWindow& owner_;
    MenuItem& item_;
    UINT id_;
    HMENU submenu_ = nullptr;
};

// The images at the form's scale: a 16-pixel list shows 24-pixel images at 144 dpi, taken from
// the list's variants or rescaled.
class ImageListPeer final : public Peer {
public:
    ImageListPeer(FormWindow& owner, ImageList& list);
    ~ImageListPeer() override;
    void changed(Control& control, Change what) override;
    void dpiChanged() override;
    HIMAGELIST handle() const { return images_; }
    int imageSize() const { return size_; }

private:
    void addMissing();
    FormWindow& owner_;
    ImageList& list_;
    int size_;
    HIMAGELIST images_;
};

// A control that is a child window: caption, enabled, visible, position and font.
class WindowPeer : public Peer {
public:
    // watchesFocus: whether the control's window is subclassed to report the focus it gets;
    // a window of the backend's own class reports it itself.
    WindowPeer(FormWindow& owner, Control& control, const wchar_t* className, DWORD style,
               DWORD exStyle, bool watchesFocus = true);
    ~WindowPeer() override;
    HWND window() const override { return hwnd_; }
    Hwnd windowHandle() const override { return toHwnd(hwnd_); }
    void changed(Control& control, Change what) override;
    void layout() override;
    void dpiChanged() override;
    void focus() override;
    void bringToFront() override;

protected:
    void applyFont(const Font& font);
    // Paints again what lies under the control, for see-through controls.
    void repaintBehind();

    HWND hwnd_ = nullptr;
    FormWindow& owner_;
    Control& control_;

private:
    static LRESULT CALLBACK watchFocus(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);

    HFONT font_ = nullptr;
};

// The kinds that are child windows.
std::unique_ptr<Peer> createWindowPeer(FormWindow& owner, Control& control);
std::unique_ptr<Peer> createListViewPeer(FormWindow& owner, ListView& list);
std::unique_ptr<Peer> createTreeViewPeer(FormWindow& owner, TreeView& tree);
std::unique_ptr<Peer> createTimerPeer(FormWindow& owner, Timer& timer);
// A window of the backend's own class, which needs no common controls.
std::unique_ptr<Peer> createPictureBoxPeer(FormWindow& owner, PictureBox& box);
std::unique_ptr<Peer> createToolbarPeer(FormWindow& owner, Toolbar& bar);
// Check boxes, option buttons, text boxes, drop-down lists and tab strips.
std::unique_ptr<Peer> createInputPeer(FormWindow& owner, Control& control);

// GDI helpers.
HFONT createFont(const Font& font, int dpi);
// What a label leaves free at its right edge, so that no glyph of a full line is cut off.
int labelTextInset(int dpi);
// A top-down 32-bit DIB section; an image whose alpha is 0 everywhere comes out opaque.
HBITMAP createBitmap(int width, int height, const std::uint32_t* pixels);

}  // namespace kvr::ui::win32
