// Tab 5, the program: notification area, splash window, start with Windows, start hidden,
// warnings, and the hotkey of the notification area.
#include "prefs/frm_pref.h"
#include "settings/settings.h"

namespace kvr {

void frmPref::arrangeGeneral(ui::Frame& page) {
    const std::vector<ui::CheckBox*> column{&chkSTray,     &chkOcultarSTray, &chkSplash,
                                            &chkResidente, &chkInicioOculto, &chkAvisar};
    for (std::size_t i = 0; i < column.size(); ++i) {
        column[i]->container = &page;
        column[i]->setRect({12, 12 + 28 * static_cast<int>(i), 564, 22});
    }
    arrangeSlot(9, page, 276);
}

void frmPref::loadGeneral() {
    chkSTray.setValue(settings::OT != 0 ? 1 : 0);
    chkOcultarSTray.setValue(settings::OO != 0 ? 1 : 0);
    chkSplash.setValue(settings::OS != 0 ? 1 : 0);
    chkResidente.setValue(settings::OR != 0 ? 1 : 0);
    chkInicioOculto.setValue(settings::OI != 0 ? 1 : 0);
}

void frmPref::storeGeneral() {
    settings::OT = static_cast<std::uint8_t>(chkSTray.value());
    settings::OO = static_cast<std::uint8_t>(chkOcultarSTray.value());
    settings::OS = static_cast<std::uint8_t>(chkSplash.value());
    settings::OR = static_cast<std::uint8_t>(chkResidente.value());
    settings::OI = static_cast<std::uint8_t>(chkInicioOculto.value());
}

}  // namespace kvr
