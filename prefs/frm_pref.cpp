#include "prefs/frm_pref.h"

#include "base/ids.h"
#include "engine/mod_procs_kvr.h"
#include "startup/mod_general.h"
#include "translation/mod_traducir.h"

namespace kvr {

namespace {

// The dialog as designed at 96 dpi: the tabs above, their pages inside, the description and the
// buttons below.
constexpr ui::Size kClient{620, 444};
constexpr ui::Rect kTabs{8, 8, 604, 366};
constexpr ui::Rect kPage{16, 38, 588, 328};
constexpr ui::Rect kDescription{8, 382, 440, 56};
constexpr ui::Rect kOk{456, 384, 74, 26};
constexpr ui::Rect kCancel{536, 384, 76, 26};

// A control array of captioned controls whose design-time texts are consecutive codes.
template <class T>
ui::ControlArray<T> coded(ui::Form& form, const char* name, int first, int count,
                          std::vector<int> codes) {
    return ui::ControlArray<T>(first, count, [&](int index) {
        const int code = codes[static_cast<std::size_t>(index - first)];
        std::string text = std::to_string(code);
        text.insert(0, 4 - text.size(), '0');
        return std::make_unique<T>(form, name, text);
    });
}

template <class T>
ui::ControlArray<T> plain(ui::Form& form, const char* name, int first, int count,
                          const std::string& text = {}) {
    return ui::ControlArray<T>(first, count,
                               [&](int) { return std::make_unique<T>(form, name, text); });
}

}  // namespace

frmPref::frmPref(ui::Form& mainWindow, std::function<void()> ocultarXTitulo)
    : ui::Form("frmPref", "0100", {0, 0, 640, 500}),
      tbsConfig(*this, "tbsConfig",
                {{"MKey", "0140", ""},
                 {"HKey", "0103", ""},
                 {"Ventanas", "0104", ""},
                 {"Sonido", "0105", ""},
                 {"Aplicacion", "0106", ""},
                 {"Disparadores", "0148", ""}},
                kTabs),
      fraOpciones(plain<ui::Frame>(*this, "fraOpciones", 1, 6)),
      lblMKey(coded<ui::Label>(*this, "lblMKey", 0, 4, {141, 142, 143, 144})),
      trvLstProc(*this, "trvLstProc"),
      cmdAgregarProc(*this, "cmdAgregarProc", "0146"),
      cmdBorrarProc(*this, "cmdBorrarProc", "0147"),
      lsvOcultar(*this, "lsvOcultar", {"Programa"}),
      imlProcs(*this, "imlProcs", 16),
      picIcono(*this, "picIcono", {0, 0, 32, 32}),
      lblVentanas(
          coded<ui::Label>(*this, "lblVentanas", 0, 8, {107, 108, 109, 110, 111, 112, 113, 114})),
      lblTitulo(coded<ui::Label>(*this, "lblTitulo", 0, 3, {123, 127, 124})),
      ntxtTitulo(*this, "ntxtTitulo", ""),
      optCoincidencia(coded<ui::OptionButton>(*this, "optCoincidencia", 0, 2, {125, 126})),
      fraBuscarEn(*this, "fraBuscarEn", ""),
      optDonde(coded<ui::OptionButton>(*this, "optDonde", 0, 3, {128, 129, 130})),
      chkSensible(*this, "chkSensible", "0131"),
      cmdOcultarAhora(*this, "cmdOcultarAhora", "0133"),
      lblSonido(coded<ui::Label>(*this, "lblSonido", 0, 3, {115, 116, 117})),
      chkEnmudecer(coded<ui::CheckBox>(*this, "chkEnmudecer", 0, 4, {118, 119, 120, 145})),
      optRestSonido(coded<ui::OptionButton>(*this, "optRestSonido", 0, 2, {121, 122})),
      chkRestSonido(coded<ui::CheckBox>(*this, "chkRestSonido", 0, 4, {118, 119, 120, 145})),
      chkSTray(*this, "chkSTray", "0134"),
      chkOcultarSTray(*this, "chkOcultarSTray", "0138"),
      chkSplash(*this, "chkSplash", "0135"),
      chkResidente(*this, "chkResidente", "0136"),
      chkInicioOculto(*this, "chkInicioOculto", "0137"),
      chkAvisar(*this, "chkAvisar", "0132"),
      lblSTrayManual(*this, "lblSTrayManual", "0139"),
      lblDisparo(coded<ui::Label>(*this, "lblDisparo", 0, 5, {149, 151, 153, 157, 163})),
      cmbBoton(*this, "cmbBoton"),
      cmbClics(*this, "cmbClics"),
      cmbModificador(*this, "cmbModificador"),
      chkEsquina(coded<ui::CheckBox>(*this, "chkEsquina", 0, 4, {158, 159, 160, 161})),
      chkRapido(*this, "chkRapido", "0162"),
      ntxtMinutos(*this, "ntxtMinutos", ""),
      lblAccion(coded<ui::Label>(*this, "lblAccion", 0, 3, {155, 155, 155})),
      cmbAccion(0, 3, [this](int) { return std::make_unique<ui::ComboBox>(*this, "cmbAccion"); }),
      ntxtCombo(plain<ui::TextBox>(*this, "ntxtCombo", 0, ids::kSlots)),
      lblMas(plain<ui::Label>(*this, "lblMas", 0, ids::kSlots, "+")),
      ntxtTecla(plain<ui::TextBox>(*this, "ntxtTecla", 0, ids::kSlots)),
      ncmbTecla(*this, "ncmbTecla"),
      nlblTabDescrip(*this, "nlblTabDescrip", "", kDescription),
      cmdAceptar(*this, "cmdAceptar", "0101", kOk),
      cmdCancelar(*this, "cmdCancelar", "0102", kCancel),
      flgLstViewSucio(modProcsKVR::ProcessHideListEdited),
      mainWindow_(mainWindow),
      ocultarXTitulo_(std::move(ocultarXTitulo)) {
    borderStyle = ui::BorderStyle::FixedDialog;
    minButton = false;
    maxButton = false;
    showInTaskbar = false;
    clientSize = kClient;
    lsvOcultar.setToolTipText("0053");
    lsvOcultar.multiSelect = false;
    cmdAceptar.isDefault = true;
    cmdCancelar.isCancel = true;
    ncmbTecla.setVisible(false);
    arrangeTabs();
    wireEvents();
}

void frmPref::arrangeTabs() {
    // The pages lie on one another inside the tab strip; only the selected tab's is seen.
    for (int n = fraOpciones.first(); n <= fraOpciones.last(); ++n) {
        fraOpciones[n].border = false;
        fraOpciones[n].setRect(kPage);
        fraOpciones[n].setVisible(n == 1);
    }
    arrangePrograms(fraOpciones[1]);
    arrangeHotkeys(fraOpciones[2]);
    arrangeTitles(fraOpciones[3]);
    arrangeSound(fraOpciones[4]);
    arrangeGeneral(fraOpciones[5]);
    arrangeTriggers(fraOpciones[6]);

    // Tab goes through each page from top to bottom, then to OK and Cancel; a label comes
    // just before the control it names, so that its letter leads there.
    std::vector<ui::Control*> order{&tbsConfig,     &lblMKey[0], &trvLstProc, &cmdAgregarProc,
                                    &cmdBorrarProc, &lblMKey[1], &lsvOcultar};
    const auto add = [&order](const std::vector<ui::Control*>& more) {
        order.insert(order.end(), more.begin(), more.end());
    };
    add(slotRow(10));
    add(slotRow(11));
    for (int slot = 0; slot <= 7; ++slot) add(slotRow(slot));
    add({&lblTitulo[0], &ntxtTitulo, &lblTitulo[2], &optCoincidencia[0], &optCoincidencia[1],
         &fraBuscarEn, &lblTitulo[1], &optDonde[0], &optDonde[1], &optDonde[2], &chkSensible,
         &cmdOcultarAhora});
    add({&lblSonido[0], &chkEnmudecer[0], &chkEnmudecer[1], &chkEnmudecer[2], &chkEnmudecer[3],
         &lblSonido[1], &optRestSonido[0], &optRestSonido[1], &chkRestSonido[0], &chkRestSonido[1],
         &chkRestSonido[2], &chkRestSonido[3]});
    add(slotRow(8));
    add({&chkSTray, &chkOcultarSTray, &chkSplash, &chkResidente, &chkInicioOculto, &chkAvisar});
    add(slotRow(9));
    add({&lblDisparo[0],  &cmbBoton,      &lblDisparo[1], &cmbClics,      &lblDisparo[2],
         &cmbModificador, &lblAccion[0],  &cmbAccion[0],  &lblDisparo[3], &chkEsquina[0],
         &chkEsquina[1],  &chkEsquina[3], &chkEsquina[2], &chkRapido,     &lblAccion[1],
         &cmbAccion[1],   &lblDisparo[4], &ntxtMinutos,   &lblAccion[2],  &cmbAccion[2]});
    add({&ncmbTecla, &nlblTabDescrip, &cmdAceptar, &cmdCancelar});
    setTabOrder(order);

    // Design-time choices, before anything is loaded.
    optCoincidencia[1].setValue(true);
    optDonde[1].setValue(true);
    optRestSonido[0].setValue(true);
    for (int k = 0; k <= 3; ++k) chkRestSonido[k].setEnabled(false);
}

void frmPref::wireEvents() {
    tbsConfig.onClickTab = [this] { tbsConfig_Click(); };
    for (int k = 0; k <= 3; ++k) chkEnmudecer[k].onClick = [this, k] { chkEnmudecer_Click(k); };
    for (int k = 0; k <= 1; ++k) {
        optRestSonido[k].onClick = [this, k] { optRestSonido_Click(k); };
        optCoincidencia[k].onClick = [this, k] { optCoincidencia_Click(k); };
    }
    cmdAceptar.onClick = [this] { cmdAceptar_Click(); };
    cmdCancelar.onClick = [this] { cmdCancelar_Click(); };
    cmdOcultarAhora.onClick = [this] { cmdOcultarAhora_Click(); };
    for (int slot = 0; slot < ids::kSlots; ++slot) {
        ntxtTecla[slot].onKeyDown = [this, slot](int keyCode, int shift) {
            ntxtTecla_KeyDown(slot, keyCode, shift);
        };
        ntxtTecla[slot].onKeyPress = [this, slot](int& keyAscii) {
            ntxtTecla_KeyPress(slot, keyAscii);
        };
        ntxtCombo[slot].onGotFocus = [this, slot] { ntxtCombo_GotFocus(slot); };
    }
    ncmbTecla.onLostFocus = [this] { ncmbTecla_LostFocus(); };
    cmdAgregarProc.onClick = [this] { cmdAgregarProc_Click(); };
    cmdBorrarProc.onClick = [this] { cmdBorrarProc_Click(); };
    lsvOcultar.onDblClick = [this] { lsvOcultar_DblClick(); };
    lsvOcultar.onAfterLabelEdit = [this](bool& cancel, const std::optional<std::string>& text) {
        lsvOcultar_AfterLabelEdit(cancel, text);
    };
}

void frmPref::Form_Load() {
    modTraducir::TranslateForm(*this, modTraducir::LanguageFilePrefix);
    loading_ = true;
    for (int slot = 0; slot < ids::kSlots; ++slot) loadSlot(slot);
    for (int n = 2; n <= fraOpciones.last(); ++n) {
        ui::Rect r = fraOpciones[n].rect();
        r.left = fraOpciones[1].rect().left;
        r.top = fraOpciones[1].rect().top;
        fraOpciones[n].setRect(r);
    }
    loadTitles();
    loadSound();
    loadGeneral();
    loadTriggers();
    tabDescriptions_ = modTraducir::GetMessage(ids::msg::kTabDescriptions);
    nlblTabDescrip.setCaption(tabDescriptions_[0]);
    loading_ = false;
    const std::vector<RunningProgram> running = takeRunningPrograms();
    fillHideList();
    fillProcessTree(running);
    modGeneral::CenterForm(*this);
}

void frmPref::Form_Unload() {
    // Whatever closes the dialog: edits to the list survive a Cancel.
    if (flgLstViewSucio) storeHideList();
}

void frmPref::tbsConfig_Click() {
    // The modifier list floats above the pages: it must not stay over another tab.
    if (ncmbTecla.visible()) tbsConfig.setFocus();
    const int selected = tbsConfig.selectedIndex() + 1;
    for (int n = fraOpciones.first(); n <= fraOpciones.last(); ++n)
        fraOpciones[n].setVisible(n == selected);
    const auto index = static_cast<std::size_t>(selected - 1);
    nlblTabDescrip.setCaption(index < tabDescriptions_.size() ? tabDescriptions_[index] : "");
}

void frmPref::cmdCancelar_Click() {
    unload();
}

}  // namespace kvr
