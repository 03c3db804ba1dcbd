// The splash window: shown at start when the user wants it, and in any case the owner of the
// timer that hands the program over to the main window.
#pragma once

#include <cstdint>
#include <vector>

#include "startup/mod_general.h"
#include "ui/controls.h"

namespace kvr {

// The splash window's logo, drawn for this program: size x size pixels, BGRA, opaque.
std::vector<std::uint32_t> SplashLogo(int size);

class frmSplash : public ui::Form {
public:
    frmSplash();

    ui::Image imgLogo;
    ui::Frame fraBorde;
    ui::Label lblProductName;
    ui::Label lblVersion;
    ui::Label lblCompany;
    ui::Label lblCopyright;
    ui::Label lblWarning;
    ui::Timer picSplash;

    void picSplash_Timer();
    // True once the second tick asked for the hand-over.
    bool handOverDue() const { return handOverDue_; }
    // Reads the hotkey and hiding settings, replaces this window by the main window and runs
    // the main loop; returns when the loop has ended.
    void HandOver(const modGeneral::MainWindowFactory& makeMainWindow);

protected:
    void Form_Load() override;
    // Refuses the user's close: the hand-over must still come.
    bool Form_QueryUnload(ui::UnloadMode mode) override;

private:
    int ticks_ = 0;
    bool handOverDue_ = false;
    bool handingOver_ = false;
};

}  // namespace kvr
