// The program's icon in the notification area, and the hiding of the notification area itself.
#pragma once

#include <string>

#include "engine/hide_engine.h"

namespace kvr {
class frmPpal;
}

namespace kvr::modSysTray {

void AddTrayIcon(frmPpal& window, const std::string& tip);
void RemoveTrayIcon(frmPpal& window);
void HideTrayArea();
void RestoreTrayArea();

// The notification area as the hiding engine reaches it.
class ShellTrayArea final : public engine::TrayArea {
public:
    void HideTrayArea() override { modSysTray::HideTrayArea(); }
    void RestoreTrayArea() override { modSysTray::RestoreTrayArea(); }
};

}  // namespace kvr::modSysTray
