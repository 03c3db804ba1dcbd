// The preferences dialog of the real program, worked from outside as a user works it: opened
// from the menu, tabs switched with Ctrl+Tab, fields clicked, keys pressed and text typed; then
// what OK, Cancel and the hide-now button leave in the registry, the hotkeys and the windows.
// clang-format off
#include "kvr_e2e.h"
#include <commctrl.h>
// clang-format on

#include <set>

#include "probe_dialog.h"
#include "probe_listview.h"

namespace e2e {
namespace {

constexpr const char* kLanguageKey = "HKCU\\Software\\ORQ\\KVR\\Language";
constexpr const char* kDesktopKey = "HKCU\\Control Panel\\Desktop";
constexpr int kVkReturn = 0x0D, kVkEscape = 0x1B, kVkUp = 0x26;
constexpr int kVkF8 = 0x77, kVkF11 = 0x7A, kVkF12 = 0x7B;
constexpr DWORD kActMs = 5000;

class Preferences : public KvrTest {
protected:
    probe::Process kvr;
    HWND main = nullptr;
    std::string language = "English";

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        seed(kDefaults, {{"OI", "0"}, {"OO", "0"}, {"BxTA", "0"}});
        startProgram();
    }
    void TearDown() override {
        if (kvr.running()) EXPECT_TRUE(endProgram());
        KvrTest::TearDown();
    }
    // The exit command, found by its English caption; in another language a close from
    // outside, which runs the same exit.
    ::testing::AssertionResult endProgram() {
        if (language == "English") return exitProgram(kvr);
        probe::postClose(main);
        if (pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "still running:" << windowsOf(kvr.pid());
    }

    void startProgram() {
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
        main = mainWindow(kvr);
        ASSERT_NE(main, nullptr) << windowsOf(kvr.pid());
        ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, kActMs));
    }
    void restartIn(const std::string& name) {
        ASSERT_TRUE(endProgram());
        language = name;
        ASSERT_TRUE(probe::regSetString(kLanguageKey, "Language", name));
        startProgram();
    }

    std::string text(const std::string& code) { return formText(language, code); }

    // Through the main window's menu, as the user picks it; the dialog in front.
    HWND openPreferences() { return KvrTest::openPreferences(main, kvr.pid(), language); }
    std::vector<probe::ChildInfo> fields(HWND dialog) {
        return probe::visibleChildren(dialog, "Edit");
    }
    HWND modifierList(HWND dialog) {
        const auto lists = probe::visibleChildren(dialog, "ComboBox");
        return lists.empty() ? nullptr : lists[0].hwnd;
    }
    bool textIs(HWND field, const std::string& wanted) {
        return pumpUntil([&] { return probe::windowText(field) == wanted; }, kActMs);
    }
    // Sets a slot of the hotkeys tab with the mouse and the keyboard: the modifier by moving
    // up the list laid over its field from where it opens (0 Alt, 1 Ctrl, 2 Shft), the key by
    // pressing it in the key field.
    ::testing::AssertionResult setSlot(HWND dialog, int slot, int opensAt, int ups, int key,
                                       const std::string& modifier, const std::string& keyName) {
        auto row = fields(dialog);
        if (row.size() != 16) return ::testing::AssertionFailure() << row.size() << " fields";
        HWND modifierField = row[2 * slot].hwnd, keyField = row[2 * slot + 1].hwnd;
        probe::clickAt(modifierField);
        if (!pumpUntil([&] { return modifierList(dialog) != nullptr; }, kActMs))
            return ::testing::AssertionFailure() << "no list over the modifier field";
        const auto shown = SendMessageW(modifierList(dialog), CB_GETCURSEL, 0, 0);
        if (shown != opensAt) return ::testing::AssertionFailure() << "the list opens at " << shown;
        for (int i = 0; i < ups; ++i) probe::pressKey(0, kVkUp);
        HWND list = modifierList(dialog);
        if (!pumpUntil([&] { return SendMessageW(list, CB_GETCURSEL, 0, 0) == opensAt - ups; },
                       kActMs))
            return ::testing::AssertionFailure()
                   << "the list shows " << SendMessageW(list, CB_GETCURSEL, 0, 0)
                   << " after the arrow keys; focus in front: "
                   << probe::className(GetForegroundWindow());
        probe::clickAt(keyField);
        if (!textIs(modifierField, modifier))
            return ::testing::AssertionFailure()
                   << "modifier field shows " << probe::quote(probe::windowText(modifierField));
        if (!pumpUntil([&] { return modifierList(dialog) == nullptr; }, kActMs))
            return ::testing::AssertionFailure() << "the list stayed";
        probe::pressKey(0, key);
        if (!textIs(keyField, keyName))
            return ::testing::AssertionFailure()
                   << "key field shows " << probe::quote(probe::windowText(keyField));
        return ::testing::AssertionSuccess();
    }
    bool closed(HWND dialog) {
        return pumpUntil([&] { return !IsWindow(dialog); }, kActMs);
    }
};

TEST_F(Preferences, Slot2MovesFromShiftF11ToAltF11ByClicksAndKeys) {
    ASSERT_TRUE(hotkeysFree({{18, kVkF11}}, 1000)) << "nothing holds Alt+F11 before";
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(probe::windowText(dialog), text("0100"));
    ASSERT_TRUE(toTab(dialog, 1));
    auto row = fields(dialog);
    ASSERT_EQ(row.size(), 16u);
    EXPECT_EQ(probe::windowText(row[4].hwnd), "Shft");
    EXPECT_EQ(probe::windowText(row[5].hwnd), "F11");

    ASSERT_TRUE(setSlot(dialog, 2, 2, 2, kVkF12, "Alt", "F12"));
    probe::pressKey(0, kVkF11);
    ASSERT_TRUE(textIs(row[5].hwnd, "F11"));
    probe::typeText("xy");
    probe::pump(300);
    EXPECT_EQ(probe::windowText(row[5].hwnd), "F11") << "typed letters never get in";
    screenshot("slot2_edited");

    probe::pressKey(0, kVkReturn);  // OK
    ASSERT_TRUE(closed(dialog));
    EXPECT_TRUE(hotkeysFree({{16, kVkF11}}, 3000)) << "Shift+F11 still held";
    Combos now = combos(kDefaults);
    now[2] = {18, kVkF11};
    EXPECT_TRUE(hotkeysTaken(now, kvr)) << "Alt+F11 and the others held by kvr.exe";
    EXPECT_EQ(probe::regGetString(kOptionsKey, "S2"), "18");
    EXPECT_EQ(probe::regGetString(kOptionsKey, "T2"), "122");
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(hotkeysFree({{18, kVkF11}}, 3000)) << "kvr.exe was what held Alt+F11";
}

TEST_F(Preferences, CancelAfterChangesStoresNothing) {
    const auto before = probe::regDump(kOrqKey);
    const auto run = probe::regGetString(kRunKey, "KVR");
    ASSERT_TRUE(run.has_value());
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(toTab(dialog, 1));
    ASSERT_TRUE(setSlot(dialog, 0, 2, 1, kVkF8, "Ctrl", "F8"));
    ASSERT_TRUE(toTab(dialog, 2));
    auto title = fields(dialog);
    ASSERT_EQ(title.size(), 1u);
    probe::clickAt(title[0].hwnd);
    probe::typeText("Quarterly");
    ASSERT_TRUE(textIs(title[0].hwnd, "Quarterly"));
    ASSERT_TRUE(toTab(dialog, 4));
    const auto autostart = probe::visibleChildWithText(dialog, text("0136"));
    ASSERT_TRUE(autostart);
    probe::clickAt(autostart->hwnd);
    ASSERT_TRUE(pumpUntil(
        [&] { return SendMessageW(autostart->hwnd, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, kActMs));
    // The splash box by its underlined letter, Alt+S.
    const auto splash = probe::visibleChildWithText(dialog, text("0135"));
    ASSERT_TRUE(splash);
    ASSERT_NE(text("0135").find("&s"), std::string::npos);
    probe::pressKey(18, 'S');
    EXPECT_TRUE(pumpUntil(
        [&] { return SendMessageW(splash->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }, kActMs))
        << "Alt+S did not tick the splash box";

    probe::pressKey(0, kVkEscape);  // Cancel
    ASSERT_TRUE(closed(dialog));
    EXPECT_EQ(probe::regDump(kOrqKey), before);
    EXPECT_EQ(probe::regGetString(kRunKey, "KVR"), run);
    EXPECT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    EXPECT_TRUE(hotkeysFree({{17, kVkF8}}, 1000));

    // The next opening shows the stored values again.
    dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(toTab(dialog, 1));
    EXPECT_EQ(probe::windowText(fields(dialog)[0].hwnd), "Shft");
    probe::pressKey(0, kVkEscape);
    EXPECT_TRUE(closed(dialog));
}

TEST_F(Preferences, ACombinationAnotherProgramHoldsIsNamedInAMessage) {
    HWND holder = track(probe::createWindow("KvrE2eHolder", "Holds Alt+F12", nullptr, false));
    ASSERT_TRUE(RegisterHotKey(holder, 0x5EEE, MOD_ALT, kVkF12));
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(toTab(dialog, 1));
    ASSERT_TRUE(setSlot(dialog, 2, 2, 2, kVkF12, "Alt", "F12"));
    probe::pressKey(0, kVkReturn);

    const auto box = probe::findMessageBox(kvr.pid(), kActMs);
    ASSERT_TRUE(box) << windowsOf(kvr.pid());
    const auto message = probe::languageEntry(lngDir() + "\\KVR_Eng.txt", "025");
    ASSERT_TRUE(message);
    EXPECT_EQ(box->caption, probe::splitParts(*message)[1]);
    EXPECT_NE(box->text.find(text("0109") + " Alt+F12"), std::string::npos) << box->text;
    EXPECT_EQ(box->text.find("Shft+"), std::string::npos) << "only the refused slot";
    probe::pump(500);  // the box and the dialog under it painted
    screenshot("refused");
    probe::pressOk(box->hwnd);
    EXPECT_TRUE(closed(dialog));
    // Stored all the same, as asked; it will work once the other program lets go.
    EXPECT_EQ(probe::regGetString(kOptionsKey, "S2"), "18");
    EXPECT_EQ(probe::regGetString(kOptionsKey, "T2"), "123");
    UnregisterHotKey(holder, 0x5EEE);
}

TEST_F(Preferences, HideNowHidesTheWindowsWithTheTypedTitleAndStoresIt) {
    HWND target = track(probe::createWindow("KvrE2eQuarterly", "Quarterly report 2024"));
    HWND other = track(probe::createWindow("KvrE2eOther", "Shopping list"));
    MoveWindow(target, 20, 600, 300, 150, TRUE);
    MoveWindow(other, 340, 600, 300, 150, TRUE);
    probe::pump(200);
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(toTab(dialog, 2));
    auto title = fields(dialog);
    ASSERT_EQ(title.size(), 1u);
    probe::clickAt(title[0].hwnd);
    probe::typeText("Quarterly");
    ASSERT_TRUE(textIs(title[0].hwnd, "Quarterly"));
    const auto hideNow = probe::visibleChildWithText(dialog, text("0133"));
    ASSERT_TRUE(hideNow);
    probe::clickAt(hideNow->hwnd);

    EXPECT_TRUE(pumpUntil([&] { return !probe::isVisible(target); }, kActMs))
        << "the window with the title is still visible";
    EXPECT_TRUE(closed(dialog));
    EXPECT_TRUE(probe::isVisible(other));
    EXPECT_EQ(probe::regGetString(kOptionsKey, "BxTT"), "Quarterly");
    std::optional<std::vector<std::vector<std::string>>> rows;
    EXPECT_TRUE(pumpUntil(
        [&] {
            rows = probe::listViewRows(probe::findListView(main), 1);
            return rows && rows->size() == 1 && (*rows)[0][0] == "Quarterly report 2024";
        },
        kActMs));
}

TEST_F(Preferences, ACloseFromOutsideWhileTheDialogIsOpenEndsTheProgramCleanly) {
    HWND target = track(probe::createWindow("KvrE2ePrefsClose", "Hidden before the dialog"));
    MoveWindow(target, 20, 600, 300, 150, TRUE);
    probe::pump(200);
    ASSERT_TRUE(probe::pointAt(target));
    ASSERT_TRUE(probe::pressKey(16, 120));
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(target); }, kActMs));
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(probe::postClose(main));  // a task list asks the program to close
    pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs);
    EXPECT_FALSE(kvr.running()) << "still running; its windows:" << windowsOf(kvr.pid());
    EXPECT_TRUE(probe::isVisible(target)) << "the exit left a window hidden";
    EXPECT_TRUE(hotkeysFree(combos(kDefaults), 3000));
    EXPECT_EQ(probe::regGetString(kOptionsKey, "S0"), "16") << "nothing stored";
}

// Someone walks in while the user is setting the program up: the keys still act.
TEST_F(Preferences, HotkeysActWhileTheDialogIsOpen) {
    HWND target = track(probe::createWindow("KvrE2ePrefsOpen", "Behind the dialog"));
    MoveWindow(target, 20, 600, 300, 150, TRUE);
    probe::pump(200);
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(probe::pointAt(target));
    ASSERT_TRUE(probe::pressKey(16, 120));  // Shift+F9
    EXPECT_TRUE(pumpUntil([&] { return !probe::isVisible(target); }, kActMs))
        << "the hide under the mouse went unheard while the dialog was open";
    ASSERT_TRUE(probe::pointAt(dialog));
    ASSERT_TRUE(probe::pressKey(16, 120));
    probe::pump(500);
    EXPECT_TRUE(probe::isVisible(dialog)) << "the dialog hid itself";
    ASSERT_TRUE(probe::pressKey(17, kVkF12));  // Ctrl+F12, show all
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(target); }, kActMs));

    // The window shown again took the activation.
    ASSERT_TRUE(probe::bringToFront(dialog, kActMs));
    probe::pressKey(0, kVkEscape);
    EXPECT_TRUE(pumpUntil([&] { return !probe::isVisible(dialog); }, kActMs));
}

// A hide by title may match the dialog itself; what the show brings back is still the dialog,
// modal over the main window, and Escape still cancels it.
TEST_F(Preferences, ADialogAHideByTitleTookAwayComesBackStillWorking) {
    ASSERT_TRUE(endProgram());
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "BxTT", text("0100")));  // its own title
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "BxTP", "3"));           // the whole title
    startProgram();
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(probe::pressKey(16, kVkF11));  // Shift+F11: hide by title
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(dialog); }, kActMs));
    probe::pump(300);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window took input while its dialog was away";
    ASSERT_TRUE(probe::pressKey(17, kVkF11));  // Ctrl+F11: show by title
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(dialog); }, kActMs));

    ASSERT_TRUE(probe::bringToFront(dialog, kActMs));
    probe::pressKey(0, kVkEscape);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(dialog) || !probe::isVisible(dialog); }, kActMs))
        << "Escape no longer cancels the dialog";
    EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(main) != FALSE; }, kActMs));
}

// The codes of the texts each tab shows, as the language files give them (the tabs in order);
// OK and Cancel are on every tab.
const std::vector<std::vector<std::string>> kTabCodes = {
    {"0141", "0142", "0143", "0144", "0146", "0147"},
    {"0107", "0108", "0109", "0110", "0111", "0112", "0113", "0114"},
    {"0123", "0124", "0125", "0126", "0127", "0128", "0129", "0130", "0131", "0133"},
    {"0115", "0116", "0117", "0118", "0119", "0120", "0145", "0121", "0122"},
    {"0132", "0134", "0135", "0136", "0137", "0138", "0139"},
    {"0149", "0151", "0153", "0155", "0157", "0158", "0159", "0160", "0161", "0162", "0163"},
};
const char* const kTabCaptions[] = {"0140", "0103", "0104", "0105", "0106", "0148"};

// Every tab in each language shows the texts of that language's files, and pictures of it for
// the eye (at 96 dpi).
TEST_F(Preferences, EveryTabInEveryLanguage) {
    for (const std::string name : {"English", "Deutsch", "Espa\xC3\xB1ol"}) {
        SCOPED_TRACE(name);
        if (name != "English") restartIn(name);
        HWND dialog = openPreferences();
        ASSERT_NE(dialog, nullptr) << name;
        EXPECT_EQ(probe::windowText(dialog), text("0100"));
        const auto tabs = probe::visibleChildren(dialog, WC_TABCONTROLA);
        ASSERT_EQ(tabs.size(), 1u);
        std::vector<std::string> captions;
        for (const char* code : kTabCaptions) captions.push_back(text(code));
        EXPECT_EQ(probe::tabTexts(tabs[0].hwnd), captions);
        const auto descriptions =
            probe::languageEntry(lngDir() + "\\KVR_" + name.substr(0, 3) + ".txt", "007");
        ASSERT_TRUE(descriptions);
        for (int tab = 0; tab < int(kTabCodes.size()); ++tab) {
            SCOPED_TRACE("tab " + std::to_string(tab + 1));
            ASSERT_TRUE(toTab(dialog, tab));
            probe::pump(300);
            std::set<std::string> shown;
            for (const auto& child : probe::childWindows(dialog)) {
                if (!child.visible) continue;
                shown.insert(child.text);
                EXPECT_FALSE(child.text.size() == 4 &&
                             child.text.find_first_not_of("0123456789") == std::string::npos)
                    << "an untranslated code: " << child.text;
            }
            std::vector<std::string> codes = kTabCodes[std::size_t(tab)];
            codes.insert(codes.end(), {"0101", "0102"});
            for (const std::string& code : codes) {
                EXPECT_TRUE(!text(code).empty() && shown.count(text(code)))
                    << code << " " << probe::quote(text(code)) << " is not shown";
            }
            EXPECT_TRUE(shown.count(probe::splitParts(*descriptions).at(std::size_t(tab))))
                << "the tab's description";
            screenshot((name == "English"   ? "en"
                        : name == "Deutsch" ? "de"
                                            : "es") +
                       std::string("_tab") + std::to_string(tab + 1));
        }
        probe::pressKey(0, kVkEscape);
        ASSERT_TRUE(closed(dialog));
    }
}

// On a screen at 150 %, the dialog is laid out at that scale from the start.
TEST_F(Preferences, OpensAtTheScaleOfA144DpiScreen) {
    ASSERT_TRUE(exitProgram(kvr));
    struct Restore {
        ~Restore() { probe::regDeleteValue(kDesktopKey, "LogPixels"); }
    } restore;
    ASSERT_TRUE(probe::regSetDword(kDesktopKey, "LogPixels", 144));
    startProgram();
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, MulDiv(620, 144, 96));
    const auto ok = probe::visibleChildWithText(dialog, text("0101"));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->rect.right - ok->rect.left, MulDiv(74, 144, 96));
    ASSERT_TRUE(toTab(dialog, 3));
    probe::pump(300);
    screenshot("144dpi_tab4");
    probe::pressKey(0, kVkEscape);
    EXPECT_TRUE(closed(dialog));
}

}  // namespace
}  // namespace e2e
