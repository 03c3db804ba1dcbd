// The main window: the list of hidden windows, the commands that show them again, and the
// target of the global hotkeys.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "startup/mod_mensajes.h"
#include "ui/controls.h"

namespace kvr {

class frmPpal;
// The main window while it exists; nullptr before the hand-over and after the exit.
frmPpal* MainWindow();
// Last resort when the program is about to die: shows every window it hid, touching nothing
// but the windows themselves.
void ShowEverythingHidden() noexcept;
// The toolbar picture of the button with that key, size x size BGRA pixels; all transparent for
// an unknown key.
std::vector<std::uint32_t> ToolbarGlyph(const std::string& key, int size);

class frmPpal : public ui::Form, public modMensajes::HotkeyReceiver {
public:
    frmPpal();
    ~frmPpal() override;

    // Every hotkey the message loop takes arrives here.
    void RecibirMensajes(std::int32_t& id) override;

    bool ResizeArmed = false;
    bool TrayAreaHidden = false;
    bool SoundMuted = false;
    std::int32_t SavedVolume = 0;

    // The hiding engine: every window hidden by the mouse, by class or by title gets its entry
    // in lsvVentanas, the only record of it.
    void HideWindow(platform::Hwnd h, const std::string& windowClass, int bit);
    void HideClassUnderCursor(platform::Hwnd h);
    void OcultarXTitulo();
    void ShowAll();
    void ShowLast();
    void ShowByClass();
    void ShowByTitle();
    void UpdateShowMenus();
    void mnuMostrarSeleccion_Click();
    void lsvVentanas_DblClick();

    // Sound muting with hiding and giving it back with showing.
    void MuteSound();
    void RestoreSound(int bit);

    // Controls, in design order.
    ui::ListView lsvVentanas;
    ui::ImageList imlApp;
    ui::PictureBox picIcono;
    ui::CommandButton cmdCerrar;
    ui::ImageList imlBarraH;
    ui::Toolbar tlbPpal;
    ui::PictureBox picSysTray;
    ui::PictureBox picIcon16;
    ui::Timer tmrPopUp;

    ui::MenuItem mnuVentanas;
    ui::MenuItem mnuMostrarUltima;
    ui::MenuItem mnuMostrarXClase;
    ui::MenuItem mnuMostrarXTitulo;
    ui::MenuItem mnuMostrarSeleccion;
    ui::MenuItem mnuMostrarTodas;
    ui::MenuItem mnuSep1;
    ui::MenuItem mnuCascada;
    ui::MenuItem mnuMosaicoV;
    ui::MenuItem mnuMosaicoH;
    ui::MenuItem mnuPref;
    ui::MenuItem mnuMostrarPref;
    ui::MenuItem mnuLengua;
    ui::MenuItem mmnuLenguasDisponibles;
    ui::MenuItem mnuAyuda;
    ui::MenuItem mnuMostrarAyuda;
    ui::MenuItem mnuAcercaDe;
    ui::MenuItem mnuWeb;
    ui::MenuItem mnu_ORQWeb;
    ui::MenuItem mnuKVR_Web;
    ui::MenuItem mnuWebFaq;
    ui::MenuItem mnu_OtrosProductos;
    ui::MenuItem mnuSalir;
    ui::MenuItem mnuTray;
    ui::MenuItem mnuSTMostrarPpal;
    ui::MenuItem mnuSTMostrarPref;
    ui::MenuItem mnuSTSep1;
    ui::MenuItem mnuSTMostrarUltima;
    ui::MenuItem mnuSTMostrarXClase;
    ui::MenuItem mnuSTMostrarXTitulo;
    ui::MenuItem mnuSTMostrarTodas;
    ui::MenuItem mnuSTSep2;
    ui::MenuItem mnuSTCascada;
    ui::MenuItem mnuSTMosaicoV;
    ui::MenuItem mnuSTMosaicoH;
    ui::MenuItem mnuSTSep3;
    ui::MenuItem mnuSTMostrarAyuda;
    ui::MenuItem mnuSTAbout;
    ui::MenuItem mnuSTSalir;

    void mnuSalir_Click();
    void cmdCerrar_Click() { mnuSalir_Click(); }
    void mnuSTSalir_Click() { mnuSalir_Click(); }
    void mnuSTMostrarPpal_Click();
    // Opens the help file of the current language.
    void ShowHelp();
    void mmnuLenguasDisponibles_Click(std::size_t index);
    // column: 0-based, as the toolkit numbers columns.
    void lsvVentanas_ColumnClick(int column);
    void tlbPpal_ButtonClick(const ui::ToolButton& button);
    // The language menu's items: the designed "English" and one per installed language.
    std::vector<ui::MenuItem*> languageItems();

protected:
    void Form_Load() override;
    bool Form_QueryUnload(ui::UnloadMode mode) override;
    void Form_Resize() override;
    void Form_Unload() override;

private:
    void wireEvents();
    void showMenus(std::initializer_list<ui::MenuItem*> items, bool enabled);
    void notice(int message);
    // Shows an entry's window (and the pop-ups it owns again).
    void showEntry(std::size_t index);
    // Shows every entry the test picks, then removes them: positions stay valid while showing.
    bool showMatching(const std::function<bool(const ui::ListItem&)>& pick);
    void restoreTrayAreaIfEmpty();
    bool popUpTickRunning_ = false;
    std::unordered_set<platform::Hwnd> visiblePopupOwners();
    // While a hide of many windows runs: the windows that own a visible pop-up.
    std::optional<std::unordered_set<platform::Hwnd>> popupOwners_;
    // Windows whose pop-ups were hidden with them, to be shown with them again.
    std::unordered_set<platform::Hwnd> popupsHidden_;
    std::vector<std::unique_ptr<ui::MenuItem>> moreLanguages_;
};

}  // namespace kvr
