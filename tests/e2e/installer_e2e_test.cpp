// The installer a Windows user gets, run as an administrator would roll it out: silently, for
// the current user. The installed program starts and holds its hotkeys; the uninstaller closes
// it (so what it hid comes back), removes its Run entry, its shortcut, its files and its entry
// in the list of apps.
#include <shlobj.h>

#include <filesystem>

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
    auto kvr = start(installed);
    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));
    EXPECT_EQ(probe::regGetString(kRunKey, "KVR"), "\"" + installed + "\"");
    HWND target = track(probe::createWindow("KvrE2eInstalled", "Hidden before the uninstall"));
    MoveWindow(target, 40, 40, 300, 200, TRUE);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(target));
    probe::pump(100);
    ASSERT_TRUE(probe::pressKey(kSeeded[0].modifier, kSeeded[0].key));
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(target); }, 5000));
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

}  // namespace
}  // namespace e2e
