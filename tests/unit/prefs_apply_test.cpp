// OK and the hide-now button: what the dialog shows becomes the settings in memory and in the
// registry, in the order of the options, the hotkeys are registered anew, the autostart entry
// follows, and a combination the system refuses is reported.
#include <gtest/gtest.h>

#include <map>

#include "mainwin/frm_ppal.h"
#include "tests/unit/main_window_fixture.h"
#include "tests/unit/prefs_fixture.h"

namespace kvr {
namespace {

using platform::mod::kAlt;
using platform::mod::kControl;
using platform::mod::kShift;
using test::PrefsTest;

// The registry the program writes through, recording the names of the values it sets.
class RecordingRegistry : public platform::Registry {
public:
    explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}
    std::vector<std::string> written;

    platform::ErrorCode openKey(platform::HKey p, const std::string& s, std::uint32_t a,
                                platform::HKey& r) override {
        return inner_.openKey(p, s, a, r);
    }
    platform::ErrorCode createKey(platform::HKey p, const std::string& s,
                                  platform::HKey& r) override {
        return inner_.createKey(p, s, r);
    }
    platform::ErrorCode closeKey(platform::HKey k) override { return inner_.closeKey(k); }
    platform::ErrorCode queryValue(platform::HKey k, const std::string& n, std::uint32_t& t,
                                   std::vector<std::uint8_t>& d) override {
        return inner_.queryValue(k, n, t, d);
    }
    platform::ErrorCode setValue(platform::HKey k, const std::string& n, std::uint32_t t,
                                 const std::vector<std::uint8_t>& d) override {
        written.push_back(n);
        return inner_.setValue(k, n, t, d);
    }
    platform::ErrorCode deleteKey(platform::HKey p, const std::string& s) override {
        return inner_.deleteKey(p, s);
    }
    platform::ErrorCode deleteValue(platform::HKey k, const std::string& n) override {
        return inner_.deleteValue(k, n);
    }
    platform::ErrorCode enumKey(platform::HKey k, std::uint32_t i, std::string& n) override {
        return inner_.enumKey(k, i, n);
    }
    platform::ErrorCode enumValue(platform::HKey k, std::uint32_t i, std::string& n,
                                  std::uint32_t& t, std::vector<std::uint8_t>& d) override {
        return inner_.enumValue(k, i, n, t, d);
    }
    platform::ErrorCode queryInfoKey(platform::HKey k, platform::KeyInfo& i) override {
        return inner_.queryInfoKey(k, i);
    }

private:
    platform::Registry& inner_;
};

class PrefsApply : public PrefsTest {
protected:
    // Sets slot's fields as the user would: the modifier through the list, the key by pressing.
    void setSlot(frmPref& d, int slot, int modifierIndex, int key) {
        d.ntxtCombo[slot].setFocus();
        d.ncmbTecla.setListIndex(modifierIndex);
        d.ntxtTecla[slot].setFocus();
        d.ntxtTecla[slot].keyDown(key, 0);
    }
    std::string runEntry() {
        const auto value = fake.registry.value(platform::reg::kLocalMachine, test::kRunKey, "KVR");
        return value ? std::string(value->data.begin(), value->data.end()) : "(none)";
    }
};

TEST_F(PrefsApply, MovingSlot2FromShiftF11ToAltF11TakesEffectAtOnce) {
    frmPref& d = open();
    d.tbsConfig.select(1);
    setSlot(d, 2, 0, 0x7A);
    d.cmdAceptar.click();
    EXPECT_FALSE(d.loaded());
    EXPECT_EQ(stored("S2"), "18");
    EXPECT_EQ(stored("T2"), "122");
    EXPECT_EQ(settings::S[2], 18);
    EXPECT_FALSE(heldAtAll(kShift, 0x7A)) << "Shift+F11 is free";
    EXPECT_TRUE(registered(kAlt, 0x7A, 2));
    // The other slots are registered as before.
    EXPECT_TRUE(registered(kShift, 0x78, 0));
    EXPECT_TRUE(registered(kControl, 0x73, 11));
    EXPECT_EQ(fake.queue.registrations().size(), 12u);
    EXPECT_TRUE(fake.system.boxes.empty());
}

TEST_F(PrefsApply, OkWritesEverySettingInTheOrderOfTheOptionsTheTriggersLast) {
    RecordingRegistry recording(fake.registry);
    auto services = platform::installed();
    services.registry = &recording;
    platform::install(services);
    frmPref& d = open();
    d.cmdAceptar.click();
    std::vector<std::string> expected;
    for (int slot = 0; slot < ids::kSlots; ++slot) {
        expected.push_back("S" + std::to_string(slot));
        expected.push_back("T" + std::to_string(slot));
    }
    for (const char* name : {"BxTP", "BxTS", "BxTA", "BxTT", "SE", "SR", "OT", "OO", "OS", "OR",
                             "OI",   "MB",   "MK",   "MM",   "MA", "CC", "CA", "CF", "IM", "IA"})
        expected.push_back(name);
    EXPECT_EQ(recording.written, expected) << "the Run entry already names the program";
}

TEST_F(PrefsApply, TitleAndOptionControlsBecomeTheirStoredNumbers) {
    frmPref& d = open();
    d.ntxtTitulo.setText("Quarterly \xE2\x80\x93 report");
    d.optDonde[2].click();
    d.chkSensible.click();
    d.chkAvisar.click();
    for (int k = 0; k <= 2; ++k) d.chkEnmudecer[k].click();  // only the fourth stays
    d.chkSTray.click();
    d.chkOcultarSTray.click();
    d.chkSplash.click();
    d.chkInicioOculto.click();
    d.cmdAceptar.click();
    EXPECT_EQ(stored("BxTT"), "Quarterly \xE2\x80\x93 report");
    EXPECT_EQ(stored("BxTP"), "2");
    EXPECT_EQ(stored("BxTS"), "0") << "Match case checked: exact comparison";
    EXPECT_EQ(stored("BxTA"), "0");
    EXPECT_EQ(stored("SE"), "8");
    EXPECT_EQ(stored("SR"), "0");
    EXPECT_EQ(stored("OT"), "1");
    EXPECT_EQ(stored("OO"), "0");
    EXPECT_EQ(stored("OS"), "1");
    EXPECT_EQ(stored("OR"), "1");
    EXPECT_EQ(stored("OI"), "0");
    EXPECT_EQ(settings::BxTT, "Quarterly \xE2\x80\x93 report");
    EXPECT_EQ(settings::BxTP, 2);
    EXPECT_EQ(settings::SE, 8);

    // The whole title wins over whatever place is shown; case ignored again, warnings on.
    frmPref& again = open();
    again.optCoincidencia[0].click();
    again.chkSensible.click();
    again.chkAvisar.click();
    again.cmdAceptar.click();
    EXPECT_EQ(stored("BxTP"), "3");
    EXPECT_EQ(stored("BxTS"), "1");
    EXPECT_EQ(stored("BxTA"), "-1");
}

TEST_F(PrefsApply, RestoreBitsAreStoredOnlyUnderTheirOwnOption) {
    frmPref& d = open();
    d.optRestSonido[1].click();  // no box checked: nothing to restore by, so 0
    d.cmdAceptar.click();
    EXPECT_EQ(stored("SR"), "0");
    EXPECT_TRUE(open().optRestSonido[0].value()) << "SR 0 opens as the first option";

    frmPref& boxes = *dialog;
    boxes.optRestSonido[1].click();
    boxes.chkRestSonido[1].click();
    boxes.chkRestSonido[3].click();
    boxes.optRestSonido[0].click();  // the ticks stay, disabled and ignored
    boxes.cmdAceptar.click();
    EXPECT_EQ(stored("SR"), "0");

    frmPref& bits = open();
    bits.optRestSonido[1].click();
    bits.chkRestSonido[0].click();
    bits.chkRestSonido[2].click();
    bits.cmdAceptar.click();
    EXPECT_EQ(stored("SR"), "5");
    EXPECT_EQ(settings::SR, 5);
}

TEST_F(PrefsApply, EmptiedOrUncapturedSlotsAreSwitchedOffAndStoredAsZero) {
    frmPref& d = open();
    d.ntxtTecla[0].setText("");     // emptied with Delete
    d.ntxtTecla[1].tag.clear();     // a name that no key press put there
    d.ntxtCombo[3].setText("Win");  // a modifier the editor does not know
    d.cmdAceptar.click();
    EXPECT_EQ(stored("S0"), "0");
    EXPECT_EQ(stored("T0"), "0");
    EXPECT_FALSE(heldAtAll(kShift, 0x78));
    EXPECT_EQ(stored("S1"), "0");
    EXPECT_EQ(stored("T1"), "0");
    EXPECT_FALSE(heldAtAll(kShift, 0x79));
    EXPECT_EQ(stored("S3"), "0") << "an unknown modifier";
    EXPECT_EQ(stored("T3"), "120") << "keeps its key";
    EXPECT_FALSE(heldAtAll(kControl, 0x78));
    EXPECT_EQ(fake.queue.registrations().size(), 9u);
    EXPECT_TRUE(fake.system.boxes.empty()) << "a slot switched off is not a refusal";
}

TEST_F(PrefsApply, TwoSlotsSwappingTheirCombinationsBothGetThem) {
    frmPref& d = open();
    setSlot(d, 0, 2, 0x79);  // Shift+F10, slot 1's
    setSlot(d, 1, 2, 0x78);  // Shift+F9, slot 0's
    d.cmdAceptar.click();
    EXPECT_TRUE(registered(kShift, 0x79, 0));
    EXPECT_TRUE(registered(kShift, 0x78, 1));
    EXPECT_TRUE(fake.system.boxes.empty());
}

TEST_F(PrefsApply, RefusedCombinationsAreStoredAndNamedInOneMessage) {
    fake.queue.takeElsewhere(kAlt, 0x7B);  // another program holds Alt+F12
    frmPref& d = open();
    setSlot(d, 2, 0, 0x7B);  // Alt+F12
    setSlot(d, 4, 2, 0x78);  // Shift+F9, which slot 0 keeps
    d.cmdAceptar.click();
    EXPECT_EQ(stored("S2"), "18");
    EXPECT_EQ(stored("T2"), "123");
    EXPECT_EQ(stored("S4"), "16");
    EXPECT_EQ(stored("T4"), "120");
    EXPECT_TRUE(registered(kShift, 0x78, 0));
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    const auto& box = fake.system.boxes[0];
    const auto message = modTraducir::GetMessage(ids::msg::kHotkeysRefused);
    EXPECT_EQ(box.caption, message[1]);
    EXPECT_EQ(box.text.rfind(message[0], 0), 0u);
    EXPECT_NE(box.text.find("Hide windows by title: Alt+F12"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("Show windows hidden by class: Shft+F9"), std::string::npos)
        << box.text;
    EXPECT_EQ(box.text.find("Hide the window under the mouse"), std::string::npos)
        << "slot 0 was registered";
    EXPECT_EQ(box.style, platform::mb::kOk | platform::mb::kIconExclamation);
    EXPECT_FALSE(d.loaded());

    // Every OK tells again while the combinations stay refused, in the current language.
    modTraducir::CurrentLanguage = "Deutsch";
    frmPref& again = open();
    again.cmdAceptar.click();
    ASSERT_EQ(fake.system.boxes.size(), 2u);
    const auto german = modTraducir::GetMessage(ids::msg::kHotkeysRefused);
    EXPECT_NE(german[1], message[1]);
    EXPECT_EQ(fake.system.boxes[1].caption, german[1]);
    EXPECT_NE(fake.system.boxes[1].text.find("Fenster nach Titel ausblenden: Alt+F12"),
              std::string::npos);
    EXPECT_NE(fake.system.boxes[1].text.find("Shft+F9"), std::string::npos);
    // Once slot 4 has another key, only slot 2 is left to tell.
    frmPref& third = open();
    setSlot(third, 4, 1, 0x79);
    third.cmdAceptar.click();
    ASSERT_EQ(fake.system.boxes.size(), 3u);
    EXPECT_EQ(fake.system.boxes[2].text.find("Shft+F9"), std::string::npos);
    EXPECT_NE(fake.system.boxes[2].text.find("Alt+F12"), std::string::npos);
}

TEST_F(PrefsApply, AutostartEntryFollowsStartWithWindowsAtOnce) {
    ASSERT_NE(runEntry(), "(none)");
    frmPref& d = open();
    d.chkResidente.click();
    d.cmdAceptar.click();
    EXPECT_EQ(stored("OR"), "0");
    EXPECT_EQ(runEntry(), "(none)");
    frmPref& again = open();
    again.chkResidente.click();
    again.cmdAceptar.click();
    EXPECT_NE(runEntry().find("kvr.exe"), std::string::npos);
}

// A standard user cannot remove the entry an administrator made for every user: unchecking the
// option says so once, naming what Windows still starts.
TEST_F(PrefsApply, UncheckingStartWithWindowsSaysWhenTheMachinesEntryStays) {
    std::string entry = runEntry();
    while (!entry.empty() && entry.back() == '\0') entry.pop_back();
    fake.registry.setReadOnly(platform::reg::kLocalMachine, true);
    frmPref& d = open();
    d.chkResidente.click();
    d.cmdAceptar.click();
    EXPECT_EQ(stored("OR"), "0");
    EXPECT_EQ(runEntry().find(entry), 0u) << "the entry stays";
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    const auto message = modTraducir::GetMessage(ids::msg::kAutostartStays);
    EXPECT_EQ(fake.system.boxes[0].text, message[0] + "\n\n" + entry);
    EXPECT_EQ(fake.system.boxes[0].caption, message[1]);
    open().cmdAceptar.click();
    EXPECT_EQ(fake.system.boxes.size(), 1u) << "said when the option changes, not at every OK";
}

TEST_F(PrefsApply, CancelAndTheCloseBoxStoreNothing) {
    const auto before = fake.registry.writeCalls();
    const auto registrations = fake.queue.registrations().size();
    for (const bool closeBox : {false, true}) {
        frmPref& d = open();
        setSlot(d, 2, 0, 0x7A);
        d.ntxtTitulo.setText("anything");
        d.chkResidente.click();
        d.chkEnmudecer[0].click();
        if (closeBox)
            d.unload(ui::UnloadMode::ControlMenu);
        else
            d.cmdCancelar.click();
        EXPECT_FALSE(d.loaded());
    }
    EXPECT_EQ(fake.registry.writeCalls(), before);
    EXPECT_EQ(fake.queue.registrations().size(), registrations);
    EXPECT_TRUE(registered(kShift, 0x7A, 2));
    EXPECT_EQ(settings::BxTT, "");
    EXPECT_EQ(settings::OR, 1);
    EXPECT_EQ(settings::SE, 15);
    EXPECT_NE(runEntry(), "(none)");
}

TEST_F(PrefsApply, HideNowStoresFirstThenHidesByTheNewTitle) {
    frmPref& d = open();
    d.tbsConfig.select(2);
    d.ntxtTitulo.setFocus();
    d.ntxtTitulo.type("Quarterly");
    d.cmdOcultarAhora.click();
    EXPECT_EQ(stored("BxTT"), "Quarterly");
    EXPECT_EQ(hidesAfter, (std::vector<std::string>{"Quarterly"}));
    EXPECT_EQ(hidesWhileLoaded, 0) << "the dialog closed before the hide";
}

TEST_F(PrefsApply, TheSixthTabsControlsBecomeTheTriggerSettings) {
    frmPref& d = open();
    d.cmbBoton.setListIndex(1);
    d.cmbClics.setListIndex(2);
    d.cmbModificador.setListIndex(2);
    d.cmbAccion[0].setListIndex(9);
    d.chkEsquina[0].click();
    d.chkEsquina[2].click();
    d.chkRapido.click();
    d.cmbAccion[1].setListIndex(0);
    d.ntxtMinutos.setText("");
    d.ntxtMinutos.type("12x5");  // only digits go in
    d.cmbAccion[2].setListIndex(11);
    d.cmdAceptar.click();
    const std::map<std::string, std::string> expected = {{"MB", "1"}, {"MK", "3"},   {"MM", "17"},
                                                         {"MA", "9"}, {"CC", "5"},   {"CA", "0"},
                                                         {"CF", "0"}, {"IM", "125"}, {"IA", "11"}};
    for (const auto& [name, value] : expected) EXPECT_EQ(stored(name), value) << name;
    EXPECT_EQ(settings::MM, 17);

    // Too many minutes are the most there can be; none typed is never.
    for (const auto& [typed, minutes] :
         std::vector<std::pair<std::string, std::string>>{{"999", "240"}, {"", "0"}}) {
        frmPref& again = open();
        again.ntxtMinutos.setText(typed);
        again.cmdAceptar.click();
        EXPECT_EQ(stored("IM"), minutes) << '"' << typed << '"';
    }
}

// The dialog over the real main window: where it opens from, and the close that comes from
// outside while it is open.
class PrefsOverMainWindow : public test::MainWindowTest {
protected:
    PrefsOverMainWindow() {
        giveHandle();
        clsWBD registry;
        modGeneral::PrepareSettings(registry);
        settings::load(settings::options(), [&](const std::string& name) {
            return registry.strDame(test::kOptionsKey, name);
        });
        main.load();
    }
};

TEST_F(PrefsOverMainWindow, MenuTrayMenuAndToolbarOpenOneDialog) {
    main.mnuMostrarPref.click();
    frmPref* first = main.Preferences();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->visible());
    main.mnuSTMostrarPref.click();
    main.tlbPpal.press("Preferencias");
    EXPECT_EQ(main.Preferences(), first) << "open already: no second dialog";
    first->cmdCancelar.click();
    main.mnuSTMostrarPref.click();
    ASSERT_TRUE(main.Preferences()->visible());
    main.Preferences()->cmdCancelar.click();
    main.tlbPpal.press("Preferencias");
    EXPECT_TRUE(main.Preferences()->visible());
}

TEST_F(PrefsOverMainWindow, ACloseFromOutsideClosesTheDialogFirstAndThenRunsTheExit) {
    main.mnuMostrarPref.click();
    frmPref* dialog = main.Preferences();
    dialog->ntxtTitulo.setText("never stored");
    // The main window's own close waits for the dialog.
    EXPECT_FALSE(main.unload(ui::UnloadMode::ControlMenu));
    EXPECT_TRUE(dialog->loaded());
    EXPECT_NE(main.windowState(), ui::WindowState::Minimized);

    EXPECT_TRUE(main.unload(ui::UnloadMode::TaskManager));
    EXPECT_FALSE(dialog->loaded()) << "closed as Cancel";
    EXPECT_FALSE(main.loaded());
    EXPECT_TRUE(modMensajes::ExitRequested);
    EXPECT_TRUE(fake.queue.registrations().empty()) << "the exit let the hotkeys go";
    EXPECT_EQ(settings::BxTT, "");
}

TEST_F(PrefsOverMainWindow, OkPutsTheTriggersIntoEffectAtOnceAndCancelDoesNot) {
    EXPECT_FALSE(fake.input.hooked()) << "nothing on by default";
    EXPECT_FALSE(main.tmrInactividad.enabled());
    main.mnuMostrarPref.click();
    main.Preferences()->cmbBoton.setListIndex(1);
    main.Preferences()->ntxtMinutos.setText("3");
    main.Preferences()->cmdCancelar.click();
    EXPECT_FALSE(fake.input.hooked());

    main.mnuMostrarPref.click();
    frmPref& d = *main.Preferences();
    d.cmbBoton.setListIndex(1);
    d.cmbModificador.setListIndex(2);
    d.ntxtMinutos.setText("3");
    d.cmdAceptar.click();
    ASSERT_TRUE(fake.input.hooked());
    EXPECT_TRUE(main.tmrInactividad.enabled());
    // Ctrl and a middle double click over a window of another program hide it.
    const platform::Hwnd report =
        fake.desktop.create("Report", "Quarterly report", {.rect = {0, 0, 400, 300}});
    fake.desktop.setCursor(20, 20);
    fake.input.hold(platform::vk::kControl, true);
    fake.input.click(platform::wm::kMButtonDown);
    EXPECT_FALSE(fake.input.click(platform::wm::kMButtonDown));
    fake.queue.dispatchPending([&](std::uint32_t id) {
        auto slot = static_cast<std::int32_t>(id);
        main.RecibirMensajes(slot);
    });
    EXPECT_FALSE(fake.desktop.isWindowVisible(report));

    main.unload();
    EXPECT_FALSE(fake.input.hooked()) << "the exit takes the hook away";
}

TEST_F(PrefsOverMainWindow, HideNowHidesTheWindowsWhoseTitleHoldsTheTypedText) {
    const platform::Hwnd report = fake.desktop.create("Report", "Quarterly report");
    const platform::Hwnd other = fake.desktop.create("Notes", "Shopping list");
    main.mnuMostrarPref.click();
    frmPref& d = *main.Preferences();
    d.ntxtTitulo.setText("quarterly");
    d.cmdOcultarAhora.click();
    EXPECT_FALSE(fake.desktop.isWindowVisible(report));
    EXPECT_TRUE(fake.desktop.isWindowVisible(other));
    ASSERT_EQ(main.lsvVentanas.count(), 1u);
    EXPECT_EQ(main.lsvVentanas.items()[0].text, "Quarterly report");
    EXPECT_EQ(clsWBD().strDame("HKCU\\Software\\ORQ\\KVR\\Options", "BxTT"), "quarterly");
}

// A combination another program holds is said after the hide: the message waits for the user,
// the windows do not.
TEST_F(PrefsOverMainWindow, HideNowWithARefusedCombinationHidesFirstAndThenSaysSo) {
    const platform::Hwnd report = fake.desktop.create("Report", "Quarterly report");
    fake.queue.takeElsewhere(platform::mod::kAlt, 0x7B);
    main.mnuMostrarPref.click();
    frmPref& d = *main.Preferences();
    d.ntxtCombo[2].setFocus();
    d.ncmbTecla.setListIndex(0);  // Alt
    d.ntxtTecla[2].setFocus();
    d.ntxtTecla[2].keyDown(0x7B, 0);
    d.ntxtTitulo.setText("quarterly");
    bool hiddenAtTheMessage = false;
    fake.system.whileOpen = [&](const platform::FakeSystem::Box&) {
        hiddenAtTheMessage = !fake.desktop.isWindowVisible(report);
    };
    d.cmdOcultarAhora.click();
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    EXPECT_NE(fake.system.boxes[0].text.find("Alt+F12"), std::string::npos);
    EXPECT_EQ(fake.system.boxes[0].owner, main.hWnd()) << "the dialog is gone by then";
    EXPECT_TRUE(hiddenAtTheMessage) << "the message came before the hide";
    EXPECT_FALSE(d.loaded());
}

}  // namespace
}  // namespace kvr
