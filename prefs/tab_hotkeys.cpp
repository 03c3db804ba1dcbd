// Tab 2: the hotkeys of hiding and showing windows, slot 0 at the top to slot 7 at the bottom.
#include "prefs/frm_pref.h"

namespace kvr {

void frmPref::arrangeHotkeys(ui::Frame& page) {
    for (int slot = 0; slot <= 7; ++slot) arrangeSlot(slot, page, 14 + 34 * slot);
}

}  // namespace kvr
