// The main window over the fake platform, with the engine whose record it mirrors.
#pragma once

#include <gtest/gtest.h>

#include "mainwin/frm_ppal.h"
#include "tests/unit/fake_platform.h"

namespace kvr::test {

class MainWindowTest : public ::testing::Test {
protected:
    FakePlatform fake;
    FakeTrayArea trayArea;
    engine::HideEngine hideEngine{trayArea};
    frmPpal main{hideEngine};

    // A handle on the fake desktop, for what asks the main window's handle (the hotkeys, the
    // mouse hotkeys' protection, owners of message boxes) without loading the window.
    void giveHandle() {
        main.setTestHandle(fake.desktop.create("KVR_frmPpal", "KVR", {.visible = false}));
    }
};

}  // namespace kvr::test
