// Hiding by program: this test program itself is the one on the list in lsv.dat, so its own
// windows go and come back as a listed program's would.
#include <algorithm>
#include <cstdio>

#include "kvr_e2e.h"
#include "probe_listview.h"

namespace e2e {
namespace {

std::string field(const std::string& ansi) {
    return std::string{char(ansi.size() & 0xFF), char(ansi.size() >> 8)} + ansi;
}

std::string thisExeName() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::string full = probe::narrow(std::wstring_view(path, n));
    return full.substr(full.find_last_of('\\') + 1);
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

std::optional<FILETIME> lastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(probe::widen(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data.ftLastWriteTime;
}

// kvr.exe started with lsv.dat holding the list the test gives; the file is put back after.
class WithHideList : public KvrTest {
protected:
    const std::string listFile = probe::exeDir() + "\\lsv.dat";
    std::optional<std::string> before;  // what lsv.dat held before the test
    std::string listed;                 // what the test lists
    probe::Process kvr;
    std::optional<probe::Process> listedProgram;  // one the test started, ended first

    virtual std::string list() const = 0;
    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        before = probe::readFile(listFile);
        listed = list();
        ASSERT_TRUE(writeFile(listFile, listed));
        seed(kDefaults, {{"OO", "0"}, {"BxTA", "0"}});
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    }
    void TearDown() override {
        if (listedProgram) listedProgram->kill();
        if (kvr.running()) {
            EXPECT_TRUE(exitProgram(kvr));
        }
        KvrTest::TearDown();
        if (before) {
            writeFile(listFile, *before);
        } else {
            DeleteFileW(probe::widen(listFile).c_str());
        }
    }
};

class HidingByProgram : public WithHideList {
protected:
    // The file's layout: four fields of a 2-byte length and ANSI text, no header. A program not
    // running comes first: the one listed after it is hidden all the same.
    std::string list() const override {
        const std::string name = thisExeName();
        return field("absent.exe") + field("") + field("absent.exe") + field("") + field(name) +
               field("C:\\tests\\" + name) + field(name) + field("");
    }

    HWND window(const std::string& title, int slot) {
        HWND w = track(probe::createWindow("KvrE2eListed", title));
        if (w) MoveWindow(w, 60 + slot * 280, 80, 260, 180, TRUE);
        return w;
    }
};

TEST_F(HidingByProgram, ShiftF4HidesItsWindowsAndLaterOnesUntilCtrlF4ShowsThemAll) {
    HWND first = window("Listed program, first window", 0);
    HWND second = window("Listed program, second window", 1);
    ASSERT_TRUE(first && second);
    probe::pump(200);
    press(16, 115);  // Shift+F4
    ASSERT_TRUE(become({first, second}, false, "Shift+F4"));

    // Opened while hiding is on: the next tick takes it.
    HWND later = window("Opened after the press", 2);
    ASSERT_TRUE(later);
    const DWORD shown = GetTickCount();
    ASSERT_TRUE(become({later}, false, "opening it while hiding is on"));
    const DWORD ms = GetTickCount() - shown;
    RecordProperty("new_window_hidden_ms", int(ms));
    std::printf("[ note ] a window opened while hiding was on went in %lu ms\n", ms);

    HWND main = mainWindow(kvr, 5000);
    ASSERT_TRUE(main);
    // The list as the user sees it: the window's controls are made when it first shows.
    press(18, 87);  // Alt+W
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000))
        << "Alt+W did not show the main window";
    const auto rows = probe::listViewRows(probe::findListView(main), 3);
    ASSERT_TRUE(rows) << "the main window's list could not be read";
    EXPECT_TRUE(rows->empty()) << "windows hidden by program do not go into the list";

    press(17, 115);  // Ctrl+F4
    EXPECT_TRUE(become({first, second, later}, true, "Ctrl+F4"));
}

TEST_F(HidingByProgram, ExitWhileHidingShowsThemAllAndLeavesTheUneditedListFileAlone) {
    const auto written = lastWrite(listFile);
    ASSERT_TRUE(written);
    HWND first = window("Listed program, first window", 0);
    HWND second = window("Listed program, second window", 1);
    ASSERT_TRUE(first && second);
    probe::pump(200);
    press(16, 115);  // Shift+F4
    ASSERT_TRUE(become({first, second}, false, "Shift+F4"));
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(probe::isVisible(first));
    EXPECT_TRUE(probe::isVisible(second));

    EXPECT_EQ(probe::readFile(listFile), listed);
    const auto after = lastWrite(listFile);
    ASSERT_TRUE(after);
    EXPECT_EQ(CompareFileTime(&*written, &*after), 0) << "lsv.dat was written again at exit";
    EXPECT_FALSE(probe::readFile(probe::exeDir() + "\\lsv.tmp"));
}

// A listed program that stops answering for 30 s: hiding by program posts its windows' hides
// and waits for none of them, so the hotkeys act on other windows meanwhile; its windows go
// when it answers again.
class BusyListedProgram : public WithHideList {
protected:
    // probe.exe, which the test starts.
    std::string list() const override {
        return field("probe.exe") + field("probe.exe") + field("probe.exe") + field("");
    }
};

TEST_F(BusyListedProgram, ItsWindowsHoldUpNoPressOnAnotherWindowAndGoWhenItAnswersAgain) {
    constexpr int kWindows = 10;
    HWND own = track(probe::createWindow("KvrE2eAnswering", "Answering window"));
    ASSERT_TRUE(own);
    // Clear of the busy program's windows, which go where the system puts new windows.
    MoveWindow(own, 860, 480, 300, 200, TRUE);
    std::string error;
    listedProgram =
        probe::startProcess(probe::exeDir() + "\\probe.exe",
                            "create KvrE2eBusy \"Busy program\" --windows " +
                                std::to_string(kWindows) + " --busy 30000 --seconds 120",
                            &error);
    ASSERT_TRUE(listedProgram) << error;
    std::vector<HWND> windows;
    ASSERT_TRUE(pumpUntil(
        [&] {
            windows.clear();
            for (const auto& w : probe::topLevelWindowsOf(listedProgram->pid()))
                if (w.visible && w.className == "KvrE2eBusy") windows.push_back(w.hwnd);
            return windows.size() == kWindows;
        },
        15000))
        << windowsOf(listedProgram->pid());
    ASSERT_TRUE(pumpUntil([&] { return !probe::answers(windows[0], 100); }, 10000))
        << "the listed program kept answering";
    const DWORD busySince = GetTickCount();
    press(16, 115);  // Shift+F4

    DWORD slowest = 0;
    for (int pair = 0; pair < 5; ++pair) {
        SCOPED_TRACE(pair);
        ASSERT_TRUE(probe::moveMouseOver(own));
        const DWORD pressed = GetTickCount();
        press(16, 120);  // Shift+F9
        ASSERT_TRUE(becomes(own, false, "Shift+F9 while a listed program does not answer"));
        press(17, 120);  // Ctrl+F9
        ASSERT_TRUE(becomes(own, true, "Ctrl+F9 while a listed program does not answer"));
        slowest = std::max(slowest, GetTickCount() - pressed);
    }
    // Its hides are posted and still waiting: every pair came while it was not answering.
    for (HWND w : windows) EXPECT_TRUE(probe::isVisible(w)) << "the listed program answered";
    RecordProperty("slowest_pair_ms", int(slowest));
    std::printf(
        "[ note ] the slowest Shift+F9 / Ctrl+F9 pair took %lu ms, %lu ms into the busy "
        "spell\n",
        slowest, GetTickCount() - busySince);

    ASSERT_TRUE(become(windows, false, "the listed program answering again", 45000));
    press(17, 115);  // Ctrl+F4
    EXPECT_TRUE(become(windows, true, "Ctrl+F4"));
}

}  // namespace
}  // namespace e2e
