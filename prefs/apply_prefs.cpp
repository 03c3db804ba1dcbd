// OK and the hide-now button: what the dialog shows becomes the settings, in memory and in the
// registry, and takes effect at once.
#include <charconv>

#include "base/ids.h"
#include "platform/services.h"
#include "prefs/frm_pref.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/mod_general.h"
#include "startup/mod_mensajes.h"
#include "translation/mod_traducir.h"

namespace kvr {

namespace {

std::int32_t number(const std::string& text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

}  // namespace

std::vector<int> frmPref::storeSlots() {
    const platform::Hwnd main = mainWindow_.hWnd();
    // Every slot lets go first, so that a combination moved from one slot to another is free
    // when its new slot asks for it.
    for (int slot = 0; slot < ids::kSlots; ++slot) {
        if (settings::S[slot] != 0 && settings::T[slot] != 0)
            modMensajes::UnregisterHotKey(main, ids::hotkeyId(slot));
    }
    std::vector<int> refused;
    for (int slot = 0; slot < ids::kSlots; ++slot) {
        settings::S[slot] = 0;
        settings::T[slot] = 0;
        const ui::TextBox& key = ntxtTecla[slot];
        if (ntxtCombo[slot].text().empty() || key.text().empty()) continue;
        // A key field's text that no key press put there holds no code: the slot stays off.
        settings::T[slot] = number(key.tag);
        if (settings::T[slot] == 0) continue;
        settings::S[slot] = ModifierCode(ntxtCombo[slot].text());
        const std::uint32_t flag = modMensajes::ModifierFlag(settings::S[slot]);
        if (flag == 0) continue;
        if (!modMensajes::RegisterHotKey(main, ids::hotkeyId(slot), flag,
                                         static_cast<std::uint32_t>(settings::T[slot])))
            refused.push_back(slot);
    }
    return refused;
}

void frmPref::cmdAceptar_Click() {
    // Enter presses OK while the modifier list may still have the focus.
    closeModifierList();
    const std::vector<int> refused = storeSlots();
    storeTitles();
    storeSound();
    storeGeneral();
    storeTriggers();
    {
        clsWBD registry;
        const std::string options = modGeneral::GetStoredString(ids::store::kOptionsKey);
        // Without the key's path the settings hold in memory for this run only.
        if (!options.empty()) {
            settings::save([&](const std::string& name, const std::string& text) {
                registry.SetReg(options, name, text);
            });
        }
        modGeneral::SyncAutostart(registry, false);
    }
    if (onApplied) onApplied();
    if (!refused.empty()) reportRefused(refused);
    unload();
}

void frmPref::reportRefused(const std::vector<int>& slots) {
    const auto parts = modTraducir::GetMessage(ids::msg::kHotkeysRefused);
    std::string text = parts[0] + "\n";
    for (int slot : slots) {
        text += "\n" + slotLabel(slot).caption() + " " + ntxtCombo[slot].text() + "+" +
                ntxtTecla[slot].text();
    }
    platform::system().messageBox(hWnd(), text, parts[1],
                                  platform::mb::kOk | platform::mb::kIconExclamation);
}

void frmPref::cmdOcultarAhora_Click() {
    // OK closes the dialog; the hide runs after it, on what was just stored.
    const auto hide = ocultarXTitulo_;
    cmdAceptar_Click();
    if (hide) hide();
}

}  // namespace kvr
