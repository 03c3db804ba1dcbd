// Hiding windows and showing them again; the main window's list is the record of what is hidden.
#include <string>
#include <vector>

#include "engine/mod_cadenas.h"
#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "mainwin/frm_ppal.h"
#include "mainwin/mod_sys_tray.h"
#include "platform/services.h"
#include "settings/settings.h"
#include "translation/mod_traducir.h"

namespace kvr {

namespace {

using platform::Hwnd;

constexpr int kByMouse = 1;
constexpr int kByClass = 2;
constexpr int kByTitle = 4;

std::string hiddenByText(int bit) {
    const int message = bit == kByClass ? 3 : bit == kByTitle ? 5 : 6;
    return modTraducir::GetMessage(message)[0];
}

Hwnd handleOf(const ui::ListItem& entry) {
    try {
        return static_cast<Hwnd>(std::stoul(entry.tag));
    } catch (...) {
        return 0;
    }
}

// The desktop and the taskbar: hiding them by a matching title would leave the user with no
// visible way back.
bool isShellWindow(const std::string& windowClass) {
    return windowClass == "Progman" || windowClass == "WorkerW" ||
           windowClass == "Shell_TrayWnd" || windowClass == "Shell_SecondaryTrayWnd";
}

}  // namespace

void frmPpal::showMenus(std::initializer_list<ui::MenuItem*> items, bool enabled) {
    for (ui::MenuItem* item : items) item->setEnabled(enabled);
}

void frmPpal::notice(int message) {
    const auto parts = modTraducir::GetMessage(message);
    platform::system().messageBox(hWnd(), parts[0], parts[1],
                                  platform::mb::kOk | platform::mb::kIconExclamation);
}

void frmPpal::HideWindow(Hwnd h, const std::string& windowClass, int bit) {
    if (!modVentanas::WindowIsVisible(h)) return;
    const std::string hiddenBy = hiddenByText(bit);
    if (settings::OO != 0 && !TrayAreaHidden) {
        modSysTray::HideTrayArea();
        TrayAreaHidden = true;
    }
    if (settings::SE & bit) MuteSound();

    ui::ListItem entry;
    entry.text = modVentanas::GetWindowTitle(h);
    entry.subItems = {windowClass, hiddenBy};
    entry.tag = std::to_string(h);
    // Only the class's own small icon: a window without one shows none.
    auto icon = platform::desktop().classSmallIcon(h, imlApp.imageSize());
    entry.smallIcon = icon.empty() ? 0 : imlApp.add(std::move(icon));
    lsvVentanas.add(std::move(entry));

    // Its find dialog or tool palettes would otherwise stay on screen. Asking the system costs
    // a walk over every window, so a batch asks only the owners it knows of.
    if (!popupOwners_ || popupOwners_->count(h)) {
        platform::desktop().showOwnedPopups(h, false);
        popupsHidden_.insert(h);
    }
    modVentanas::ShowHideWindow(h, true);
    showMenus({&mnuMostrarUltima, &mnuSTMostrarUltima, &mnuMostrarSeleccion, &mnuMostrarTodas,
               &mnuSTMostrarTodas},
              true);
}

std::unordered_set<Hwnd> frmPpal::visiblePopupOwners() {
    std::unordered_set<Hwnd> owners;
    auto& desktop = platform::desktop();
    desktop.enumWindows([&](Hwnd w) {
        if (desktop.isWindowVisible(w)) {
            if (const Hwnd owner = desktop.getWindow(w, platform::gw::kOwner)) owners.insert(owner);
        }
        return true;
    });
    return owners;
}

void frmPpal::HideClassUnderCursor(Hwnd h) {
    const std::string prefix = modVentanas::GetWindowClass(h);
    const auto windows = modVentanas::ListWindowsOfClass(h, prefix);
    popupOwners_ = visiblePopupOwners();
    for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
        HideWindow(windows[i].hwnd, prefix, kByClass);
    }
    popupOwners_.reset();
    showMenus({&mnuMostrarXClase, &mnuSTMostrarXClase, &mnuMostrarUltima, &mnuSTMostrarUltima,
               &mnuMostrarSeleccion, &mnuMostrarTodas, &mnuSTMostrarTodas},
              true);
}

void frmPpal::OcultarXTitulo() {
    if (settings::BxTT.empty()) {
        notice(9);
        return;
    }
    modVentanas::EnumTopWindows(1);
    popupOwners_ = visiblePopupOwners();
    bool nothingFound = true;
    for (std::size_t i = 1; i < modVentanas::TopWindows.size(); ++i) {
        const Hwnd h = modVentanas::TopWindows[i];
        const std::string title = modVentanas::GetWindowTitle(h);
        if (title.empty() || !modVentanas::WindowIsVisible(h)) continue;
        if (!modCadenas::MatchText(settings::BxTT, title, settings::BxTP, settings::BxTS)) continue;
        const std::string windowClass = modVentanas::GetWindowClass(h);
        if (isShellWindow(windowClass)) continue;
        HideWindow(h, windowClass, kByTitle);
        nothingFound = false;
    }
    popupOwners_.reset();
    if (nothingFound && settings::BxTA) notice(2);
    modVentanas::TopWindows.assign(1, 0);
    showMenus({&mnuMostrarXTitulo, &mnuSTMostrarXTitulo, &mnuMostrarUltima, &mnuSTMostrarUltima,
               &mnuMostrarSeleccion, &mnuMostrarTodas, &mnuSTMostrarTodas},
              true);
}

void frmPpal::showEntry(std::size_t index) {
    const Hwnd h = handleOf(lsvVentanas.items()[index]);
    modVentanas::ShowHideWindow(h, false);
    if (popupsHidden_.erase(h)) platform::desktop().showOwnedPopups(h, true);
}

void frmPpal::restoreTrayAreaIfEmpty() {
    if (lsvVentanas.count() == 0 && settings::OO != 0) {
        modSysTray::RestoreTrayArea();
        TrayAreaHidden = false;
    }
}

void frmPpal::ShowAll() {
    if (lsvVentanas.count() == 0) {
        if (settings::BxTA) notice(4);
        return;
    }
    for (std::size_t i = 0; i < lsvVentanas.count(); ++i) showEntry(i);
    RestoreSound(0);
    lsvVentanas.clear();
    showMenus({&mnuMostrarUltima, &mnuSTMostrarUltima, &mnuMostrarXClase, &mnuSTMostrarXClase,
               &mnuMostrarXTitulo, &mnuSTMostrarXTitulo, &mnuMostrarSeleccion, &mnuMostrarTodas,
               &mnuSTMostrarTodas},
              false);
    if (settings::OO != 0) {
        modSysTray::RestoreTrayArea();
        TrayAreaHidden = false;
    }
}

void frmPpal::ShowLast() {
    if (lsvVentanas.count() == 0) {
        if (settings::BxTA) notice(4);
        return;
    }
    const std::size_t last = lsvVentanas.count() - 1;
    showEntry(last);
    lsvVentanas.remove(last);
    RestoreSound(kByMouse);
    UpdateShowMenus();
    restoreTrayAreaIfEmpty();
}

bool frmPpal::showMatching(const std::function<bool(const ui::ListItem&)>& pick) {
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < lsvVentanas.count(); ++i) {
        if (!pick(lsvVentanas.items()[i])) continue;
        showEntry(i);
        shown.push_back(lsvVentanas.items()[i].tag);
    }
    // Each collected tag removes the first entry that still carries it, so two entries with
    // the same handle both go.
    for (const std::string& tag : shown) {
        const auto& items = lsvVentanas.items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].tag == tag) {
                lsvVentanas.remove(i);
                break;
            }
        }
    }
    return !shown.empty();
}

void frmPpal::ShowByClass() {
    if (lsvVentanas.count() == 0) {
        if (settings::BxTA) notice(2);
        return;
    }
    const std::string byClass = hiddenByText(kByClass);
    const bool found = showMatching([&](const ui::ListItem& e) { return e.subItems[1] == byClass; });
    if (!found && settings::BxTA) {
        notice(2);
    } else {
        RestoreSound(kByClass);
    }
    showMenus({&mnuMostrarXClase, &mnuSTMostrarXClase}, false);
    if (lsvVentanas.count() == 0) {
        showMenus({&mnuMostrarUltima, &mnuSTMostrarUltima, &mnuMostrarSeleccion, &mnuMostrarTodas,
                   &mnuSTMostrarTodas},
                  false);
    }
    restoreTrayAreaIfEmpty();
}

void frmPpal::ShowByTitle() {
    if (lsvVentanas.count() == 0) {
        if (settings::BxTA) notice(2);
        return;
    }
    const std::string byTitle = hiddenByText(kByTitle);
    const bool found = showMatching([&](const ui::ListItem& e) {
        return e.subItems[1] == byTitle &&
               modCadenas::MatchText(settings::BxTT, e.text, settings::BxTP, settings::BxTS);
    });
    if (!found && settings::BxTA) {
        notice(2);
    } else {
        RestoreSound(kByTitle);
    }
    showMenus({&mnuMostrarXTitulo, &mnuSTMostrarXTitulo}, false);
    if (lsvVentanas.count() == 0) {
        showMenus({&mnuMostrarUltima, &mnuSTMostrarUltima, &mnuMostrarSeleccion, &mnuMostrarTodas,
                   &mnuSTMostrarTodas},
                  false);
    }
    restoreTrayAreaIfEmpty();
}

void frmPpal::mnuMostrarSeleccion_Click() {
    if (lsvVentanas.count() != 0) {
        showMatching([](const ui::ListItem& e) { return e.selected; });
    }
    if (settings::BxTA) notice(1);
}

void frmPpal::lsvVentanas_DblClick() {
    const int index = lsvVentanas.selectedIndex();
    if (index < 0) {
        if (settings::BxTA) notice(1);
        return;
    }
    showEntry(static_cast<std::size_t>(index));
    lsvVentanas.remove(static_cast<std::size_t>(index));
    UpdateShowMenus();
}

void frmPpal::UpdateShowMenus() {
    if (lsvVentanas.count() == 0) {
        showMenus({&mnuMostrarUltima, &mnuSTMostrarUltima, &mnuMostrarXClase, &mnuSTMostrarXClase,
                   &mnuMostrarXTitulo, &mnuSTMostrarXTitulo, &mnuMostrarSeleccion,
                   &mnuMostrarTodas, &mnuSTMostrarTodas},
                  false);
        return;
    }
    showMenus({&mnuMostrarXClase, &mnuSTMostrarXClase, &mnuMostrarXTitulo, &mnuSTMostrarXTitulo},
              false);
    const std::string byClass = hiddenByText(kByClass);
    const std::string byTitle = hiddenByText(kByTitle);
    for (const auto& entry : lsvVentanas.items()) {
        if (entry.subItems[1] == byClass) showMenus({&mnuMostrarXClase, &mnuSTMostrarXClase}, true);
        if (entry.subItems[1] == byTitle) {
            showMenus({&mnuMostrarXTitulo, &mnuSTMostrarXTitulo}, true);
        }
        if (mnuMostrarXClase.enabled() && mnuMostrarXTitulo.enabled()) break;
    }
}

void ShowEverythingHidden() noexcept {
    try {
        if (frmPpal* main = MainWindow()) {
            for (const auto& entry : main->lsvVentanas.items()) {
                modVentanas::ShowHideWindow(handleOf(entry), false);
            }
        }
        modProcsKVR::ShowProcessWindows();
    } catch (...) {
        // Nothing more can be done on the way down.
    }
}

// Muting arrives with the sound work; until then hiding and showing leave the volume alone.
void frmPpal::MuteSound() {}
void frmPpal::RestoreSound(int) {}

}  // namespace kvr
