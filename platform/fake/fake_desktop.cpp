#include "platform/fake/fake_desktop.h"

#include <algorithm>

namespace kvr::platform {

namespace {

// GetWindowTextLengthW counts UTF-16 units: one per code point, two above the BMP.
int utf16Length(const std::string& utf8) {
    int n = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) ++n;  // every byte that is not a continuation starts a unit
        if (b >= 0xF0) ++n;           // a four-byte sequence needs a surrogate pair
    }
    return n;
}

bool contains(const FakeDesktop::Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool sameClass(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        return lower(x) == lower(y);
    });
}

void erase(std::vector<Hwnd>& list, Hwnd h) {
    list.erase(std::remove(list.begin(), list.end(), h), list.end());
}

}  // namespace

FakeDesktop::Window* FakeDesktop::find(Hwnd h) {
    const auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : &it->second;
}

std::vector<Hwnd>& FakeDesktop::level(const Window& w) {
    return w.parent != 0 ? windows_.at(w.parent).children : topLevel_;
}

bool FakeDesktop::shown(Hwnd h) {
    for (Window* w = find(h); w != nullptr; w = find(w->parent)) {
        if (!w->visible) return false;
        if (w->parent == 0) return true;
    }
    return false;
}

void FakeDesktop::resetCounters() {
    calls = enumCalls = getWindowCalls = snapshotCalls = waits = 0;
    showCalls.clear();
    cascadeCalls.clear();
    tileCalls.clear();
}

bool FakeDesktop::enumWindows(const std::function<bool(Hwnd)>& visit) {
    ++calls;
    ++enumCalls;
    // Windows takes the list first; windows destroyed during the walk are skipped.
    const std::vector<Hwnd> snapshot = topLevel_;
    for (const Hwnd h : snapshot) {
        if (find(h) == nullptr) continue;
        if (!visit(h)) break;
    }
    return true;
}

bool FakeDesktop::enumDesktopWindows(const std::function<bool(Hwnd)>& visit) {
    ++calls;
    ++enumCalls;
    // The list as it was at the start, windows destroyed since included.
    const std::vector<Hwnd> snapshot = topLevel_;
    for (const Hwnd h : snapshot) {
        if (!visit(h)) break;
    }
    return true;
}

Hwnd FakeDesktop::getWindow(Hwnd h, std::uint32_t cmd) {
    ++calls;
    ++getWindowCalls;
    const Window* w = find(h);
    if (w == nullptr) return 0;
    switch (cmd) {
        case gw::kOwner:
            return w->owner;
        case gw::kChild:
            return w->children.empty() ? 0 : w->children.front();
        default:
            break;
    }
    const std::vector<Hwnd>& list = level(*w);
    const auto at = std::find(list.begin(), list.end(), h);
    switch (cmd) {
        case gw::kHwndFirst:
            return list.front();
        case gw::kHwndLast:
            return list.back();
        case gw::kHwndNext:
            return std::next(at) == list.end() ? 0 : *std::next(at);
        case gw::kHwndPrev:
            return at == list.begin() ? 0 : *std::prev(at);
        default:
            return 0;
    }
}

std::string FakeDesktop::getClassName(Hwnd h) {
    ++calls;
    const Window* w = find(h);
    return w == nullptr ? std::string() : w->className;
}

int FakeDesktop::getWindowTextLength(Hwnd h) {
    ++calls;
    const Window* w = find(h);
    return w == nullptr ? 0 : utf16Length(w->title);
}

std::string FakeDesktop::getWindowText(Hwnd h) {
    ++calls;
    const Window* w = find(h);
    return w == nullptr ? std::string() : w->title;
}

bool FakeDesktop::isWindowVisible(Hwnd h) {
    ++calls;
    return shown(h);
}

bool FakeDesktop::isWindow(Hwnd h) {
    ++calls;
    return find(h) != nullptr;
}

bool FakeDesktop::carryOut(Hwnd h, int cmd) {
    Window* w = find(h);
    if (w == nullptr) return false;
    const bool before = w->visible;
    w->visible = cmd != sw::kHide;
    return before;
}

bool FakeDesktop::answering(Hwnd h) {
    const Window* w = find(h);
    return w == nullptr || notAnswering_.count(w->threadId) == 0;
}

bool FakeDesktop::showWindow(Hwnd h, int cmd) {
    if (!answering(h)) {
        ++waits;
        const bool before = shown(h);
        showWindowAsync(h, cmd);
        return before;
    }
    ++calls;
    showCalls.push_back({h, cmd});
    if (onShowWindow) onShowWindow(showCalls.back());
    return carryOut(h, cmd);
}

bool FakeDesktop::showWindowAsync(Hwnd h, int cmd) {
    ++calls;
    showCalls.push_back({h, cmd});
    if (onShowWindow) onShowWindow(showCalls.back());
    const Window* w = find(h);
    if (w == nullptr) return false;
    if (answering(h)) {
        carryOut(h, cmd);
    } else {
        notAnswering_[w->threadId].push_back({h, cmd});
    }
    return true;
}

void FakeDesktop::stopAnswering(std::uint32_t threadId) {
    notAnswering_.try_emplace(threadId);
}

void FakeDesktop::answerAgain(std::uint32_t threadId) {
    const auto it = notAnswering_.find(threadId);
    if (it == notAnswering_.end()) return;
    const std::vector<ShowCall> posted = std::move(it->second);
    notAnswering_.erase(it);
    for (const ShowCall& call : posted) carryOut(call.hwnd, call.cmd);
}

Hwnd FakeDesktop::getParent(Hwnd h) {
    ++calls;
    const Window* w = find(h);
    if (w == nullptr) return 0;
    if (w->parent != 0) return w->parent;
    return w->popup ? w->owner : 0;
}

bool FakeDesktop::getCursorPos(int& x, int& y) {
    ++calls;
    if (!cursorReadable) return false;
    x = cursorX_;
    y = cursorY_;
    return true;
}

Hwnd FakeDesktop::deepestAt(const std::vector<Hwnd>& list, int x, int y) {
    for (const Hwnd h : list) {
        const Window& w = windows_.at(h);
        if (!w.visible || !contains(w.rect, x, y)) continue;
        const Hwnd inner = deepestAt(w.children, x, y);
        return inner != 0 ? inner : h;
    }
    return 0;
}

Hwnd FakeDesktop::windowFromPoint(int x, int y) {
    ++calls;
    return deepestAt(topLevel_, x, y);
}

std::uint32_t FakeDesktop::getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) {
    ++calls;
    const Window* w = find(h);
    processId = w == nullptr ? 0 : w->processId;
    return w == nullptr ? 0 : w->threadId;
}

int FakeDesktop::arrangeable() {
    return static_cast<int>(std::count_if(topLevel_.begin(), topLevel_.end(), [this](Hwnd h) {
        const Window& w = windows_.at(h);
        return w.visible && w.owner == 0;
    }));
}

int FakeDesktop::cascadeWindows(std::uint32_t how) {
    ++calls;
    cascadeCalls.push_back(how);
    return arrangeable();
}

int FakeDesktop::tileWindows(std::uint32_t how) {
    ++calls;
    tileCalls.push_back(how);
    return arrangeable();
}

std::optional<std::vector<ProcessEntry>> FakeDesktop::processSnapshot() {
    ++calls;
    ++snapshotCalls;
    if (snapshotFails) return std::nullopt;
    return processes_;
}

std::string FakeDesktop::processImagePath(std::uint32_t processId) {
    ++calls;
    const bool running =
        std::any_of(processes_.begin(), processes_.end(),
                    [&](const ProcessEntry& p) { return p.processId == processId; });
    const auto it = imagePaths_.find(processId);
    return running && it != imagePaths_.end() ? it->second : std::string();
}

std::uint64_t FakeDesktop::processStartTime(std::uint32_t processId) {
    ++calls;
    if (const auto it = processStarts.find(processId); it != processStarts.end()) return it->second;
    const bool runs = std::any_of(windows_.begin(), windows_.end(),
                                  [&](const auto& w) { return w.second.processId == processId; }) ||
                      std::any_of(processes_.begin(), processes_.end(),
                                  [&](const ProcessEntry& p) { return p.processId == processId; });
    // An hour into 2025, a second apart per id.
    return runs && processId != 0 ? 133'800'000'000'000'000ull + processId * 10'000'000ull : 0;
}

std::vector<std::uint32_t> FakeDesktop::classSmallIcon(Hwnd h, int size) {
    ++calls;
    const Window* w = find(h);
    if (w == nullptr || size <= 0) return {};
    const auto it = classIcons_.find({w->processId, w->className});
    if (it == classIcons_.end()) return {};
    const Icon& icon = it->second;
    // Nearest pixel, as DrawIconEx stretches an icon that has no image of the asked size.
    std::vector<std::uint32_t> out(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            out[static_cast<std::size_t>(y * size + x)] = icon.pixels[static_cast<std::size_t>(
                (y * icon.size / size) * icon.size + x * icon.size / size)];
    return out;
}

void FakeDesktop::setClassSmallIcon(Hwnd h, std::vector<std::uint32_t> pixels, int size) {
    const Window* w = find(h);
    if (w == nullptr) return;
    const std::pair<std::uint32_t, std::string> key{w->processId, w->className};
    if (pixels.empty() || size <= 0) {
        classIcons_.erase(key);
        return;
    }
    pixels.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
    classIcons_[key] = {size, std::move(pixels)};
}

Hwnd FakeDesktop::create(std::string className, std::string title, WindowSetup setup) {
    const Hwnd h = nextHandle_;
    nextHandle_ += 4;
    Window w;
    w.processId = setup.processId != 0 ? setup.processId : kDefaultProcessId;
    std::vector<std::string>& registered = classes_[w.processId];
    const auto known = std::find_if(registered.begin(), registered.end(),
                                    [&](const std::string& c) { return sameClass(c, className); });
    if (known != registered.end()) {
        w.className = *known;
    } else {
        registered.push_back(className);
        w.className = std::move(className);
    }
    w.title = std::move(title);
    w.visible = setup.visible;
    w.parent = find(setup.parent) != nullptr ? setup.parent : 0;
    w.owner = w.parent == 0 && find(setup.owner) != nullptr ? setup.owner : 0;
    w.popup = setup.popup;
    w.threadId = setup.threadId != 0 ? setup.threadId : w.processId + 4;
    w.rect = setup.rect;
    if (w.parent != 0) {
        windows_.at(w.parent).children.push_back(h);
    } else {
        topLevel_.insert(topLevel_.begin(), h);
    }
    windows_.emplace(h, std::move(w));
    return h;
}

void FakeDesktop::destroy(Hwnd h) {
    Window* w = find(h);
    if (w == nullptr) return;
    std::vector<Hwnd> owned;
    for (const Hwnd other : topLevel_) {
        if (windows_.at(other).owner == h) owned.push_back(other);
    }
    for (const Hwnd other : owned) destroy(other);
    const std::vector<Hwnd> children = w->children;
    for (const Hwnd child : children) destroy(child);
    erase(level(windows_.at(h)), h);
    windows_.erase(h);
}

void FakeDesktop::setTitle(Hwnd h, std::string title) {
    if (Window* w = find(h)) w->title = std::move(title);
}

void FakeDesktop::setVisible(Hwnd h, bool visible) {
    if (Window* w = find(h)) w->visible = visible;
}

void FakeDesktop::bringToTop(Hwnd h) {
    Window* w = find(h);
    if (w == nullptr) return;
    std::vector<Hwnd>& list = level(*w);
    erase(list, h);
    list.insert(list.begin(), h);
    if (w->parent != 0) return;
    // Owned windows follow, keeping their order among themselves.
    std::vector<Hwnd> owned;
    for (const Hwnd other : topLevel_) {
        if (windows_.at(other).owner == h) owned.push_back(other);
    }
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) bringToTop(*it);
}

void FakeDesktop::sendToBottom(Hwnd h) {
    Window* w = find(h);
    if (w == nullptr) return;
    std::vector<Hwnd>& list = level(*w);
    erase(list, h);
    list.push_back(h);
}

void FakeDesktop::addProcess(std::string exeFile, std::uint32_t processId, std::string imagePath) {
    processes_.push_back({std::move(exeFile), processId});
    if (!imagePath.empty()) imagePaths_[processId] = std::move(imagePath);
}

void FakeDesktop::removeProcess(std::uint32_t processId) {
    processes_.erase(
        std::remove_if(processes_.begin(), processes_.end(),
                       [&](const ProcessEntry& p) { return p.processId == processId; }),
        processes_.end());
}

}  // namespace kvr::platform
