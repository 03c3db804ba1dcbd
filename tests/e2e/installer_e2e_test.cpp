// The installer a Windows user gets, run as an administrator would roll it out: silently, for
// the current user. The installed program starts and holds its hotkeys; the uninstaller closes
// it (so what it hid comes back), removes its Run entry, its shortcut, its files and its entry
// in the list of apps.
#include <shlobj.h>

#include <filesystem>
#include <fstream>

#include "kvr_e2e.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUninstallKey =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KVR";
constexpr DWORD kSetupTimeoutMs = 120000;

std::string knownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return probe::narrow(path);
}

std::string setupExe() {
    return probe::exeDir() + "\\packages\\KVR-" + std::to_string(KVR_VERSION_MAJOR) + "." +
           std::to_string(KVR_VERSION_MINOR) + "." + std::to_string(KVR_VERSION_PATCH) +
           "-setup.exe";
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(probe::widen(path), error);
}

class Installer : public KvrTest {
protected:
    std::string folder = knownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\KVR";
    std::string shortcut = knownFolder(CSIDL_PROGRAMS) + "\\KVR.lnk";

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_FALSE(knownFolder(CSIDL_LOCAL_APPDATA).empty());
        ASSERT_TRUE(exists(setupExe())) << "the installer is not built: " << setupExe();
        clearInstallation();
    }
    void TearDown() override {
        KvrTest::TearDown();
        clearInstallation();
    }
    // What a failed run may have left.
    void clearInstallation() {
        std::error_code error;
        fs::remove_all(probe::widen(folder), error);
        fs::remove(probe::widen(shortcut), error);
        probe::regDeleteTree(kUninstallKey);
    }
    // The installed copy started, and a window hidden from under the mouse with Shift+F9.
    probe::Process startInstalledAndHide(HWND target) {
        auto kvr = start(folder + "\\kvr.exe");
        EXPECT_TRUE(hotkeysTaken(combos(kSeeded), kvr));
        MoveWindow(target, 40, 40, 300, 200, TRUE);
        probe::pump(200);
        EXPECT_TRUE(probe::moveMouseOver(target));
        probe::pump(100);
        EXPECT_TRUE(probe::pressKey(kSeeded[0].modifier, kSeeded[0].key));
        EXPECT_TRUE(pumpUntil([&] { return !probe::isVisible(target); }, 5000));
        return kvr;
    }
    // Runs a program to its end; its exit code, or nothing when it did not end in time.
    std::optional<DWORD> runToEnd(const std::string& exe, const std::string& args) {
        std::string error;
        auto process = probe::startProcess(exe, args, &error);
        EXPECT_TRUE(process) << exe << ": " << error;
        if (!process) return std::nullopt;
        if (!pumpUntil([&] { return !process->running(); }, kSetupTimeoutMs)) {
            process->kill();
            return std::nullopt;
        }
        DWORD code = 0;
        process->wait(0, &code);
        return code;
    }
};

TEST_F(Installer, InstallsForTheUserStartsAndUninstallsCleanly) {
    // Silent, as /S: no page, no question, no administrator rights asked.
    ASSERT_EQ(runToEnd(setupExe(), "/S"), std::optional<DWORD>(0));
    const std::string installed = folder + "\\kvr.exe";
    for (const std::string file :
         {"\\kvr.exe", "\\uninstall.exe", "\\Lng\\dde", "\\Lng\\KVR_English.txt",
          "\\Lng\\KVR_Eng.txt", "\\Lng\\KVR_Eng.chm", "\\Lng\\KVR_Deu.chm", "\\Lng\\KVR_Esp.chm"}) {
        EXPECT_TRUE(exists(folder + file)) << folder + file << " not installed";
    }
    EXPECT_TRUE(exists(shortcut)) << "no Start-menu shortcut " << shortcut;
    EXPECT_EQ(probe::regGetString(kUninstallKey, "InstallLocation"), folder);
    EXPECT_EQ(probe::regGetString(kUninstallKey, "DisplayName"), "KVR");
    const auto quiet = probe::regGetString(kUninstallKey, "QuietUninstallString");
    ASSERT_EQ(quiet, "\"" + folder + "\\uninstall.exe\" /S");

    // The installed copy runs: its hotkeys are held and its Run entry names it.
    HWND target = track(probe::createWindow("KvrE2eInstalled", "Hidden before the uninstall"));
    probe::Process kvr = startInstalledAndHide(target);
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(probe::regGetString(kRunKey, "KVR"), "\"" + installed + "\"");
    screenshot("installed");

    // The uninstaller of the list of apps, run silently. It hands itself over to a copy and
    // returns at once; the copy does the work.
    runToEnd(folder + "\\uninstall.exe", "/S");
    EXPECT_TRUE(pumpUntil([&] { return !kvr.running(); }, 30000))
        << "the uninstaller did not close the running copy";
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(target); }, 5000))
        << "the window the program hid did not come back";
    EXPECT_TRUE(pumpUntil([&] { return !exists(folder); }, 30000)) << folder << " still there";
    EXPECT_TRUE(pumpUntil([&] { return !probe::regKeyExists(kUninstallKey); }, 10000))
        << "still in the list of apps";
    EXPECT_FALSE(exists(shortcut));
    const std::string journal = probe::hiddenJournal();
    EXPECT_FALSE(exists(journal.substr(0, journal.find_last_of('\\')))) << "journal folder left";
    EXPECT_EQ(probe::regGetString(kRunKey, "KVR"), std::nullopt);
    EXPECT_EQ(probe::regGetString(kUserRunKey, "KVR"), std::nullopt);
}

// Killed outright, a copy has no window for the uninstaller to close: what it hid comes back
// before the program goes all the same. The journal of a copy that still runs in another of the
// user's sessions stays; this test's process stands for that copy.
TEST_F(Installer, AnUninstallAfterAKillShowsWhatTheKilledCopyHid) {
    ASSERT_EQ(runToEnd(setupExe(), "/S"), std::optional<DWORD>(0));
    HWND target = track(probe::createWindow("KvrE2eKilled", "Hidden before the kill"));
    probe::Process kvr = startInstalledAndHide(target);
    ASSERT_FALSE(HasFailure());
    std::string error;
    auto taskkill =
        probe::startProcess("C:\\windows\\system32\\taskkill.exe", "/F /IM kvr.exe", &error);
    ASSERT_TRUE(taskkill) << error;
    ASSERT_TRUE(pumpUntil([&] { return !kvr.running(); }, 15000))
        << "taskkill left kvr.exe running";
    probe::pump(300);
    ASSERT_FALSE(probe::isVisible(target)) << "came back by itself";

    const std::string journal = probe::hiddenJournal();
    const std::string journals = journal.substr(0, journal.find_last_of('\\'));
    const std::string theirs = journals + "\\hidden-4242.dat";  // a session of its own
    {
        // "KVR2", the writer's process id and start, no device, no notification area.
        FILETIME created, exited, kernel, user;
        ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
        std::string bytes = "KVR2";
        auto put = [&](std::uint64_t v, int width) {
            for (int i = 0; i < width; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        put(GetCurrentProcessId(), 4);
        put((std::uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime, 8);
        put(0, 2);
        std::ofstream(fs::path(probe::widen(theirs)), std::ios::binary) << bytes;
        ASSERT_TRUE(exists(theirs));
    }

    runToEnd(folder + "\\uninstall.exe", "/S");
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(target); }, 30000))
        << "the window the killed copy hid did not come back";
    EXPECT_TRUE(pumpUntil([&] { return !exists(folder); }, 30000)) << folder << " still there";
    EXPECT_FALSE(exists(journal)) << "the killed copy's journal was left";
    EXPECT_TRUE(exists(theirs)) << "the journal of a copy that still runs was deleted";
    std::error_code ignored;
    fs::remove(probe::widen(theirs), ignored);
    fs::remove(probe::widen(journals), ignored);
}

}  // namespace
}  // namespace e2e
