// The real backend: forms become top-level windows of class "KVR_" + form name, controls
// become child windows, menus and timers of those windows. Callers need no windows.h.
#pragma once

#include <memory>

#include "ui/form.h"

namespace kvr::ui {

class Win32Backend final : public Backend {
public:
    // instance: the executable's HINSTANCE. iconResource: the icon of every form's window
    // class, a resource id of that module; 0 = the system's application icon.
    explicit Win32Backend(void* instance, int iconResource = 0);

    std::unique_ptr<FormPeer> createPeer(Form& form) override;

private:
    void* instance_;
    int iconResource_;
};

}  // namespace kvr::ui
