// The window that fills the shrunk notification area while its icons are hidden: a plain face
// in the taskbar's colour, with no frame and no taskbar button, holding the clock on a
// vertical taskbar.
#pragma once

#include "ui/form.h"

namespace kvr {

class frmSysTray : public ui::Form {
public:
    frmSysTray() : ui::Form("frmSysTray", "", {0, 0, 0, 0}) {
        borderStyle = ui::BorderStyle::None;
        showInTaskbar = false;
        minButton = false;
        maxButton = false;
    }
};

}  // namespace kvr
