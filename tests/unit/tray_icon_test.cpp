// The program's icon in the notification area: there while the main window is put away with
// the option on, answering left and right clicks, surviving a new shell; and the icon's picture.
#include <gtest/gtest.h>

#include "base/ids.h"
#include "base/text.h"
#include "mainwin/frm_ppal.h"
#include "mainwin/mod_sys_tray.h"
#include "mainwin/program_icon.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"

namespace kvr {
namespace {

using platform::Hwnd;
using platform::NotifyIcon;

constexpr Hwnd kReceiver = 0x5150;

class TrayIcon : public test::MainWindowTest {
protected:
    TrayIcon() {
        giveHandle();
        main.picSysTray.setTestHandle(kReceiver);
        settings::OI = 1;
        settings::OT = 1;
    }
    ~TrayIcon() override {
        if (main.loaded()) main.unload();
    }
    const NotifyIcon* icon() const {
        const auto it = fake.shell.icons.find({kReceiver, 1});
        return it == fake.shell.icons.end() ? nullptr : &it->second;
    }
    void click(std::uint32_t message) { main.picSysTray.trayMessage(message); }
};

TEST_F(TrayIcon, StartingHiddenPutsTheIconThereWithTheProgramsPictureAndTheTranslatedTitle) {
    main.load();
    EXPECT_FALSE(main.visible());
    ASSERT_EQ(fake.shell.icons.size(), 1u);
    const NotifyIcon* added = icon();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->flags, platform::nif::kMessage | platform::nif::kIcon | platform::nif::kTip);
    EXPECT_EQ(added->callbackMessage, ui::PictureBox::kTrayCallbackMessage);
    EXPECT_EQ(added->iconSize, 16);
    EXPECT_EQ(added->icon, ProgramIcon(16));
    EXPECT_EQ(added->tip, main.caption());
    EXPECT_NE(added->tip, "0020");
    EXPECT_FALSE(added->tip.empty());
}

TEST_F(TrayIcon, TheIconComesOnlyWithTheOptionAndOnlyWhileTheWindowIsAway) {
    settings::OT = 0;
    main.load();
    EXPECT_TRUE(fake.shell.icons.empty());
    main.unload();

    settings::OT = 1;
    settings::OI = 0;
    frmPpal shown{hideEngine};
    shown.picSysTray.setTestHandle(kReceiver);
    shown.load();
    EXPECT_TRUE(shown.visible());
    EXPECT_TRUE(fake.shell.icons.empty());
    EXPECT_FALSE(shown.unload(ui::UnloadMode::ControlMenu));  // the close box puts it away
    EXPECT_FALSE(shown.visible());
    EXPECT_EQ(fake.shell.icons.size(), 1u);
    shown.unload();
    EXPECT_TRUE(fake.shell.icons.empty());
}

TEST_F(TrayIcon, ALeftClickShowsTheWindowAndTakesTheIconTheCloseBoxBringsItBack) {
    main.load();
    click(ui::mouse::kLeftButtonDown);
    EXPECT_TRUE(main.visible());
    EXPECT_EQ(main.windowState(), ui::WindowState::Normal);
    EXPECT_TRUE(fake.shell.icons.empty());
    EXPECT_EQ(main.TrayMouseState.LastMessage, 0x201);
    EXPECT_FALSE(main.TrayMouseState.Busy);

    EXPECT_FALSE(main.unload(ui::UnloadMode::ControlMenu));
    EXPECT_FALSE(main.visible());
    ASSERT_NE(icon(), nullptr);
    EXPECT_EQ(icon()->tip, main.caption());

    // Moving over the icon, or releasing a button, does nothing.
    for (std::uint32_t other : {0x200u, 0x202u, 0x205u, 0x203u}) click(other);
    EXPECT_FALSE(main.visible());
    EXPECT_EQ(main.TrayMouseState.LastMessage, 0x203);
    click(ui::mouse::kLeftButtonDown);
    EXPECT_TRUE(main.visible());
}

// The option switched off in the preferences while the icon shows: the icon goes all the same
// when the window comes back and at the exit, and the close box brings none back.
TEST_F(TrayIcon, AnIconLeftFromBeforeTheOptionWentOffGoesWhenTheWindowShowsAndAtTheExit) {
    main.load();
    ASSERT_NE(icon(), nullptr);
    settings::OT = 0;
    std::int32_t toggle = ids::hotkeyId(ids::Slot::ToggleMainWindow);
    main.RecibirMensajes(toggle);  // Alt+W
    EXPECT_TRUE(main.visible());
    EXPECT_TRUE(fake.shell.icons.empty());
    EXPECT_FALSE(main.unload(ui::UnloadMode::ControlMenu));
    EXPECT_FALSE(main.visible());
    EXPECT_TRUE(fake.shell.icons.empty());
    main.unload();

    settings::OT = 1;
    frmPpal again{hideEngine};
    again.picSysTray.setTestHandle(kReceiver);
    again.load();
    ASSERT_EQ(fake.shell.icons.size(), 1u);
    settings::OT = 0;
    again.unload();
    EXPECT_TRUE(fake.shell.icons.empty());
}

// The main window with a real window's handle and a popup menu the test drives.
class PopupBackend : public ui::Backend {
public:
    explicit PopupBackend(platform::FakeDesktop& desktop) : desktop_(desktop) {}
    std::unique_ptr<ui::FormPeer> createPeer(ui::Form& form) override {
        if (form.name() != "frmPpal") return nullptr;
        return std::make_unique<Peer>(*this,
                                      desktop_.create("KVR_frmPpal", "KVR", {.visible = false}));
    }
    // Runs while the popup menu is open; the item it returns is chosen, nullptr for none.
    std::function<ui::MenuItem*(ui::MenuItem& menu)> whileOpen;
    std::vector<std::string> opened;

private:
    struct Peer : ui::FormPeer {
        Peer(PopupBackend& owner, Hwnd h) : owner(owner), h(h) {}
        Hwnd handle() const override { return h; }
        void changed(ui::Form& form, ui::Change what) override {
            if (what == ui::Change::Visible) owner.desktop_.setVisible(h, form.visible());
        }
        std::unique_ptr<ui::ControlPeer> createPeer(ui::Control&) override { return nullptr; }
        void bringToTop() override {}
        void popupMenu(ui::MenuItem& menu) override {
            owner.opened.push_back(menu.name());
            ui::MenuItem* chosen = owner.whileOpen ? owner.whileOpen(menu) : nullptr;
            if (chosen) chosen->click();
        }
        PopupBackend& owner;
        Hwnd h;
    };
    platform::FakeDesktop& desktop_;
};

TEST(TrayMenu, ARightClickOpensTheTrayMenuAClickMeanwhileIsOnlyNotedAndItsExitShowsEverything) {
    test::FakePlatform fake;
    PopupBackend backend(fake.desktop);
    ui::setBackend(&backend);
    test::FakeTrayArea trayArea;
    engine::HideEngine hideEngine{trayArea};
    settings::OI = 1;
    settings::OT = 1;
    {
        frmPpal main{hideEngine};
        main.picSysTray.setTestHandle(kReceiver);
        main.load();
        const Hwnd target = fake.desktop.create("Target", "Report", {.rect = {10, 10, 90, 90}});
        fake.desktop.setCursor(50, 50);
        std::int32_t id = ids::hotkeyId(ids::Slot::HideUnderMouse);
        main.RecibirMensajes(id);
        ASSERT_FALSE(fake.desktop.isWindowVisible(target));

        int open = 0;
        backend.whileOpen = [&](ui::MenuItem& menu) -> ui::MenuItem* {
            // A menu is open already: no second one may come.
            if (open > 0) return nullptr;
            ++open;
            EXPECT_EQ(&menu, &main.mnuTray);
            EXPECT_TRUE(main.TrayMouseState.Busy);
            // The menu's own loop delivers more of the icon's messages.
            main.picSysTray.trayMessage(ui::mouse::kLeftButtonDown);
            main.picSysTray.trayMessage(ui::mouse::kRightButtonDown);
            main.picSysTray.trayMessage(ui::mouse::kLeftButtonDown);
            EXPECT_EQ(main.TrayMouseState.LastMessage, 0x201);
            EXPECT_FALSE(main.visible());
            EXPECT_EQ(fake.shell.icons.size(), 1u);
            --open;
            return nullptr;
        };
        main.picSysTray.trayMessage(ui::mouse::kRightButtonDown);
        EXPECT_EQ(backend.opened, std::vector<std::string>{"mnuTray"});
        EXPECT_FALSE(main.TrayMouseState.Busy);
        EXPECT_FALSE(main.visible());

        // Its items work: the exit gives back every hidden window and takes the icon away.
        backend.whileOpen = [&](ui::MenuItem&) { return &main.mnuSTSalir; };
        main.picSysTray.trayMessage(ui::mouse::kRightButtonDown);
        EXPECT_TRUE(modMensajes::ExitRequested);
        EXPECT_FALSE(main.loaded());
        EXPECT_TRUE(fake.desktop.isWindowVisible(target));
        EXPECT_TRUE(fake.shell.icons.empty());
    }
    ui::setBackend(nullptr);
}

TEST_F(TrayIcon, ANewShellIsGivenTheIconAgainWhetherItForgotTheOldOneOrNot) {
    main.load();
    const NotifyIcon first = *icon();

    fake.shell.restart(false);  // Windows: the new shell starts empty
    main.registeredMessage(modSysTray::kTaskbarCreated);
    ASSERT_NE(icon(), nullptr);
    EXPECT_EQ(icon()->tip, first.tip);
    EXPECT_EQ(icon()->icon, first.icon);
    EXPECT_EQ(icon()->callbackMessage, first.callbackMessage);

    fake.shell.restart(true);  // Wine: the icon stays and an add is refused
    fake.shell.resetJournal();
    main.registeredMessage(modSysTray::kTaskbarCreated);
    EXPECT_EQ(fake.shell.icons.size(), 1u);
    ASSERT_FALSE(fake.shell.notifyCalls.empty());
    EXPECT_EQ(fake.shell.notifyCalls.back().first, platform::nim::kModify);

    // Shown, the window has no icon for a new shell to get.
    click(ui::mouse::kLeftButtonDown);
    fake.shell.restart(false);
    main.registeredMessage(modSysTray::kTaskbarCreated);
    EXPECT_TRUE(fake.shell.icons.empty());
}

TEST_F(TrayIcon, ALongTipIsCutToSixtyThreeCharactersNeverInsideOne) {
    main.load();
    // 62 letters, then characters of two, three and four bytes.
    const std::string text =
        std::string(62, 'a') + "\xC3\xB1" + "\xE2\x82\xAC" + "\xF0\x9F\x94\x91";
    modSysTray::AddTrayIcon(main, main.picSysTray, text);
    ASSERT_NE(icon(), nullptr);
    EXPECT_EQ(icon()->tip, std::string(62, 'a') + "\xC3\xB1");
    EXPECT_EQ(text::length(icon()->tip), modSysTray::kTipCharacters);

    const std::string exact = std::string(60, 'b') + "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC";
    modSysTray::AddTrayIcon(main, main.picSysTray, exact);
    EXPECT_EQ(icon()->tip, exact);
    EXPECT_EQ(fake.shell.icons.size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// The picture

std::uint32_t read32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
}
unsigned read16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

TEST(ProgramIcon, OpaqueInsideItsTileTransparentAroundAtEverySize) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        const auto pixels = ProgramIcon(size);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size * size));
        const auto at = [&](int x, int y) {
            return pixels[static_cast<std::size_t>(y * size + x)];
        };
        EXPECT_EQ(at(0, 0) >> 24, 0u);
        EXPECT_EQ(at(size - 1, size - 1) >> 24, 0u);
        EXPECT_EQ(at(size / 2, size / 2) >> 24, 0xFFu);
        EXPECT_EQ(at(size / 4, size / 4) >> 24, 0xFFu);
    }
}

TEST(ProgramIcon, TheIconFileHoldsEverySizeAsBottomUpRowsWithItsMask) {
    const std::vector<int> sizes = {16, 32};
    const std::string file = ProgramIconFile(sizes);
    ASSERT_GE(file.size(), 6u + 16 * sizes.size());
    EXPECT_EQ(read16(file, 0), 0u);
    EXPECT_EQ(read16(file, 2), 1u);
    EXPECT_EQ(read16(file, 4), sizes.size());
    std::size_t end = 6 + 16 * sizes.size();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(sizes[i]);
        const auto n = static_cast<std::uint32_t>(sizes[i]);
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(static_cast<unsigned char>(file[entry]), n);
        EXPECT_EQ(static_cast<unsigned char>(file[entry + 1]), n);
        EXPECT_EQ(read16(file, entry + 6), 32u);
        const std::uint32_t bytes = read32(file, entry + 8);
        const std::uint32_t offset = read32(file, entry + 12);
        EXPECT_EQ(offset, end);
        const std::uint32_t maskStride = (n + 31) / 32 * 4;
        ASSERT_EQ(bytes, 40 + n * n * 4 + maskStride * n);
        ASSERT_LE(offset + bytes, file.size());
        end = offset + bytes;
        EXPECT_EQ(read32(file, offset), 40u);
        EXPECT_EQ(read32(file, offset + 4), n);
        EXPECT_EQ(read32(file, offset + 8), 2 * n);  // colour rows and mask rows
        EXPECT_EQ(read16(file, offset + 14), 32u);

        const auto pixels = ProgramIcon(static_cast<int>(n));
        const std::size_t colour = offset + 40;
        const std::size_t mask = colour + n * n * 4;
        for (std::uint32_t y = 0; y < n; ++y) {
            const std::uint32_t stored = n - 1 - y;  // bottom row first
            for (std::uint32_t x = 0; x < n; ++x) {
                const std::uint32_t pixel = pixels[y * n + x];
                ASSERT_EQ(read32(file, colour + (stored * n + x) * 4), pixel) << x << "," << y;
                const bool transparent =
                    (static_cast<unsigned char>(file[mask + stored * maskStride + x / 8]) &
                     (0x80 >> (x % 8))) != 0;
                ASSERT_EQ(transparent, (pixel >> 24) < 128) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(end, file.size());
}

}  // namespace
}  // namespace kvr
