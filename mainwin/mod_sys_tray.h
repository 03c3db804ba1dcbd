// The program's icon in the notification area, and the hiding of the notification area itself.
#pragma once

#include <string>

namespace kvr {
class frmPpal;
}

namespace kvr::modSysTray {

void AddTrayIcon(frmPpal& window, const std::string& tip);
void RemoveTrayIcon(frmPpal& window);
void HideTrayArea();
void RestoreTrayArea();

}  // namespace kvr::modSysTray
