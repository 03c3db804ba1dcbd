#include "engine/hidden_windows.h"

#include <algorithm>

namespace kvr::engine {

namespace {
// PLACEHOLDER until the shared text module lands.
int compareText(const std::string& a, const std::string& b) {
    auto low = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (low(a[i]) != low(b[i]))
            return (unsigned char)low(a[i]) < (unsigned char)low(b[i]) ? -1 : 1;
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}
}  // namespace

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
    const int c = compareText(columnText(a), columnText(b));
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
