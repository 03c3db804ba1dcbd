// Hiding and showing other programs' windows from the keyboard, as a user does it.
#include <atomic>
#include <thread>

#include "kvr_e2e.h"
#include "probe_listview.h"

namespace e2e {
namespace {

class Hiding : public KvrTest {
protected:
    probe::Process kvr;

    // A window of this test at its own place on the screen, so the mouse finds exactly it.
    HWND windowAt(const std::string& cls, const std::string& title, int slot) {
        HWND w = track(probe::createWindow(cls, title));
        if (w) MoveWindow(w, 40 + (slot % 4) * 300, 40 + (slot / 4) * 240, 280, 200, TRUE);
        return w;
    }

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        seed(kDefaults, {{"BxTT", "Quarterly"}, {"OO", "0"}, {"BxTA", "0"}});
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    }
    void TearDown() override {
        if (kvr.running()) EXPECT_TRUE(exitProgram(kvr));
        KvrTest::TearDown();
    }

    // Our windows answer the program's calls only while we pump.
    ::testing::AssertionResult becomes(HWND w, bool visible, const char* after) {
        ::testing::AssertionResult result = KvrTest::becomes(w, visible, after);
        if (!result) result << "; kvr.exe windows:" << windowsOf(kvr.pid());
        return result;
    }
};

TEST_F(Hiding, WindowUnderTheMouseGoesAndComesBackEvenOverAChildControl) {
    HWND target = windowAt("KvrE2eTarget", "Target window", 0);
    HWND button = probe::createChild(target, "BUTTON", "Click me");
    ASSERT_TRUE(target && button);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(button));
    press(16, 120);  // Shift+F9
    ASSERT_TRUE(becomes(target, false, "Shift+F9"));
    screenshot("hidden");
    press(17, 120);  // Ctrl+F9: show last
    EXPECT_TRUE(becomes(target, true, "Ctrl+F9"));
}

// A window's find dialog or tool palette goes with it and comes back with it: from another
// process the system's own call hides such pop-ups but never shows them again.
TEST_F(Hiding, OwnedPopUpsGoWithTheWindowUnderTheMouseAndComeBackWithIt) {
    HWND owner = windowAt("KvrE2eOwner", "Document with a find dialog", 0);
    HWND popup = track(probe::createWindow("KvrE2ePopup", "Find", owner));
    HWND nested = track(probe::createWindow("KvrE2ePopup", "Replace all?", popup));
    HWND shelved = track(probe::createWindow("KvrE2ePopup", "Shelved palette", owner, false));
    ASSERT_TRUE(owner && popup && nested && shelved);
    MoveWindow(popup, 700, 500, 200, 120, TRUE);
    MoveWindow(nested, 750, 540, 160, 100, TRUE);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(owner));
    press(16, 120);  // Shift+F9
    ASSERT_TRUE(becomes(owner, false, "Shift+F9"));
    EXPECT_TRUE(becomes(popup, false, "Shift+F9"));
    EXPECT_TRUE(becomes(nested, false, "Shift+F9"));
    press(17, 120);  // Ctrl+F9: show last
    EXPECT_TRUE(becomes(owner, true, "Ctrl+F9"));
    EXPECT_TRUE(becomes(popup, true, "Ctrl+F9"));
    EXPECT_TRUE(becomes(nested, true, "Ctrl+F9"));
    probe::pump(300);
    EXPECT_FALSE(probe::isVisible(shelved)) << "a pop-up its program had hidden came back";
}

TEST_F(Hiding, ClassHotkeyHidesEveryWindowOfThePrefixAndShowByClassBringsThemBack) {
    HWND a = windowAt("KvrE2eClassA", "First of the class", 0);
    HWND b = windowAt("KvrE2eClassA", "Second of the class", 1);
    HWND c = windowAt("KvrE2eClassAB", "Longer class name", 2);
    HWND other = windowAt("KvrE2eOther", "Another class", 3);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(a));
    press(16, 121);  // Shift+F10
    EXPECT_TRUE(becomes(a, false, "Shift+F10"));
    EXPECT_TRUE(becomes(b, false, "Shift+F10"));
    EXPECT_TRUE(becomes(c, false, "Shift+F10"));
    probe::pump(300);
    EXPECT_TRUE(probe::isVisible(other));
    press(17, 121);  // Ctrl+F10: show by class
    EXPECT_TRUE(becomes(a, true, "Ctrl+F10"));
    EXPECT_TRUE(becomes(b, true, "Ctrl+F10"));
    EXPECT_TRUE(becomes(c, true, "Ctrl+F10"));
}

TEST_F(Hiding, TitleHotkeyHidesTheMatchingTitlesAndShowByTitleAndShowAllReturnThem) {
    HWND report = windowAt("KvrE2eDoc", "Quarterly report - Editor", 0);
    HWND sheet = windowAt("KvrE2eSheet", "quarterly figures.xls", 1);
    HWND lunch = windowAt("KvrE2eDoc", "Lunch menu", 2);
    probe::pump(200);
    press(16, 122);  // Shift+F11: contains "Quarterly", case ignored
    EXPECT_TRUE(becomes(report, false, "Shift+F11"));
    EXPECT_TRUE(becomes(sheet, false, "Shift+F11"));
    probe::pump(300);
    EXPECT_TRUE(probe::isVisible(lunch));
    press(17, 122);  // Ctrl+F11: show by title
    EXPECT_TRUE(becomes(report, true, "Ctrl+F11"));
    EXPECT_TRUE(becomes(sheet, true, "Ctrl+F11"));

    press(16, 122);
    ASSERT_TRUE(becomes(report, false, "Shift+F11 again"));
    ASSERT_TRUE(probe::moveMouseOver(lunch));
    press(16, 120);
    ASSERT_TRUE(becomes(lunch, false, "Shift+F9"));
    press(17, 123);  // Ctrl+F12: show all
    EXPECT_TRUE(becomes(report, true, "Ctrl+F12"));
    EXPECT_TRUE(becomes(sheet, true, "Ctrl+F12"));
    EXPECT_TRUE(becomes(lunch, true, "Ctrl+F12"));
}

// A window whose program has stopped answering: hiding it must not stop the program with it,
// or every later press would go unheard.
TEST_F(Hiding, AHungProgramsWindowHoldsUpNoLaterPress) {
    std::atomic<HWND> frozen{nullptr};
    HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread program([&] {
        HWND w = probe::createWindow("KvrE2eFrozen", "Not responding");
        MoveWindow(w, 40, 40, 280, 200, TRUE);
        probe::pump(200);
        frozen = w;
        WaitForSingleObject(wake, 60000);  // takes no message meanwhile
        probe::pump(200);
        DestroyWindow(w);
    });
    struct Release {
        HANDLE wake;
        std::thread& program;
        ~Release() {
            SetEvent(wake);
            program.join();
            CloseHandle(wake);
        }
    } release{wake, program};
    ASSERT_TRUE(pumpUntil([&] { return frozen.load() != nullptr; }, 5000));
    probe::pump(5500);  // the system calls a window hung after 5 s without taking messages
    HWND other = windowAt("KvrE2eAnswering", "Answering", 5);
    probe::pump(200);

    ASSERT_TRUE(probe::moveMouseOver(frozen));
    press(16, 120);  // Shift+F9 over the hung window
    ASSERT_TRUE(probe::moveMouseOver(other));
    press(16, 120);
    EXPECT_TRUE(becomes(other, false, "Shift+F9 after one over a hung window"));
    press(17, 123);  // Ctrl+F12: show all
    EXPECT_TRUE(becomes(other, true, "Ctrl+F12"));
}

// A hide that waits for a program that does not answer holds no later press up: kvr.exe is
// back in its loop while the hung program's hide is on its way, and Ctrl+F12 brings the other
// window back while that program still does not answer. Once it answers, it carries out the
// hide and then the show: its window ends where it was, and nothing is listed.
TEST_F(Hiding, AHideWaitingForAHungProgramHoldsUpNoLaterPress) {
    HWND other = windowAt("KvrE2eAnswering", "Quarterly answering", 5);
    ASSERT_TRUE(other);
    std::string error;
    auto hung = probe::startProcess(
        probe::exeDir() + "\\probe.exe",
        "create KvrE2eBusy \"Quarterly hung\" --busy 20000 --seconds 120", &error);
    ASSERT_TRUE(hung) << error;
    struct End {
        probe::Process& p;
        ~End() { p.kill(); }
    } end{*hung};
    HWND busy = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (const auto& w : probe::topLevelWindowsOf(hung->pid()))
                if (w.visible && w.className == "KvrE2eBusy") busy = w.hwnd;
            return busy != nullptr;
        },
        15000))
        << windowsOf(hung->pid());
    ASSERT_TRUE(pumpUntil([&] { return !probe::answers(busy, 100); }, 10000))
        << "the probe kept answering";
    // The list as the user sees it: the window's controls are made when it first shows.
    HWND main = mainWindow(kvr, 5000);
    ASSERT_TRUE(main);
    press(18, 87);  // Alt+W
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    HWND list = probe::findListView(main);
    ASSERT_TRUE(list);
    const auto listed = [&] {
        const auto rows = probe::listViewRows(list, 1);
        return rows ? rows->size() : std::size_t{0};
    };

    press(16, 122);  // Shift+F11
    ASSERT_TRUE(becomes(other, false, "Shift+F11"));
    EXPECT_FALSE(probe::answers(busy, 100)) << "the hung program answered meanwhile";
    press(17, 123);  // Ctrl+F12: show all
    EXPECT_TRUE(becomes(other, true, "Ctrl+F12 while a hide waits for a hung program"));
    EXPECT_FALSE(probe::answers(busy, 100))
        << "the other window came back only once the hung program answered";

    ASSERT_TRUE(pumpUntil([&] { return probe::answers(busy, 100); }, 45000))
        << "the probe never answered again";
    EXPECT_TRUE(probe::isVisible(busy)) << "the show did not follow the hide";
    EXPECT_EQ(listed(), 0u);
}

TEST_F(Hiding, ExitWithWindowsHiddenShowsThemAllAgain) {
    HWND a = windowAt("KvrE2eExitA", "Hidden at exit A", 0);
    HWND b = windowAt("KvrE2eExitB", "Hidden at exit B", 1);
    probe::pump(200);
    for (HWND w : {a, b}) {
        ASSERT_TRUE(probe::moveMouseOver(w));
        press(16, 120);
        ASSERT_TRUE(becomes(w, false, "Shift+F9"));
    }
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(probe::isVisible(a));
    EXPECT_TRUE(probe::isVisible(b));
}

}  // namespace
}  // namespace e2e
