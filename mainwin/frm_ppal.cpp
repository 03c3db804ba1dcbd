#include "mainwin/frm_ppal.h"

#include <cmath>
#include <optional>

#include "base/ids.h"
#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "mainwin/frm_about.h"
#include "mainwin/mod_sys_tray.h"
#include "mainwin/program_icon.h"
#include "mainwin/web_page.h"
#include "platform/services.h"
#include "settings/settings.h"
#include "startup/mod_general.h"
#include "translation/mod_traducir.h"
#include "ui/canvas.h"

namespace kvr {

namespace {

frmPpal* instance = nullptr;

// The toolbar's pictures, drawn for this program on the 16-unit grid of ui::Canvas.
constexpr std::uint32_t kInk = 0xFF35414F;
constexpr std::uint32_t kTitle = 0xFF2F6FD0;
constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kGo = 0xFF23984A;
constexpr std::uint32_t kGear = 0xFF66727F;
constexpr std::uint32_t kHelp = 0xFF1D73C9;
constexpr std::uint32_t kStop = 0xFFD0382E;
constexpr std::uint32_t kRow = 0xFF9AA6B2;

void window(ui::Canvas& c, double l, double t, double r, double b) {
    c.fillRect(l, t, r, b, kPaper);
    c.fillRect(l, t, r, t + 3, kTitle);
    c.frameRect(l, t, r, b, 1, kInk);
}

// The green arrow of the show commands: a window coming back up.
void showArrow(ui::Canvas& c) {
    c.fillPolygon({{11.5, 7.5}, {16, 12}, {13.5, 12}, {13.5, 16}, {9.5, 16}, {9.5, 12}, {7, 12}},
                  0xFFFFFFFF);
    c.fillPolygon({{11.5, 8.8},
                   {15, 12.3},
                   {12.8, 12.3},
                   {12.8, 15.3},
                   {10.2, 15.3},
                   {10.2, 12.3},
                   {8, 12.3}},
                  kGo);
}

// Points along an arc (angles in degrees, 0 = east, clockwise on screen).
void arc(std::vector<ui::Point>& out, double cx, double cy, double r, double from, double to) {
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const double a = (from + (to - from) * i / steps) * 3.14159265358979 / 180;
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
}

void drawGlyph(ui::Canvas& c, const std::string& key) {
    if (key == "MostrarTitulo") {
        window(c, 0.5, 1.5, 13, 12);
        c.fillRect(2, 2.5, 8, 3.5, kPaper);  // the title's text
        c.fillRect(2, 5, 10, 6, kRow);
        c.fillRect(2, 7, 7, 8, kRow);
        showArrow(c);
    } else if (key == "MostrarSeleccion") {
        c.fillRect(0.5, 1.5, 13, 12.5, kPaper);
        c.frameRect(0.5, 1.5, 13, 12.5, 1, kInk);
        c.fillRect(2, 3, 11.5, 4, kRow);
        c.fillRect(1.5, 5.5, 12, 8, kTitle);  // the selected row
        c.fillRect(2, 9.5, 11.5, 10.5, kRow);
        showArrow(c);
    } else if (key == "MostrarTodas") {
        window(c, 4.5, 0.5, 15.5, 7.5);
        window(c, 2.5, 3, 13.5, 10);
        window(c, 0.5, 5.5, 11.5, 12.5);
        showArrow(c);
    } else if (key == "Preferencias") {
        std::vector<ui::Point> teeth;
        for (int i = 0; i < 8; ++i) {
            const double a = i * 45.0;
            arc(teeth, 8, 8, 7.3, a - 11, a + 11);
            arc(teeth, 8, 8, 5.4, a + 18, a + 34);
        }
        c.fillPolygon(teeth, kGear);
        c.fillEllipse(8, 8, 5.4, 5.4, kGear);
        c.fillEllipse(8, 8, 2.3, 2.3, kPaper);
    } else if (key == "Ayuda") {
        c.fillEllipse(8, 8, 7.5, 7.5, kHelp);
        std::vector<ui::Point> hook;
        arc(hook, 8, 6.2, 3.3, 180, 405);
        arc(hook, 8, 6.2, 1.5, 405, 180);
        c.fillPolygon(hook, kPaper);
        c.fillPolygon({{8.6, 8.2}, {10.3, 8.6}, {9.4, 10.6}, {7.1, 10.6}, {7.1, 9.4}}, kPaper);
        c.fillEllipse(8.25, 12.6, 1.25, 1.25, kPaper);
    } else if (key == "Cascada") {
        window(c, 0.5, 0.5, 10.5, 8.5);
        window(c, 3, 4, 13, 12);
        window(c, 5.5, 7.5, 15.5, 15.5);
    } else if (key == "MosaicoV") {
        window(c, 0.5, 1.5, 8, 14.5);
        window(c, 8, 1.5, 15.5, 14.5);
    } else if (key == "MosaicoH") {
        window(c, 1, 0.5, 15, 8);
        window(c, 1, 8, 15, 15.5);
    } else if (key == "STray") {
        window(c, 2, 0.5, 14, 8.5);
        c.fillRect(0.5, 12, 15.5, 15.5, kInk);         // the taskbar
        c.fillRect(10.5, 13, 14.5, 14.5, 0xFF8FC0F0);  // its notification area
        c.fillPolygon(
            {{12.5, 12.3}, {9.3, 9}, {11.4, 9}, {11.4, 6.5}, {13.6, 6.5}, {13.6, 9}, {15.7, 9}},
            kGo);
    } else if (key == "Salir") {
        c.fillEllipse(8, 8, 7.5, 7.5, kStop);
        c.line({5, 5}, {11, 11}, 2.2, kPaper);
        c.line({11, 5}, {5, 11}, 2.2, kPaper);
    }
}

// The window as designed at 96 dpi; a backend scales it to the screen.
constexpr ui::Size kClient{600, 356};
constexpr int kToolbarHeight = 30;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 92;
constexpr int kButtonHeight = 26;
// Sizes of the toolbar pictures drawn besides 16: 125 %, 150 % and 200 % screens.
constexpr int kGlyphScales[] = {20, 24, 32};

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

std::vector<std::uint32_t> ToolbarGlyph(const std::string& key, int size) {
    ui::Canvas canvas(size);
    drawGlyph(canvas, key);
    return canvas.pixels();
}

frmPpal::frmPpal(engine::HideEngine& engine)
    : modMensajes::HotkeyWindow("frmPpal", "0020", {0, 0, 616, 420}),
      lsvVentanas(*this, "lsvVentanas", {"Titulo ", "Clase ", "OcultoX"},
                  {kMargin, kToolbarHeight + 2, kClient.width - 2 * kMargin,
                   kClient.height - kToolbarHeight - 2 - kButtonHeight - 2 * kMargin}),
      imlApp(*this, "imlApp"),
      picIcono(*this, "picIcono", {0, 0, 16, 16}),
      cmdCerrar(*this, "cmdCerrar", "0021",
                {kClient.width - kMargin - kButtonWidth, kClient.height - kMargin - kButtonHeight,
                 kButtonWidth, kButtonHeight}),
      imlBarraH(*this, "imlBarraH"),
      tlbPpal(*this, "tlbPpal", toolbarButtons(), {2, 2, kClient.width - 4, kToolbarHeight - 2}),
      picSysTray(*this, "picSysTray", {0, 0, 16, 16}),
      picIcon16(*this, "picIcon16", {0, 0, 16, 16}),
      tmrPopUp(*this, "tmrPopUp", 10, false),
      tmrInactividad(*this, "tmrInactividad", 1000, false),
      tmrConfirmar(*this, "tmrConfirmar", 10, false),
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
      mnuSTSalir(*this, "mnuSTSalir", "0051", &mnuTray),
      engine_(engine) {
    lsvVentanas.setToolTipText("0022");
    lsvVentanas.smallIcons = &imlApp;
    clientSize = kClient;
    minClientSize = {380, 200};
    lsvVentanas.anchors = ui::anchor::kAll;
    cmdCerrar.anchors = ui::anchor::kRight | ui::anchor::kBottom;
    tlbPpal.anchors = ui::anchor::kLeft | ui::anchor::kTop | ui::anchor::kRight;
    lsvVentanas.setColumnWidth(0, 300);
    lsvVentanas.setColumnWidth(1, 160);
    lsvVentanas.setColumnWidth(2, 100);
    // Drawing surfaces and the tray's message target: never seen.
    for (ui::PictureBox* box : {&picIcono, &picSysTray, &picIcon16}) box->setVisible(false);
    picIcon16.setPicture({16, 16, ProgramIcon(16)});
    for (const ui::ToolButton& button : tlbPpal.buttons()) {
        if (button.separator) continue;
        std::vector<ui::ImageList::Variant> larger;
        for (int size : kGlyphScales) larger.push_back({size, ToolbarGlyph(button.key, size)});
        imlBarraH.add(ToolbarGlyph(button.key, imlBarraH.imageSize()), std::move(larger));
    }
    tlbPpal.images = &imlBarraH;
    for (ui::MenuItem* item : {&mnuMostrarUltima, &mnuMostrarXClase, &mnuMostrarXTitulo,
                               &mnuMostrarSeleccion, &mnuMostrarTodas, &mnuSTMostrarUltima,
                               &mnuSTMostrarXClase, &mnuSTMostrarXTitulo, &mnuSTMostrarTodas}) {
        item->setEnabled(false);
    }
    mnuTray.setVisible(false);
    mnuSTMostrarAyuda.setVisible(false);
    mmnuLenguasDisponibles.index = 0;
    engine_.windows.methodText = [this](int method) { return methodText(method); };
    wireEvents();
    instance = this;
}

frmPpal::~frmPpal() {
    if (about_ && about_->loaded()) about_->unload();
    engine_.windows.methodText = nullptr;
    if (instance == this) instance = nullptr;
}

frmPpal* MainWindow() {
    return instance;
}

void frmPpal::wireEvents() {
    auto& e = engine_;
    // Each tray-menu twin runs its menu-bar twin's handler.
    const std::pair<ui::MenuItem*, std::function<void()>> commands[] = {
        {&mnuMostrarUltima, [this, &e] { apply(e.ShowLast()); }},
        {&mnuSTMostrarUltima, [this, &e] { apply(e.ShowLast()); }},
        {&mnuMostrarXClase, [this, &e] { apply(e.ShowByClass()); }},
        {&mnuSTMostrarXClase, [this, &e] { apply(e.ShowByClass()); }},
        {&mnuMostrarXTitulo, [this, &e] { apply(e.ShowByTitle()); }},
        {&mnuSTMostrarXTitulo, [this, &e] { apply(e.ShowByTitle()); }},
        {&mnuMostrarSeleccion, [this] { mnuMostrarSeleccion_Click(); }},
        {&mnuMostrarTodas, [this, &e] { apply(e.ShowAll()); }},
        {&mnuSTMostrarTodas, [this, &e] { apply(e.ShowAll()); }},
        {&mnuCascada, [] { modVentanas::CascadeAll(0); }},
        {&mnuSTCascada, [] { modVentanas::CascadeAll(0); }},
        {&mnuMosaicoV, [] { modVentanas::TileAll(platform::mditile::kVertical); }},
        {&mnuSTMosaicoV, [] { modVentanas::TileAll(platform::mditile::kVertical); }},
        {&mnuMosaicoH, [] { modVentanas::TileAll(platform::mditile::kHorizontal); }},
        {&mnuSTMosaicoH, [] { modVentanas::TileAll(platform::mditile::kHorizontal); }},
        {&mnuMostrarAyuda, [this] { ShowHelp(); }},
        {&mnuSTMostrarAyuda, [this] { ShowHelp(); }},
        {&mnuSalir, [this] { mnuSalir_Click(); }},
        {&mnuSTSalir, [this] { mnuSTSalir_Click(); }},
        {&mnuSTMostrarPpal, [this] { mnuSTMostrarPpal_Click(); }},
        {&mnuAcercaDe, [this] { mnuAcercaDe_Click(); }},
        {&mnuSTAbout, [this] { mnuSTAbout_Click(); }},
        {&mnu_ORQWeb, [this] { OpenWebPage(modTraducir::GetMessage(ids::msg::kMakerPage)[0]); }},
        {&mnuKVR_Web, [this] { OpenWebPage(modTraducir::GetMessage(ids::msg::kProductPage)[0]); }},
        {&mnuWebFaq, [this] { OpenWebPage(modTraducir::GetMessage(ids::msg::kFaqPage)[0]); }},
        {&mnu_OtrosProductos,
         [this] { OpenWebPage(modTraducir::GetMessage(ids::msg::kOtherProductsPage)[0]); }},
        {&mnuMostrarPref, [this] { mnuMostrarPref_Click(); }},
        {&mnuSTMostrarPref, [this] { mnuMostrarPref_Click(); }},
    };
    for (const auto& [item, handler] : commands) item->onClick = handler;
    cmdCerrar.onClick = [this] { cmdCerrar_Click(); };
    picSysTray.onTrayMessage = [this](std::uint32_t message) {
        picSysTray_MouseMove(static_cast<std::int32_t>(message));
    };
    onRegisteredMessage[modSysTray::kTaskbarCreated] = [this] {
        if (modSysTray::TaskbarCreated()) engine_.TrayAreaLost();
    };
    mmnuLenguasDisponibles.onClick = [this] { mmnuLenguasDisponibles_Click(0); };
    lsvVentanas.onDblClick = [this] { lsvVentanas_DblClick(); };
    lsvVentanas.onColumnClick = [this](int column) { lsvVentanas_ColumnClick(column); };
    tlbPpal.onButtonClick = [this](const ui::ToolButton& button) { tlbPpal_ButtonClick(button); };
    // A hotkey pressed while a menu, a message box or a dialog of ours runs its own loop.
    onHotkey = [this](int id) { hotkeyMetElsewhere(static_cast<std::uint32_t>(id)); };
    tmrPopUp.onTimer = [this] {
        // A tick that comes while one is still running would walk the same windows twice.
        if (popUpTickRunning_) return;
        popUpTickRunning_ = true;
        // What waits meanwhile runs when the tick is over, from whichever loop delivered it:
        // run here, a notice, a menu or a dialog among it would hold every later tick back
        // until it closed.
        engine_.HideProgramsTick();
        popUpTickRunning_ = false;
    };
    tmrInactividad.onTimer = [this] { triggers_.idleTick(); };
    // From the loop, between hotkeys: none waits for a program that is slow to hide.
    tmrConfirmar.onTimer = [this] {
        engine_.ConfirmHides();
        mirror();
    };
}

void frmPpal::applyTriggers() {
    triggers_.apply(hWnd());
    tmrInactividad.setEnabled(triggers_.idleOn());
}

void frmPpal::hotkeyMetElsewhere(std::uint32_t id) {
    if (modMensajes::ExitRequested) return;
    auto slotId = static_cast<std::int32_t>(id);
    RecibirMensajes(slotId);
}

void frmPpal::RecibirMensajes(std::int32_t& id) {
    apply(engine_.Hotkey(id, hWnd()));
}

void frmPpal::OcultarXTitulo() {
    apply(engine_.OcultarXTitulo());
}

void frmPpal::mnuMostrarSeleccion_Click() {
    std::vector<std::size_t> chosen;
    const auto& rows = lsvVentanas.items();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].selected) chosen.push_back(i);
    }
    apply(engine_.ShowSelection(chosen));
}

void frmPpal::lsvVentanas_DblClick() {
    const int row = lsvVentanas.selectedIndex();
    apply(engine_.ShowOne(row < 0 ? std::nullopt : std::optional<std::size_t>(row)));
}

void frmPpal::apply(const engine::Outcome& outcome) {
    if (outcome.toggleMainWindow) mnuSTMostrarPpal_Click();
    mirror();
    if (outcome.notice != 0) notice(outcome.notice);
}

void frmPpal::mirror() {
    // While the programs carry out the hides just posted, the list of a window put away waits:
    // filling it would take the processor from them. It is filled once they are done, or as the
    // window comes up.
    const bool listSeen = !engine_.HidesPending() || visible();
    if (listSeen && engine_.windows.revision() != listRevision_) mirrorList(selection());
    const engine::ShowCommands& offered = engine_.commands;
    for (ui::MenuItem* item : {&mnuMostrarUltima, &mnuSTMostrarUltima, &mnuMostrarSeleccion,
                               &mnuMostrarTodas, &mnuSTMostrarTodas}) {
        item->setEnabled(offered.general);
    }
    mnuMostrarXClase.setEnabled(offered.byClass);
    mnuSTMostrarXClase.setEnabled(offered.byClass);
    mnuMostrarXTitulo.setEnabled(offered.byTitle);
    mnuSTMostrarXTitulo.setEnabled(offered.byTitle);
    // With no listed program running, a tick could hide nothing before the next hide command.
    tmrPopUp.setEnabled(engine_.processHiding && modProcsKVR::AnythingToHide());
    // Soon after the hides went out, seldom later.
    if (engine_.HidesPending()) {
        tmrConfirmar.setInterval(static_cast<int>(engine_.ConfirmDelayMs()));
    }
    tmrConfirmar.setEnabled(engine_.HidesPending());
}

frmPpal::Selection frmPpal::selection() const {
    Selection chosen;
    const auto& rows = lsvVentanas.items();
    for (std::size_t i = 0; i < rows.size() && i < rowIds_.size(); ++i) {
        if (rows[i].selected) chosen.selected.insert(rowIds_[i]);
    }
    const int current = lsvVentanas.selectedIndex();
    if (current >= 0 && static_cast<std::size_t>(current) < rowIds_.size()) {
        chosen.current = rowIds_[static_cast<std::size_t>(current)];
    }
    return chosen;
}

void frmPpal::mirrorList(const Selection& chosen) {
    std::vector<ui::ListItem> rows;
    std::vector<std::uint64_t> ids;
    std::unordered_map<std::uint64_t, int> images;
    int currentRow = -1;
    for (const engine::HiddenWindow& entry : engine_.windows.entries()) {
        ui::ListItem row;
        row.text = entry.title;
        row.subItems = {entry.windowClass, methodText(entry.method)};
        row.tag = std::to_string(entry.hwnd);
        row.smallIcon = images[entry.id] = imageOf(entry);
        row.selected = chosen.selected.count(entry.id) != 0;
        if (entry.id == chosen.current) currentRow = static_cast<int>(rows.size());
        rows.push_back(std::move(row));
        ids.push_back(entry.id);
    }
    images_ = std::move(images);
    rowIds_ = std::move(ids);
    lsvVentanas.setItems(std::move(rows));
    if (currentRow >= 0) lsvVentanas.setSelected(static_cast<std::size_t>(currentRow), true);
    listRevision_ = engine_.windows.revision();
}

int frmPpal::imageOf(const engine::HiddenWindow& entry) {
    // One image per hidden window, added when the list first shows it with its icon: the icon
    // is read once the hide is confirmed, after the row has shown.
    if (const auto it = images_.find(entry.id); it != images_.end() && it->second != 0) {
        return it->second;
    }
    return entry.icon.empty() ? 0 : imlApp.add(entry.icon);
}

const std::string& frmPpal::methodText(int method) {
    if (methodTextsLanguage_ != modTraducir::CurrentLanguage) {
        methodTexts_.clear();
        methodTextsLanguage_ = modTraducir::CurrentLanguage;
    }
    auto it = methodTexts_.find(method);
    if (it == methodTexts_.end()) {
        const int message = method == ids::method::kByClass   ? ids::msg::kByClassText
                            : method == ids::method::kByTitle ? ids::msg::kByTitleText
                                                              : ids::msg::kUnderMouseText;
        it = methodTexts_.emplace(method, modTraducir::GetMessage(message)[0]).first;
    }
    return it->second;
}

void frmPpal::notice(int message) {
    const auto parts = modTraducir::GetMessage(message);
    platform::system().messageBox(hWnd(), parts[0], parts[1],
                                  platform::mb::kOk | platform::mb::kIconExclamation);
}

void frmPpal::Form_Load() {
    modTraducir::TranslateForm(*this, modTraducir::LanguageFilePrefix);
    // The window or its icon as soon as it has its caption: nothing the user sees waits for the
    // rest of the start.
    modGeneral::CenterForm(*this);
    if (settings::OI == 0) {
        setWindowState(ui::WindowState::Normal);
        show();
    } else if (settings::OT != 0) {
        modSysTray::AddTrayIcon(*this, picSysTray, caption());
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
    // What a killed run left hidden comes back before anything can be hidden anew.
    engine_.RecoverHiddenWindows();
    modMensajes::RegisterHotkeys(hWnd());
    applyTriggers();
}

bool frmPpal::Form_QueryUnload(ui::UnloadMode mode) {
    if (prefs_ && prefs_->loaded()) {
        // The preferences are modal over this window: its own close waits for them, while a
        // close from outside or the exit closes them first, as Cancel does, and then the
        // program, so that nothing is left running on a window that is gone.
        if (mode == ui::UnloadMode::ControlMenu) return true;
        prefs_->unload(mode);
    }
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
        if (settings::OT != 0) modSysTray::AddTrayIcon(*this, picSysTray, caption());
    }
}

bool frmPpal::reallyVisible() const {
    return visible() && (hWnd() == 0 || platform::desktop().isWindowVisible(hWnd()));
}

void frmPpal::mnuSTMostrarPpal_Click() {
    if (reallyVisible()) {
        setWindowState(ui::WindowState::Minimized);
        ResizeArmed = true;
    } else {
        // Shown from the tray, a minimised window first reports itself minimised: that resize
        // must not send it back. A window taken away while open (hidden by title) reports none,
        // and its next minimise must hide it.
        ResizeArmed = windowState() != ui::WindowState::Minimized;
        show();
        setWindowState(ui::WindowState::Normal);
        // Whatever OT says now: an icon switched off while it showed would stay for good.
        if (modSysTray::IconShown()) modSysTray::RemoveTrayIcon(picSysTray.hWnd());
        bringToTop();
        mirror();
    }
}

void frmPpal::picSysTray_MouseMove(std::int32_t message) {
    TrayMouseState.LastMessage = message;
    if (TrayMouseState.Busy) return;
    TrayMouseState.Busy = true;
    if (message == static_cast<std::int32_t>(ui::mouse::kLeftButtonDown)) {
        mnuSTMostrarPpal_Click();
    } else if (message == static_cast<std::int32_t>(ui::mouse::kRightButtonDown)) {
        popupMenu(mnuTray);
    }
    TrayMouseState.Busy = false;
}

void frmPpal::Form_Unload() {
    modMensajes::ExitRequested = true;
    // An exit asked from outside while the About box is open: the box goes too, or its own
    // message loop would keep the program alive.
    if (about_ && about_->loaded()) about_->unload();
    modMensajes::UnregisterHotkeys(hWnd());
    triggers_.remove();
    tmrInactividad.setEnabled(false);
    engine_.Exit();
    if (modSysTray::IconShown()) modSysTray::RemoveTrayIcon(picSysTray.hWnd());
    mirror();
    // Last, with every window back: a list that cannot be written is said, not lost silently.
    if (modProcsKVR::ProcessHideListEdited && !modProcsKVR::SaveProcessHideList()) {
        notice(ids::msg::kHideListNotSaved);
    }
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
    modTraducir::SwitchLanguage(items, modGeneral::RememberLanguage);
    // The hidden-by column speaks the new language, and a list sorted by it takes its order.
    engine_.windows.resort();
    mirror();
}

void frmPpal::lsvVentanas_ColumnClick(int column) {
    const ui::SortOrder flipped = lsvVentanas.sortOrder() == ui::SortOrder::Descending
                                      ? ui::SortOrder::Ascending
                                      : ui::SortOrder::Descending;
    const Selection chosen = selection();
    // The record takes the order the user asked for, so that "show last" takes the last row
    // the user sees.
    engine_.windows.sortBy(column, flipped == ui::SortOrder::Descending);
    lsvVentanas.sortBy(column, flipped);
    mirrorList(chosen);
}

void frmPpal::ShowHelp() {
    modGeneral::OpenHelpFile(*this);
}

void frmPpal::mnuAcercaDe_Click() {
    if (!about_) about_ = std::make_unique<frmAbout>();
    // Modal to the main window; the tray menu can still ask for it: bring it forward.
    if (about_->loaded()) {
        about_->bringToTop();
        return;
    }
    about_->showModal(this);
}

bool frmPpal::OpenWebPage(const std::string& address) {
    if (!isWebAddress(address)) return false;
    return platform::system().openDocument(0, address);
}

void frmPpal::tlbPpal_ButtonClick(const ui::ToolButton& button) {
    const std::string& key = button.key;
    if (key == "MostrarTitulo") apply(engine_.ShowByTitle());
    if (key == "MostrarSeleccion") mnuMostrarSeleccion_Click();
    if (key == "MostrarTodas") apply(engine_.ShowAll());
    if (key == "Preferencias") mnuMostrarPref_Click();
    if (key == "Cascada") modVentanas::CascadeAll(0);
    if (key == "MosaicoV") modVentanas::TileAll(platform::mditile::kVertical);
    if (key == "MosaicoH") modVentanas::TileAll(platform::mditile::kHorizontal);
    if (key == "Ayuda") ShowHelp();
    if (key == "STray") Form_QueryUnload(ui::UnloadMode::ControlMenu);
    if (key == "Salir") mnuSalir_Click();
}

void frmPpal::mnuMostrarPref_Click() {
    if (prefs_ && prefs_->loaded()) {
        prefs_->bringToTop();
        return;
    }
    // Each opening starts from the dialog's design and the settings in memory.
    prefs_ = std::make_unique<frmPref>(*this, [this] { OcultarXTitulo(); });
    prefs_->onApplied = [this] { applyTriggers(); };
    prefs_->showModal(this);
}

void frmPpal::mnuSalir_Click() {
    modMensajes::ExitRequested = true;
    unload(ui::UnloadMode::Code);
}

}  // namespace kvr
