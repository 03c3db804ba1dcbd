// A copy of the program killed outright (taskkill /F) cannot show what it hid; the next start
// does, from its journal, and leaves alone a window that someone else hid meanwhile.
#include <cstdio>

#include "kvr_e2e.h"

namespace e2e {
namespace {

std::string field(const std::string& ansi) {
    return std::string{char(ansi.size() & 0xFF), char(ansi.size() >> 8)} + ansi;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(probe::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

class KilledProgram : public KvrTest {
protected:
    const std::string listFile = probe::exeDir() + "\\lsv.dat";
    std::optional<std::string> listBefore;
    std::optional<probe::Process> listed;  // a probe.exe, the program on the hide list

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        listBefore = probe::readFile(listFile);
        ASSERT_TRUE(writeFile(
            listFile, field("probe.exe") + field("probe.exe") + field("probe.exe") + field("")));
        seed(kDefaults,
             {{"OO", "0"}, {"BxTA", "0"}, {"BxTT", "Journal title"}, {"BxTP", "1"}, {"BxTS", "1"}});
    }
    void TearDown() override {
        if (listed) listed->kill();
        KvrTest::TearDown();
        if (listBefore) {
            writeFile(listFile, *listBefore);
        } else {
            DeleteFileW(probe::widen(listFile).c_str());
        }
    }

    HWND window(const std::string& title, int slot, HWND owner = nullptr) {
        HWND w = track(probe::createWindow("KvrE2eJournal", title, owner));
        if (w) MoveWindow(w, 60 + slot * 250, 80 + (owner ? 120 : 0), 230, 160, TRUE);
        return w;
    }
};

TEST_F(KilledProgram, TheNextStartShowsWhatItHidAndLeavesAWindowHiddenByAnotherAlone) {
    probe::Process kvr = start();
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));

    // One window with an owned pop-up, from under the mouse.
    HWND mouse = window("Hidden from under the mouse", 0);
    HWND popup = window("Its pop-up", 0, mouse);
    ASSERT_TRUE(mouse && popup);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(mouse));
    press(16, 120);  // Shift+F9
    ASSERT_TRUE(become({mouse, popup}, false, "Shift+F9"));

    // One by title.
    HWND titled = window("Journal title window", 1);
    ASSERT_TRUE(titled);
    probe::pump(200);
    press(16, 122);  // Shift+F11
    ASSERT_TRUE(become({titled}, false, "Shift+F11"));

    // One of a listed program, another process.
    std::string error;
    listed = probe::startProcess(probe::exeDir() + "\\probe.exe",
                                 "create KvrE2eListed \"Listed program\" --seconds 120", &error);
    ASSERT_TRUE(listed) << error;
    HWND program = probe::findWindow("KvrE2eListed", "Listed program", listed->pid(), 15000);
    ASSERT_TRUE(program);
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(program); }, 5000));
    // Clear of the others: the mouse must find them, not it.
    MoveWindow(program, 560, 420, 230, 160, TRUE);
    press(16, 115);  // Shift+F4
    ASSERT_TRUE(become({program}, false, "Shift+F4"));
    ASSERT_TRUE(probe::readFile(probe::hiddenJournal()))
        << "no journal at " << probe::hiddenJournal();

    // Killed as Task Manager or taskkill /F kill: no exit code of its own runs.
    auto taskkill =
        probe::startProcess("C:\\windows\\system32\\taskkill.exe", "/F /IM kvr.exe", &error);
    ASSERT_TRUE(taskkill) << error;
    ASSERT_TRUE(pumpUntil([&] { return !taskkill->running(); }, 15000));
    ASSERT_TRUE(pumpUntil([&] { return !kvr.running(); }, 15000))
        << "taskkill left kvr.exe running";
    probe::pump(300);
    const std::vector<HWND> hidden = {mouse, popup, titled, program};
    for (HWND w : hidden) {
        EXPECT_FALSE(probe::isVisible(w)) << probe::windowText(w) << " came back by itself";
    }

    // Hidden by someone else while the program was not running.
    HWND other = window("Hidden by another program", 2);
    ASSERT_TRUE(other);
    probe::pump(100);
    ShowWindow(other, SW_HIDE);

    const DWORD started = GetTickCount();
    probe::Process again = start();
    ASSERT_TRUE(become(hidden, true, "the next start", kStartTimeoutMs));
    const DWORD ms = GetTickCount() - started;
    RecordProperty("windows_back_after_start_ms", int(ms));
    std::printf("[ note ] the four windows were visible %lu ms after the start\n", ms);
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), again));
    EXPECT_FALSE(probe::isVisible(other)) << "a window the program never hid was shown";
    EXPECT_FALSE(probe::readFile(probe::hiddenJournal())) << "the journal was acted on and stays";

    // The running copy journals anew, and its exit leaves no journal.
    ASSERT_TRUE(probe::moveMouseOver(mouse));
    press(16, 120);
    ASSERT_TRUE(become({mouse, popup}, false, "Shift+F9 after the start"));
    EXPECT_TRUE(probe::readFile(probe::hiddenJournal()));
    ASSERT_TRUE(exitProgram(again));
    EXPECT_TRUE(become({mouse, popup}, true, "the exit"));
    EXPECT_FALSE(probe::readFile(probe::hiddenJournal()));
    EXPECT_FALSE(probe::isVisible(other));
}

}  // namespace
}  // namespace e2e
