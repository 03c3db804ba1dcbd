// The whole program on the in-memory platform, started as WinMain starts it.
#pragma once

#include <memory>

#include "engine/hide_engine.h"
#include "mainwin/frm_ppal.h"
#include "startup/mod_general.h"
#include "tests/unit/fake_platform.h"

namespace kvr::test {

struct Program {
    FakeTrayArea trayArea;
    engine::HideEngine engine{trayArea};

    // Start-up, the splash window's time, the main window and its loop, until the exit.
    int run() {
        return modGeneral::Run([this] { return std::make_unique<frmPpal>(engine); });
    }
};

}  // namespace kvr::test
