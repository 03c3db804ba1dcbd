#include "mainwin/frm_ppal.h"

#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "mainwin/mod_sys_tray.h"
#include "platform/services.h"
#include "startup/mod_general.h"
#include "startup/settings.h"
#include "translation/mod_traducir.h"

namespace kvr {

namespace {

frmPpal* instance = nullptr;

std::vector<ui::ToolButton> toolbarButtons() {
    return {
        {"MostrarTitulo", "0029", 1},
        {"MostrarSeleccion", "0031", 2},
        {"MostrarTodas", "0032", 3},
        {"", "", 0, true},
        {"Preferencias", "0023", 4},
        {"Ayuda", "0040", 5},
        {"", "", 0, true},
        {"Cascada", "0033", 6},
        {"MosaicoV", "0034", 7},
        {"MosaicoH", "0035", 8},
        {"", "", 0, true},
        {"STray", "0052", 9},
        {"Salir", "0051", 10},
    };
}

}  // namespace

frmPpal::frmPpal()
    : ui::Form("frmPpal", "0020", {0, 0, 600, 400}),
      lsvVentanas(*this, "lsvVentanas", {"Titulo ", "Clase ", "OcultoX"}, {8, 40, 568, 260}),
      imlApp(*this, "imlApp"),
      picIcono(*this, "picIcono", {0, 0, 16, 16}),
      cmdCerrar(*this, "cmdCerrar", "0021", {476, 308, 100, 28}),
      imlBarraH(*this, "imlBarraH"),
      tlbPpal(*this, "tlbPpal", toolbarButtons(), {0, 0, 600, 32}),
      picSysTray(*this, "picSysTray", {0, 0, 16, 16}),
      picIcon16(*this, "picIcon16", {0, 0, 16, 16}),
      tmrPopUp(*this, "tmrPopUp", 10, false),
      mnuVentanas(*this, "mnuVentanas", "0026"),
      mnuMostrarUltima(*this, "mnuMostrarUltima", "0027", &mnuVentanas),
      mnuMostrarXClase(*this, "mnuMostrarXClase", "0028", &mnuVentanas),
      mnuMostrarXTitulo(*this, "mnuMostrarXTitulo", "0029", &mnuVentanas),
      mnuMostrarSeleccion(*this, "mnuMostrarSeleccion", "0031", &mnuVentanas),
      mnuMostrarTodas(*this, "mnuMostrarTodas", "0032", &mnuVentanas),
      mnuSep1(*this, "mnuSep1", "-", &mnuVentanas),
      mnuCascada(*this, "mnuCascada", "0033", &mnuVentanas),
      mnuMosaicoV(*this, "mnuMosaicoV", "0034", &mnuVentanas),
      mnuMosaicoH(*this, "mnuMosaicoH", "0035", &mnuVentanas),
      mnuPref(*this, "mnuPref", "0036"),
      mnuMostrarPref(*this, "mnuMostrarPref", "0037", &mnuPref),
      mnuLengua(*this, "mnuLengua", "0038", &mnuPref),
      mmnuLenguasDisponibles(*this, "mmnuLenguasDisponibles", "English", &mnuLengua),
      mnuAyuda(*this, "mnuAyuda", "0040"),
      mnuMostrarAyuda(*this, "mnuMostrarAyuda", "0041", &mnuAyuda),
      mnuAcercaDe(*this, "mnuAcercaDe", "0042", &mnuAyuda),
      mnuWeb(*this, "mnuWeb", "0043", &mnuAyuda),
      mnu_ORQWeb(*this, "mnu_ORQWeb", "0044", &mnuWeb),
      mnuKVR_Web(*this, "mnuKVR_Web", "0045", &mnuWeb),
      mnuWebFaq(*this, "mnuWebFaq", "0046", &mnuWeb),
      mnu_OtrosProductos(*this, "mnu_OtrosProductos", "0047", &mnuWeb),
      mnuSalir(*this, "mnuSalir", "0051"),
      mnuTray(*this, "mnuTray", "mnuSTray"),
      mnuSTMostrarPpal(*this, "mnuSTMostrarPpal", "0070", &mnuTray),
      mnuSTMostrarPref(*this, "mnuSTMostrarPref", "0037", &mnuTray),
      mnuSTSep1(*this, "mnuSTSep1", "-", &mnuTray),
      mnuSTMostrarUltima(*this, "mnuSTMostrarUltima", "0027", &mnuTray),
      mnuSTMostrarXClase(*this, "mnuSTMostrarXClase", "0028", &mnuTray),
      mnuSTMostrarXTitulo(*this, "mnuSTMostrarXTitulo", "0029", &mnuTray),
      mnuSTMostrarTodas(*this, "mnuSTMostrarTodas", "0032", &mnuTray),
      mnuSTSep2(*this, "mnuSTSep2", "-", &mnuTray),
      mnuSTCascada(*this, "mnuSTCascada", "0033", &mnuTray),
      mnuSTMosaicoV(*this, "mnuSTMosaicoV", "0034", &mnuTray),
      mnuSTMosaicoH(*this, "mnuSTMosaicoH", "0035", &mnuTray),
      mnuSTSep3(*this, "mnuSTSep3", "-", &mnuTray),
      mnuSTMostrarAyuda(*this, "mnuSTMostrarAyuda", "0041", &mnuTray),
      mnuSTAbout(*this, "mnuSTAbout", "0042", &mnuTray),
      mnuSTSalir(*this, "mnuSTSalir", "0051", &mnuTray) {
    lsvVentanas.setToolTipText("0022");
    lsvVentanas.smallIcons = &imlApp;
    tlbPpal.images = &imlBarraH;
    for (ui::MenuItem* item : {&mnuMostrarUltima, &mnuMostrarXClase, &mnuMostrarXTitulo,
                               &mnuMostrarSeleccion, &mnuMostrarTodas, &mnuSTMostrarUltima,
                               &mnuSTMostrarXClase, &mnuSTMostrarXTitulo, &mnuSTMostrarTodas}) {
        item->setEnabled(false);
    }
    mnuTray.setVisible(false);
    mnuSTMostrarAyuda.setVisible(false);
    mmnuLenguasDisponibles.index = 0;
    wireEvents();
    instance = this;
}

frmPpal::~frmPpal() {
    if (instance == this) instance = nullptr;
}

frmPpal* MainWindow() { return instance; }

void frmPpal::wireEvents() {
    // Each tray-menu twin runs its menu-bar twin's handler.
    const std::pair<ui::MenuItem*, std::function<void()>> commands[] = {
        {&mnuMostrarUltima, [this] { ShowLast(); }},
        {&mnuSTMostrarUltima, [this] { ShowLast(); }},
        {&mnuMostrarXClase, [this] { ShowByClass(); }},
        {&mnuSTMostrarXClase, [this] { ShowByClass(); }},
        {&mnuMostrarXTitulo, [this] { ShowByTitle(); }},
        {&mnuSTMostrarXTitulo, [this] { ShowByTitle(); }},
        {&mnuMostrarSeleccion, [this] { mnuMostrarSeleccion_Click(); }},
        {&mnuMostrarTodas, [this] { ShowAll(); }},
        {&mnuSTMostrarTodas, [this] { ShowAll(); }},
        {&mnuCascada, [] { modVentanas::CascadeAll(0); }},
        {&mnuSTCascada, [] { modVentanas::CascadeAll(0); }},
        {&mnuMosaicoV, [] { modVentanas::TileAll(0); }},
        {&mnuSTMosaicoV, [] { modVentanas::TileAll(0); }},
        {&mnuMosaicoH, [] { modVentanas::TileAll(1); }},
        {&mnuSTMosaicoH, [] { modVentanas::TileAll(1); }},
        {&mnuSalir, [this] { mnuSalir_Click(); }},
        {&mnuSTSalir, [this] { mnuSTSalir_Click(); }},
        {&mnuSTMostrarPpal, [this] { mnuSTMostrarPpal_Click(); }},
    };
    for (const auto& [item, handler] : commands) item->onClick = handler;
    cmdCerrar.onClick = [this] { cmdCerrar_Click(); };
    mmnuLenguasDisponibles.onClick = [this] { mmnuLenguasDisponibles_Click(0); };
    lsvVentanas.onDblClick = [this] { lsvVentanas_DblClick(); };
    tlbPpal.onButtonClick = [this](const ui::ToolButton& button) {
        if (button.key == "MostrarTitulo") ShowByTitle();
        if (button.key == "MostrarSeleccion") mnuMostrarSeleccion_Click();
        if (button.key == "MostrarTodas") ShowAll();
        if (button.key == "Cascada") modVentanas::CascadeAll(0);
        if (button.key == "MosaicoV") modVentanas::TileAll(0);
        if (button.key == "MosaicoH") modVentanas::TileAll(1);
        if (button.key == "STray") Form_QueryUnload(ui::UnloadMode::ControlMenu);
        if (button.key == "Salir") mnuSalir_Click();
    };
    tmrPopUp.onTimer = [this] {
        // A tick that comes while one is still hiding would walk the same windows twice.
        if (popUpTickRunning_) return;
        popUpTickRunning_ = true;
        modProcsKVR::HideProcessWindowsTick();
        popUpTickRunning_ = false;
    };
}

void frmPpal::Form_Load() {
    modTraducir::TranslateForm(*this, modTraducir::LanguageFilePrefix);
    modGeneral::CenterForm(*this);
    if (settings::OI == 0) {
        setWindowState(ui::WindowState::Normal);
        show();
    } else if (settings::OT != 0) {
        modSysTray::AddTrayIcon(*this, caption());
    }
    lsvVentanas.setSortOrder(ui::SortOrder::Descending);
    const auto languages =
        modTraducir::ListLanguages(platform::system().appFolder() + "\\Lng\\KVR_*.*");
    for (std::size_t i = 1; i < languages.size(); ++i) {
        auto item = std::make_unique<ui::MenuItem>(*this, "mmnuLenguasDisponibles", languages[i],
                                                   &mnuLengua);
        item->index = static_cast<int>(i);
        item->onClick = [this, i] { mmnuLenguasDisponibles_Click(i); };
        moreLanguages_.push_back(std::move(item));
    }
    modTraducir::CheckCurrentLanguage(languageItems());
    modMensajes::ExitRequested = false;
    modMensajes::RegisterHotkeys(hWnd());
}

bool frmPpal::Form_QueryUnload(ui::UnloadMode mode) {
    if (mode != ui::UnloadMode::ControlMenu) return false;
    setWindowState(ui::WindowState::Minimized);
    ResizeArmed = true;
    return true;
}

void frmPpal::Form_Resize() {
    if (!ResizeArmed) {
        ResizeArmed = true;
        return;
    }
    if (windowState() == ui::WindowState::Minimized) {
        hide();
        if (settings::OT != 0) modSysTray::AddTrayIcon(*this, caption());
    }
}

void frmPpal::mnuSTMostrarPpal_Click() {
    if (visible()) {
        setWindowState(ui::WindowState::Minimized);
        ResizeArmed = true;
    } else {
        ResizeArmed = false;
        show();
        setWindowState(ui::WindowState::Normal);
        if (settings::OT != 0) modSysTray::RemoveTrayIcon(*this);
        bringToTop();
    }
}

void frmPpal::Form_Unload() {
    modMensajes::ExitRequested = true;
    modMensajes::UnregisterHotkeys(hWnd());
    if (SoundMuted) {
        settings::SR = 0;  // the volume always comes back at exit
        RestoreSound(0);
    }
    if (lsvVentanas.count() != 0) ShowAll();
    if (settings::OT != 0) modSysTray::RemoveTrayIcon(*this);
    if (TrayAreaHidden) modSysTray::RestoreTrayArea();
    modProcsKVR::ShowProcessWindows();
}

std::vector<ui::MenuItem*> frmPpal::languageItems() {
    std::vector<ui::MenuItem*> items{&mmnuLenguasDisponibles};
    for (const auto& item : moreLanguages_) items.push_back(item.get());
    return items;
}

void frmPpal::mmnuLenguasDisponibles_Click(std::size_t index) {
    const auto items = languageItems();
    if (index >= items.size()) return;
    modTraducir::CurrentLanguage = items[index]->caption();
    // Entries 4 and 1 of the string store: the language's key and value name.
    modTraducir::SwitchLanguage(4, 1, items);
}

void frmPpal::mnuSalir_Click() {
    modMensajes::ExitRequested = true;
    unload(ui::UnloadMode::Code);
}

}  // namespace kvr
