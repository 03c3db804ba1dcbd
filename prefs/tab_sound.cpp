// Tab 4, sound: which ways of hiding mute it, and when showing brings it back.
#include "prefs/frm_pref.h"
#include "settings/settings.h"

namespace kvr {

void frmPref::arrangeSound(ui::Frame& page) {
    for (ui::Control* c : std::vector<ui::Control*>{&lblSonido[0], &lblSonido[1], &optRestSonido[0],
                                                    &optRestSonido[1]})
        c->container = &page;
    for (int k = 0; k <= 3; ++k) {
        chkEnmudecer[k].container = &page;
        chkRestSonido[k].container = &page;
    }
    // Two rows of two: bits 1 and 2 above, 4 and 8 below.
    const auto grid = [](ui::CheckBox& box, int k, int left, int top) {
        box.setRect({left + (k % 2) * 280, top + (k / 2) * 24, 272, 22});
    };
    lblSonido[0].setRect({12, 10, 564, 18});
    for (int k = 0; k <= 3; ++k) grid(chkEnmudecer[k], k, 24, 30);
    lblSonido[1].setRect({12, 92, 564, 18});
    optRestSonido[0].setRect({24, 112, 552, 22});
    optRestSonido[1].setRect({24, 136, 552, 22});
    for (int k = 0; k <= 3; ++k) grid(chkRestSonido[k], k, 44, 162);
    arrangeSlot(8, page, 276);
}

void frmPref::loadSound() {
    for (int k = 0; k <= 3; ++k) chkEnmudecer[k].setValue((settings::SE >> k) & 1);
    if (settings::SE == 0) {
        optRestSonido[0].setEnabled(false);
        optRestSonido[1].setEnabled(false);
    } else if (settings::SR != 0) {
        optRestSonido[1].setValue(true);
        for (int k = 0; k <= 3; ++k) chkRestSonido[k].setValue((settings::SR >> k) & 1);
    } else {
        optRestSonido[0].setValue(true);
    }
}

void frmPref::chkEnmudecer_Click(int index) {
    if (loading_) return;
    bool anyMuted = false;
    for (int k = 0; k <= 3; ++k) anyMuted = anyMuted || chkEnmudecer[k].value() == 1;
    // Restoring means nothing when no way of hiding mutes; the choices stay as they are.
    for (int k = 0; k <= 1; ++k) optRestSonido[k].setEnabled(anyMuted);
    if (!anyMuted || optRestSonido[1].value())
        for (int k = 0; k <= 3; ++k) chkRestSonido[k].setEnabled(anyMuted);
}

void frmPref::optRestSonido_Click(int index) {
    for (int k = 0; k <= 3; ++k) chkRestSonido[k].setEnabled(index == 1);
}

void frmPref::storeSound() {
    settings::SE = 0;
    settings::SR = 0;
    for (int k = 0; k <= 3; ++k) {
        if (chkEnmudecer[k].value() == 1) settings::SE |= 1 << k;
        // Ticks left under "when no hidden window is left" are ignored.
        if (optRestSonido[1].value() && chkRestSonido[k].value() == 1) settings::SR |= 1 << k;
    }
}

}  // namespace kvr
