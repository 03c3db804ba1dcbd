// The control kinds the program's windows use, as state objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/form.h"

namespace kvr::ui {

class Label : public Control {
public:
    Label(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::Label, std::move(name), std::move(caption), rect) {}
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::CommandButton, std::move(name), std::move(caption), rect) {}
};

class Frame : public Control {
public:
    Frame(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::Frame, std::move(name), std::move(caption), rect) {}
};

// Value is 0 (unchecked) or 1 (checked), as check boxes hold it.
class CheckBox : public Control {
public:
    CheckBox(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::CheckBox, std::move(name), std::move(caption), rect) {}
    int value() const { return value_; }
    void setValue(int value);

private:
    int value_ = 0;
};

class OptionButton : public Control {
public:
    OptionButton(Form& form, std::string name, std::string caption, Rect rect = {})
        : Control(form, Kind::OptionButton, std::move(name), std::move(caption), rect) {}
    bool value() const { return value_; }
    void setValue(bool value);

private:
    bool value_ = false;
};

class TextBox : public Control {
public:
    TextBox(Form& form, std::string name, std::string text, Rect rect = {})
        : Control(form, Kind::TextBox, std::move(name), {}, rect), text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    void setText(std::string text);

private:
    std::string text_;
};

class ComboBox : public Control {
public:
    ComboBox(Form& form, std::string name, Rect rect = {})
        : Control(form, Kind::ComboBox, std::move(name), {}, rect) {}
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item);
    void clear();
    int listIndex() const { return listIndex_; }  // -1 = none
    void setListIndex(int index);

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

// Small images of one size; the program only appends.
class ImageList : public Control {
public:
    ImageList(Form& form, std::string name, int size = 16)
        : Control(form, Kind::ImageList, std::move(name)), size_(size) {}
    int imageSize() const { return size_; }
    // 32-bit BGRA pixels, size x size, top row first.
    using Pixels = std::vector<std::uint32_t>;
    const std::vector<Pixels>& images() const { return images_; }
    // Returns the new image's 1-based index.
    int add(Pixels pixels);

private:
    int size_;
    std::vector<Pixels> images_;
};

class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name, Rect rect = {})
        : Control(form, Kind::PictureBox, std::move(name), {}, rect) {}
};

class Image : public Control {
public:
    Image(Form& form, std::string name, Rect rect = {})
        : Control(form, Kind::Image, std::move(name), {}, rect) {}
};

// Fires onTimer every interval while enabled (Control::enabled).
class Timer : public Control {
public:
    Timer(Form& form, std::string name, int intervalMs, bool enabled);
    int interval() const { return interval_; }
    void setInterval(int ms);
    std::function<void()> onTimer;
    // Raises one tick as the system would: only an enabled timer fires.
    void tick();

private:
    int interval_;
};

class MenuItem : public Control {
public:
    // parent == nullptr: an item of the menu bar.
    MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent = nullptr);
    MenuItem* parent() const { return parent_; }
    const std::vector<MenuItem*>& children() const { return children_; }
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
};

enum class SortOrder { Ascending, Descending };

class ListView : public Control {
public:
    ListView(Form& form, std::string name, std::vector<std::string> columns, Rect rect = {})
        : Control(form, Kind::ListView, std::move(name), {}, rect), columns_(std::move(columns)) {}

    const std::vector<std::string>& columns() const { return columns_; }
    void setColumn(std::size_t index, std::string text);

    const std::vector<ListItem>& items() const { return items_; }
    std::size_t count() const { return items_.size(); }
    void add(ListItem item);
    void remove(std::size_t index);  // 0-based
    void clear();
    void setSelected(std::size_t index, bool selected);
    // Index of the focused/selected item, -1 = none.
    int selectedIndex() const;

    ImageList* smallIcons = nullptr;

    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    SortOrder sortOrder() const { return sortOrder_; }
    void sortBy(int column, SortOrder order);

    std::function<void(int column)> onColumnClick;
    std::function<void()> onDblClick;

private:
    void applySort();

    std::vector<std::string> columns_;
    std::vector<ListItem> items_;
    bool sorted_ = false;
    int sortKey_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
};

struct TreeNode {
    std::string key;
    std::string text;
    int parent = -1;  // index into nodes, -1 = root level
    bool expanded = false;
};

class TreeView : public Control {
public:
    TreeView(Form& form, std::string name, Rect rect = {})
        : Control(form, Kind::TreeView, std::move(name), {}, rect) {}
    const std::vector<TreeNode>& nodes() const { return nodes_; }
    int add(TreeNode node);
    void clear();
    int selectedIndex() const { return selected_; }
    void setSelectedIndex(int index);

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
        : Control(form, Kind::TabStrip, std::move(name), {}, rect), tabs_(std::move(tabs)) {}
    const std::vector<Tab>& tabs() const { return tabs_; }
    void setTab(std::size_t index, Tab tab);
    int selectedIndex() const { return selected_; }
    void select(int index);
    std::function<void()> onClickTab;

private:
    std::vector<Tab> tabs_;
    int selected_ = 0;
};

struct ToolButton {
    std::string key;
    std::string toolTip;
    int image = 0;            // 1-based index into the toolbar's image list
    bool separator = false;
    bool enabled = true;
};

class Toolbar : public Control {
public:
    Toolbar(Form& form, std::string name, std::vector<ToolButton> buttons, Rect rect = {})
        : Control(form, Kind::Toolbar, std::move(name), {}, rect), buttons_(std::move(buttons)) {}
    const std::vector<ToolButton>& buttons() const { return buttons_; }
    void setButton(std::size_t index, ToolButton button);
    ImageList* images = nullptr;
    std::function<void(const ToolButton&)> onButtonClick;
    // Raises a click on the button with that key, as the user would.
    void press(const std::string& key);

private:
    std::vector<ToolButton> buttons_;
};

}  // namespace kvr::ui
