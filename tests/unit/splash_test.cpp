#include <gtest/gtest.h>

#include <set>

#include "mainwin/frm_ppal.h"
#include "startup/frm_splash.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/program.h"

namespace kvr {
namespace {

class Splash : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::Program program;

    // Plays the system: first whatever closes the splash, then its timer every 100 ms, then
    // the exit once the main window runs.
    void script(std::function<void(frmSplash&)> close) {
        fake.queue.onIdle = [this, close, closed = false]() mutable {
            auto* splash = modGeneral::Splash();
            if (splash && splash->loaded() && !closed) {
                closed = true;
                fake.queue.post([splash, close] { close(*splash); });
            } else if (splash && splash->loaded()) {
                fake.queue.post([splash] { splash->picSplash.tick(); });
            } else if (MainWindow() && MainWindow()->loaded()) {
                fake.queue.post([] {
                    mainWindowRan = true;
                    MainWindow()->mnuSalir.click();
                });
            } else {
                fake.queue.post([] { modMensajes::ExitRequested = true; });
            }
        };
    }
    static inline bool mainWindowRan = false;
    void SetUp() override { mainWindowRan = false; }
};

TEST_F(Splash, TheUsersCloseIsRefusedAndTheMainWindowStillTakesOver) {
    bool refused = false;
    script([&](frmSplash& splash) {
        refused = !splash.unload(ui::UnloadMode::ControlMenu) && splash.loaded();
    });
    EXPECT_EQ(program.run(), 0);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(mainWindowRan);
    EXPECT_EQ(fake.queue.registerCalls(), 12);
}

TEST_F(Splash, AnotherProgramsCloseEndsTheProgramBeforeItTakesHotkeys) {
    script([](frmSplash& splash) { EXPECT_TRUE(splash.unload(ui::UnloadMode::TaskManager)); });
    EXPECT_EQ(program.run(), 0);
    EXPECT_FALSE(mainWindowRan);
    EXPECT_EQ(fake.queue.registerCalls(), 0);
}

TEST_F(Splash, LogoIsAPictureOfOurOwnOfTheControlsSize) {
    frmSplash splash;
    const ui::Picture& logo = splash.imgLogo.picture();
    EXPECT_EQ(logo.width, splash.imgLogo.rect().width);
    EXPECT_EQ(logo.height, splash.imgLogo.rect().height);
    ASSERT_EQ(logo.pixels.size(), static_cast<std::size_t>(logo.width) * logo.height);
    EXPECT_EQ(logo.resource, 0);
    // Opaque throughout: the picture control shows no alpha against the window.
    std::set<std::uint32_t> colours;
    for (std::uint32_t pixel : logo.pixels) {
        ASSERT_EQ(pixel >> 24, 0xFFu);
        colours.insert(pixel);
    }
    EXPECT_GT(colours.size(), 8u) << "a drawing, not a flat fill";
}

}  // namespace
}  // namespace kvr
