// The journal of hidden windows: written ahead of every hide, once per command; emptied by the
// shows and the exit; read at the next start, which shows only what is still the window hidden.
#include "engine/hide_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/ids.h"
#include "engine/hide_engine.h"
#include "engine/mod_procs_kvr.h"
#include "mainwin/frm_ppal.h"
#include "startup/frm_splash.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/program.h"

namespace kvr {
namespace {

using engine::DecodeJournal;
using engine::EncodeJournal;
using engine::JournalEntry;
using ids::Slot;
using platform::FileStep;
using platform::Hwnd;
namespace method = ids::method;

constexpr const char* kJournal = "C:\\Users\\user\\AppData\\Local\\KVR\\hidden-1.dat";

TEST(JournalFile, EntriesComeBackAsTheyWereWritten) {
    const std::vector<JournalEntry> entries = {
        {0x00010020, 0, 1000, method::kUnderMouse, "Notepad", "notes.txt"},
        {0x00010022, 0x00010020, 1000, method::kUnderMouse, "#32770", ""},
        {0xFFFFFFFF, 0, 0x80000001, method::kByProgram, "", "\xE6\x97\xA5\xE6\x9C\xAC \xC3\xB1"},
    };
    EXPECT_EQ(DecodeJournal(EncodeJournal(entries)), entries);
    EXPECT_EQ(EncodeJournal({}), "KVRJ");
    EXPECT_TRUE(DecodeJournal(EncodeJournal({})).empty());
}

// Cut short, made up or of another kind: the whole records before the damage, nothing more.
TEST(JournalFile, DamagedFilesGiveOnlyTheirWholeRecords) {
    const std::vector<JournalEntry> two = {{1, 0, 2, 1, "A", "a"}, {3, 0, 4, 2, "B", "b"}};
    const std::string bytes = EncodeJournal(two);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const auto decoded = DecodeJournal(bytes.substr(0, cut));
        const std::size_t whole = cut < 4 + 19 ? 0 : cut < 4 + 38 ? 1 : 2;
        ASSERT_EQ(decoded.size(), whole) << "cut at " << cut;
        for (std::size_t i = 0; i < whole; ++i) EXPECT_EQ(decoded[i], two[i]);
    }
    EXPECT_TRUE(DecodeJournal("").empty());
    EXPECT_TRUE(DecodeJournal("KVRX" + bytes.substr(4)).empty()) << "not a journal";
    EXPECT_TRUE(DecodeJournal(std::string(40, '\xFF')).empty());
    // A class length that runs past the end.
    EXPECT_TRUE(DecodeJournal("KVRJ" + std::string(13, '\0') + "\xFF\xFF" + "abc").empty());
    const auto many = DecodeJournal("KVRJ" + std::string(17 * (engine::kMaxJournalEntries + 5), 0));
    EXPECT_EQ(many.size(), engine::kMaxJournalEntries);
}

TEST(JournalFile, ALongTitleIsCutBetweenCharactersAndTheNextRecordStaysWhole) {
    std::string title(0xFFFE, 'x');
    title += "\xC3\xB1";  // two bytes across the limit
    const auto decoded =
        DecodeJournal(EncodeJournal({{1, 0, 2, 1, "A", title}, {3, 0, 4, 1, "B", "next"}}));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0].title, std::string(0xFFFE, 'x'));
    EXPECT_EQ(decoded[1].title, "next");
}

class Journal : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::FakeTrayArea tray;
    std::unique_ptr<engine::HideEngine> engine = std::make_unique<engine::HideEngine>(tray);
    Hwnd mainWindow = fake.desktop.create("KVR_frmPpal", "KVR", {.visible = false});
    int x = 0;

    Journal() {
        settings::BxTA = false;
        settings::BxTP = 1;
        settings::BxTS = 1;
        settings::OO = 0;
        fake.desktop.addProcess("notepad.exe", 20);
        fake.desktop.addProcess("calc.exe", 30);
    }

    Hwnd window(const std::string& cls, const std::string& title,
                platform::FakeWindowSetup setup = {}) {
        return fake.desktop.create(cls, title, setup);
    }
    Hwnd under(const std::string& cls, const std::string& title, std::uint32_t pid = 0) {
        x += 50;
        const Hwnd h = window(cls, title, {.processId = pid, .rect = {x, x, x + 40, x + 40}});
        fake.desktop.setCursor(x + 5, x + 5);
        return h;
    }
    void press(Slot slot) { engine->Hotkey(ids::hotkeyId(slot), mainWindow); }
    bool visible(Hwnd h) { return fake.desktop.isWindowVisible(h); }
    std::vector<JournalEntry> onFile() {
        std::string bytes;
        if (!fake.files.readFile(kJournal, bytes)) return {};
        return DecodeJournal(bytes);
    }
    std::vector<Hwnd> handlesOnFile() {
        std::vector<Hwnd> handles;
        for (const JournalEntry& e : onFile()) handles.push_back(e.hwnd);
        return handles;
    }
    std::size_t journalWrites() {
        return std::count_if(
            fake.files.changes.begin(), fake.files.changes.end(), [](const std::string& c) {
                return c.rfind("write ", 0) == 0 && c.find("hidden-1.tmp") != std::string::npos;
            });
    }
    // What a killed process leaves: the journal on disk and the windows as they are; the next
    // start has fresh module state and a fresh engine.
    engine::Recovery killAndStartAgain() {
        modProcsKVR::resetForTests();
        engine = std::make_unique<engine::HideEngine>(tray);
        return engine->RecoverHiddenWindows();
    }
};

TEST_F(Journal, AHideByTitleOfTwoHundredWindowsWritesTheJournalOnceBeforeAnyWindowGoes) {
    settings::BxTT = "Budget";
    std::vector<Hwnd> budgets;
    for (int i = 0; i < 200; ++i) {
        budgets.push_back(window("XLMAIN", "Budget " + std::to_string(i), {.processId = 20}));
        window("Other", "Document " + std::to_string(i));
    }
    std::size_t journalledAtFirstHide = 0;
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.cmd == platform::sw::kHide && journalledAtFirstHide == 0) {
            journalledAtFirstHide = onFile().size();
        }
    };
    press(Slot::HideByTitle);
    EXPECT_EQ(journalWrites(), 1u);
    EXPECT_EQ(journalledAtFirstHide, 200u) << "every window is on file before the first goes";
    const auto entries = onFile();
    ASSERT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries[7].hwnd, engine->windows[7].hwnd);
    EXPECT_EQ(entries[7].processId, 20u);
    EXPECT_EQ(entries[7].windowClass, "XLMAIN");
    EXPECT_EQ(entries[7].method, method::kByTitle);
    EXPECT_EQ(entries[7].owner, 0u);
    EXPECT_TRUE(std::none_of(budgets.begin(), budgets.end(), [&](Hwnd h) { return visible(h); }));
}

TEST_F(Journal, ShowsTakeWindowsOffTheJournalAndTheExitLeavesNone) {
    const Hwnd a = under("Notepad", "a.txt");
    const Hwnd b = under("Notepad", "b.txt");
    const Hwnd c = under("Calc", "calc");
    press(Slot::HideUnderMouse);
    fake.desktop.setCursor(55, 55);
    press(Slot::HideUnderMouse);
    fake.desktop.setCursor(105, 105);
    press(Slot::HideUnderMouse);
    EXPECT_EQ(handlesOnFile(), (std::vector<Hwnd>{c, a, b}));

    engine->ShowLast();
    EXPECT_EQ(handlesOnFile(), (std::vector<Hwnd>{c, a}));
    engine->ShowOne(0);
    EXPECT_EQ(handlesOnFile(), (std::vector<Hwnd>{a}));
    const std::size_t writes = journalWrites();
    engine->ShowByClass();  // nothing hidden by class: nothing to write
    engine->windows.sortBy(engine::HiddenWindows::kClassColumn, true);
    engine->ShowSelection({7});
    EXPECT_EQ(journalWrites(), writes);
    engine->Exit();
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(fake.files.exists(kJournal));
}

TEST_F(Journal, PopUpsAreJournalledWithTheWindowTheyWentWith) {
    const Hwnd app = under("Notepad", "notes.txt", 20);
    const Hwnd find = window("#32770", "Find", {.owner = app, .processId = 20});
    const Hwnd confirm = window("#32770", "Replace all?", {.owner = find, .processId = 20});
    press(Slot::HideUnderMouse);
    const auto entries = onFile();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].hwnd, app);
    EXPECT_EQ(entries[0].owner, 0u);
    std::vector<Hwnd> popups{entries[1].hwnd, entries[2].hwnd};
    std::sort(popups.begin(), popups.end());
    EXPECT_EQ(popups, (std::vector<Hwnd>{find, confirm}));
    EXPECT_EQ(entries[1].owner, app);
    EXPECT_EQ(entries[2].owner, app);
    EXPECT_EQ(entries[1].windowClass, "#32770");
}

// Every hide goes out at once and is then confirmed. A window whose program does not answer is
// not recorded as hidden, in the list or on file, and once its program answers it is still
// there: its hide is undone, not left to land with no entry to bring it back.
TEST_F(Journal, AWindowWhoseProgramDoesNotAnswerIsNotRecordedAsHidden) {
    settings::BxTT = "Budget";
    constexpr std::uint32_t kStuckThread = 30 + 4;  // calc.exe's main thread
    for (const Slot slot : {Slot::HideUnderMouse, Slot::HideClassUnderMouse, Slot::HideByTitle}) {
        const Hwnd quick = window("Sheet", "Budget 1", {.processId = 20});
        const Hwnd stuck = under("Sheet", "Budget 2", 30);
        fake.desktop.stopAnswering(kStuckThread);
        press(slot);
        const bool quickHidden = slot != Slot::HideUnderMouse;
        EXPECT_EQ(visible(quick), !quickHidden);
        EXPECT_TRUE(visible(stuck));
        const std::vector<Hwnd> recorded =
            quickHidden ? std::vector<Hwnd>{quick} : std::vector<Hwnd>{};
        std::vector<Hwnd> inRecord;
        for (const auto& entry : engine->windows.entries()) inRecord.push_back(entry.hwnd);
        EXPECT_EQ(inRecord, recorded);
        EXPECT_EQ(handlesOnFile(), recorded);
        fake.desktop.answerAgain(kStuckThread);
        EXPECT_TRUE(visible(stuck)) << "the hide that was on its way is undone";
        press(Slot::ShowAll);
        EXPECT_TRUE(visible(quick));
        fake.desktop.destroy(quick);
        fake.desktop.destroy(stuck);
    }
}

// The owner went and its pop-up, on a thread that does not answer, did not: the entry keeps
// only what went.
TEST_F(Journal, APopUpThatStaysIsNotRecordedWithItsOwner) {
    const Hwnd owner = under("Editor", "draft", 20);
    const Hwnd palette =
        window("Palette", "Tools", {.owner = owner, .processId = 20, .threadId = 99});
    fake.desktop.stopAnswering(99);
    press(Slot::HideUnderMouse);
    EXPECT_FALSE(visible(owner));
    ASSERT_EQ(engine->windows.size(), 1u);
    EXPECT_TRUE(engine->windows[0].popups.empty());
    EXPECT_EQ(handlesOnFile(), std::vector<Hwnd>{owner});
    fake.desktop.answerAgain(99);
    EXPECT_TRUE(visible(palette));
}

// A log-off sent while the engine waits for a program that does not answer ends the program
// there: the exit shows what was hidden, and the wait ends with it.
TEST_F(Journal, AnExitWhileAHideWaitsEndsTheWait) {
    const Hwnd quick = window("Sheet", "Budget 1", {.processId = 20});
    const Hwnd stuck = window("Sheet", "Budget 2", {.processId = 30});
    settings::BxTT = "Budget";
    fake.desktop.stopAnswering(34);
    fake.queue.onWait = [&](std::uint32_t) {
        if (fake.queue.waitedMs >= 100 && !engine->windows.empty()) engine->Exit();
    };
    press(Slot::HideByTitle);
    EXPECT_LT(fake.queue.waitedMs, 1000u) << "no waiting once the exit has run";
    EXPECT_TRUE(engine->windows.empty());
    EXPECT_TRUE(visible(quick));
    EXPECT_TRUE(onFile().empty());
    fake.desktop.answerAgain(34);
    EXPECT_TRUE(visible(stuck));
}

// A program busy for a moment carries the hide out while the engine waits: the window is
// recorded as any other.
TEST_F(Journal, AWindowWhoseProgramAnswersLateIsRecorded) {
    const Hwnd slow = under("Sheet", "Budget", 30);
    fake.desktop.stopAnswering(34);
    fake.queue.onWait = [&](std::uint32_t) {
        if (fake.queue.waitedMs >= 200) fake.desktop.answerAgain(34);
    };
    press(Slot::HideUnderMouse);
    EXPECT_FALSE(visible(slow));
    ASSERT_EQ(engine->windows.size(), 1u);
    EXPECT_EQ(handlesOnFile(), std::vector<Hwnd>{slow});
}

TEST_F(Journal, HidingByProgramWritesOnlyWhenATickHidSomethingNew) {
    modProcsKVR::ProcessHideList = {{}, {"notepad.exe", "", "", ""}};
    const Hwnd notes = window("Notepad", "notes", {.processId = 20});
    window("Calc", "calc", {.processId = 30});
    press(Slot::HidePrograms);
    bool journalledFirst = false;
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.hwnd == notes && call.cmd == platform::sw::kHide) {
            journalledFirst = handlesOnFile() == std::vector<Hwnd>{notes};
        }
    };
    engine->HideProgramsTick();
    EXPECT_TRUE(journalledFirst);
    EXPECT_FALSE(visible(notes));
    ASSERT_EQ(onFile().size(), 1u);
    EXPECT_EQ(onFile()[0].method, method::kByProgram);
    EXPECT_EQ(journalWrites(), 1u);

    engine->HideProgramsTick();
    fake.desktop.setVisible(notes, true);  // its program shows it again: hidden again, same entry
    engine->HideProgramsTick();
    EXPECT_FALSE(visible(notes));
    EXPECT_EQ(journalWrites(), 1u);

    const Hwnd later = window("Notepad", "notes 2", {.processId = 20});
    engine->HideProgramsTick();
    EXPECT_EQ(handlesOnFile(), (std::vector<Hwnd>{notes, later}));
    press(Slot::ShowPrograms);
    EXPECT_FALSE(fake.files.exists(kJournal));
}

TEST_F(Journal, AJournalThatCannotBeWrittenNeverStopsAHide) {
    const Hwnd a = under("Notepad", "a.txt");
    fake.files.failNext(FileStep::Write, "C:\\Users\\user\\AppData\\Local\\KVR\\hidden-1.tmp");
    press(Slot::HideUnderMouse);
    EXPECT_FALSE(visible(a));
    EXPECT_FALSE(fake.files.exists(kJournal));
    EXPECT_FALSE(fake.files.exists("C:\\Users\\user\\AppData\\Local\\KVR\\hidden-1.tmp"));
    // The next command writes what is hidden then, the earlier window included.
    const Hwnd b = under("Notepad", "b.txt");
    press(Slot::HideUnderMouse);
    EXPECT_EQ(handlesOnFile(), (std::vector<Hwnd>{a, b}));

    fake.system.localAppData.clear();  // no such folder: no journal, hiding all the same
    const Hwnd c = under("Notepad", "c.txt");
    press(Slot::HideUnderMouse);
    EXPECT_FALSE(visible(c));
}

TEST_F(Journal, AKilledRunsWindowsComeBackWithTheirPopUpsAndNothingElseDoes) {
    modProcsKVR::ProcessHideList = {{}, {"calc.exe", "", "", ""}};
    const Hwnd app = under("Notepad", "notes.txt", 20);
    const Hwnd find = window("#32770", "Find", {.owner = app, .processId = 20});
    press(Slot::HideUnderMouse);
    settings::BxTT = "Budget";
    const Hwnd budget = window("XLMAIN", "Budget", {.processId = 20});
    press(Slot::HideByTitle);
    const Hwnd calc = window("Calc", "calc", {.processId = 30});
    press(Slot::HidePrograms);
    engine->HideProgramsTick();
    // Hidden by someone else meanwhile: not the program's to show.
    const Hwnd other = window("Other", "private", {.processId = 20});
    fake.desktop.setVisible(other, false);
    ASSERT_FALSE(visible(app) || visible(find) || visible(budget) || visible(calc));
    fake.desktop.resetCounters();

    const engine::Recovery recovery = killAndStartAgain();
    EXPECT_EQ(recovery.entries, 4u);
    EXPECT_EQ(recovery.shown, (std::vector<Hwnd>{app, budget, calc, find}));
    EXPECT_TRUE(visible(app) && visible(find) && visible(budget) && visible(calc));
    EXPECT_FALSE(visible(other));
    EXPECT_FALSE(fake.files.exists(kJournal)) << "the journal is done with";
    // Without taking the focus from whatever the user is doing.
    for (const auto& call : fake.desktop.showCalls) {
        if (call.hwnd == app) EXPECT_EQ(call.cmd, platform::sw::kShowNa);
    }
}

// A handle names a window only while it lives; another window may get it later. The process
// and class recorded with it are what tells the two apart.
TEST_F(Journal, AHandleNowOfAnotherClassOrProcessIsNeverShown) {
    const Hwnd sameClassOtherProcess = window("Notepad", "n", {.visible = false, .processId = 30});
    const Hwnd sameProcessOtherClass = window("Calc", "c", {.visible = false, .processId = 20});
    const Hwnd owner = window("Notepad", "o", {.visible = false, .processId = 20});
    const Hwnd popupOfOther = window("#32770", "p", {.visible = false, .processId = 20});
    const Hwnd stillItself = window("Notepad", "s", {.visible = false, .processId = 20});
    const Hwnd gone = window("Notepad", "g", {.visible = false, .processId = 20});
    fake.desktop.destroy(gone);
    fake.files.put(kJournal, EncodeJournal({
                                 {sameClassOtherProcess, 0, 20, 1, "Notepad", "n"},
                                 {sameProcessOtherClass, 0, 20, 1, "Notepad", "c"},
                                 {owner, 0, 20, 1, "Notepad", "o"},
                                 // Not owned by owner (any more): not its pop-up.
                                 {popupOfOther, owner, 20, 1, "#32770", "p"},
                                 {gone, 0, 20, 1, "Notepad", "g"},
                                 {stillItself, 0, 20, 1, "Notepad", "s"},
                             }));
    const engine::Recovery recovery = killAndStartAgain();
    EXPECT_EQ(recovery.shown, (std::vector<Hwnd>{owner, stillItself}));
    EXPECT_FALSE(visible(sameClassOtherProcess));
    EXPECT_FALSE(visible(sameProcessOtherClass));
    EXPECT_FALSE(visible(popupOfOther));
}

TEST_F(Journal, AWindowItsProgramShowedMeanwhileIsLeftAloneButItsPopUpsComeBack) {
    const Hwnd app = under("Notepad", "notes.txt", 20);
    const Hwnd find = window("#32770", "Find", {.owner = app, .processId = 20});
    press(Slot::HideUnderMouse);
    const Hwnd lone = under("Notepad", "lone.txt", 20);
    press(Slot::HideUnderMouse);
    fake.desktop.setVisible(app, true);
    fake.desktop.setVisible(lone, true);
    fake.desktop.resetCounters();
    const engine::Recovery recovery = killAndStartAgain();
    EXPECT_EQ(recovery.shown, (std::vector<Hwnd>{find}));
    for (const auto& call : fake.desktop.showCalls) {
        EXPECT_NE(call.hwnd, app) << "not touched at all";
        EXPECT_NE(call.hwnd, lone) << "not touched at all";
    }
    EXPECT_TRUE(visible(find));
}

// One user, two sessions, a copy in each: neither a start nor a hide in one may touch the
// journal of the copy in the other, which still needs it if that copy is killed.
TEST_F(Journal, ACopyInAnotherSessionKeepsItsOwnJournal) {
    fake.system.session = 2;
    const Hwnd theirs = under("Notepad", "theirs", 20);
    press(Slot::HideUnderMouse);
    std::string theirJournal;
    ASSERT_TRUE(
        fake.files.readFile(fake.system.localAppData + "\\KVR\\hidden-2.dat", theirJournal));

    fake.system.session = 1;
    const engine::Recovery recovery = killAndStartAgain();
    EXPECT_EQ(recovery.entries, 0u);
    EXPECT_FALSE(visible(theirs));
    const Hwnd mine = under("Notepad", "mine", 20);
    press(Slot::HideUnderMouse);
    EXPECT_EQ(handlesOnFile(), std::vector<Hwnd>{mine});
    std::string after;
    ASSERT_TRUE(fake.files.readFile(fake.system.localAppData + "\\KVR\\hidden-2.dat", after));
    EXPECT_EQ(after, theirJournal);
}

TEST_F(Journal, AMissingEmptyOrForeignJournalShowsNothing) {
    const Hwnd hidden = window("Notepad", "n", {.visible = false, .processId = 20});
    EXPECT_EQ(killAndStartAgain().entries, 0u);
    for (const std::string& bytes :
         {std::string(), std::string("KVRJ"), std::string(1000, '\xA5'),
          // The handle of a hidden window, but not in a journal's shape.
          std::string("KVRX") + EncodeJournal({{hidden, 0, 20, 1, "Notepad", "n"}}).substr(4)}) {
        fake.files.put(kJournal, bytes);
        const engine::Recovery recovery = killAndStartAgain();
        EXPECT_TRUE(recovery.shown.empty());
        EXPECT_FALSE(visible(hidden));
    }
}

class JournalAtStart : public Journal {
protected:
    test::Program program;
    void exitWhenRunning() {
        fake.queue.onIdle = [this] {
            if (auto* splash = modGeneral::Splash(); splash && splash->loaded()) {
                fake.queue.post([splash] { splash->picSplash.tick(); });
            } else {
                fake.queue.post([] { MainWindow()->mnuSalir.click(); });
            }
        };
    }
};

TEST_F(JournalAtStart, WindowsComeBackBeforeAnyHotkeyIsRegistered) {
    const Hwnd hidden = window("Notepad", "n", {.visible = false, .processId = 20});
    fake.files.put(kJournal, EncodeJournal({{hidden, 0, 20, 1, "Notepad", "n"}}));
    int registeredWhenShown = -1;
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.hwnd == hidden) registeredWhenShown = fake.queue.registerCalls();
    };
    exitWhenRunning();
    EXPECT_EQ(program.run(), 0);
    EXPECT_EQ(registeredWhenShown, 0);
    EXPECT_TRUE(visible(hidden));
}

TEST_F(JournalAtStart, ASecondCopyLeavesTheRunningCopysWindowsHidden) {
    const Hwnd hidden = window("Notepad", "n", {.visible = false, .processId = 20});
    const std::string journal = EncodeJournal({{hidden, 0, 20, 1, "Notepad", "n"}});
    fake.files.put(kJournal, journal);
    fake.system.earlierInstance = true;
    EXPECT_EQ(program.run(), 0);
    EXPECT_FALSE(visible(hidden));
    std::string bytes;
    ASSERT_TRUE(fake.files.readFile(kJournal, bytes));
    EXPECT_EQ(bytes, journal);
}

}  // namespace
}  // namespace kvr
