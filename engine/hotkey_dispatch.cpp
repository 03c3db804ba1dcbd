// What each of the twelve hotkeys does.
#include "base/ids.h"
#include "engine/hide_engine.h"
#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "settings/settings.h"

namespace kvr::engine {

using ids::Slot;

Outcome HideEngine::Hotkey(std::int32_t id, Hwnd mainWindow) {
    const auto slot = ids::slotOf(id);
    if (!slot) return {};
    // Asked only by the keys that act on it: each step up is a question to the window server.
    const auto rootUnderMouse = [] {
        return modVentanas::GetRootWindow(modVentanas::WindowUnderCursor());
    };
    switch (*slot) {
        case Slot::HideUnderMouse:
            if (const Hwnd root = rootUnderMouse(); root != mainWindow) {
                return HideWindow(root, modVentanas::GetWindowClass(root),
                                  ids::method::kUnderMouse);
            }
            return {};
        case Slot::HideClassUnderMouse:
            if (const Hwnd root = rootUnderMouse(); root != mainWindow) {
                return HideClassUnderCursor(root);
            }
            return {};
        case Slot::HideByTitle:
            return OcultarXTitulo();
        case Slot::ShowLast:
            return ShowLast();
        case Slot::ShowByClass:
            return ShowByClass();
        case Slot::ShowByTitle:
            return ShowByTitle();
        case Slot::ShowAll:
            return ShowAll();
        case Slot::ToggleMainWindow:
            return {.toggleMainWindow = true};
        case Slot::ToggleSound:
            muteIfPending();
            if (SoundMuted) {
                RestoreSound(0);
                keepJournal();
            } else {
                MuteSound();
            }
            return {};
        case Slot::ToggleTrayArea:  // whatever OO says
            if (TrayAreaHidden) {
                restoreTrayArea();
                keepJournal();
            } else {
                hideTrayArea();
                areaHiddenByHiding_ = false;
            }
            return {};
        case Slot::HidePrograms:  // kept up by the main window's timer from now on
            modProcsKVR::PrepareProcessHiding();
            hideTrayAreaOnce();
            if (settings::SE & ids::method::kByProgram) MuteSound();
            processHiding = true;
            return {};
        case Slot::ShowPrograms:
            processHiding = false;
            restoreTrayAreaAfterShow(TrayAreaHidden);
            if (settings::SE & ids::method::kByProgram) RestoreSound(ids::method::kByProgram);
            modProcsKVR::ShowProcessWindows();
            keepJournal();
            return {};
    }
    return {};
}

}  // namespace kvr::engine
