// Tab 1, hiding by program: the running programs on the left, the programs to hide on the right,
// the buttons between them, and the two hotkeys of hiding by program below.
#include "prefs/frm_pref.h"

namespace kvr {

void frmPref::arrangePrograms(ui::Frame& page) {
    for (ui::Control* c : std::vector<ui::Control*>{&lblMKey[0], &trvLstProc, &cmdAgregarProc,
                                                    &cmdBorrarProc, &lblMKey[1], &lsvOcultar})
        c->container = &page;
    lblMKey[0].setRect({12, 8, 232, 18});
    trvLstProc.setRect({12, 28, 232, 196});
    cmdAgregarProc.setRect({252, 92, 84, 26});
    cmdBorrarProc.setRect({252, 124, 84, 26});
    lblMKey[1].setRect({344, 8, 232, 18});
    lsvOcultar.setRect({344, 28, 232, 196});
    lsvOcultar.setColumnWidth(0, 210);
    arrangeSlot(10, page, 244);
    arrangeSlot(11, page, 276);
}

}  // namespace kvr
