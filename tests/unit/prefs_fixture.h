// The preferences dialog on the fake platform, after a start: settings prepared and read, the
// hotkeys registered on a main window that stands for the real one.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "base/ids.h"
#include "prefs/frm_pref.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/mod_general.h"
#include "startup/mod_mensajes.h"
#include "tests/unit/fake_platform.h"

namespace kvr::test {

inline constexpr const char* kOptionsKey = "Software\\ORQ\\KVR\\Options";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr platform::Hwnd kMainHandle = 0x4242;

class PrefsTest : public ::testing::Test {
protected:
    PrefsTest() {
        main.setTestHandle(kMainHandle);
        start();
    }

    // What the start-up and the main window's load do with the registry as it is now.
    void start() {
        clsWBD registry;
        modGeneral::PrepareSettings(registry);
        const std::string options = modGeneral::GetStoredString(ids::store::kOptionsKey);
        settings::load(settings::options(),
                       [&](const std::string& name) { return registry.strDame(options, name); });
        modMensajes::RegisterHotkeys(main.hWnd());
    }
    // Stores values as another program would, then starts again from them.
    void storeAndStart(const std::map<std::string, std::string>& values) {
        for (const auto& [name, value] : values)
            fake.registry.putText(platform::reg::kCurrentUser, kOptionsKey, name, value);
        start();
    }
    void storeAndStart(const std::string& name, const std::string& value) {
        storeAndStart({{name, value}});
    }

    frmPref& open() {
        dialog = std::make_unique<frmPref>(main, [this] {
            hidesAfter.push_back(settings::BxTT);
            hidesWhileLoaded += dialog->loaded() ? 1 : 0;
        });
        dialog->showModal(&main);
        return *dialog;
    }

    std::string stored(const std::string& name) {
        const auto value = fake.registry.value(platform::reg::kCurrentUser, kOptionsKey, name);
        if (!value) return "(missing)";
        std::string text(value->data.begin(), value->data.end());
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    bool registered(std::uint32_t modifiers, std::uint32_t key, int slot) const {
        for (const auto& r : fake.queue.registrations())
            if (r.modifiers == modifiers && r.virtualKey == key)
                return r.window == kMainHandle && r.id == ids::hotkeyId(slot);
        return false;
    }
    bool heldAtAll(std::uint32_t modifiers, std::uint32_t key) const {
        for (const auto& r : fake.queue.registrations())
            if (r.modifiers == modifiers && r.virtualKey == key) return true;
        return false;
    }

    FakePlatform fake;
    ui::Form main{"frmPpal", "KVR", {0, 0, 600, 400}};
    std::unique_ptr<frmPref> dialog;
    std::vector<std::string> hidesAfter;  // the title text each hide by title found stored
    int hidesWhileLoaded = 0;
};

}  // namespace kvr::test
