#include "mainwin/mod_sys_tray.h"

namespace kvr::modSysTray {

// The notification-area icon and the tray-area hiding arrive with the tray work; until then the
// main window behaves as with the tray-icon option off.
void AddTrayIcon(frmPpal&, const std::string&) {}
void RemoveTrayIcon(frmPpal&) {}
void HideTrayArea() {}
void RestoreTrayArea() {}

}  // namespace kvr::modSysTray
