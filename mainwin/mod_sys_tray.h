// The program's icon in the notification area, and the hiding of the notification area itself.
#pragma once

#include <string>

#include "engine/hide_engine.h"
#include "platform/shell.h"
#include "ui/controls.h"

namespace kvr {
class frmPpal;
class frmSysTray;
}  // namespace kvr

namespace kvr::modSysTray {

// The name under which the shell broadcasts that a new taskbar is up (Explorer restarted).
inline constexpr char kTaskbarCreated[] = "TaskbarCreated";
// Characters the tip field holds besides its NUL.
inline constexpr std::size_t kTipCharacters = 63;

// Adds the icon with window's 16-pixel picture (picIcon16), whose mouse messages go to
// receiver, with tip as its tip. An icon that is already there takes the new picture and tip.
void AddTrayIcon(frmPpal& window, const ui::PictureBox& receiver, const std::string& tip);
// Deletes the icon whose messages go to receiver.
void RemoveTrayIcon(platform::Hwnd receiver);
// The program's icon is in the notification area: added and not removed since.
bool IconShown();
// The shell is new and has none of the icons it had: the icon, if the program shows one, is
// added again. True when the taskbar the area was last hidden in is gone: the new one shows its
// area in full, and the tray window and the measurements of the old one are dropped. A message
// that comes while the taskbar is still the one measured changes nothing there.
bool TaskbarCreated();

// The taskbar, its notification window and the clock, as MeasureTray found them.
using TrayGeometry = engine::TrayGeometry;
// Finds and measures the three windows; what is missing stays 0.
TrayGeometry MeasureTray();
// Shrinks the notification window to the clock's size and covers it with the tray window.
// Does nothing while the area is hidden, or when a window of the three is missing.
void HideTrayArea();
// Puts the notification window back where the last hide found it. Without an earlier hide,
// or when that hide found nothing to act on, it does nothing.
void RestoreTrayArea();
// Puts the notification window back where a hide of an earlier run found it, when the taskbar
// still has those windows.
void RestoreTrayArea(const TrayGeometry& measured);
// The tray window while the area is hidden, else nullptr.
frmSysTray* TrayWindow();

// Forgets the icon and the measurements, as a fresh start has them.
void resetForTests();

// The notification area as the hiding engine reaches it.
class ShellTrayArea final : public engine::TrayArea {
public:
    void HideTrayArea() override { modSysTray::HideTrayArea(); }
    void RestoreTrayArea() override { modSysTray::RestoreTrayArea(); }
    TrayGeometry MeasureTrayArea() override;
    void PutTrayAreaBack(const TrayGeometry& measured) override {
        modSysTray::RestoreTrayArea(measured);
    }
};

}  // namespace kvr::modSysTray
