// Tab 3, hiding by title: the text to look for, where in the title it must stand, and whether
// case counts.
#include "prefs/frm_pref.h"
#include "settings/settings.h"

namespace kvr {

void frmPref::arrangeTitles(ui::Frame& page) {
    for (ui::Control* c : std::vector<ui::Control*>{&lblTitulo[0], &ntxtTitulo, &lblTitulo[2],
                                                    &optCoincidencia[0], &optCoincidencia[1],
                                                    &fraBuscarEn, &chkSensible, &cmdOcultarAhora})
        c->container = &page;
    for (ui::Control* c :
         std::vector<ui::Control*>{&lblTitulo[1], &optDonde[0], &optDonde[1], &optDonde[2]})
        c->container = &fraBuscarEn;
    lblTitulo[0].setRect({12, 17, 170, 18});
    ntxtTitulo.setRect({186, 14, 390, 22});
    lblTitulo[2].setRect({12, 56, 564, 18});
    optCoincidencia[0].setRect({24, 78, 250, 22});
    optCoincidencia[1].setRect({290, 78, 286, 22});
    fraBuscarEn.setRect({12, 112, 564, 76});
    lblTitulo[1].setRect({12, 16, 540, 18});
    optDonde[0].setRect({12, 40, 170, 22});
    optDonde[1].setRect({188, 40, 190, 22});
    optDonde[2].setRect({384, 40, 170, 22});
    chkSensible.setRect({12, 200, 564, 22});
    cmdOcultarAhora.setRect({12, 282, 180, 28});
}

void frmPref::loadTitles() {
    switch (settings::BxTP) {
        case 0:
        case 1:
        case 2:
            optCoincidencia[1].setValue(true);
            optDonde[settings::BxTP].setValue(true);
            break;
        case 3:
            optCoincidencia[0].setValue(true);
            break;
        default:
            break;  // the design-time choice
    }
    chkSensible.setValue(settings::BxTS == 0 ? 1 : 0);
    chkAvisar.setValue(settings::BxTA ? 1 : 0);
    ntxtTitulo.setText(settings::BxTT);
}

void frmPref::optCoincidencia_Click(int index) {
    // The place in the title means nothing when the whole title must match.
    for (int k = 0; k <= 2; ++k) optDonde[k].setEnabled(index == 1);
}

void frmPref::storeTitles() {
    settings::BxTT = ntxtTitulo.text();
    if (optCoincidencia[0].value())
        settings::BxTP = 3;
    else
        settings::BxTP = optDonde[0].value() ? 0 : optDonde[1].value() ? 1 : 2;
    settings::BxTS = chkSensible.value() == 1 ? 0 : 1;
    settings::BxTA = chkAvisar.value() == 1;
}

}  // namespace kvr
