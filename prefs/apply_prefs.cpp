// OK and the hide-now button: what the dialog shows becomes the settings, in memory and in the
// registry, and takes effect at once.
#include <charconv>
#include <optional>

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

frmPref::Notices frmPref::storeAll() {
    // Enter presses OK while the modifier list may still have the focus.
    closeModifierList();
    const std::vector<int> refused = storeSlots();
    storeTitles();
    storeSound();
    const auto autostartBefore = settings::OR;
    storeGeneral();
    storeTriggers();
    clsWBD registry;
    const std::string options = modGeneral::GetStoredString(ids::store::kOptionsKey);
    // Without the key's path the settings hold in memory for this run only.
    if (!options.empty()) {
        settings::save([&](const std::string& name, const std::string& text) {
            registry.SetReg(options, name, text);
        });
    }
    const std::optional<std::string> autostartStays = modGeneral::SyncAutostart(registry, false);
    if (onApplied) onApplied();
    Notices notices;
    if (!refused.empty()) notices.refused = refusedText(refused);
    // Told when the option was changed, not at every OK after.
    if (autostartStays && settings::OR != autostartBefore) notices.autostartStays = *autostartStays;
    return notices;
}

void frmPref::cmdAceptar_Click() {
    say(hWnd(), storeAll());
    unload();
}

std::string frmPref::refusedText(const std::vector<int>& slots) {
    std::string text = modTraducir::GetMessage(ids::msg::kHotkeysRefused)[0] + "\n";
    for (int slot : slots) {
        text += "\n" + slotLabel(slot).caption() + " " + ntxtCombo[slot].text() + "+" +
                ntxtTecla[slot].text();
    }
    return text;
}

void frmPref::say(platform::Hwnd owner, const Notices& notices) {
    const auto box = [owner](int message, const std::string& text) {
        platform::system().messageBox(owner, text, modTraducir::GetMessage(message)[1],
                                      platform::mb::kOk | platform::mb::kIconExclamation);
    };
    if (!notices.refused.empty()) box(ids::msg::kHotkeysRefused, notices.refused);
    if (!notices.autostartStays.empty()) {
        box(ids::msg::kAutostartStays,
            modTraducir::GetMessage(ids::msg::kAutostartStays)[0] + "\n\n" +
                notices.autostartStays);
    }
}

void frmPref::cmdOcultarAhora_Click() {
    // The hide runs on what was just stored, once the dialog is gone, and before anything is
    // said: a message waits for the user, the windows must not.
    const auto hide = ocultarXTitulo_;
    const platform::Hwnd owner = mainWindow_.hWnd();
    const Notices notices = storeAll();
    unload();
    if (hide) hide();
    say(owner, notices);
}

}  // namespace kvr
