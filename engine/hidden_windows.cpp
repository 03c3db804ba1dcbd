#include "engine/hidden_windows.h"

#include <algorithm>

#include "base/text.h"

namespace kvr::engine {

std::string HiddenWindows::columnText(const HiddenWindow& entry) const {
    switch (column_) {
        case kClassColumn:
            return entry.windowClass;
        case kMethodColumn:
            return methodText ? methodText(entry.method) : std::string();
        default:
            return entry.title;
    }
}

bool HiddenWindows::before(const HiddenWindow& a, const HiddenWindow& b) const {
    const int c = text::collate(columnText(a), columnText(b));
    return descending_ ? c > 0 : c < 0;
}

std::uint64_t HiddenWindows::add(HiddenWindow entry) {
    entry.id = nextId_++;
    const std::uint64_t id = entry.id;
    const auto at =
        sorted_ ? std::upper_bound(
                      entries_.begin(), entries_.end(), entry,
                      [this](const HiddenWindow& a, const HiddenWindow& b) { return before(a, b); })
                : entries_.end();
    entries_.insert(at, std::move(entry));
    ++revision_;
    return id;
}

void HiddenWindows::remove(std::size_t position) {
    if (position >= entries_.size()) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    ++revision_;
}

void HiddenWindows::setIcon(std::uint64_t id, std::vector<std::uint32_t> icon) {
    for (HiddenWindow& entry : entries_) {
        if (entry.id != id) continue;
        entry.icon = std::move(icon);
        ++revision_;
        return;
    }
}

void HiddenWindows::setPopups(std::uint64_t id, std::vector<Hwnd> popups) {
    for (HiddenWindow& entry : entries_) {
        if (entry.id != id) continue;
        entry.popups = std::move(popups);
        ++revision_;
        return;
    }
}

void HiddenWindows::clear() {
    entries_.clear();
    ++revision_;
}

void HiddenWindows::sortBy(int column, bool descending) {
    sorted_ = true;
    column_ = column;
    descending_ = descending;
    resort();
}

void HiddenWindows::resort() {
    if (sorted_) {
        std::stable_sort(
            entries_.begin(), entries_.end(),
            [this](const HiddenWindow& a, const HiddenWindow& b) { return before(a, b); });
    }
    ++revision_;
}

}  // namespace kvr::engine
