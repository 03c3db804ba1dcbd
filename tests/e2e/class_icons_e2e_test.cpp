// The class icons of hidden windows in the main window's list: a window of a program with an
// icon gets a picture in its row, one whose class and program have none gets no picture.
#include "kvr_e2e.h"
#include "probe_listview.h"
// Needs the types windows.h declares.
#include <commctrl.h>

namespace e2e {
namespace {

class ClassIcons : public KvrTest {
protected:
    void TearDown() override {
        if (kvr.running()) {
            EXPECT_TRUE(exitProgram(kvr));
        }
        if (notepad.running()) {
            PostMessageW(notepadWindow, WM_CLOSE, 0, 0);
            if (!notepad.wait(5000)) notepad.kill();
        }
        KvrTest::TearDown();
    }
    ::testing::AssertionResult hide(HWND w, int slot) {
        MoveWindow(w, 20 + slot * 420, 560, 400, 200, TRUE);
        probe::pump(300);
        if (!probe::moveMouseOver(w)) return ::testing::AssertionFailure() << "mouse not moved";
        probe::pump(100);
        if (!probe::pressKey(16, 120)) return ::testing::AssertionFailure() << "keys not sent";
        if (pumpUntil([&] { return !probe::isVisible(w); }, 5000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << probe::className(w) << " not hidden";
    }
    probe::Process kvr;
    probe::Process notepad;
    HWND notepadWindow = nullptr;
};

TEST_F(ClassIcons, ARowShowsTheIconOfItsWindowAndNoneWhereThereIsNone) {
    // A class without an icon, in a program without one.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KvrE2eNoIcon";
    RegisterClassExW(&wc);

    seed(kDefaults, {{"OI", "0"}, {"OO", "0"}, {"BxTA", "0"}});
    kvr = start();
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    HWND main = mainWindow(kvr);
    ASSERT_NE(main, nullptr);

    std::string error;
    auto started = probe::startProcess("C:\\windows\\notepad.exe", "", &error);
    ASSERT_TRUE(started) << error;
    notepad = std::move(*started);
    notepadWindow = probe::findWindow("Notepad", std::nullopt, notepad.pid(), 15000);
    ASSERT_NE(notepadWindow, nullptr) << "notepad did not open its window";
    HWND plain = track(probe::createWindow("KvrE2eNoIcon", "Plain window"));
    ASSERT_TRUE(hide(notepadWindow, 0));
    ASSERT_TRUE(hide(plain, 1));

    HWND list = probe::findListView(main);
    ASSERT_NE(list, nullptr);
    // The icons are read once the hides are confirmed, a moment after the rows show.
    std::optional<std::vector<std::vector<std::string>>> rows;
    std::optional<std::vector<int>> images;
    pumpUntil(
        [&] {
            rows = probe::listViewRows(list, 2);
            images = probe::listViewImages(list);
            if (!rows || rows->size() != 2 || !images || images->size() != 2) return false;
            for (std::size_t row = 0; row < 2; ++row) {
                if ((*rows)[row][1] != "KvrE2eNoIcon" && (*images)[row] < 0) return false;
            }
            return true;
        },
        5000);
    ASSERT_TRUE(rows && rows->size() == 2);
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 2u);
    for (std::size_t row = 0; row < 2; ++row) {
        const std::string& cls = (*rows)[row][1];
        if (cls == "KvrE2eNoIcon")
            EXPECT_EQ((*images)[row], I_IMAGENONE);
        else
            EXPECT_GE((*images)[row], 0) << cls;
    }
    screenshot("list");
}

}  // namespace
}  // namespace e2e
