// The main window's commands: sorting by the column headers, the toolbar, the show commands on
// an empty list, the class icons of the entries and the order of things at exit.
#include <gtest/gtest.h>

#include "base/ids.h"
#include "mainwin/frm_ppal.h"
#include "startup/mod_mensajes.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"

namespace kvr {
namespace {

using platform::Hwnd;

class MainWindowCommands : public test::MainWindowTest {
protected:
    int x = 0;

    MainWindowCommands() {
        giveHandle();
        settings::BxTA = true;
        settings::OO = 0;
    }
    // A window under the mouse, hidden with the mouse hotkey.
    Hwnd hide(const std::string& cls, const std::string& title) {
        x += 50;
        const Hwnd h = fake.desktop.create(cls, title, {.rect = {x, x, x + 40, x + 40}});
        fake.desktop.setCursor(x + 5, x + 5);
        std::int32_t id = 0xBFFF;
        main.RecibirMensajes(id);
        return h;
    }
    std::vector<std::string> column(int k) {
        std::vector<std::string> out;
        for (const auto& e : main.lsvVentanas.items())
            out.push_back(k == 0 ? e.text : e.subItems[0]);
        return out;
    }
    std::vector<ui::MenuItem*> showItems() {
        return {&main.mnuMostrarUltima,    &main.mnuMostrarXClase,    &main.mnuMostrarXTitulo,
                &main.mnuMostrarSeleccion, &main.mnuMostrarTodas,     &main.mnuSTMostrarUltima,
                &main.mnuSTMostrarXClase,  &main.mnuSTMostrarXTitulo, &main.mnuSTMostrarTodas};
    }
    std::string message(int n) const { return modTraducir::GetMessage(n)[0]; }
};

TEST_F(MainWindowCommands, EveryHeaderClickFlipsTheOrderAndSortsByThatColumn) {
    main.load();
    hide("Bravo", "beta");
    hide("Alpha", "gamma");
    hide("Charlie", "alpha");
    ASSERT_EQ(main.lsvVentanas.sortOrder(), ui::SortOrder::Descending);  // set by the load

    main.lsvVentanas_ColumnClick(0);
    EXPECT_TRUE(main.lsvVentanas.sorted());
    EXPECT_EQ(main.lsvVentanas.sortKey(), 0);
    EXPECT_EQ(column(0), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    main.lsvVentanas_ColumnClick(0);
    EXPECT_EQ(column(0), (std::vector<std::string>{"gamma", "beta", "alpha"}));
    // Another column does not start over: the order flips again.
    main.lsvVentanas_ColumnClick(1);
    EXPECT_EQ(main.lsvVentanas.sortKey(), 1);
    EXPECT_EQ(main.lsvVentanas.sortOrder(), ui::SortOrder::Ascending);
    EXPECT_EQ(column(1), (std::vector<std::string>{"Alpha", "Bravo", "Charlie"}));
    // Through the list's own event, as a click on the header arrives.
    main.lsvVentanas.onColumnClick(1);
    EXPECT_EQ(column(1), (std::vector<std::string>{"Charlie", "Bravo", "Alpha"}));
    // A window hidden now goes where the order puts it.
    hide("Delta", "delta");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Delta", "Charlie", "Bravo", "Alpha"}));
    main.unload();
}

TEST_F(MainWindowCommands, EmptyListDisablesEveryShowItemButTheToolbarWarnsThroughTheEngine) {
    main.load();
    for (ui::MenuItem* item : showItems()) EXPECT_FALSE(item->enabled()) << item->name();
    const Hwnd h = hide("Note", "n");
    main.mnuMostrarTodas.click();
    ASSERT_TRUE(fake.desktop.isWindowVisible(h));
    for (ui::MenuItem* item : showItems()) EXPECT_FALSE(item->enabled()) << item->name();
    for (const ui::ToolButton& b : main.tlbPpal.buttons()) EXPECT_TRUE(b.enabled) << b.key;

    fake.system.boxes.clear();
    main.tlbPpal.press("MostrarTodas");
    main.tlbPpal.press("MostrarTitulo");
    main.tlbPpal.press("MostrarSeleccion");
    ASSERT_EQ(fake.system.boxes.size(), 3u);
    EXPECT_EQ(fake.system.boxes[0].text, message(4));
    EXPECT_EQ(fake.system.boxes[1].text, message(2));
    EXPECT_EQ(fake.system.boxes[2].text, message(1));

    settings::BxTA = false;
    main.tlbPpal.press("MostrarTodas");
    main.tlbPpal.press("MostrarTitulo");
    main.tlbPpal.press("MostrarSeleccion");
    EXPECT_EQ(fake.system.boxes.size(), 3u);
    main.unload();
}

TEST_F(MainWindowCommands, ToolbarButtonsRunTheirCommands) {
    main.load();
    const Hwnd h = hide("Note", "n");
    main.tlbPpal.press("Cascada");
    main.tlbPpal.press("MosaicoV");
    main.tlbPpal.press("MosaicoH");
    EXPECT_EQ(fake.desktop.cascadeCalls.size(), 1u);
    EXPECT_EQ(fake.desktop.tileCalls, (std::vector<std::uint32_t>{0, 1}));
    // The preferences open over the main window; Cancel puts them away.
    main.tlbPpal.press("Preferencias");
    ASSERT_NE(main.Preferences(), nullptr);
    EXPECT_TRUE(main.Preferences()->visible());
    main.Preferences()->cmdCancelar.click();
    EXPECT_FALSE(main.Preferences()->loaded());
    main.tlbPpal.press("Ayuda");

    main.tlbPpal.press("MostrarTodas");
    EXPECT_TRUE(fake.desktop.isWindowVisible(h));
    EXPECT_EQ(main.lsvVentanas.count(), 0u);

    // Send to tray: the close box's rule, the program stays.
    ASSERT_TRUE(main.visible());
    main.tlbPpal.press("STray");
    EXPECT_FALSE(main.visible());
    EXPECT_TRUE(main.loaded());
    EXPECT_TRUE(main.ResizeArmed);

    main.tlbPpal.press("Salir");
    EXPECT_FALSE(main.loaded());
    EXPECT_TRUE(modMensajes::ExitRequested);
}

TEST_F(MainWindowCommands, EntriesShowTheClassIconOnlyWhenTheClassHasOne) {
    const std::vector<std::uint32_t> red(16 * 16, 0xFFFF0000);
    const std::vector<std::uint32_t> blue(16 * 16, 0xFF0000FF);
    const Hwnd painted = fake.desktop.create("Painted", "template");
    fake.desktop.setClassSmallIcon(painted, red);
    const Hwnd other = fake.desktop.create("Other", "template");
    fake.desktop.setClassSmallIcon(other, blue);

    hide("Painted", "first");
    hide("Plain", "no icon");
    hide("Other", "second");
    hide("Painted", "third");
    const auto& items = main.lsvVentanas.items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].smallIcon, 1);
    EXPECT_EQ(items[1].smallIcon, 0);
    EXPECT_EQ(items[2].smallIcon, 2);
    EXPECT_EQ(items[3].smallIcon, 3);  // one image per hidden window, as hidden
    const auto& images = main.imlApp.images();
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0], red);
    EXPECT_EQ(images[1], blue);
    EXPECT_EQ(images[2], red);

    // Showing entries leaves the images alone, so the indices left stay right.
    std::int32_t showLast = 0xBFFC;
    main.RecibirMensajes(showLast);
    main.lsvVentanas.setSelected(0, true);
    main.lsvVentanas_DblClick();
    hide("Other", "fourth");
    ASSERT_EQ(items.size(), 3u);
    for (const auto& e : items) {
        ASSERT_LE(e.smallIcon, static_cast<int>(images.size())) << e.text;
        if (e.text == "no icon") {
            EXPECT_EQ(e.smallIcon, 0);
        } else {
            ASSERT_GE(e.smallIcon, 1) << e.text;
            EXPECT_EQ(images[static_cast<std::size_t>(e.smallIcon - 1)], blue) << e.text;
        }
    }
    EXPECT_EQ(images.size(), 4u);
}

// A hide that waits for its program: a main window put away fills its list once the timer has
// seen the window go, leaving the processor to the programs at work, or at once when it is
// brought up; a window that is up shows the row at once. The icon comes once the window is gone.
TEST_F(MainWindowCommands, ARowWhoseHideWaitsGetsItsIconOnceTheWindowIsGone) {
    const std::vector<std::uint32_t> red(16 * 16, 0xFFFF0000);
    fake.desktop.setClassSmallIcon(fake.desktop.create("Painted", "template"), red);
    constexpr std::uint32_t kThread = platform::FakeDesktop::kDefaultProcessId + 4;
    const auto& items = main.lsvVentanas.items();
    const auto icon = [&](const std::string& title) {
        for (const auto& item : items)
            if (item.text == title) return item.smallIcon;
        return -1;  // not listed
    };

    fake.desktop.stopAnswering(kThread);
    hide("Painted", "put away");
    EXPECT_TRUE(items.empty());
    ASSERT_TRUE(main.tmrConfirmar.enabled());
    main.tmrConfirmar.tick();
    EXPECT_TRUE(items.empty()) << "filled while its program was still at work";
    fake.desktop.answerAgain(kThread);
    main.tmrConfirmar.tick();
    EXPECT_FALSE(main.tmrConfirmar.enabled());
    EXPECT_EQ(icon("put away"), 1);

    fake.desktop.stopAnswering(kThread);
    hide("Painted", "brought up");
    EXPECT_EQ(icon("brought up"), -1);
    main.mnuSTMostrarPpal_Click();  // from the tray
    ASSERT_TRUE(main.visible());
    EXPECT_EQ(icon("brought up"), 0) << "not listed as the window came up";

    hide("Painted", "while up");
    EXPECT_EQ(icon("while up"), 0);
    main.tmrConfirmar.tick();
    EXPECT_EQ(icon("while up"), 0) << "read while its program was still at work";
    fake.desktop.answerAgain(kThread);
    main.tmrConfirmar.tick();
    EXPECT_FALSE(main.tmrConfirmar.enabled());
    EXPECT_EQ(icon("brought up"), 2);
    EXPECT_EQ(icon("while up"), 3);
    EXPECT_EQ(main.imlApp.images(), std::vector<std::vector<std::uint32_t>>(3, red));
}

TEST_F(MainWindowCommands, FakeClassIconsBelongToTheClassOfTheProcessAndScale) {
    const Hwnd a = fake.desktop.create("Shared", "a", {.processId = 1});
    const Hwnd b = fake.desktop.create("shared", "b", {.processId = 1});
    const Hwnd elsewhere = fake.desktop.create("Shared", "c", {.processId = 2});
    std::vector<std::uint32_t> icon(4, 0xFF00FF00);
    icon[0] = 0xFF112233;
    fake.desktop.setClassSmallIcon(a, icon, 2);
    EXPECT_EQ(fake.desktop.classSmallIcon(b, 2), icon);
    EXPECT_TRUE(fake.desktop.classSmallIcon(elsewhere, 2).empty());
    const auto big = fake.desktop.classSmallIcon(a, 4);
    ASSERT_EQ(big.size(), 16u);
    EXPECT_EQ(big[0], 0xFF112233u);
    EXPECT_EQ(big[1], 0xFF112233u);
    EXPECT_EQ(big[2], 0xFF00FF00u);
    fake.desktop.setClassSmallIcon(b, {});
    EXPECT_TRUE(fake.desktop.classSmallIcon(a, 16).empty());
    fake.desktop.destroy(a);
    EXPECT_TRUE(fake.desktop.classSmallIcon(a, 16).empty());
}

TEST_F(MainWindowCommands, HotkeysReachingTheWindowProcedureActUntilTheExit) {
    // What a menu, a message box or a dialog's own loop hands to the window procedure.
    main.load();
    x = 400;
    const Hwnd h = fake.desktop.create("Notepad", "Memo", {.rect = {400, 400, 440, 440}});
    fake.desktop.setCursor(405, 405);
    main.hotkey(ids::hotkeyId(ids::Slot::HideUnderMouse));
    EXPECT_FALSE(fake.desktop.isWindowVisible(h));
    EXPECT_EQ(column(0), std::vector<std::string>{"Memo"});

    modMensajes::ExitRequested = true;
    main.hotkey(ids::hotkeyId(ids::Slot::ShowAll));
    EXPECT_FALSE(fake.desktop.isWindowVisible(h)) << "acted after the exit began";
}

TEST_F(MainWindowCommands, ExitUnregistersTheHotkeysBeforeShowingTheListedWindows) {
    settings::S[0] = 16;  // Shift+F9 and Ctrl+F9
    settings::T[0] = 120;
    settings::S[3] = 17;
    settings::T[3] = 120;
    main.load();
    ASSERT_FALSE(fake.queue.registrations().empty());
    const Hwnd a = hide("A", "a");
    const Hwnd b = hide("B", "b");
    std::vector<Hwnd> shown;
    std::vector<std::size_t> hotkeysAtShow;
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.cmd == platform::sw::kHide) return;
        shown.push_back(call.hwnd);
        hotkeysAtShow.push_back(fake.queue.registrations().size());
    };
    main.mnuSalir.click();
    fake.desktop.onShowWindow = nullptr;
    EXPECT_TRUE(modMensajes::ExitRequested);
    EXPECT_FALSE(main.loaded());
    EXPECT_TRUE(fake.queue.registrations().empty());
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0], a);
    EXPECT_EQ(shown[1], b);
    for (std::size_t n : hotkeysAtShow) EXPECT_EQ(n, 0u) << "a window came back with hotkeys live";
    EXPECT_TRUE(fake.desktop.isWindowVisible(a));
    EXPECT_TRUE(fake.desktop.isWindowVisible(b));
    EXPECT_EQ(main.lsvVentanas.count(), 0u);
}

}  // namespace
}  // namespace kvr
