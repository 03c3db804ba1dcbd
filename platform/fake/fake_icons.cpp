#include "platform/fake/fake_icons.h"

namespace kvr::platform {

namespace {

std::string folded(const std::string& file) {
    std::string name = file;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace

void FakeIcons::put(const std::string& file, std::vector<Pixels> icons) {
    const auto count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    for (Pixels& icon : icons) icon.resize(count, 0);
    files_[folded(file)] = std::move(icons);
}

IconHandle FakeIcons::extractIcon(const std::string& file, std::uint32_t index) {
    ++extractions_;
    asked.push_back(file);
    const auto it = files_.find(folded(file));
    if (it == files_.end() || index >= it->second.size()) return 0;
    const IconHandle handle = next_++;
    live_[handle] = it->second[index];
    return handle;
}

bool FakeIcons::drawIcon(Bitmap& bitmap, int x, int y, IconHandle icon) {
    const auto it = live_.find(icon);
    if (it == live_.end()) return false;
    drawOver(bitmap, x, y, it->second, size);
    return true;
}

bool FakeIcons::destroyIcon(IconHandle icon) {
    return live_.erase(icon) != 0;
}

}  // namespace kvr::platform
