#include "kvr_e2e.h"
// Needs the types windows.h declares.
#include <commctrl.h>

#include <cstdio>

#include "probe_dialog.h"

namespace e2e {

namespace {

std::string keyName(int vk) {
    if (vk >= 112 && vk <= 135) return "F" + std::to_string(vk - 111);
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
    return "VK" + std::to_string(vk);
}

bool fileExists(const std::string& path) {
    return GetFileAttributesW(probe::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

Combos combos(const Slots& slots) {
    Combos out;
    for (const auto& s : slots) out.emplace_back(s.modifier, s.key);
    return out;
}

std::string comboName(std::pair<int, int> combo) {
    static const std::map<int, std::string> mods = {
        {0, ""}, {16, "Shift+"}, {17, "Ctrl+"}, {18, "Alt+"}};
    auto it = mods.find(combo.first);
    std::string mod = it != mods.end() ? it->second : "VK" + std::to_string(combo.first) + "+";
    return mod + keyName(combo.second) + " (" + std::to_string(combo.first) + "," +
           std::to_string(combo.second) + ")";
}

Combos takenOf(const Combos& all) {
    Combos out;
    for (auto c : all)
        if (!probe::hotkeyFree(c.first, c.second)) out.push_back(c);
    return out;
}

Combos freeOf(const Combos& all) {
    Combos out;
    for (auto c : all)
        if (probe::hotkeyFree(c.first, c.second)) out.push_back(c);
    return out;
}

std::string list(const Combos& all) {
    std::string out;
    for (auto c : all) out += (out.empty() ? "" : ", ") + comboName(c);
    return out.empty() ? "(none)" : out;
}

std::string KvrTest::kvrExe() {
    return probe::exeDir() + "\\kvr.exe";
}
std::string KvrTest::lngDir() {
    return probe::exeDir() + "\\Lng";
}

void KvrTest::SetUp() {
    // A copy left running by an earlier failed test would hold every hotkey.
    int leftovers = probe::killProcessesNamed("kvr.exe");
    if (leftovers) std::printf("[ note ] ended %d leftover kvr.exe\n", leftovers);
    ASSERT_TRUE(fileExists(kvrExe())) << "kvr.exe is not built: " << kvrExe();
    ASSERT_TRUE(fileExists(lngDir() + "\\KVR_English.txt")) << "no Lng folder at " << lngDir();

    ASSERT_TRUE(probe::regDeleteTree(kOrqKey)) << "could not delete " << kOrqKey;
    ASSERT_TRUE(probe::regDeleteValue(kRunKey, "KVR")) << "could not delete the Run value";
    ASSERT_TRUE(probe::regDeleteValue(kUserRunKey, "KVR")) << "could not delete the Run value";
    ASSERT_FALSE(probe::regKeyExists(kOrqKey));
    // A copy that was killed leaves its journal, and the next start would act on it.
    DeleteFileW(probe::widen(probe::hiddenJournal()).c_str());

    // Something else holding a combination would make every check below meaningless.
    Combos mine = combos(kSeeded);
    ASSERT_EQ(takenOf(mine), Combos{}) << "taken before kvr.exe started: " << list(takenOf(mine));
    seed(kSeeded);
}

void KvrTest::TearDown() {
    if (HasFailure()) screenshot("failure");
    for (DWORD pid : started_) {
        if (auto p = probe::openProcess(pid); p && p->running()) {
            std::printf("[ note ] ending kvr.exe pid %lu left running\n", pid);
            p->kill();
        }
    }
    // Message boxes of ended processes vanish with them.
    for (HWND w : ownWindows_) DestroyWindow(w);
    ownWindows_.clear();
    probe::pump();
}

void KvrTest::seed(const Slots& slots, const std::map<std::string, std::string>& options) {
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(probe::regSetString(kOptionsKey, "S" + std::to_string(i),
                                        std::to_string(slots[i].modifier)));
        ASSERT_TRUE(probe::regSetString(kOptionsKey, "T" + std::to_string(i),
                                        std::to_string(slots[i].key)));
    }
    for (const auto& [name, value] : options)
        ASSERT_TRUE(probe::regSetString(kOptionsKey, name, value)) << name;
}

probe::Process KvrTest::start() {
    return start(kvrExe());
}

probe::Process KvrTest::start(const std::string& exe) {
    std::string error;
    auto p = probe::startProcess(exe, "", &error);
    EXPECT_TRUE(p.has_value()) << error;
    if (!p) return {};
    started_.push_back(p->pid());
    return std::move(*p);
}

::testing::AssertionResult KvrTest::become(const std::vector<HWND>& windows, bool visible,
                                           const char* after, DWORD timeoutMs) {
    for (HWND w : windows) {
        if (!pumpUntil([&] { return probe::isVisible(w) == visible; }, timeoutMs))
            return ::testing::AssertionFailure() << probe::quote(probe::windowText(w)) << " still "
                                                 << (visible ? "hidden" : "visible") << " "
                                                 << timeoutMs / 1000.0 << " s after " << after;
    }
    return ::testing::AssertionSuccess();
}

void KvrTest::press(int modifier, int key) {
    ASSERT_TRUE(probe::pressKey(modifier, key));
    probe::pump(50);
}

std::string KvrTest::formText(const std::string& language, const std::string& code) {
    const auto value = probe::languageEntry(lngDir() + "\\KVR_" + language + ".txt", code);
    return value ? probe::splitParts(*value).front() : "";
}

HWND KvrTest::openPreferences(HWND main, DWORD pid, const std::string& language) {
    constexpr DWORD kActMs = 5000;
    std::string error;
    const auto id = probe::findMenuCommand(main, formText(language, "0037"), &error);
    EXPECT_TRUE(id) << error;
    if (!id || !probe::postMenuCommand(main, *id)) return nullptr;
    HWND dialog = probe::findWindow("KVR_frmPref", std::nullopt, pid, kActMs);
    EXPECT_NE(dialog, nullptr) << windowsOf(pid);
    if (dialog) EXPECT_TRUE(probe::bringToFront(dialog, kActMs));
    return dialog;
}

::testing::AssertionResult KvrTest::toTab(HWND dialog, int tab) {
    constexpr DWORD kActMs = 5000;
    const auto selected = [dialog] {
        const auto tabs = probe::visibleChildren(dialog, WC_TABCONTROLA);
        return tabs.empty() ? -1 : int(SendMessageW(tabs[0].hwnd, TCM_GETCURSEL, 0, 0));
    };
    for (int presses = 0; presses < 5 && selected() != tab; ++presses) {
        const int before = selected();
        probe::pressKey(17, VK_TAB);
        pumpUntil([&] { return selected() != before; }, kActMs);
    }
    if (selected() == tab) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "tab " << selected() << ", not " << tab;
}

std::string KvrTest::windowsOf(DWORD pid) {
    std::string out;
    for (const auto& w : probe::topLevelWindowsOf(pid))
        out += "\n    " + probe::hwndText(w.hwnd) + " class=" + probe::quote(w.className) +
               " title=" + probe::quote(w.title) + (w.visible ? " visible" : " hidden");
    return out.empty() ? " (no top-level window)" : out;
}

::testing::AssertionResult KvrTest::hotkeysTaken(const Combos& want, const probe::Process& kvr,
                                                 DWORD timeoutMs) {
    // Only once the program has settled, and sparingly: each check holds the combination for
    // a moment, and a program registering it just then would fail for good.
    if (!probe::waitSettled(kvr.pid(), timeoutMs))
        return ::testing::AssertionFailure()
               << "no responsive " << probe::kMainClass << " window after " << timeoutMs
               << " ms; kvr.exe pid " << kvr.pid() << (kvr.running() ? " running" : " has ended")
               << ", its windows:" << windowsOf(kvr.pid());
    if (probe::waitHotkeysTaken(want, 5000, 250)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "5 s after the main window settled, still free: " << list(freeOf(want))
           << "\n  kvr.exe pid " << kvr.pid() << (kvr.running() ? " running" : " has ended")
           << ", its windows:" << windowsOf(kvr.pid());
}

::testing::AssertionResult KvrTest::hotkeysFree(const Combos& want, DWORD timeoutMs) {
    if (probe::waitHotkeysFree(want, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "after " << timeoutMs << " ms still taken: " << list(takenOf(want));
}

HWND KvrTest::mainWindow(const probe::Process& kvr, DWORD timeoutMs) {
    return probe::findWindow(probe::kMainClass, std::nullopt, kvr.pid(), timeoutMs);
}

::testing::AssertionResult KvrTest::exitProgram(const probe::Process& kvr) {
    std::string error;
    if (!probe::sendExitCommand(lngDir(), kEndTimeoutMs, &error))
        return ::testing::AssertionFailure() << "exit command not sent: " << error;
    // The exit shows the windows it hid, which waits for their threads: answer ours meanwhile.
    pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs);
    DWORD code = 0;
    if (!kvr.wait(0, &code))
        return ::testing::AssertionFailure()
               << "kvr.exe still running " << kEndTimeoutMs
               << " ms after the exit command; its windows:" << windowsOf(kvr.pid());
    return ::testing::AssertionSuccess() << "exit code " << code;
}

void KvrTest::screenshot(const std::string& tag) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = probe::exeDir() + "\\screenshots";
    CreateDirectoryW(probe::widen(dir).c_str(), nullptr);
    std::string name = std::string(info ? info->test_suite_name() : "none") + "." +
                       (info ? info->name() : "none") + "." + tag + ".bmp";
    std::string path = dir + "\\" + name;
    if (probe::saveScreenshot(path)) std::printf("[ shot ] %s\n", path.c_str());
}

}  // namespace e2e

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::printf("kvr.exe: %s\n", e2e::KvrTest::kvrExe().c_str());
    return RUN_ALL_TESTS();
}
