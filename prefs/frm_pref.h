// The preferences dialog: the in-memory settings in five tabs, the twelve hotkeys, and OK that
// stores them and puts them into effect at once.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/control_array.h"
#include "ui/controls.h"

namespace kvr {

// The keyboard's name for a virtual-key code, as the hotkey editor shows it; keys the layout
// does not name are shown by a name of their own.
std::string KeyName(int virtualKey);
// The modifier field's text for a stored modifier (16 "Shft", 17 "Ctrl", 18 "Alt"); "" for
// anything else.
std::string ModifierText(int storedModifier);
// The stored modifier for a field's text; 0 for anything but the three texts.
int ModifierCode(const std::string& text);

// A program running when the dialog opened: its file name, the name the process snapshot gives
// (a bare file name on current Windows), and the file it runs from, a full path wherever the
// system tells it.
struct RunningProgram {
    std::string file;
    std::string name;
    std::string path;
};

class frmPref : public ui::Form {
public:
    // mainWindow: where the hotkeys are registered, and the dialog's owner. ocultarXTitulo:
    // the main window's hide by title, which the hide-now button runs after storing.
    frmPref(ui::Form& mainWindow, std::function<void()> ocultarXTitulo);

    // Controls, in design order. fraOpciones(n) is the page of tab n (1 to 6).
    ui::TabStrip tbsConfig;
    ui::ControlArray<ui::Frame> fraOpciones;
    // Tab 1: hiding by program.
    ui::ControlArray<ui::Label> lblMKey;
    ui::TreeView trvLstProc;
    ui::CommandButton cmdAgregarProc;
    ui::CommandButton cmdBorrarProc;
    ui::ListView lsvOcultar;
    // The programs' icons, shown by the tree and the list; "NoIcon" for a program without one.
    ui::ImageList imlProcs;
    // Where one program's icon is drawn before it goes into imlProcs; never shown.
    ui::PictureBox picIcono;
    // Tab 2: the hotkeys of slots 0 to 7.
    ui::ControlArray<ui::Label> lblVentanas;
    // Tab 3: hiding by title.
    ui::ControlArray<ui::Label> lblTitulo;
    ui::TextBox ntxtTitulo;
    ui::ControlArray<ui::OptionButton> optCoincidencia;
    ui::Frame fraBuscarEn;
    ui::ControlArray<ui::OptionButton> optDonde;
    ui::CheckBox chkSensible;
    ui::CommandButton cmdOcultarAhora;
    // Tab 4: sound.
    ui::ControlArray<ui::Label> lblSonido;
    ui::ControlArray<ui::CheckBox> chkEnmudecer;
    ui::ControlArray<ui::OptionButton> optRestSonido;
    ui::ControlArray<ui::CheckBox> chkRestSonido;
    // Tab 5: the program.
    ui::CheckBox chkSTray;
    ui::CheckBox chkOcultarSTray;
    ui::CheckBox chkSplash;
    ui::CheckBox chkResidente;
    ui::CheckBox chkInicioOculto;
    ui::CheckBox chkAvisar;
    ui::Label lblSTrayManual;
    // Tab 6: hiding without the keyboard. lblDisparo names the button, the clicks, the key held,
    // the corners and the minutes; lblAccion and cmbAccion are the action of the button (0), of
    // the corners (1) and of idleness (2); chkEsquina(k) is the corner of bit 2^k.
    ui::ControlArray<ui::Label> lblDisparo;
    ui::ComboBox cmbBoton;
    ui::ComboBox cmbClics;
    ui::ComboBox cmbModificador;
    ui::ControlArray<ui::CheckBox> chkEsquina;
    ui::CheckBox chkRapido;
    ui::TextBox ntxtMinutos;
    ui::ControlArray<ui::Label> lblAccion;
    ui::ControlArray<ui::ComboBox> cmbAccion;
    // The hotkey slots 0 to 11, each on its tab: modifier, "+", key.
    ui::ControlArray<ui::TextBox> ntxtCombo;
    ui::ControlArray<ui::Label> lblMas;
    ui::ControlArray<ui::TextBox> ntxtTecla;
    // The modifier list, laid over the modifier field that has the focus.
    ui::ComboBox ncmbTecla;
    // Below the tabs.
    ui::Label nlblTabDescrip;
    ui::CommandButton cmdAceptar;
    ui::CommandButton cmdCancelar;

    void tbsConfig_Click();
    void chkEnmudecer_Click(int index);
    void optRestSonido_Click(int index);
    void optCoincidencia_Click(int index);
    void cmdAceptar_Click();
    void cmdCancelar_Click();
    void cmdOcultarAhora_Click();
    // The hotkey editor.
    void ntxtTecla_KeyDown(int slot, int keyCode, int shift);
    void ntxtTecla_KeyPress(int slot, int& keyAscii);
    void ntxtCombo_GotFocus(int slot);
    void ncmbTecla_LostFocus();

    // The list of programs to hide.
    void cmdAgregarProc_Click();
    void cmdBorrarProc_Click();
    void lsvOcultar_DblClick();
    void lsvOcultar_AfterLabelEdit(bool& cancel, const std::optional<std::string>& newText);

    // The label that names a hotkey slot.
    ui::Label& slotLabel(int slot);

    // After OK has stored the settings: what else puts them into effect (the main window's
    // triggers).
    std::function<void()> onApplied;

    // The list of programs was changed in this run (by this opening or an earlier one): every
    // closing writes it back, and the program's exit writes its file.
    bool& flgLstViewSucio;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void wireEvents();
    void arrangeTabs();
    void arrangePrograms(ui::Frame& page);
    // The running programs from a new snapshot, their files noted in runningPaths_.
    std::vector<RunningProgram> takeRunningPrograms();
    // Tab 1's lists: the programs to hide from the program's list, the running ones from that
    // snapshot; and the list written back.
    void fillHideList();
    void fillProcessTree(const std::vector<RunningProgram>& running);
    void storeHideList();
    // Says that the list of programs cannot keep the text, in the code page of this Windows.
    void refuseText(const std::string& text);
    // Draws the first icon of the file on picIcono, cleared first. False when it has none.
    bool drawOnCanvas(const std::string& file);
    // picIcono's picture added to imlProcs under the key; its index, or that of the image
    // that has the key already.
    int addCanvasImage(const std::string& key);
    void arrangeHotkeys(ui::Frame& page);
    void arrangeTitles(ui::Frame& page);
    void arrangeSound(ui::Frame& page);
    void arrangeGeneral(ui::Frame& page);
    void arrangeTriggers(ui::Frame& page);
    // The row of a slot on its page: label, modifier field, "+", key field.
    void arrangeSlot(int slot, ui::Frame& page, int top);
    std::vector<ui::Control*> slotRow(int slot);

    void loadSlot(int slot);
    void loadTitles();
    void loadSound();
    void loadGeneral();
    void loadTriggers();
    // Registers every slot anew; the slots the system refused.
    std::vector<int> storeSlots();
    void storeTitles();
    void storeSound();
    void storeGeneral();
    void storeTriggers();
    // The modifier the list shows goes into its field, and the list goes away.
    void closeModifierList();
    // What OK has to tell the user once the dialog has done its work; empty texts for nothing.
    struct Notices {
        std::string refused;         // the slots the system refused
        std::string autostartStays;  // a Run entry the option could not remove or replace
    };
    // Everything the dialog shows stored and put into effect, as OK does.
    Notices storeAll();
    std::string refusedText(const std::vector<int>& slots);
    static void say(platform::Hwnd owner, const Notices& notices);

    ui::Form& mainWindow_;
    std::function<void()> ocultarXTitulo_;
    bool loading_ = false;
    std::vector<std::string> tabDescriptions_;
    // The file each running program runs from, by its name as lsv.dat gives it back (the
    // first process of a name).
    std::unordered_map<std::string, std::string> runningPaths_;
};

}  // namespace kvr
