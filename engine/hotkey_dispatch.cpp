// What each of the twelve hotkeys does.
#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "mainwin/frm_ppal.h"
#include "mainwin/mod_sys_tray.h"
#include "settings/settings.h"

namespace kvr {

void frmPpal::RecibirMensajes(std::int32_t& id) {
    const platform::Hwnd root = modVentanas::GetRootWindow(modVentanas::WindowUnderCursor());
    constexpr int kByProcess = 8;
    switch (id) {
        case 0xBFFF:  // hide the window under the mouse
            if (root != hWnd()) HideWindow(root, modVentanas::GetWindowClass(root), 1);
            break;
        case 0xBFFE:  // hide its whole class
            if (root != hWnd()) HideClassUnderCursor(root);
            break;
        case 0xBFFD: OcultarXTitulo(); break;
        case 0xBFFC: ShowLast(); break;
        case 0xBFFB: ShowByClass(); break;
        case 0xBFFA: ShowByTitle(); break;
        case 0xBFF9: ShowAll(); break;
        case 0xBFF8: mnuSTMostrarPpal_Click(); break;
        case 0xBFF7:  // toggle the sound
            if (SoundMuted) {
                RestoreSound(0);
            } else {
                MuteSound();
            }
            break;
        case 0xBFF6:  // toggle the notification area, whatever OO says
            if (TrayAreaHidden) {
                modSysTray::RestoreTrayArea();
                TrayAreaHidden = false;
            } else {
                modSysTray::HideTrayArea();
                TrayAreaHidden = true;
            }
            break;
        case 0xBFF5:  // hide the listed programs' windows, continuously
            modProcsKVR::PrepareProcessHiding();
            if (settings::OO != 0 && !TrayAreaHidden) {
                modSysTray::HideTrayArea();
                TrayAreaHidden = true;
            }
            if (settings::SE & kByProcess) MuteSound();
            tmrPopUp.setEnabled(true);
            break;
        case 0xBFF4:  // show them again
            tmrPopUp.setEnabled(false);
            if (settings::OO != 0 && TrayAreaHidden) {
                modSysTray::RestoreTrayArea();
                TrayAreaHidden = false;
            }
            if (settings::SE & kByProcess) RestoreSound(kByProcess);
            modProcsKVR::ShowProcessWindows();
            break;
        default:
            break;
    }
}

}  // namespace kvr
