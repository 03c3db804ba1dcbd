// The main window: the list of hidden windows, the commands that show them again, and the
// target of the global hotkeys.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/hide_engine.h"
#include "engine/triggers.h"
#include "prefs/frm_pref.h"
#include "startup/mod_mensajes.h"
#include "ui/controls.h"

namespace kvr {

class frmAbout;
class frmPpal;
// The main window while it exists; nullptr before the hand-over and after the exit.
frmPpal* MainWindow();
// The toolbar picture of the button with that key, size x size BGRA pixels; all transparent for
// an unknown key.
std::vector<std::uint32_t> ToolbarGlyph(const std::string& key, int size);

// Shows the hiding engine's record in its list and the engine's show commands in its menus,
// and turns hotkeys, menus, the toolbar and the list's clicks into engine calls.
class frmPpal : public modMensajes::HotkeyWindow {
public:
    explicit frmPpal(engine::HideEngine& engine);
    ~frmPpal() override;

    // Every hotkey the message loop takes arrives here.
    void RecibirMensajes(std::int32_t& id) override;
    // Hides by title now (the preferences' hide-now button).
    void OcultarXTitulo();

    engine::HideEngine& engine() { return engine_; }
    // The mouse and idleness triggers in force.
    const engine::Triggers& triggers() const { return triggers_; }

    bool ResizeArmed = false;
    // The notification-area icon's mouse messages: the last one, and whether one is being
    // handled (the tray menu's own loop delivers more meanwhile).
    struct TrayMouse {
        bool Busy = false;
        std::int32_t LastMessage = 0;
    };
    TrayMouse TrayMouseState;

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
    // Once a second while idleness is to hide something.
    ui::Timer tmrInactividad;
    // While a hide waits for programs to carry out what it posted them.
    ui::Timer tmrConfirmar;

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

    void mnuMostrarSeleccion_Click();
    void lsvVentanas_DblClick();
    void mnuSalir_Click();
    void cmdCerrar_Click() { mnuSalir_Click(); }
    void mnuSTSalir_Click() { mnuSalir_Click(); }
    void mnuSTMostrarPpal_Click();
    // A mouse message of the notification-area icon: a left click shows or hides the window,
    // a right click opens the tray menu.
    void picSysTray_MouseMove(std::int32_t message);
    // Opens the preferences, modally; they come to the front when they are open already.
    void mnuMostrarPref_Click();
    // The preferences dialog of the last opening; null before the first.
    frmPref* Preferences() { return prefs_.get(); }
    // Opens the help file of the current language.
    void ShowHelp();
    void mmnuLenguasDisponibles_Click(std::size_t index);
    // Opens the About box as a modal dialog.
    void mnuAcercaDe_Click();
    void mnuSTAbout_Click() { mnuAcercaDe_Click(); }
    // The About box once it has been opened; it stays for the next opening.
    frmAbout* aboutBox() const { return about_.get(); }
    // Hands a web address to the shell; anything but an http or https address is refused.
    // False when refused or when the shell could not open it.
    bool OpenWebPage(const std::string& address);
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
    // Runs an engine operation's requests and shows the engine's state again.
    void apply(const engine::Outcome& outcome);
    void mirror();
    // A hotkey met outside the program's own loop: acted on unless the exit has begun.
    void hotkeyMetElsewhere(std::uint32_t id);
    // The trigger settings into effect, as at load and after the preferences' OK.
    void applyTriggers();
    // The user's choice in the list, by entry, so that it survives a rebuild of the rows.
    struct Selection {
        std::unordered_set<std::uint64_t> selected;
        std::uint64_t current = 0;  // 0: none
    };
    Selection selection() const;
    void mirrorList(const Selection& selection);
    int imageOf(const engine::HiddenWindow& entry);
    const std::string& methodText(int method);
    void notice(int message);
    // Visible on the screen, not only in the form's own state: hiding by title may have taken
    // the window away behind its back.
    bool reallyVisible() const;

    engine::HideEngine& engine_;
    // The entry each row of lsvVentanas shows, row by row.
    std::vector<std::uint64_t> rowIds_;
    std::uint64_t listRevision_ = 0;
    // imlApp's image of each entry shown; the images themselves stay for the whole run.
    std::unordered_map<std::uint64_t, int> images_;
    // The hidden-by texts in the language they were read for.
    std::string methodTextsLanguage_;
    std::unordered_map<int, std::string> methodTexts_;
    bool popUpTickRunning_ = false;
    std::vector<std::unique_ptr<ui::MenuItem>> moreLanguages_;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<frmPref> prefs_;
    engine::Triggers triggers_;
};

}  // namespace kvr
