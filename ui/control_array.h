// Several controls of one name, told apart by their index (a designer's control array).
#pragma once

#include <exception>
#include <memory>
#include <vector>

#include "ui/form.h"

namespace kvr::ui {

template <class T>
class ControlArray {
public:
    // Makes the controls first .. first + count - 1, in that order: make(index) returns each,
    // which takes its index.
    template <class Make>
    ControlArray(int first, int count, Make make) : first_(first) {
        for (int index = first; index < first + count; ++index) {
            items_.push_back(make(index));
            items_.back()->index = index;
        }
    }

    T& operator[](int index) const {
        // A control that was never designed: a fault of the program, which ends it as an
        // exception nobody catches would.
        if (index < first_ || index > last()) std::terminate();
        return *items_[static_cast<std::size_t>(index - first_)];
    }
    int first() const { return first_; }
    int last() const { return first_ + static_cast<int>(items_.size()) - 1; }
    int count() const { return static_cast<int>(items_.size()); }

private:
    int first_;
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace kvr::ui
