// The hotkey editor: each slot's modifier field, picked from the shared list laid over it, and
// its key field, which takes the key pressed in it and no typed text.
#include <charconv>

#include "base/ids.h"
#include "platform/services.h"
#include "prefs/frm_pref.h"
#include "settings/settings.h"

namespace kvr {

namespace {

// Positions within a row, at 96 dpi.
constexpr int kLabelLeft = 12;
constexpr int kLabelWidth = 330;
constexpr int kModifierLeft = 350;
constexpr int kModifierWidth = 64;
constexpr int kPlusWidth = 16;
constexpr int kKeyWidth = 120;
constexpr int kFieldHeight = 22;

bool accepted(int keyCode) {
    return (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z') ||
           (keyCode >= 0x60 && keyCode <= 0x69) || (keyCode >= 0x70 && keyCode <= 0x7F);
}

// For the keys the editor takes, when the layout gives no name (Wine on a bare X server names
// neither the numeric pad nor F13 and up): the names a PC keyboard's layout gives them.
std::string fallbackName(int virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return "Num " + std::to_string(virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x87) return "F" + std::to_string(virtualKey - 0x6F);
    return std::to_string(virtualKey);
}

}  // namespace

std::string KeyName(int virtualKey) {
    auto& keyboard = platform::keyboard();
    const std::uint32_t scanCode = keyboard.mapVirtualKey(static_cast<std::uint32_t>(virtualKey),
                                                          platform::mapvk::kVkToScanCode);
    // No extended-key flag: the numeric pad's digits keep their own names.
    std::string name = keyboard.keyNameText(static_cast<std::int32_t>(scanCode << 16));
    return name.empty() ? fallbackName(virtualKey) : name;
}

std::string ModifierText(int storedModifier) {
    switch (storedModifier) {
        case 16:
            return "Shft";
        case 17:
            return "Ctrl";
        case 18:
            return "Alt";
        default:
            return {};
    }
}

int ModifierCode(const std::string& text) {
    for (int code : {16, 17, 18})
        if (text == ModifierText(code)) return code;
    return 0;
}

ui::Label& frmPref::slotLabel(int slot) {
    if (slot <= 7) return lblVentanas[slot];
    if (slot == 8) return lblSonido[2];
    if (slot == 9) return lblSTrayManual;
    return lblMKey[slot - 8];  // 10 and 11: lblMKey(2) and (3)
}

void frmPref::arrangeSlot(int slot, ui::Frame& page, int top) {
    ui::Label& label = slotLabel(slot);
    for (ui::Control* c : slotRow(slot)) c->container = &page;
    label.setRect({kLabelLeft, top + 3, kLabelWidth, 18});
    ntxtCombo[slot].setRect({kModifierLeft, top, kModifierWidth, kFieldHeight});
    lblMas[slot].setRect({kModifierLeft + kModifierWidth, top + 3, kPlusWidth, 18});
    lblMas[slot].setAlignment(ui::Alignment::Center);
    ntxtTecla[slot].setRect(
        {kModifierLeft + kModifierWidth + kPlusWidth, top, kKeyWidth, kFieldHeight});
}

std::vector<ui::Control*> frmPref::slotRow(int slot) {
    return {&slotLabel(slot), &ntxtCombo[slot], &lblMas[slot], &ntxtTecla[slot]};
}

void frmPref::loadSlot(int slot) {
    ntxtCombo[slot].setText(ModifierText(settings::S[slot]));
    const int key = settings::T[slot];
    if (key > 0) {
        ntxtTecla[slot].setText(KeyName(key));
        ntxtTecla[slot].tag = std::to_string(key);
    }
}

void frmPref::ntxtTecla_KeyDown(int slot, int keyCode, int shift) {
    // The modifier comes from the modifier field alone; only the key counts here.
    if (!accepted(keyCode)) return;
    ntxtTecla[slot].tag = std::to_string(keyCode);
    ntxtTecla[slot].setText(KeyName(keyCode));
}

void frmPref::ntxtTecla_KeyPress(int slot, int& keyAscii) {
    keyAscii = 0;
}

void frmPref::ntxtCombo_GotFocus(int slot) {
    ncmbTecla.clear();
    for (int code : {18, 17, 16}) ncmbTecla.addItem(ModifierText(code));
    const std::string& shown = ntxtCombo[slot].text();
    ncmbTecla.setListIndex(shown == "Ctrl" ? 1 : shown == "Shft" ? 2 : 0);
    const ui::Rect& page = fraOpciones[1].rect();
    const ui::Rect& field = ntxtCombo[slot].rect();
    ncmbTecla.setRect({page.left + field.left, page.top + field.top, field.width, field.height});
    ncmbTecla.tag = std::to_string(slot);
    // Tab goes on from the list as it would from the field it covers.
    ncmbTecla.tabIndex = ntxtCombo[slot].tabIndex;
    ntxtCombo[slot].tabStop = false;
    ncmbTecla.setVisible(true);
    ncmbTecla.bringToFront();
    ncmbTecla.setFocus();
}

void frmPref::ncmbTecla_LostFocus() {
    closeModifierList();
}

void frmPref::closeModifierList() {
    int slot = -1;
    const std::string& tag = ncmbTecla.tag;
    std::from_chars(tag.data(), tag.data() + tag.size(), slot);
    if (!ncmbTecla.visible() || slot < 0 || slot >= ids::kSlots) return;
    ntxtCombo[slot].setText(ncmbTecla.text());
    ntxtCombo[slot].tabStop = true;
    ncmbTecla.setVisible(false);
}

}  // namespace kvr
