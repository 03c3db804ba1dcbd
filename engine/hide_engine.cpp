#include "engine/hide_engine.h"

#include <algorithm>
#include <map>
#include <unordered_set>
#include <utility>

#include "base/ids.h"
#include "engine/mod_cadenas.h"
#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "engine/snd_mixer.h"
#include "platform/desktop.h"
#include "platform/services.h"
#include "settings/settings.h"

namespace kvr::engine {

namespace method = ids::method;
namespace msg = ids::msg;

namespace {

// The desktop and the taskbar: hiding them by a matching title would leave the user with no
// visible way back.
bool isShellWindow(const std::string& windowClass) {
    return windowClass == "Progman" || windowClass == "WorkerW" || windowClass == "Shell_TrayWnd" ||
           windowClass == "Shell_SecondaryTrayWnd";
}

// h's visible pop-ups and theirs in turn, but for those already going: a find dialog's own
// message box goes with it. A pop-up its program has hidden stays as it is, with whatever it
// owns.
std::vector<Hwnd> popupsOf(Hwnd h, const std::unordered_map<Hwnd, std::vector<Hwnd>>& owned,
                           const std::unordered_set<Hwnd>& going) {
    std::vector<Hwnd> found;
    std::unordered_set<Hwnd> seen{h};
    std::vector<Hwnd> owners{h};
    while (!owners.empty()) {
        const Hwnd owner = owners.back();
        owners.pop_back();
        const auto it = owned.find(owner);
        if (it == owned.end()) continue;
        for (const Hwnd popup : it->second) {
            if (!seen.insert(popup).second) continue;
            if (going.count(popup) == 0) {
                if (!modVentanas::WindowIsVisible(popup)) continue;
                found.push_back(popup);
            }
            owners.push_back(popup);
        }
    }
    return found;
}

}  // namespace

HideEngine::HideEngine(TrayArea& trayArea) : trayArea_(trayArea) {}

// EnumDesktopWindows takes the list in one request where EnumWindows (Wine) asks the window
// server again for every window.
std::vector<Hwnd> HideEngine::walkDesktop() {
    std::vector<Hwnd> windows;
    platform::desktop().enumDesktopWindows([&](Hwnd w) {
        windows.push_back(w);
        return true;
    });
    return windows;
}

void HideEngine::beginCommand() {
    firstEntered_ = entered_.size();
    owned_.clear();
    walked_ = 0;
    nextBatch_ = kFirstBatch;
}

void HideEngine::readOwner(Hwnd w) {
    if (const Hwnd owner = platform::desktop().getWindow(w, platform::gw::kOwner)) {
        owned_[owner].push_back(w);
    }
}

void HideEngine::walkedPast() {
    if (++walked_ < nextBatch_) return;
    postBatch();
    nextBatch_ *= 2;
}

// ShowOwnedPopups would do this for us, but it walks the whole desktop for every owner and,
// called from another process, never shows the pop-ups again: so the engine hides and shows
// them itself, window by window, and keeps them with their owner's entry. A pop-up lies above
// its owner, where the walk has already been; one that does not is found by the command's
// last batch, once the walk has read every owner.
void HideEngine::addPopups() {
    auto& desktop = platform::desktop();
    for (std::size_t i = firstEntered_; i < entered_.size(); ++i) {
        Entered& entry = entered_[i];
        const std::vector<Hwnd> found = popupsOf(entry.hwnd, owned_, goingToHide_);
        if (found.empty()) continue;
        for (const Hwnd popup : found) {
            std::uint32_t processId = 0;
            toHide_.push_back({popup, desktop.getWindowThreadProcessId(popup, processId)});
            goingToHide_.insert(popup);
            entry.popups.push_back(popup);
        }
        windows.setPopups(entry.id, entry.popups);
    }
}

void HideEngine::hideTrayAreaOnce() {
    if (settings::OO != 0 && !TrayAreaHidden) {
        hideTrayArea();
        areaHiddenByHiding_ = true;
    }
}

void HideEngine::hideTrayArea() {
    const TrayGeometry measured = trayArea_.MeasureTrayArea();
    TrayAreaHidden = true;
    // On file before the area shrinks: a process killed from here on leaves what puts it back.
    if (measured.complete()) {
        hiddenTrayArea_ = measured;
        keepJournal();
    }
    trayArea_.HideTrayArea();
}

// The journal follows with the operation's own write.
void HideEngine::restoreTrayArea() {
    trayArea_.RestoreTrayArea();
    TrayAreaHidden = areaHiddenByHiding_ = false;
    hiddenTrayArea_.reset();
}

void HideEngine::restoreTrayAreaAfterShow(bool byOption) {
    if (settings::OO != 0 ? byOption : areaHiddenByHiding_ && TrayAreaHidden) restoreTrayArea();
}

void HideEngine::TrayAreaLost() {
    TrayAreaHidden = areaHiddenByHiding_ = false;
    hiddenTrayArea_.reset();
}

void HideEngine::hide(Hwnd h, std::string title, const std::string& className,
                      const std::string& windowClass, int method) {
    // One whose hide an earlier command posted is visible still, or again: its program may
    // have shown it since. It keeps its entry, on file already; its hide goes again, and the
    // wait for it starts afresh.
    if (goingToHide_.count(h) != 0) {
        hideAgain(h);
        return;
    }
    hideTrayAreaOnce();
    if (settings::SE & method) muteWhenHidden_ = true;

    auto& desktop = platform::desktop();
    HiddenWindow entry;
    entry.hwnd = h;
    entry.title = std::move(title);
    entry.windowClass = windowClass;
    entry.method = method;
    std::uint32_t processId = 0;
    const std::uint32_t threadId = desktop.getWindowThreadProcessId(h, processId);
    toHide_.push_back({h, threadId});
    goingToHide_.insert(h);
    journal.learn(h, processId, className);
    // Entered before anything is hidden: whatever happens next, the record can bring it back.
    entered_.push_back({windows.add(std::move(entry)), h, className, processId, {}});
    commands.general = true;
}

void HideEngine::hideAgain(Hwnd h) {
    platform::desktop().showWindowAsync(h, platform::sw::kHide);
    const std::uint32_t now = platform::input().tickCount();
    for (Lane& lane : lanes_) {
        if (std::find(lane.windows.begin() + lane.next, lane.windows.end(), h) !=
            lane.windows.end()) {
            lane.since = now;
        }
    }
}

// With their pop-ups, after the journal.
void HideEngine::postBatch() {
    addPopups();
    postHides();
}

void HideEngine::postHides() {
    if (toHide_.empty()) return;
    // A process killed from here on leaves a journal that names these windows: the next start
    // shows whichever of them did go.
    keepJournal();
    // Posted: no program waits for another, and one that does not answer holds nobody up.
    auto& desktop = platform::desktop();
    const std::uint32_t now = platform::input().tickCount();
    for (const Going& going : toHide_) {
        desktop.showWindowAsync(going.hwnd, platform::sw::kHide);
        auto lane = std::find_if(lanes_.begin(), lanes_.end(),
                                 [&](const Lane& l) { return l.threadId == going.threadId; });
        if (lane == lanes_.end())
            lane = lanes_.insert(lanes_.end(), Lane{going.threadId, {}, 0, now});
        lane->windows.push_back(going.hwnd);
    }
    toHide_.clear();
    pollMs_ = kFirstPollMs / 2;
}

void HideEngine::finishHiding() {
    postBatch();
    owned_.clear();
    // Our own windows, and those of a program that was quick, are gone already.
    ConfirmHides();
}

void HideEngine::ConfirmHides() {
    auto& desktop = platform::desktop();
    const std::uint32_t now = platform::input().tickCount();
    std::unordered_set<Hwnd> stayed;
    for (Lane& lane : lanes_) {
        bool hid = false;
        for (; lane.next < lane.windows.size(); ++lane.next) {
            const Hwnd h = lane.windows[lane.next];
            // A show command has shown it meanwhile, with a show that follows the hide.
            if (goingToHide_.count(h) == 0) continue;
            if (desktop.isWindowVisible(h)) break;
            // Gone: a later hide meets it afresh, should its program show it again.
            settle(h);
            hid = true;
        }
        if (hid) lane.since = now;
        if (lane.next == lane.windows.size() || now - lane.since < kPatienceMs) continue;
        for (; lane.next < lane.windows.size(); ++lane.next) {
            const Hwnd h = lane.windows[lane.next];
            if (goingToHide_.count(h) != 0 && desktop.isWindowVisible(h)) stayed.insert(h);
        }
    }
    std::erase_if(lanes_, [](const Lane& lane) { return lane.next == lane.windows.size(); });
    if (!stayed.empty()) takeOffRecord(stayed);
    if (lanes_.empty()) {
        endPending();
        return;
    }
    pollMs_ = std::min(pollMs_ * 2, kPollMs);
}

void HideEngine::takeOffRecord(const std::unordered_set<Hwnd>& stayed) {
    auto& desktop = platform::desktop();
    // Its hide still waits in the queue of a program that does not answer: a show after it
    // keeps the window from going, once the program answers, with no entry to bring it back.
    const auto undo = [&](Hwnd h) {
        settle(h);
        desktop.showWindowAsync(h, platform::sw::kShowNa);
    };
    std::unordered_set<std::uint64_t> made;
    for (const Entered& entry : entered_) made.insert(entry.id);
    for (std::size_t p = windows.size(); p-- > 0;) {
        const HiddenWindow& entry = windows[p];
        if (made.count(entry.id) == 0) continue;
        if (stayed.count(entry.hwnd) != 0) {
            undo(entry.hwnd);
            for (const Hwnd popup : entry.popups) undo(popup);
            windows.remove(p);
            continue;
        }
        std::vector<Hwnd> popups;
        for (const Hwnd popup : entry.popups) {
            if (stayed.count(popup) != 0) {
                undo(popup);
            } else {
                popups.push_back(popup);
            }
        }
        if (popups.size() != entry.popups.size()) windows.setPopups(entry.id, std::move(popups));
    }
    keepJournal();
}

// Once the programs are done: the files read for the icons, and the mixer opened for the mute,
// would slow their hides down.
void HideEngine::endPending() {
    if (!entered_.empty()) readIcons();
    entered_.clear();
    goingToHide_.clear();
    muteIfPending();
}

void HideEngine::muteIfPending() {
    if (!muteWhenHidden_) return;
    muteWhenHidden_ = false;
    MuteSound();
}

// The class's small icon, once per class of each program: a program's windows mostly share a
// class, and where the system gives no other program's class icon (Wine) the program's file is
// read for it.
void HideEngine::readIcons() {
    std::unordered_set<std::uint64_t> recorded;
    for (const HiddenWindow& entry : windows.entries()) recorded.insert(entry.id);
    std::map<std::pair<std::uint32_t, std::string>, std::vector<std::uint32_t>> icons;
    for (const Entered& entry : entered_) {
        if (recorded.count(entry.id) == 0) continue;  // shown meanwhile
        auto key = std::make_pair(entry.processId, entry.className);
        auto it = icons.find(key);
        if (it == icons.end()) {
            it = icons
                     .emplace(std::move(key),
                              platform::desktop().classSmallIcon(entry.hwnd, kIconSize))
                     .first;
        }
        windows.setIcon(entry.id, it->second);
    }
}

void HideEngine::keepJournal() {
    // In the order they were hidden, whatever order the list is sorted in.
    std::vector<const HiddenWindow*> byAge;
    byAge.reserve(windows.size());
    for (const HiddenWindow& entry : windows.entries()) byAge.push_back(&entry);
    std::sort(byAge.begin(), byAge.end(),
              [](const HiddenWindow* a, const HiddenWindow* b) { return a->id < b->id; });
    std::vector<HideJournal::Hidden> hidden;
    hidden.reserve(byAge.size() + modProcsKVR::ProcessHiddenWindows.order.size());
    for (const HiddenWindow* entry : byAge) {
        hidden.push_back({entry->hwnd, 0, entry->method, &entry->title});
        for (const Hwnd popup : entry->popups) {
            hidden.push_back({popup, entry->hwnd, entry->method, nullptr});
        }
    }
    for (const Hwnd h : modProcsKVR::ProcessHiddenWindows.order) {
        hidden.push_back({h, 0, method::kByProgram, nullptr});
    }
    journal.keep(hidden, muted_, TrayAreaHidden ? hiddenTrayArea_ : std::nullopt);
}

Recovery HideEngine::RecoverHiddenWindows() {
    Recovery recovery = journal.recover();
    if (recovery.runningCopy) return recovery;
    if (recovery.trayArea) trayArea_.PutTrayAreaBack(*recovery.trayArea);
    // A volume the user has set since is theirs: only a device still at 0 gets its own back.
    for (const MutedDevice& device : recovery.sound) {
        if (SndMixer::ReadVolume(device.device) == 0u) {
            SndMixer::WriteVolume(device.device, device.volume);
        }
    }
    // Done with only once everything is back: a start killed half-way does it again.
    journal.empty();
    return recovery;
}

void HideEngine::HideProgramsTick() {
    modProcsKVR::HideProcessWindowsTick([this] { keepJournal(); });
}

void HideEngine::show(const HiddenWindow& entry) {
    auto& desktop = platform::desktop();
    // A hide still on its way is followed by the show, posted after it: the window ends shown,
    // and nothing waits for a program that may not answer.
    if (settle(entry.hwnd)) {
        desktop.showWindowAsync(entry.hwnd, platform::sw::kShow);
    } else {
        modVentanas::ShowHideWindow(entry.hwnd, false);
    }
    // Without taking the activation from the owner, as the system shows an owner's pop-ups.
    for (const Hwnd popup : entry.popups) {
        if (settle(popup)) {
            desktop.showWindowAsync(popup, platform::sw::kShowNa);
        } else {
            desktop.showWindow(popup, platform::sw::kShowNa);
        }
    }
}

Outcome HideEngine::HideWindow(Hwnd h, const std::string& windowClass, int method) {
    beginCommand();
    if (modVentanas::WindowIsVisible(h)) {
        for (const Hwnd w : walkDesktop()) readOwner(w);
        hide(h, modVentanas::GetWindowTitle(h), windowClass, windowClass, method);
    }
    finishHiding();
    return {};
}

Outcome HideEngine::HideClassUnderCursor(Hwnd h) {
    const std::string prefix = modVentanas::GetWindowClass(h);
    // h is top-level: its level is the walk's. An empty prefix names no window.
    if (!prefix.empty()) {
        beginCommand();
        for (const Hwnd w : walkDesktop()) {
            readOwner(w);
            const std::string windowClass = modVentanas::GetWindowClass(w);
            if (modCadenas::MatchText(prefix, windowClass, 0, 0) &&
                modVentanas::WindowIsVisible(w)) {
                hide(w, modVentanas::GetWindowTitle(w), windowClass, prefix, method::kByClass);
            }
            walkedPast();
        }
        finishHiding();
    }
    commands.general = commands.byClass = true;
    return {};
}

Outcome HideEngine::OcultarXTitulo() {
    if (settings::BxTT.empty()) return {.notice = msg::kNoTitleText};
    beginCommand();
    bool nothingFound = true;
    // Each question about a window is a request to the window server: what the title matches
    // by first, the rest only for a window that matches.
    const auto matches = [](Hwnd h, const std::string& title) {
        return !title.empty() &&
               modCadenas::MatchText(settings::BxTT, title, settings::BxTP, settings::BxTS) &&
               modVentanas::WindowIsVisible(h);
    };
    for (const Hwnd h : walkDesktop()) {
        readOwner(h);
        std::string title = modVentanas::GetWindowTitle(h);
        if (matches(h, title)) {
            const std::string windowClass = modVentanas::GetWindowClass(h);
            if (!isShellWindow(windowClass)) {
                hide(h, std::move(title), windowClass, windowClass, method::kByTitle);
                nothingFound = false;
            }
        }
        walkedPast();
    }
    finishHiding();
    commands.general = commands.byTitle = true;
    return {.notice = nothingFound && settings::BxTA ? msg::kNothingFound : 0};
}

Outcome HideEngine::ShowAll() {
    if (windows.empty()) return {.notice = settings::BxTA ? msg::kNothingHidden : 0};
    for (const HiddenWindow& entry : windows.entries()) show(entry);
    RestoreSound(0);
    windows.clear();
    commands = {};
    restoreTrayAreaAfterShow(true);
    keepJournal();
    return {};
}

Outcome HideEngine::ShowLast() {
    if (windows.empty()) return {.notice = settings::BxTA ? msg::kNothingHidden : 0};
    showAndRemove({windows.size() - 1});
    RestoreSound(method::kUnderMouse);
    UpdateShowMenus();
    restoreTrayAreaAfterShow(windows.empty());
    keepJournal();
    return {};
}

bool HideEngine::showAndRemove(const std::vector<std::size_t>& positions) {
    std::vector<bool> chosen(windows.size(), false);
    bool any = false;
    for (const std::size_t p : positions) {
        if (p < chosen.size() && !chosen[p]) {
            chosen[p] = any = true;
            show(windows[p]);
        }
    }
    // From the back, so that the positions still to remove stay valid.
    for (std::size_t p = chosen.size(); p-- > 0;) {
        if (chosen[p]) windows.remove(p);
    }
    return any;
}

Outcome HideEngine::showByMethod(int method) {
    if (windows.empty()) return {.notice = settings::BxTA ? msg::kNothingFound : 0};
    // The recorded method decides, not the text the list shows for it, which changes with the
    // language.
    std::vector<std::size_t> matching;
    for (std::size_t p = 0; p < windows.size(); ++p) {
        const HiddenWindow& entry = windows[p];
        if (entry.method != method) continue;
        if (method == method::kByTitle &&
            !modCadenas::MatchText(settings::BxTT, entry.title, settings::BxTP, settings::BxTS)) {
            continue;
        }
        matching.push_back(p);
    }
    const bool found = showAndRemove(matching);
    Outcome outcome;
    if (!found && settings::BxTA) {
        outcome.notice = msg::kNothingFound;
    } else {
        RestoreSound(method);
    }
    (method == method::kByClass ? commands.byClass : commands.byTitle) = false;
    if (windows.empty()) commands.general = false;
    // A list that is empty now had entries of this method.
    if (found) restoreTrayAreaAfterShow(windows.empty());
    keepJournal();
    return outcome;
}

Outcome HideEngine::ShowByClass() {
    return showByMethod(method::kByClass);
}

Outcome HideEngine::ShowByTitle() {
    return showByMethod(method::kByTitle);
}

Outcome HideEngine::ShowSelection(const std::vector<std::size_t>& positions) {
    if (!windows.empty() && showAndRemove(positions)) {
        restoreTrayAreaAfterShow(false);
        keepJournal();
    }
    return {.notice = settings::BxTA ? msg::kSelection : 0};
}

Outcome HideEngine::ShowOne(std::optional<std::size_t> position) {
    if (!position || *position >= windows.size()) {
        return {.notice = settings::BxTA ? msg::kSelection : 0};
    }
    showAndRemove({*position});
    UpdateShowMenus();
    restoreTrayAreaAfterShow(false);
    keepJournal();
    return {};
}

void HideEngine::UpdateShowMenus() {
    if (windows.empty()) {
        commands = {};
        return;
    }
    commands.byClass = commands.byTitle = false;
    for (const HiddenWindow& entry : windows.entries()) {
        if (entry.method == method::kByClass) commands.byClass = true;
        if (entry.method == method::kByTitle) commands.byTitle = true;
        if (commands.byClass && commands.byTitle) break;
    }
}

void HideEngine::Exit() {
    // Nothing is muted after the exit, nor read for a list that is gone.
    muteWhenHidden_ = false;
    if (SoundMuted) {
        settings::SR = 0;  // the volume always comes back at exit
        RestoreSound(0);
    } else {
        settleOwedVolume();
    }
    // Opened at the first mute; nothing writes the volume after this.
    SndMixer::CloseMixer();
    if (!windows.empty()) ShowAll();
    lanes_.clear();
    entered_.clear();
    goingToHide_.clear();
    if (TrayAreaHidden) restoreTrayArea();
    processHiding = false;
    modProcsKVR::ShowProcessWindows();
    journal.empty();
}

void HideEngine::ShowEverythingHidden() noexcept {
    for (const HiddenWindow& entry : windows.entries()) show(entry);
    modProcsKVR::ShowProcessWindows();
    // A system-wide volume would stay at 0 after the process is gone.
    if (SoundMuted) {
        giveVolumeBack();
    } else {
        settleOwedVolume();
    }
}

void HideEngine::MuteSound() {
    SoundMuted = true;
    // The device the sound plays on now, which need not be the last mute's; opened anew, which
    // also opens it again after a failure.
    SndMixer::OpenMixer();
    const std::int32_t volume =
        SndMixer::GetControlValue(SndMixer::MixerHandle, SndMixer::VolumeControl);
    if (volume < 0) return;  // unplugged, or no mixer: nothing to save, nothing to silence
    auto saved = std::find_if(muted_.begin(), muted_.end(), [](const MutedDevice& d) {
        return d.device == SndMixer::MixerDevice;
    });
    // Muting again keeps the volume from before the first mute.
    if (volume != 0) {
        if (saved == muted_.end()) {
            muted_.push_back({SndMixer::MixerDevice, static_cast<std::uint32_t>(volume)});
        } else {
            saved->volume = static_cast<std::uint32_t>(volume);
        }
        SavedVolume = volume;
    }
    // On file before the speakers go silent: a process killed from here on leaves the volume.
    keepJournal();
    SndMixer::SetControlValue(SndMixer::MixerHandle, SndMixer::VolumeControl, 0);
}

void HideEngine::RestoreSound(int method) {
    muteIfPending();
    if (!SoundMuted) return;
    // SR 0: back once nothing is left hidden, or on an operation that shows everything.
    const bool giveBack =
        settings::SR == 0 ? method == 0 || windows.empty() : (settings::SR & method) != 0;
    if (giveBack) {
        giveVolumeBack();
    } else {
        volumeOwed_ = true;
    }
    SoundMuted = false;
}

// Each device to the volume it had, when it is still there, whichever device plays now.
void HideEngine::giveVolumeBack() {
    for (const MutedDevice& device : muted_) SndMixer::WriteVolume(device.device, device.volume);
    muted_.clear();
    volumeOwed_ = false;
}

// A show that ended the muted state without writing left the speakers at 0, and nothing later
// gives the volume back by the rules above: the exit does, to each device the user has not set
// a volume for since.
void HideEngine::settleOwedVolume() {
    if (!volumeOwed_) return;
    for (const MutedDevice& device : muted_) {
        if (SndMixer::ReadVolume(device.device) == 0u) {
            SndMixer::WriteVolume(device.device, device.volume);
        }
    }
    muted_.clear();
    volumeOwed_ = false;
}

}  // namespace kvr::engine
