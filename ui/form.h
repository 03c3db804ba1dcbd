// The form toolkit: windows and their controls as plain C++ objects. A form declares its
// controls as members, in design order; each control registers itself with its form, so the
// form's collection is the designer's order. State lives here. A backend (ui/win32) mirrors it
// into real windows and turns user actions back into handler calls; without a backend the
// state is all there is, which is what the unit tests drive.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kvr::ui {

using platform::Hwnd;

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Size {
    int width = 0;
    int height = 0;
};

// Edges of the form's client area a control keeps its designed distance to when the window is
// resized; a control held by two opposite edges stretches.
namespace anchor {
inline constexpr unsigned kLeft = 1;
inline constexpr unsigned kTop = 2;
inline constexpr unsigned kRight = 4;
inline constexpr unsigned kBottom = 8;
inline constexpr unsigned kAll = kLeft | kTop | kRight | kBottom;
}  // namespace anchor

struct Font {
    std::string name = "Segoe UI";
    double points = 9;  // type sizes such as 7.5 exist
    bool bold = false;
};

enum class Kind {
    Label,
    CommandButton,
    CheckBox,
    OptionButton,
    TextBox,
    ComboBox,
    ListView,
    TreeView,
    TabStrip,
    Toolbar,
    ImageList,
    PictureBox,
    Image,
    Frame,
    Timer,
    MenuItem,
};

// What changed, so a backend pushes only that to the real control.
enum class Change {
    Caption,
    ToolTip,
    Enabled,
    Visible,
    Checked,
    Text,
    Rect,
    Font,
    Items,
    Columns,
    Selection,
    Sort,
    Interval,
    Image,
    WindowState,
    Style,  // look fixed at design time but changeable: alignment, background
};

class Form;
class Control;
class MenuItem;

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void changed(Control& control, Change what) = 0;
    // The real control's window; 0 for a control that has none.
    virtual Hwnd windowHandle() const { return 0; }
    // Gives the real control the keyboard focus; the backend reports it back (userFocused).
    virtual void focus() {}
    // Puts the real control in front of its siblings (ZOrder 0).
    virtual void bringToFront() {}
};

// Keys a form keeps for itself in a dialog (virtual-key codes), and the state of the modifier
// keys that comes with a key (the shift argument of key events).
namespace key {
inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
}  // namespace key
namespace shiftmask {
inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;
}  // namespace shiftmask

class FormPeer {
public:
    virtual ~FormPeer() = default;
    virtual Hwnd handle() const = 0;
    virtual void changed(Form& form, Change what) = 0;
    virtual std::unique_ptr<ControlPeer> createPeer(Control& control) = 0;
    // Moves the window to the top of the z-order (ZOrder 0).
    virtual void bringToTop() = 0;
    // Shows the children of menu at the mouse pointer and runs the chosen item's click.
    virtual void popupMenu(MenuItem& menu) {}
    // Paints the window and every window inside it now.
    virtual void refresh() {}
    // Processes messages until the window is hidden or gone; owner is disabled meanwhile.
    virtual void runModal(Form* owner) {}
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual std::unique_ptr<FormPeer> createPeer(Form& form) = 0;
};

// The program-wide backend; null in tests, which then work on state alone.
void setBackend(Backend* backend);
Backend* backend();

// The forms loaded now, in load order (the Forms collection).
std::vector<Form*> loadedForms();

// What asking for help in any of the program's windows (F1) does; nothing while none is set.
void setHelpHandler(std::function<void(Form&)> handler);
// Called by a backend when the user asks for help in a window.
void requestHelp(Form& form);

class Control {
public:
    Control(Form& form, Kind kind, std::string name, std::string caption = {}, Rect rect = {});
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    Form& form() const { return form_; }
    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    const std::string& toolTipText() const { return toolTip_; }
    void setToolTipText(std::string text);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    const Rect& rect() const { return rect_; }
    void setRect(Rect rect);
    const Font& font() const { return font_; }
    void setFont(Font font);

    // Spare text property; the translation keeps a control's code here.
    std::string tag;

    // The frame or picture box that holds the control (positions are relative to it and option
    // buttons are exclusive within it); null = the form. Set before the form loads.
    Control* container = nullptr;
    // Index within a control array (several controls of one name), -1 = not in an array.
    int index = -1;
    // Read by a backend that lays the form out; only for controls placed on the form itself.
    unsigned anchors = anchor::kLeft | anchor::kTop;
    // The place in the order Tab walks (lower first; equal places in design order); a new
    // control takes the next place after the form's others. tabStop false leaves it out.
    int tabIndex = 0;
    bool tabStop = true;

    std::function<void()> onClick;
    // The keyboard focus arrived or left for another control of the form.
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;
    // Raises the click as a user would: only an enabled control responds. A check box toggles
    // and an option button selects itself, which raises the click through their value.
    virtual void click();
    // Moves the keyboard focus here (SetFocus); the focus events follow.
    void setFocus();
    bool hasFocus() const;
    // In front of the form's other controls (ZOrder 0).
    void bringToFront();
    // Visible and enabled, and so are the frames that hold it.
    bool reachable() const;

    // The real control's window; without one, the handle a test gave, else 0.
    Hwnd hWnd() const;
    void setTestHandle(Hwnd handle) { testHandle_ = handle; }

    ControlPeer* peer() const { return peer_.get(); }
    void attach(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }
    void detach() { peer_.reset(); }

protected:
    void notify(Change what);
    // Calls onClick whatever the enabled state, as a change of value made in code does.
    void raiseClick();
    // Gives a control made after its form loaded its real counterpart. Called at the end of
    // the constructors of the concrete controls, when the object is complete.
    void realize();

private:
    friend class Form;

    Form& form_;
    Kind kind_;
    std::string name_;
    std::string caption_;
    std::string toolTip_;
    bool enabled_ = true;
    bool visible_ = true;
    Rect rect_;
    Font font_;
    Hwnd testHandle_ = 0;
    std::unique_ptr<ControlPeer> peer_;
};

enum class WindowState { Normal, Minimized, Maximized };

// Why a form is asked to close (QueryUnload's UnloadMode). ControlMenu: the user, through the
// window's close box, system menu or Alt+F4; TaskManager: another program asked it to close.
enum class UnloadMode { ControlMenu, Code, WindowsSession, TaskManager };

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog, FixedToolWindow };

class Form {
public:
    Form(std::string name, std::string caption, Rect rect);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    // A form destroyed while loaded loses its window without Form_Unload: unload it first.
    virtual ~Form();

    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    std::string tag;

    // Read when the window is created (load); later changes have no effect on it.
    BorderStyle borderStyle = BorderStyle::Sizable;
    bool minButton = true;
    bool maxButton = true;
    bool showInTaskbar = true;
    // The client area the controls' rectangles were designed for, in pixels at 96 dpi. When
    // set, a backend sizes the window to hold it and keeps anchored controls at their edges;
    // when not, rect() gives the designed outer size. Read when the window is created.
    Size clientSize;
    // The smallest client area the user may drag the window to, in the same units; 0 = any.
    Size minClientSize;

    const std::vector<Control*>& controls() const { return controls_; }
    Control* find(const std::string& name) const;
    Control* find(const std::string& name, int index) const;

    // The outer window in screen pixels.
    const Rect& rect() const { return rect_; }
    void setRect(Rect rect);
    bool visible() const { return visible_; }
    WindowState windowState() const { return state_; }
    // Form_Resize comes as a real window reports resizing: on the first show after load, on a
    // change of size of a loaded form, and on a change of state while visible (a hidden window
    // takes its state, and reports it, when shown). With a backend the window itself reports.
    void setWindowState(WindowState state);

    bool loaded() const { return loaded_; }
    // Creates the window (through the backend, when there is one) and runs Form_Load.
    void load();
    // Loads the form first when needed.
    void show();
    void hide();
    // Shows the form and, with a backend, returns only when it is hidden or unloaded; owner
    // takes no input meanwhile. Without a backend it returns at once, the form visible.
    void showModal(Form* owner = nullptr);
    void bringToTop();
    // Asks Form_QueryUnload; unless cancelled, runs Form_Unload and destroys the window.
    // Returns false when cancelled. A call while an unload is under way does nothing.
    // Controls keep their state: construct a new form object for a fresh design state.
    bool unload(UnloadMode mode = UnloadMode::Code);
    // Shows menu's children as a popup menu at the mouse pointer (PopupMenu).
    void popupMenu(MenuItem& menu);
    // Paints the window and the windows inside it, other programs' too, before returning.
    void refresh();

    // 0 until loaded with a backend; tests may give one to stand for the window.
    Hwnd hWnd() const;
    void setTestHandle(Hwnd handle) { testHandle_ = handle; }

    FormPeer* peer() const { return peer_.get(); }
    // Whether the form is being loaded by show(), to be shown at once. A backend may put off
    // making its controls' windows until the first show, and so need no more than its own
    // window for a form that stays hidden; not for one that shows at once.
    bool loadingToShow() const { return loadingToShow_; }
    // Gives the controls that have none their counterparts: called by such a backend.
    void realizeControls();

    // Called by the backend when the user or the system acts on the window.
    void userResized(Rect rect, WindowState state);
    void userMoved(Rect rect);
    // The keyboard focus went to control (null: to none of the form's controls): LostFocus of
    // the one that had it, then GotFocus of the new one.
    void userFocused(Control* control);

    // The control that has (or, while the window is inactive, last had) the keyboard focus.
    Control* activeControl() const { return active_; }
    // The controls Tab reaches now, in order: reachable controls that take the focus, and of
    // each group of option buttons only the selected one (or the first, when none is).
    std::vector<Control*> tabOrder() const;
    // Gives the controls the places 0, 1, ... in this order; the others follow in theirs.
    void setTabOrder(const std::vector<Control*>& order);
    // A key pressed in the window, as a dialog treats it: Tab and Shift+Tab move the focus,
    // Ctrl+Tab and Ctrl+Shift+Tab switch the tab strip's tabs, Enter presses the focused
    // button or else the default one, Escape the cancel button, the arrows move among option
    // buttons of a group and Alt with a letter or digit goes to the control whose caption marks
    // it with "&". True when the key was used and must go no further.
    bool dialogKey(int keyCode, int shift);

    // Handlers of the messages that programs broadcast under a registered name
    // (RegisterWindowMessage), such as the shell's "TaskbarCreated". Read when the window is
    // created.
    std::map<std::string, std::function<void()>> onRegisteredMessage;
    // Called by the backend when such a message arrives; tests call it as the system would.
    void registeredMessage(const std::string& name);

    // A hotkey registered on this window that reached its window procedure: that happens only
    // while a loop other than the program's own runs (a menu, a message box, a modal dialog),
    // which would otherwise drop it.
    std::function<void(int id)> onHotkey;
    // Called by the backend when such a hotkey arrives; tests call it as the system would.
    void hotkey(int id);

protected:
    virtual void Form_Load() {}
    // Return true to cancel.
    virtual bool Form_QueryUnload(UnloadMode) { return false; }
    virtual void Form_Unload() {}
    virtual void Form_Resize() {}

private:
    friend class Control;
    void add(Control* control);
    void remove(Control* control);
    void notify(Change what);
    bool moveFocus(bool forward);
    bool switchTab(bool forward);
    bool pressMnemonic(int keyCode);

    std::string name_;
    std::string caption_;
    Rect rect_;
    bool visible_ = false;
    bool loaded_ = false;
    bool unloading_ = false;
    bool tearingDown_ = false;  // peers going: what the window reports no longer matters
    bool loadingToShow_ = false;
    WindowState state_ = WindowState::Normal;
    // Without a backend: whether the form was shown since load, and the state it was last
    // shown in, so that resizes come when a real window's would.
    bool shownSinceLoad_ = false;
    WindowState shownState_ = WindowState::Normal;
    Hwnd testHandle_ = 0;
    Control* active_ = nullptr;
    std::vector<Control*> controls_;
    std::unique_ptr<FormPeer> peer_;
};

}  // namespace kvr::ui
