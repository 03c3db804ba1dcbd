// Installs the in-memory desktop for one test and puts the shipped Lng folder into its files.
#pragma once

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "engine/hide_engine.h"
#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "engine/snd_mixer.h"
#include "mainwin/mod_sys_tray.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_icons.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/fake_keyboard.h"
#include "platform/fake/fake_message_queue.h"
#include "platform/fake/fake_mixer.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"
#include "settings/settings.h"
#include "startup/mod_general.h"
#include "startup/mod_mensajes.h"
#include "translation/mod_traducir.h"
#include "ui/form.h"

namespace kvr::test {

inline std::string readShipped(const std::string& name) {
    std::ifstream in(std::string(KVR_LNG_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct FakePlatform {
    platform::FakeRegistry registry;
    platform::FakeMessageQueue queue;
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    platform::FakeMixer mixer;
    platform::FakeShell shell;
    platform::FakeKeyboard keyboard;
    platform::FakeIcons icons;
    platform::FakeInput input;

    FakePlatform() {
        platform::install({&registry, &queue, &system, &files, &desktop, &mixer, &shell, &keyboard,
                           &icons, &input});
        ui::setBackend(nullptr);
        // Every module as a fresh process has it, then the paths the start-up would set.
        settings::reset();
        modMensajes::resetForTests();
        modGeneral::resetForTests();
        modTraducir::resetForTests();
        modVentanas::resetForTests();
        modProcsKVR::resetForTests();
        SndMixer::resetForTests();
        modSysTray::resetForTests();
        files.makeFolder(system.localAppData);
        modGeneral::StringStoreFile = "\\Lng\\dde";
        modTraducir::LanguageFilePrefix = "\\Lng\\KVR_";
        for (const char* name : {"dde", "KVR_English.txt", "KVR_Eng.txt", "KVR_Espa\xC3\xB1ol.txt",
                                 "KVR_Esp.txt", "KVR_Deutsch.txt", "KVR_Deu.txt"}) {
            files.put(lng(name), readShipped(name));
        }
    }
    ~FakePlatform() {
        // The tray window of a hidden notification area goes while the ports are still there.
        modSysTray::resetForTests();
        platform::install({});
    }

    std::string lng(const std::string& name) const { return system.folder + "\\Lng\\" + name; }
};

// The notification area as the engine sees it: counts what it was asked to do.
struct FakeTrayArea final : engine::TrayArea {
    int hides = 0;
    int restores = 0;
    // What a measure finds: no notification area, unless a test gives one.
    engine::TrayGeometry measured;
    std::vector<engine::TrayGeometry> putBack;
    std::function<void()> onHide;  // at every hide, before it acts
    void HideTrayArea() override {
        if (onHide) onHide();
        ++hides;
    }
    void RestoreTrayArea() override { ++restores; }
    engine::TrayGeometry MeasureTrayArea() override { return measured; }
    void PutTrayAreaBack(const engine::TrayGeometry& g) override { putBack.push_back(g); }
};

}  // namespace kvr::test
