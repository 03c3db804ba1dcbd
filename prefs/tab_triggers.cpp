// Tab 6, hiding without the keyboard: clicks of a mouse button with a key held, screen corners,
// minutes without input, and the hotkey slot whose action each runs.
#include <charconv>

#include "prefs/frm_pref.h"
#include "settings/settings.h"

namespace kvr {

namespace {

// The key held, in the order of the list: none, Shift, Ctrl, Alt.
constexpr int kModifiers[] = {0, 16, 17, 18};
constexpr int kMostMinutes = 240;
constexpr int kLabel = 130;  // the width of the labels before the lists
constexpr int kList = 150;

void place(ui::Control& control, ui::Frame& page, ui::Rect rect) {
    control.container = &page;
    control.setRect(rect);
}

// The index a list shows, or the setting as it was when the list has nothing chosen (its
// entries missing from the language file).
int chosen(const ui::ComboBox& list, int current) {
    return list.listIndex() >= 0 ? list.listIndex() : current;
}

}  // namespace

void frmPref::arrangeTriggers(ui::Frame& page) {
    // The mouse button: which, how many clicks, the key held, and what it does.
    place(lblDisparo[0], page, {12, 11, kLabel, 20});
    place(cmbBoton, page, {12 + kLabel + 8, 8, kList, 24});
    place(lblDisparo[1], page, {316, 11, 100, 20});
    place(cmbClics, page, {424, 8, kList, 24});
    place(lblDisparo[2], page, {12, 43, kLabel, 20});
    place(cmbModificador, page, {12 + kLabel + 8, 40, kList, 24});
    place(lblAccion[0], page, {12, 75, kLabel, 20});
    place(cmbAccion[0], page, {12 + kLabel + 8, 72, 424, 24});
    // The corners, in the order they lie on the screen.
    place(lblDisparo[3], page, {12, 114, 564, 20});
    place(chkEsquina[0], page, {12, 136, 276, 22});
    place(chkEsquina[1], page, {300, 136, 276, 22});
    place(chkEsquina[3], page, {12, 160, 276, 22});
    place(chkEsquina[2], page, {300, 160, 276, 22});
    place(chkRapido, page, {12, 186, 564, 22});
    place(lblAccion[1], page, {12, 217, kLabel, 20});
    place(cmbAccion[1], page, {12 + kLabel + 8, 214, 424, 24});
    // Idleness.
    place(lblDisparo[4], page, {12, 259, 492, 20});
    place(ntxtMinutos, page, {512, 256, 64, 24});
    place(lblAccion[2], page, {12, 291, kLabel, 20});
    place(cmbAccion[2], page, {12 + kLabel + 8, 288, 424, 24});

    // The lists take their entries from the language file, as the translation fills lists.
    cmbBoton.setToolTipText("0150");
    cmbClics.setToolTipText("0152");
    cmbModificador.setToolTipText("0154");
    for (int k = 0; k <= 2; ++k) cmbAccion[k].setToolTipText("0156");
    ntxtMinutos.onKeyPress = [](int& key) {
        if (key != ui::key::kBack && (key < '0' || key > '9')) key = 0;
    };
}

void frmPref::loadTriggers() {
    cmbBoton.setListIndex(settings::MB);
    cmbClics.setListIndex(settings::MK - 1);
    for (int i = 0; i < 4; ++i) {
        if (kModifiers[i] == settings::MM) cmbModificador.setListIndex(i);
    }
    cmbAccion[0].setListIndex(settings::MA);
    for (int k = 0; k <= 3; ++k) chkEsquina[k].setValue((settings::CC >> k) & 1);
    chkRapido.setValue(settings::CF != 0 ? 1 : 0);
    cmbAccion[1].setListIndex(settings::CA);
    ntxtMinutos.setText(std::to_string(settings::IM));
    cmbAccion[2].setListIndex(settings::IA);
}

void frmPref::storeTriggers() {
    settings::MB = static_cast<std::uint8_t>(chosen(cmbBoton, settings::MB));
    settings::MK = static_cast<std::uint8_t>(chosen(cmbClics, settings::MK - 1) + 1);
    if (cmbModificador.listIndex() >= 0) settings::MM = kModifiers[cmbModificador.listIndex()];
    settings::MA = static_cast<std::uint8_t>(chosen(cmbAccion[0], settings::MA));
    settings::CC = 0;
    for (int k = 0; k <= 3; ++k)
        settings::CC |= static_cast<std::uint8_t>(chkEsquina[k].value() << k);
    settings::CF = static_cast<std::uint8_t>(chkRapido.value());
    settings::CA = static_cast<std::uint8_t>(chosen(cmbAccion[1], settings::CA));
    // Only digits can be typed; an empty field is never, and too many minutes the most.
    const std::string& text = ntxtMinutos.text();
    int minutes = 0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), minutes);
    if (read.ec == std::errc::result_out_of_range || minutes > kMostMinutes) minutes = kMostMinutes;
    if (read.ec == std::errc::invalid_argument || minutes < 0) minutes = 0;
    settings::IM = static_cast<std::uint8_t>(minutes);
    settings::IA = static_cast<std::uint8_t>(chosen(cmbAccion[2], settings::IA));
}

}  // namespace kvr
