#include "ui/controls.h"

#include <algorithm>
#include <numeric>

#include "base/text.h"

namespace kvr::ui {

namespace {

const std::string& columnText(const ListItem& item, int column) {
    static const std::string empty;
    if (column <= 0) return item.text;
    const auto sub = static_cast<std::size_t>(column - 1);
    return sub < item.subItems.size() ? item.subItems[sub] : empty;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

void Label::setTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    notify(Change::Style);
}

void Label::setAlignment(Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    notify(Change::Style);
}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    notify(Change::Checked);
    raiseClick();
}

void CheckBox::click() {
    if (enabled()) setValue(value_ == 1 ? 0 : 1);
}

void OptionButton::setValue(bool value) {
    if (value == value_) return;
    if (value) {
        for (Control* other : form().controls()) {
            if (other == this || other->kind() != Kind::OptionButton) continue;
            if (other->container != container) continue;
            auto* option = static_cast<OptionButton*>(other);
            if (option->value_) {
                option->value_ = false;
                option->notify(Change::Checked);
            }
        }
    }
    value_ = value;
    notify(Change::Checked);
    if (value_) raiseClick();
}

void OptionButton::click() {
    if (enabled()) setValue(true);
}

void TextBox::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    notify(Change::Text);
    if (onChange) {
        auto handler = onChange;
        handler();
    }
}

void TextBox::keyDown(int keyCode, int shift) {
    if (!onKeyDown) return;
    auto handler = onKeyDown;
    handler(keyCode, shift);
}

int TextBox::keyPress(int keyAscii) {
    if (!onKeyPress) return keyAscii;
    auto handler = onKeyPress;
    handler(keyAscii);
    return keyAscii;
}

void TextBox::type(std::string_view characters) {
    std::size_t at = 0;
    while (at < characters.size()) {
        const std::size_t start = at;
        const char32_t c = text::next(characters, at);
        const int left = keyPress(static_cast<int>(c));
        if (left == 0) continue;
        std::string typed = text_;
        if (left == key::kBack) {
            // The last character, not the last byte.
            std::size_t end = 0, last = 0;
            while (end < typed.size()) {
                last = end;
                text::next(typed, end);
            }
            typed.erase(last);
        } else if (left == static_cast<int>(c)) {
            typed.append(characters.substr(start, at - start));
        } else if (left < 0x80) {
            typed.push_back(static_cast<char>(left));
        }
        setText(std::move(typed));
    }
}

void ComboBox::addItem(std::string item) {
    items_.push_back(std::move(item));
    notify(Change::Items);
}

void ComboBox::clear() {
    items_.clear();
    listIndex_ = -1;
    notify(Change::Items);
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size()) || index == listIndex_) return;
    listIndex_ = index;
    notify(Change::Selection);
    raiseClick();
}

std::string ComboBox::text() const {
    return listIndex_ >= 0 ? items_[static_cast<std::size_t>(listIndex_)] : std::string();
}

ImageList::~ImageList() {
    for (Control* control : form().controls()) {
        if (control->kind() == Kind::ListView) {
            auto* list = static_cast<ListView*>(control);
            if (list->smallIcons == this) list->smallIcons = nullptr;
        } else if (control->kind() == Kind::Toolbar) {
            auto* bar = static_cast<Toolbar*>(control);
            if (bar->images == this) bar->images = nullptr;
        } else if (control->kind() == Kind::TreeView) {
            auto* tree = static_cast<TreeView*>(control);
            if (tree->images == this) tree->images = nullptr;
        }
    }
}

int ImageList::add(Pixels pixels) {
    return add(std::move(pixels), {});
}

int ImageList::add(Pixels pixels, std::vector<Variant> variants) {
    pixels.resize(static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_), 0);
    for (Variant& v : variants) {
        if (v.size < 0) v.size = 0;
        v.pixels.resize(static_cast<std::size_t>(v.size) * static_cast<std::size_t>(v.size), 0);
    }
    images_.push_back(std::move(pixels));
    variants_.push_back(std::move(variants));
    keys_.emplace_back();
    notify(Change::Items);
    return static_cast<int>(images_.size());
}

int ImageList::add(const std::string& key, Pixels pixels, std::vector<Variant> variants) {
    if (key.empty() || indexOf(key) != 0) return 0;
    const int index = add(std::move(pixels), std::move(variants));
    keys_[static_cast<std::size_t>(index - 1)] = key;
    return index;
}

int ImageList::indexOf(const std::string& key) const {
    if (key.empty()) return 0;
    const auto it = std::find(keys_.begin(), keys_.end(), key);
    return it == keys_.end() ? 0 : static_cast<int>(it - keys_.begin()) + 1;
}

const std::vector<ImageList::Variant>& ImageList::variants(int index) const {
    static const std::vector<Variant> none;
    if (index < 1 || index > static_cast<int>(variants_.size())) return none;
    return variants_[static_cast<std::size_t>(index - 1)];
}

void PictureControl::setPicture(Picture picture) {
    picture_ = std::move(picture);
    notify(Change::Image);
}

void PictureBox::trayMessage(std::uint32_t mouseMessage) {
    if (!onTrayMessage) return;
    // A copy: the handler may unload the form.
    auto handler = onTrayMessage;
    handler(mouseMessage);
}

// ---------------------------------------------------------------------------------------------

Timer::Timer(Form& form, std::string name, int intervalMs, bool enabled)
    : Control(form, Kind::Timer, std::move(name)), interval_(intervalMs) {
    setEnabled(enabled);
    realize();
}

void Timer::setInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    notify(Change::Interval);
}

void Timer::tick() {
    if (!enabled() || interval_ <= 0 || !onTimer) return;
    auto handler = onTimer;
    handler();
}

// ---------------------------------------------------------------------------------------------

MenuItem::MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent)
    : Control(form, Kind::MenuItem, std::move(name), std::move(caption)), parent_(parent) {
    if (parent_) parent_->children_.push_back(this);
    realize();
}

MenuItem::~MenuItem() {
    // The real item leaves its menu while this object can still say where it sits.
    detach();
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (MenuItem* child : children_) child->parent_ = nullptr;
}

int MenuItem::menuIndex() const {
    if (parent_) {
        const auto& siblings = parent_->children_;
        const auto it = std::find(siblings.begin(), siblings.end(), this);
        return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
    }
    int position = 0;
    for (Control* control : form().controls()) {
        if (control->kind() != Kind::MenuItem) continue;
        const auto* item = static_cast<const MenuItem*>(control);
        if (item == this) return position;
        if (!item->parent_) ++position;
    }
    return -1;
}

void MenuItem::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    notify(Change::Checked);
}

// ---------------------------------------------------------------------------------------------

void ListView::setColumn(std::size_t index, std::string text) {
    if (index >= columns_.size()) return;
    columns_[index] = std::move(text);
    notify(Change::Columns);
}

int ListView::columnWidth(std::size_t index) const {
    return index < widths_.size() ? widths_[index] : 0;
}

void ListView::setColumnWidth(std::size_t index, int pixels) {
    if (index >= widths_.size()) return;
    widths_[index] = pixels;
    notify(Change::Columns);
}

bool ListView::before(const ListItem& a, const ListItem& b) const {
    const int c = text::collate(columnText(a, sortKey_), columnText(b, sortKey_));
    return sortOrder_ == SortOrder::Ascending ? c < 0 : c > 0;
}

int ListView::add(ListItem item) {
    int position = static_cast<int>(items_.size());
    if (!sorted_) {
        items_.push_back(std::move(item));
    } else {
        const auto at =
            std::upper_bound(items_.begin(), items_.end(), item,
                             [this](const ListItem& a, const ListItem& b) { return before(a, b); });
        position = static_cast<int>(at - items_.begin());
        items_.insert(at, std::move(item));
        if (current_ >= position) ++current_;
    }
    notify(Change::Items);
    return position;
}

int ListView::addKeyed(ListItem item) {
    if (indexOf(item.key) >= 0) return -1;
    return add(std::move(item));
}

int ListView::indexOf(const std::string& key) const {
    if (key.empty()) return -1;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].key == key) return static_cast<int>(i);
    return -1;
}

bool ListView::endLabelEdit(std::size_t index, const std::optional<std::string>& newText) {
    if (index >= items_.size()) return false;
    bool cancel = false;
    if (onAfterLabelEdit) {
        // A copy: the handler may change the list's handlers.
        auto handler = onAfterLabelEdit;
        handler(cancel, newText);
    }
    if (cancel || !newText || index >= items_.size()) return false;
    items_[index].text = *newText;
    notify(Change::Items);
    return true;
}

void ListView::remove(std::size_t index) {
    if (index >= items_.size()) return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    const int removed = static_cast<int>(index);
    if (current_ == removed)
        current_ = -1;
    else if (current_ > removed)
        --current_;
    notify(Change::Items);
}

void ListView::setItems(std::vector<ListItem> items) {
    items_ = std::move(items);
    current_ = -1;
    notify(Change::Items);
}

void ListView::clear() {
    items_.clear();
    current_ = -1;
    notify(Change::Items);
}

void ListView::setSelected(std::size_t index, bool selected) {
    if (index >= items_.size()) return;
    items_[index].selected = selected;
    if (selected) current_ = static_cast<int>(index);
    notify(Change::Selection);
}

void ListView::userSelected(std::size_t index, bool selected, bool focused) {
    if (index >= items_.size()) return;
    items_[index].selected = selected;
    if (focused) current_ = static_cast<int>(index);
}

int ListView::selectedIndex() const {
    if (current_ >= 0 && current_ < static_cast<int>(items_.size()) &&
        items_[static_cast<std::size_t>(current_)].selected)
        return current_;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].selected) return static_cast<int>(i);
    return -1;
}

void ListView::applySort() {
    std::vector<std::size_t> order(items_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return before(items_[a], items_[b]); });
    std::vector<ListItem> sortedItems;
    sortedItems.reserve(items_.size());
    int newCurrent = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) == current_) newCurrent = static_cast<int>(i);
        sortedItems.push_back(std::move(items_[order[i]]));
    }
    items_ = std::move(sortedItems);
    current_ = newCurrent;
}

void ListView::sortBy(int column, SortOrder order) {
    sorted_ = true;
    sortKey_ = column;
    sortOrder_ = order;
    applySort();
    notify(Change::Sort);
}

void ListView::setSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_) applySort();
    notify(Change::Sort);
}

void ListView::setSortOrder(SortOrder order) {
    if (order == sortOrder_) return;
    sortOrder_ = order;
    if (sorted_) applySort();
    notify(Change::Sort);
}

// ---------------------------------------------------------------------------------------------

int TreeView::add(TreeNode node) {
    if (indexOf(node.key) >= 0) return -1;
    if (node.parent < -1 || node.parent >= static_cast<int>(nodes_.size())) return -1;
    nodes_.push_back(std::move(node));
    notify(Change::Items);
    return static_cast<int>(nodes_.size()) - 1;
}

int TreeView::indexOf(const std::string& key) const {
    if (key.empty()) return -1;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].key == key) return static_cast<int>(i);
    return -1;
}

void TreeView::setExpanded(int index, bool expanded) {
    if (index < 0 || index >= static_cast<int>(nodes_.size())) return;
    auto& node = nodes_[static_cast<std::size_t>(index)];
    if (node.expanded == expanded) return;
    node.expanded = expanded;
    notify(Change::Items);
}

void TreeView::userSelected(int index) {
    if (index < -1 || index >= static_cast<int>(nodes_.size())) return;
    selected_ = index;
}

void TreeView::userExpanded(int index, bool expanded) {
    if (index < 0 || index >= static_cast<int>(nodes_.size())) return;
    nodes_[static_cast<std::size_t>(index)].expanded = expanded;
}

void TreeView::clear() {
    nodes_.clear();
    selected_ = -1;
    notify(Change::Items);
}

void TreeView::setSelectedIndex(int index) {
    if (index < -1 || index >= static_cast<int>(nodes_.size()) || index == selected_) return;
    selected_ = index;
    notify(Change::Selection);
}

void TabStrip::setTab(std::size_t index, Tab tab) {
    if (index >= tabs_.size()) return;
    tabs_[index] = std::move(tab);
    notify(Change::Items);
}

void TabStrip::select(int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size()) || index == selected_) return;
    selected_ = index;
    notify(Change::Selection);
    if (onClickTab) {
        auto handler = onClickTab;
        handler();
    }
}

void Toolbar::setButton(std::size_t index, ToolButton button) {
    if (index >= buttons_.size()) return;
    buttons_[index] = std::move(button);
    notify(Change::Items);
}

void Toolbar::press(const std::string& key) {
    if (!enabled() || !onButtonClick) return;
    for (const ToolButton& button : buttons_) {
        if (button.key != key) continue;
        if (button.separator || !button.enabled) return;
        // Copies: the handler may change the buttons or destroy the toolbar.
        const ToolButton pressed = button;
        auto handler = onButtonClick;
        handler(pressed);
        return;
    }
}

}  // namespace kvr::ui
