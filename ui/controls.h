// The control kinds the program's windows use, as state objects.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form.h"

namespace kvr::ui {

enum class Alignment { Left, Right, Center };

class Label : public Control {
public:
    Label(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::Label, std::move(name), std::move(caption), rect) {
        realize();
    }
    // A transparent label shows what lies behind it (BackStyle 0).
    bool transparent() const { return transparent_; }
    void setTransparent(bool transparent);
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment);

private:
    bool transparent_ = false;
    Alignment alignment_ = Alignment::Left;
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::CommandButton, std::move(name), std::move(caption), rect) {
        realize();
    }
    // Enter presses the default button and Escape the cancel button (Form::dialogKey). Read
    // when the real control is created.
    bool isDefault = false;
    bool isCancel = false;
};

class Frame : public Control {
public:
    Frame(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::Frame, std::move(name), std::move(caption), rect) {
        realize();
    }
    // Without a border the frame only holds its controls (a tab's page). Read when the real
    // control is created.
    bool border = true;
};

// Value is 0 (unchecked) or 1 (checked), as check boxes hold it. A change of value, in code
// or by the user, raises onClick, as it does in the designer's runtime.
class CheckBox : public Control {
public:
    CheckBox(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::CheckBox, std::move(name), std::move(caption), rect) {
        realize();
    }
    int value() const { return value_; }
    void setValue(int value);
    void click() override;

private:
    int value_ = 0;
};

// Selecting one (value true) clears the other option buttons of the same form and container
// and raises onClick; clearing raises nothing.
class OptionButton : public Control {
public:
    OptionButton(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::OptionButton, std::move(name), std::move(caption), rect) {
        realize();
    }
    bool value() const { return value_; }
    void setValue(bool value);
    void click() override;

private:
    bool value_ = false;
};

class TextBox : public Control {
public:
    TextBox(Form& form, std::string name, std::string text, Rect rect = {})
        : Control(form, Kind::TextBox, std::move(name), {}, rect), text_(std::move(text)) {
        realize();
    }
    const std::string& text() const { return text_; }
    // Raises onChange when the text differs.
    void setText(std::string text);
    std::function<void()> onChange;

    // A key went down while the box had the focus: its virtual-key code and the modifier
    // keys held (shiftmask). Keys the form keeps for itself (Form::dialogKey) never come here.
    std::function<void(int keyCode, int shift)> onKeyDown;
    // A character typed into the box; a handler that sets it to 0 keeps it out of the text.
    std::function<void(int& keyAscii)> onKeyPress;
    // Raise the key events as the user's keys do.
    void keyDown(int keyCode, int shift = 0);
    // The character that is left to go into the text, 0 when the handler swallowed it.
    int keyPress(int keyAscii);
    // Types into the box as the keyboard would without a real box (tests): every character
    // goes through keyPress, and what is left goes into the text; a backspace (8) that is
    // left takes the last character away.
    void type(std::string_view characters);

private:
    std::string text_;
};

class ComboBox : public Control {
public:
    ComboBox(Form& form, std::string name, Rect rect = {})
        : Control(form, Kind::ComboBox, std::move(name), {}, rect) {
        realize();
    }
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item);
    void clear();
    int listIndex() const { return listIndex_; }  // -1 = none
    // Out-of-range indexes are ignored; a change raises onClick.
    void setListIndex(int index);
    // The selected item's text, "" when none is selected (a drop-down list's Text).
    std::string text() const;

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

// Small images of one size; the program only appends.
class ImageList : public Control {
public:
    ImageList(Form& form, std::string name, int size = 16)
        : Control(form, Kind::ImageList, std::move(name)), size_(size) {
        realize();
    }
    // Controls of the form that show it forget it.
    ~ImageList() override;
    int imageSize() const { return size_; }
    // 32-bit BGRA pixels, size x size, top row first. Alpha 0 is transparent, unless every
    // pixel has alpha 0: then the image has no alpha and is opaque.
    using Pixels = std::vector<std::uint32_t>;
    const std::vector<Pixels>& images() const { return images_; }
    // Returns the new image's 1-based index. Short or long pixel data is cut or padded.
    int add(Pixels pixels);
    // The same image drawn for larger screens: variants[k] is variantSize x variantSize pixels.
    // A backend showing the list at another scale takes the variant of that size, else scales
    // the best one it has.
    struct Variant {
        int size = 0;
        Pixels pixels;
    };
    int add(Pixels pixels, std::vector<Variant> variants);
    // An image found again by its key, as the tree and the list name their images. Returns 0
    // and adds nothing when the key is empty or another image has it already.
    int add(const std::string& key, Pixels pixels, std::vector<Variant> variants = {});
    // The 1-based index of the image with that key, 0 when none has it.
    int indexOf(const std::string& key) const;
    // The variants of image index (1-based); empty for a plain image or a bad index.
    const std::vector<Variant>& variants(int index) const;

private:
    int size_;
    std::vector<Pixels> images_;
    std::vector<std::vector<Variant>> variants_;
    std::vector<std::string> keys_;
};

// A bitmap: pixels as an image list holds them, or a bitmap resource of the executable.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // BGRA, width x height, top row first
    int resource = 0;                   // used when there are no pixels; 0 = none
};

// What picture boxes and images share: a picture, stretched over the control.
class PictureControl : public Control {
public:
    const Picture& picture() const { return picture_; }
    void setPicture(Picture picture);

protected:
    PictureControl(Form& form, Kind kind, std::string name, Rect rect)
        : Control(form, kind, std::move(name), {}, rect) {}

private:
    Picture picture_;
};

// Mouse messages, as the notification area reports them for its icons.
namespace mouse {
inline constexpr std::uint32_t kLeftButtonDown = 0x0201;   // WM_LBUTTONDOWN
inline constexpr std::uint32_t kRightButtonDown = 0x0204;  // WM_RBUTTONDOWN
}  // namespace mouse

class PictureBox : public PictureControl {
public:
    PictureBox(Form& form, std::string name, Rect rect = {})
        : PictureControl(form, Kind::PictureBox, std::move(name), rect) {
        realize();
    }
    // The callback message of a notification-area icon whose window is this picture box
    // (Shell_NotifyIcon's uCallbackMessage): a message of the application's own range.
    static constexpr std::uint32_t kTrayCallbackMessage = 0x8000 + 0x10;  // WM_APP + 0x10
    // The icon's mouse message, taken from the callback's own argument.
    std::function<void(std::uint32_t mouseMessage)> onTrayMessage;
    // Called by the backend when the callback arrives; tests call it as the shell would.
    void trayMessage(std::uint32_t mouseMessage);
};

class Image : public PictureControl {
public:
    Image(Form& form, std::string name, Rect rect = {})
        : PictureControl(form, Kind::Image, std::move(name), rect) {
        realize();
    }
};

// Fires onTimer every interval while enabled (Control::enabled).
class Timer : public Control {
public:
    Timer(Form& form, std::string name, int intervalMs, bool enabled);
    int interval() const { return interval_; }
    void setInterval(int ms);
    std::function<void()> onTimer;
    // Raises one tick as the system would: only an enabled timer with an interval fires.
    void tick();

private:
    int interval_;
};

class MenuItem : public Control {
public:
    // parent == nullptr: an item of the menu bar. A parent outlives its children.
    MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent = nullptr);
    ~MenuItem() override;
    MenuItem* parent() const { return parent_; }
    const std::vector<MenuItem*>& children() const { return children_; }
    // Position among the parent's children (or among the form's top-level items), from 0.
    int menuIndex() const;
    bool checked() const { return checked_; }
    void setChecked(bool checked);
    bool separator() const { return caption() == "-"; }

private:
    MenuItem* parent_;
    std::vector<MenuItem*> children_;
    bool checked_ = false;
};

struct ListItem {
    std::string text;
    std::vector<std::string> subItems;  // sub-item 1 is subItems[0]
    std::string tag;
    int smallIcon = 0;  // 1-based index into the small image list, 0 = none
    bool selected = false;
    std::string key;  // "" = none; a list holds each other key once (ListView::addKeyed)
};

enum class SortOrder { Ascending, Descending };

class ListView : public Control {
public:
    ListView(Form& form, std::string name, std::vector<std::string> columns, Rect rect = {})
        : Control(form, Kind::ListView, std::move(name), {}, rect),
          columns_(std::move(columns)),
          widths_(columns_.size(), kDefaultColumnWidth) {
        realize();
    }

    static constexpr int kDefaultColumnWidth = 100;  // pixels

    const std::vector<std::string>& columns() const { return columns_; }
    // An index past the last column is ignored.
    void setColumn(std::size_t index, std::string text);
    int columnWidth(std::size_t index) const;
    void setColumnWidth(std::size_t index, int pixels);

    const std::vector<ListItem>& items() const { return items_; }
    std::size_t count() const { return items_.size(); }
    // While sorted(), the item goes where the order puts it, after the items that compare equal.
    // Returns the index it went to.
    int add(ListItem item);
    // Adds the item unless another item has its key already (an empty key is none, and never
    // in the way); the new item's index, -1 when nothing was added.
    int addKeyed(ListItem item);
    // The index of the item with that key, -1 for none.
    int indexOf(const std::string& key) const;
    void remove(std::size_t index);  // 0-based; out of range is ignored
    void clear();
    // Replaces every item at once, in the order given, selection included: for a list that
    // shows a record kept in order elsewhere. No item is current afterwards.
    void setItems(std::vector<ListItem> items);
    // Selecting makes the item the current (focused) one.
    void setSelected(std::size_t index, bool selected);
    // The current item if it is selected, else the first selected item, -1 = none.
    int selectedIndex() const;

    ImageList* smallIcons = nullptr;
    // Read when the real control is created.
    bool multiSelect = true;
    bool fullRowSelect = true;

    // Sorting compares the texts of the sort key's column as names sort (text::collate): column
    // 0 is the item's text, column k > 0 its subItems[k-1]. Items that compare equal keep their
    // order.
    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    SortOrder sortOrder() const { return sortOrder_; }
    void sortBy(int column, SortOrder order);
    void setSorted(bool sorted);
    void setSortOrder(SortOrder order);

    // column is 0-based, as sortBy takes it.
    std::function<void(int column)> onColumnClick;
    std::function<void()> onDblClick;

    // In-place editing of the items' texts (LabelEdit automatic). Read when the real control
    // is created.
    bool labelEdit = false;
    // An edit of the item's text ended: newText is the typed text, nullopt when the user
    // cancelled it (Escape). Setting cancel keeps the old text.
    std::function<void(bool& cancel, const std::optional<std::string>& newText)> onAfterLabelEdit;
    // Ends an edit of the item's text as the user would, raising onAfterLabelEdit. True when the
    // item took the new text. Called by the backend; tests call it to rename.
    bool endLabelEdit(std::size_t index, const std::optional<std::string>& newText);

    // Called by the backend when the user changed the selection; does not notify the peer.
    void userSelected(std::size_t index, bool selected, bool focused);

private:
    void applySort();
    bool before(const ListItem& a, const ListItem& b) const;

    std::vector<std::string> columns_;
    std::vector<int> widths_;
    std::vector<ListItem> items_;
    int current_ = -1;
    bool sorted_ = false;
    int sortKey_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
};

struct TreeNode {
    std::string key;  // "" = none; a tree holds each other key once
    std::string text;
    int parent = -1;  // index into nodes, -1 = root level
    bool expanded = false;
    int image = 0;  // 1-based index into the tree's image list, 0 = none
};

// Nodes only grow until the tree is cleared, so an index names the same node throughout.
class TreeView : public Control {
public:
    TreeView(Form& form, std::string name, Rect rect = {})
        : Control(form, Kind::TreeView, std::move(name), {}, rect) {
        realize();
    }
    const std::vector<TreeNode>& nodes() const { return nodes_; }
    // The new node's index; -1 and nothing added when its key is another node's already or its
    // parent is no node.
    int add(TreeNode node);
    void clear();
    // The index of the node with that key, -1 for none.
    int indexOf(const std::string& key) const;
    void setExpanded(int index, bool expanded);
    int selectedIndex() const { return selected_; }
    void setSelectedIndex(int index);
    // Shows the images of its nodes. Read when the real control is created and when nodes come.
    ImageList* images = nullptr;
    // Called by the backend when the user selected a node (-1: none) or opened or closed one;
    // does not notify the peer.
    void userSelected(int index);
    void userExpanded(int index, bool expanded);

private:
    std::vector<TreeNode> nodes_;
    int selected_ = -1;
};

struct Tab {
    std::string key;
    std::string caption;
    std::string toolTip;
};

class TabStrip : public Control {
public:
    TabStrip(Form& form, std::string name, std::vector<Tab> tabs, Rect rect = {})
        : Control(form, Kind::TabStrip, std::move(name), {}, rect), tabs_(std::move(tabs)) {
        realize();
    }
    const std::vector<Tab>& tabs() const { return tabs_; }
    void setTab(std::size_t index, Tab tab);
    int selectedIndex() const { return selected_; }  // 0-based
    // Out-of-range indexes are ignored; a change raises onClickTab.
    void select(int index);
    std::function<void()> onClickTab;

private:
    std::vector<Tab> tabs_;
    int selected_ = 0;
};

struct ToolButton {
    std::string key;
    std::string toolTip;
    int image = 0;  // 1-based index into the toolbar's image list
    bool separator = false;
    bool enabled = true;
};

class Toolbar : public Control {
public:
    Toolbar(Form& form, std::string name, std::vector<ToolButton> buttons, Rect rect = {})
        : Control(form, Kind::Toolbar, std::move(name), {}, rect), buttons_(std::move(buttons)) {
        realize();
    }
    const std::vector<ToolButton>& buttons() const { return buttons_; }
    void setButton(std::size_t index, ToolButton button);
    ImageList* images = nullptr;
    std::function<void(const ToolButton&)> onButtonClick;
    // Raises a click on the button with that key, as the user would: only an enabled button
    // of an enabled toolbar responds, separators never.
    void press(const std::string& key);

private:
    std::vector<ToolButton> buttons_;
};

}  // namespace kvr::ui
