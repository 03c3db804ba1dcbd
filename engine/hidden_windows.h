// The record of the windows hidden from under the mouse, by class or by title: the only one
// there is. The main window shows it as its list, in this order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kvr::engine {

using platform::Hwnd;

struct HiddenWindow {
    std::uint64_t id = 0;  // unique for the run, given when the window is entered
    Hwnd hwnd = 0;
    std::string title;        // as it was when hidden
    std::string windowClass;  // a hide by class records the class prefix it hid by
    int method = 0;           // the ids::method bit it was hidden by
    // Visible pop-ups it owned, hidden with it and shown with it again.
    std::vector<Hwnd> popups;
    // Its class's small icon, 32-bit BGRA; empty when the class has none.
    std::vector<std::uint32_t> icon;
};

class HiddenWindows {
public:
    // The columns the entries are shown and sorted by.
    static constexpr int kTitleColumn = 0;
    static constexpr int kClassColumn = 1;
    static constexpr int kMethodColumn = 2;

    // The text the method column shows for a method; the view supplies it in its language.
    std::function<std::string(int method)> methodText;

    const std::vector<HiddenWindow>& entries() const { return entries_; }
    const HiddenWindow& operator[](std::size_t position) const { return entries_[position]; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // Enters a window where the order puts it: at the end, or in a sorted record after the
    // entries that sort equal to it. Returns its id.
    std::uint64_t add(HiddenWindow entry);
    // Out of range is ignored.
    void remove(std::size_t position);
    // What is learnt of an entry after it was entered; an id not in the record is ignored.
    void setIcon(std::uint64_t id, std::vector<std::uint32_t> icon);
    void setPopups(std::uint64_t id, std::vector<Hwnd> popups);
    void clear();

    // Sorts by the column's text (case and accents count only after the letters); entries that
    // sort equal keep their order. Later entries go where the order puts them.
    void sortBy(int column, bool descending);
    bool sorted() const { return sorted_; }
    int sortColumn() const { return column_; }
    bool descending() const { return descending_; }
    // Puts a sorted record in order again after the texts of its method column changed.
    void resort();

    // Grows with every change, so that a view redraws only when something changed.
    std::uint64_t revision() const { return revision_; }
    // Marks the record changed without changing it: its texts are shown anew.
    void touch() { ++revision_; }

private:
    std::string columnText(const HiddenWindow& entry) const;
    bool before(const HiddenWindow& a, const HiddenWindow& b) const;

    std::vector<HiddenWindow> entries_;
    bool sorted_ = false;
    int column_ = kTitleColumn;
    bool descending_ = false;
    std::uint64_t nextId_ = 1;
    std::uint64_t revision_ = 0;
};

}  // namespace kvr::engine
