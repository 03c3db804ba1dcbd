#include "engine/hide_engine.h"

#include <algorithm>
#include <unordered_set>

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

// h's pop-ups and theirs in turn: a find dialog's own message box goes with it.
std::vector<Hwnd> popupsOf(Hwnd h, const std::unordered_map<Hwnd, std::vector<Hwnd>>& popups) {
    std::vector<Hwnd> found;
    std::unordered_set<Hwnd> seen{h};
    std::vector<Hwnd> owners{h};
    while (!owners.empty()) {
        const Hwnd owner = owners.back();
        owners.pop_back();
        const auto it = popups.find(owner);
        if (it == popups.end()) continue;
        for (const Hwnd popup : it->second) {
            if (!seen.insert(popup).second) continue;
            found.push_back(popup);
            owners.push_back(popup);
        }
    }
    return found;
}

}  // namespace

HideEngine::HideEngine(TrayArea& trayArea) : trayArea_(trayArea) {}

// ShowOwnedPopups would do this for us, but it walks the whole desktop for every owner and,
// called from another process, never shows the pop-ups again: so the engine hides and shows
// them itself, window by window, and keeps them with their owner's entry.
HideEngine::PopupMap HideEngine::visiblePopups() {
    PopupMap popups;
    auto& desktop = platform::desktop();
    desktop.enumWindows([&](Hwnd w) {
        if (desktop.isWindowVisible(w)) {
            if (const Hwnd owner = desktop.getWindow(w, platform::gw::kOwner)) {
                popups[owner].push_back(w);
            }
        }
        return true;
    });
    return popups;
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

bool HideEngine::visibleNow(Hwnd h) {
    return goingToHide_.count(h) == 0 && modVentanas::WindowIsVisible(h);
}

void HideEngine::hide(Hwnd h, const std::string& windowClass, int method, const PopupMap& popups) {
    if (!visibleNow(h)) return;
    hideTrayAreaOnce();
    if (settings::SE & method) muteWhenHidden_ = true;

    HiddenWindow entry;
    entry.hwnd = h;
    entry.title = modVentanas::GetWindowTitle(h);
    entry.windowClass = windowClass;
    entry.method = method;
    // The walk was made before this command hid anything: a pop-up that has gone since (with
    // an entry of its own, in a hide of many windows) is not this window's to bring back.
    for (const Hwnd popup : popupsOf(h, popups)) {
        if (visibleNow(popup)) entry.popups.push_back(popup);
    }
    entry.icon = platform::desktop().classSmallIcon(h, kIconSize);
    for (const Hwnd popup : entry.popups) {
        toHide_.push_back(popup);
        goingToHide_.insert(popup);
    }
    toHide_.push_back(h);
    goingToHide_.insert(h);
    // Entered before anything is hidden: whatever happens next, the record can bring it back.
    windows.add(std::move(entry));
    commands.general = true;
}

void HideEngine::finishHiding() {
    if (toHide_.empty()) return;
    // A process killed from here on leaves a journal that names these windows: the next start
    // shows whichever of them did go.
    keepJournal();
    for (const Hwnd h : toHide_) modVentanas::ShowHideWindow(h, true);
    toHide_.clear();
    goingToHide_.clear();
    muteIfAsked();
}

// After the windows are gone: the hide never waits for the mixer.
void HideEngine::muteIfAsked() {
    if (muteWhenHidden_) MuteSound();
    muteWhenHidden_ = false;
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
    modVentanas::ShowHideWindow(entry.hwnd, false);
    // Without taking the activation from the owner, as the system shows an owner's pop-ups.
    for (const Hwnd popup : entry.popups) {
        platform::desktop().showWindow(popup, platform::sw::kShowNa);
    }
}

Outcome HideEngine::HideWindow(Hwnd h, const std::string& windowClass, int method) {
    if (modVentanas::WindowIsVisible(h)) hide(h, windowClass, method, visiblePopups());
    finishHiding();
    return {};
}

Outcome HideEngine::HideClassUnderCursor(Hwnd h) {
    const std::string prefix = modVentanas::GetWindowClass(h);
    const auto list = modVentanas::ListWindowsOfClass(h, prefix);
    if (list.size() > 1) {
        const PopupMap popups = visiblePopups();
        // The list ends with an empty record.
        for (std::size_t i = 0; i + 1 < list.size(); ++i) {
            hide(list[i].hwnd, prefix, method::kByClass, popups);
        }
        finishHiding();
    }
    commands.general = commands.byClass = true;
    return {};
}

Outcome HideEngine::OcultarXTitulo() {
    if (settings::BxTT.empty()) return {.notice = msg::kNoTitleText};
    modVentanas::EnumTopWindows(1);
    const PopupMap popups = visiblePopups();
    bool nothingFound = true;
    for (std::size_t i = 1; i < modVentanas::TopWindows.size(); ++i) {
        const Hwnd h = modVentanas::TopWindows[i];
        const std::string title = modVentanas::GetWindowTitle(h);
        if (title.empty() || !visibleNow(h)) continue;
        if (!modCadenas::MatchText(settings::BxTT, title, settings::BxTP, settings::BxTS)) continue;
        const std::string windowClass = modVentanas::GetWindowClass(h);
        if (isShellWindow(windowClass)) continue;
        hide(h, windowClass, method::kByTitle, popups);
        nothingFound = false;
    }
    finishHiding();
    modVentanas::TopWindows.assign(1, 0);
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
    if (SoundMuted) {
        settings::SR = 0;  // the volume always comes back at exit
        RestoreSound(0);
    } else {
        settleOwedVolume();
    }
    // Opened at the first mute; nothing writes the volume after this.
    SndMixer::CloseMixer();
    if (!windows.empty()) ShowAll();
    if (TrayAreaHidden) restoreTrayArea();
    processHiding = false;
    modProcsKVR::ShowProcessWindows();
    journal.empty();
}

void HideEngine::ShowEverythingHidden() noexcept {
    try {
        for (const HiddenWindow& entry : windows.entries()) show(entry);
        modProcsKVR::ShowProcessWindows();
        // A system-wide volume would stay at 0 after the process is gone.
        if (SoundMuted) {
            giveVolumeBack();
        } else {
            settleOwedVolume();
        }
    } catch (...) {
        // Nothing more can be done on the way down.
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
