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
        trayArea_.HideTrayArea();
        TrayAreaHidden = true;
    }
}

void HideEngine::restoreTrayArea() {
    trayArea_.RestoreTrayArea();
    TrayAreaHidden = false;
}

bool HideEngine::visibleNow(Hwnd h) {
    return goingToHide_.count(h) == 0 && modVentanas::WindowIsVisible(h);
}

void HideEngine::hide(Hwnd h, const std::string& windowClass, int method, const PopupMap& popups) {
    if (!visibleNow(h)) return;
    hideTrayAreaOnce();
    if (settings::SE & method) MuteSound();

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
    journal.keep(hidden);
}

Recovery HideEngine::RecoverHiddenWindows() {
    return journal.recover();
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
    keepJournal();
    commands = {};
    if (settings::OO != 0) restoreTrayArea();
    return {};
}

Outcome HideEngine::ShowLast() {
    if (windows.empty()) return {.notice = settings::BxTA ? msg::kNothingHidden : 0};
    showAndRemove({windows.size() - 1});
    keepJournal();
    RestoreSound(method::kUnderMouse);
    UpdateShowMenus();
    if (windows.empty() && settings::OO != 0) restoreTrayArea();
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
    if (found) keepJournal();
    Outcome outcome;
    if (!found && settings::BxTA) {
        outcome.notice = msg::kNothingFound;
    } else {
        RestoreSound(method);
    }
    (method == method::kByClass ? commands.byClass : commands.byTitle) = false;
    if (windows.empty()) {
        commands.general = false;
        if (settings::OO != 0) restoreTrayArea();
    }
    return outcome;
}

Outcome HideEngine::ShowByClass() {
    return showByMethod(method::kByClass);
}

Outcome HideEngine::ShowByTitle() {
    return showByMethod(method::kByTitle);
}

Outcome HideEngine::ShowSelection(const std::vector<std::size_t>& positions) {
    if (!windows.empty() && showAndRemove(positions)) keepJournal();
    return {.notice = settings::BxTA ? msg::kSelection : 0};
}

Outcome HideEngine::ShowOne(std::optional<std::size_t> position) {
    if (!position || *position >= windows.size()) {
        return {.notice = settings::BxTA ? msg::kSelection : 0};
    }
    showAndRemove({*position});
    keepJournal();
    UpdateShowMenus();
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
    // Opened with the main window; nothing writes the volume after this.
    SndMixer::CloseMixer();
    if (!windows.empty()) ShowAll();
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
    const std::int32_t volume =
        SndMixer::GetControlValue(SndMixer::MixerHandle, SndMixer::VolumeControl);
    // Muting again keeps the volume from before the first mute.
    if (volume != 0) SavedVolume = volume;
    SndMixer::SetControlValue(SndMixer::MixerHandle, SndMixer::VolumeControl, 0);
    SoundMuted = true;
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

void HideEngine::giveVolumeBack() {
    SndMixer::SetControlValue(SndMixer::MixerHandle, SndMixer::VolumeControl,
                              static_cast<std::uint32_t>(SavedVolume));
    volumeOwed_ = false;
}

// A show that ended the muted state without writing left the speakers at 0, and nothing later
// gives the volume back by the rules above: the exit does, unless the user has set one since.
void HideEngine::settleOwedVolume() {
    if (volumeOwed_ &&
        SndMixer::GetControlValue(SndMixer::MixerHandle, SndMixer::VolumeControl) == 0) {
        giveVolumeBack();
    }
}

}  // namespace kvr::engine
