// Start-up, single instance, hotkey registration and the ways the program ends, as seen from
// outside: windows on the screen, combinations held, registry contents.
#include "kvr_e2e.h"

namespace e2e {
namespace {

class Startup : public KvrTest {};

bool hasWindowOfClass(DWORD pid, const std::string& cls, bool visibleOnly) {
    for (const auto& w : probe::topLevelWindowsOf(pid))
        if (w.className == cls && (w.visible || !visibleOnly)) return true;
    return false;
}

// Read as UTF-8 on every Windows, whatever its ANSI code page: no letter comes out garbled in
// Warsaw, Moscow or Tokyo.
TEST_F(Startup, TheLanguageFilesBesideTheProgramAreMarkedUtf8OrPlainAscii) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(probe::widen(lngDir() + "\\KVR_*.txt").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        const std::string name = probe::narrow(found.cFileName);
        const auto bytes = probe::readFile(lngDir() + "\\" + name);
        ASSERT_TRUE(bytes) << name;
        ++files;
        if (bytes->rfind("\xEF\xBB\xBF", 0) == 0) continue;
        for (const char c : *bytes) {
            ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << name << " is neither";
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(files, 6) << "three languages, two files each";
}

TEST_F(Startup, SplashShowsThenHiddenMainWindowHoldsEverySeededHotkey) {
    seed(kSeeded, {{"OS", "1"}, {"OI", "1"}});
    auto kvr = start();
    ASSERT_TRUE(kvr.handle());

    EXPECT_TRUE(pumpUntil([&] { return hasWindowOfClass(kvr.pid(), probe::kSplashClass, true); },
                          kStartTimeoutMs))
        << "no visible " << probe::kSplashClass
        << " window with OS=1; windows:" << windowsOf(kvr.pid());
    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));

    HWND main = mainWindow(kvr, 1000);
    ASSERT_TRUE(main) << "no " << probe::kMainClass << " window; windows:" << windowsOf(kvr.pid());
    EXPECT_FALSE(probe::isVisible(main)) << "the main window shows although OI=1";
    EXPECT_FALSE(hasWindowOfClass(kvr.pid(), probe::kSplashClass, false))
        << "the splash window is still loaded after the hand-over:" << windowsOf(kvr.pid());
    // The stored combinations win over the defaults: none of these may be held.
    Combos defaults = combos(kDefaults);
    EXPECT_EQ(takenOf(defaults), Combos{})
        << "default combinations taken although others were stored: " << list(takenOf(defaults));
    screenshot("running");

    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(hotkeysFree(combos(kSeeded), 2000));
}

TEST_F(Startup, WithoutSplashOptionNoSplashIsEverVisible) {
    seed(kSeeded, {{"OS", "0"}});
    auto kvr = start();
    ASSERT_TRUE(kvr.handle());

    // Watch the windows (passively) until the main window is there and answers.
    bool splashSeen = false;
    HWND main = nullptr;
    pumpUntil(
        [&] {
            splashSeen = splashSeen || hasWindowOfClass(kvr.pid(), probe::kSplashClass, true);
            main = probe::findWindow(probe::kMainClass, std::nullopt, kvr.pid(), 0);
            return main != nullptr || !kvr.running();
        },
        kStartTimeoutMs);
    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));
    EXPECT_FALSE(splashSeen) << "a visible " << probe::kSplashClass << " appeared with OS=0";

    ASSERT_TRUE(exitProgram(kvr));
}

TEST_F(Startup, ExitCommandEndsTheProcessAndFreesEveryHotkey) {
    auto kvr = start();
    ASSERT_TRUE(kvr.handle());
    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));

    auto caption = probe::exitCaption(lngDir());
    ASSERT_TRUE(caption) << "no [0051] in " << lngDir() << "\\KVR_English.txt";
    HWND main = mainWindow(kvr);
    ASSERT_TRUE(main);
    auto id = probe::findMenuCommand(main, *caption);
    ASSERT_TRUE(id) << "no menu item " << probe::quote(*caption) << " on the main window";

    ASSERT_TRUE(probe::postMenuCommand(main, *id));
    DWORD code = 0;
    ASSERT_TRUE(kvr.wait(kEndTimeoutMs, &code))
        << "still running after the exit command; windows:" << windowsOf(kvr.pid());
    EXPECT_TRUE(hotkeysFree(combos(kSeeded), 2000));
    EXPECT_TRUE(probe::processesNamed("kvr.exe").empty());
}

TEST_F(Startup, LogoffEndsTheProcessAndFreesEveryHotkey) {
    auto kvr = start();
    ASSERT_TRUE(kvr.handle());
    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));
    HWND main = mainWindow(kvr);
    ASSERT_TRUE(main);

    ASSERT_TRUE(probe::simulateLogoff(main)) << "WM_QUERYENDSESSION was not answered";
    ASSERT_TRUE(kvr.wait(kEndTimeoutMs))
        << "still running after WM_ENDSESSION; windows:" << windowsOf(kvr.pid());
    EXPECT_TRUE(hotkeysFree(combos(kSeeded), 2000));
}

TEST_F(Startup, SecondInstanceOnlyShowsMessage014AndTheFirstKeepsRunning) {
    auto message = probe::languageEntry(lngDir() + "\\KVR_Eng.txt", "014");
    ASSERT_TRUE(message) << "no [014] in " << lngDir() << "\\KVR_Eng.txt";
    auto parts = probe::splitParts(*message);
    ASSERT_GE(parts.size(), 2u) << "[014] has no caption part: " << *message;

    seed(kSeeded, {{"OS", "1"}});
    auto first = start();
    ASSERT_TRUE(first.handle());
    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), first));
    HWND firstMain = mainWindow(first);
    ASSERT_TRUE(firstMain);
    auto before = probe::regDump(kOrqKey);
    ASSERT_FALSE(before.empty());

    auto second = start();
    ASSERT_TRUE(second.handle());
    bool ownWindow = false;
    auto noteWindows = [&] {
        ownWindow = ownWindow || hasWindowOfClass(second.pid(), probe::kSplashClass, false) ||
                    hasWindowOfClass(second.pid(), probe::kMainClass, false);
    };
    std::optional<probe::MessageBoxInfo> box;
    pumpUntil(
        [&] {
            noteWindows();
            box = probe::findMessageBox(second.pid(), 0);
            return box.has_value() || !second.running();
        },
        kStartTimeoutMs);
    ASSERT_TRUE(box) << "no message box from the second kvr.exe ("
                     << (second.running() ? "still running" : "it ended")
                     << "); its windows:" << windowsOf(second.pid());
    screenshot("message014");
    EXPECT_EQ(box->text, parts[0]);
    EXPECT_EQ(box->caption, parts[1]);
    EXPECT_TRUE(second.running()) << "the second instance ended before OK was pressed";

    ASSERT_TRUE(probe::pressOk(box->hwnd));
    ASSERT_TRUE(pumpUntil(
        [&] {
            noteWindows();
            return !second.running();
        },
        kEndTimeoutMs))
        << "the second instance did not end after OK; windows:" << windowsOf(second.pid());
    EXPECT_FALSE(ownWindow) << "the second instance created a splash or main window";

    EXPECT_EQ(probe::regDump(kOrqKey), before) << "the second instance changed the registry";
    EXPECT_TRUE(first.running()) << "the first instance ended";
    EXPECT_TRUE(IsWindow(firstMain)) << "the first instance lost its main window";
    EXPECT_EQ(freeOf(combos(kSeeded)), Combos{}) << "the first instance no longer holds them";

    ASSERT_TRUE(exitProgram(first));
    EXPECT_TRUE(hotkeysFree(combos(kSeeded), 2000));
}

TEST_F(Startup, SlotsWithoutAValidModifierOrKeyAreNeverRegistered) {
    Slots slots = kSeeded;
    slots[8] = {0, 121};   // no modifier: F10 alone
    slots[9] = {19, 122};  // modifier 19 (Pause) is no modifier the program knows: F11
    slots[10] = {16, 0};   // no key: nothing to look for, the other slots show it got past it
    seed(slots);
    Combos valid;
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 11}) valid.emplace_back(slots[i].modifier, slots[i].key);
    // Whatever the program might make of the invalid slots, none of these may be held.
    Combos neverTaken;
    for (int key : {121, 122})
        for (int mod : {0, 16, 17, 18}) neverTaken.emplace_back(mod, key);
    ASSERT_EQ(takenOf(neverTaken), Combos{}) << "taken before start: " << list(takenOf(neverTaken));

    auto kvr = start();
    ASSERT_TRUE(kvr.handle());
    ASSERT_TRUE(hotkeysTaken(valid, kvr));
    EXPECT_EQ(takenOf(neverTaken), Combos{})
        << "registered although the slot is invalid: " << list(takenOf(neverTaken));

    // Unregistering a slot that was never registered must not upset the exit.
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(hotkeysFree(valid, 2000));
}

}  // namespace
}  // namespace e2e
