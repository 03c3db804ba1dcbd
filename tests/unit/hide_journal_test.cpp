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
using engine::JournalFile;
using engine::JournalTrayArea;
using ids::Slot;
using platform::FileStep;
using platform::Hwnd;
namespace method = ids::method;

constexpr const char* kJournal = "C:\\Users\\user\\AppData\\Local\\KVR\\hidden-1.dat";

// The earlier versions' file: "KVRJ", then per window its handle, owner, process id, method,
// class and title, without the process's start.
std::string journalV1(const std::vector<JournalEntry>& entries) {
    std::string out = "KVRJ";
    auto number = [&](std::uint32_t v, int width) {
        for (int i = 0; i < width; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    for (const JournalEntry& e : entries) {
        number(e.hwnd, 4);
        number(e.owner, 4);
        number(e.processId, 4);
        number(static_cast<std::uint32_t>(e.method), 1);
        for (const std::string* text : {&e.windowClass, &e.title}) {
            number(static_cast<std::uint32_t>(text->size()), 2);
            out += *text;
        }
    }
    return out;
}

// Everything comes back as it was written; a journal of the earlier version is read as it was
// written too: windows only, their processes' start unknown.
TEST(JournalFile, EverythingComesBackAsItWasWrittenAndTheEarlierVersionsFileIsStillRead) {
    const JournalFile written{
        .writerId = 4242,
        .writerStarted = 0x01DB'5E5E'1234'5678,
        .sound = {{"{0.0.0.00000000}.{a1}", 40000}, {"", 65535}},
        .trayArea = JournalTrayArea{.area = {.tray = 0x10010,
                                             .notify = 0x10012,
                                             .clock = 0x10014,
                                             .clockRect = {-1200, 764, 1276, -796},
                                             .notifyY = 2},
                                    .processId = 32,
                                    .processStarted = 0xFFFF'FFFF'FFFF'FFFF},
        .entries = {
            {0x00010020, 0, 1000, 0x01DB'0000'0000'0001, method::kUnderMouse, "Notepad", "n.txt"},
            {0x00010022, 0x00010020, 1000, 0, method::kUnderMouse, "#32770", ""},
            {0xFFFFFFFF, 0, 0x80000001, 7, method::kByProgram, "", "\xE6\x97\xA5 \xC3\xB1"},
        }};
    EXPECT_EQ(DecodeJournal(EncodeJournal(written)), written);
    EXPECT_EQ(DecodeJournal(EncodeJournal({})), JournalFile{});

    std::vector<JournalEntry> windowsOnly = written.entries;
    for (JournalEntry& e : windowsOnly) e.processStarted = 0;
    const JournalFile read = DecodeJournal(journalV1(windowsOnly));
    EXPECT_EQ(read, (JournalFile{.version = 1, .entries = windowsOnly}));
}

// Cut short, made up or of another kind: the whole records before the damage, nothing more;
// damage before the first record leaves no journal at all.
TEST(JournalFile, DamagedFilesGiveOnlyTheirWholeRecords) {
    const JournalFile two{.writerId = 9,
                          .sound = {{"dev", 5}},
                          .entries = {{1, 0, 2, 3, 1, "A", "a"}, {3, 0, 4, 5, 2, "B", "b"}}};
    const std::string bytes = EncodeJournal(two);
    const std::size_t head = bytes.size() - 2 * 27;  // a record of one-letter texts: 27 bytes
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const JournalFile decoded = DecodeJournal(bytes.substr(0, cut));
        const std::size_t whole = cut < head ? 0 : (cut - head) / 27;
        ASSERT_EQ(decoded.entries.size(), whole) << "cut at " << cut;
        EXPECT_EQ(decoded.version, cut < head ? 0 : 2) << "cut at " << cut;
        for (std::size_t i = 0; i < whole; ++i) EXPECT_EQ(decoded.entries[i], two.entries[i]);
    }
    const std::string v1 = journalV1(two.entries);
    for (std::size_t cut = 4; cut < v1.size(); ++cut) {
        EXPECT_EQ(DecodeJournal(v1.substr(0, cut)).entries.size(), cut < 4 + 19 ? 0u : 1u);
    }
    EXPECT_EQ(DecodeJournal("").version, 0);
    EXPECT_EQ(DecodeJournal("KVRX" + bytes.substr(4)).version, 0) << "not a journal";
    EXPECT_EQ(DecodeJournal(std::string(40, '\xFF')).version, 0);
    // A device name that runs past the end; a notification-area mark that is neither 0 nor 1.
    EXPECT_EQ(DecodeJournal("KVR2" + std::string(12, '\0') + "\x01" + std::string(4, '\0') +
                            "\xFF\xFF" + "abc")
                  .version,
              0);
    EXPECT_EQ(DecodeJournal("KVR2" + std::string(13, '\0') + "\x02").version, 0);
    const auto many =
        DecodeJournal("KVR2" + std::string(14 + 25 * (engine::kMaxJournalEntries + 5), 0));
    EXPECT_EQ(many.entries.size(), engine::kMaxJournalEntries);
}

TEST(JournalFile, ALongTitleIsCutBetweenCharactersAndTheNextRecordStaysWhole) {
    std::string title(0xFFFE, 'x');
    title += "\xC3\xB1";  // two bytes across the limit
    const auto decoded = DecodeJournal(
        EncodeJournal({.entries = {{1, 0, 2, 0, 1, "A", title}, {3, 0, 4, 0, 1, "B", "next"}}}));
    ASSERT_EQ(decoded.entries.size(), 2u);
    EXPECT_EQ(decoded.entries[0].title, std::string(0xFFFE, 'x'));
    EXPECT_EQ(decoded.entries[1].title, "next");
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
        fake.desktop.processStarts[fake.system.pid] = kProgramStarted;
    }
    static constexpr std::uint64_t kProgramStarted = 133'850'000'000'000'000ull;

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
    JournalFile journalOnFile() {
        std::string bytes;
        if (!fake.files.readFile(kJournal, bytes)) return {.version = 0};
        return DecodeJournal(bytes);
    }
    std::vector<JournalEntry> onFile() { return journalOnFile().entries; }
    // A window as this run's journal names it, its process's start included.
    JournalEntry entry(Hwnd h, Hwnd owner, std::uint32_t pid, const std::string& cls) {
        return {h, owner, pid, fake.desktop.processStartTime(pid), method::kUnderMouse, cls, ""};
    }
    void putJournal(std::vector<JournalEntry> entries) {
        fake.files.put(kJournal, EncodeJournal({.entries = std::move(entries)}));
    }
    std::vector<Hwnd> handlesOnFile() {
        std::vector<Hwnd> handles;
        for (const JournalEntry& e : onFile()) handles.push_back(e.hwnd);
        return handles;
    }
    static bool holds(const std::vector<Hwnd>& handles, Hwnd h) {
        return std::find(handles.begin(), handles.end(), h) != handles.end();
    }
    std::vector<Hwnd> recorded() {
        std::vector<Hwnd> handles;
        for (const auto& e : engine->windows.entries()) handles.push_back(e.hwnd);
        return handles;
    }
    // The main window's timer while hides are pending: each look after the delay the engine
    // asks for, meanwhile(ms since the hides went out) first. The milliseconds it took.
    std::uint32_t confirm(const std::function<void(std::uint32_t)>& meanwhile = {}) {
        const std::uint32_t start = fake.input.now;
        while (engine->HidesPending() && fake.input.now - start < 60000) {
            fake.input.advance(engine->ConfirmDelayMs());
            if (meanwhile) meanwhile(fake.input.now - start);
            engine->ConfirmHides();
        }
        EXPECT_FALSE(engine->HidesPending()) << "still pending after a minute";
        return fake.input.now - start;
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
        fake.desktop.processStarts[fake.system.pid] = 0;
        fake.system.pid += 4;
        fake.desktop.processStarts[fake.system.pid] = kProgramStarted + fake.system.pid;
        modProcsKVR::resetForTests();
        SndMixer::resetForTests();
        engine = std::make_unique<engine::HideEngine>(tray);
        return engine->RecoverHiddenWindows();
    }
};

TEST_F(Journal, AHideOfManyWindowsPutsEachOnFileBeforeItGoesAndTheFirstGoBeforeTheWalkEnds) {
    settings::BxTT = "Budget";
    std::vector<Hwnd> budgets;
    for (int i = 0; i < 200; ++i) {
        window("Other", "Document " + std::to_string(i));
        budgets.push_back(window("XLMAIN", "Budget " + std::to_string(i), {.processId = 20}));
    }
    // The topmost budget's find dialog lies below everything, which the walk reaches only
    // after that budget's batch has gone.
    const Hwnd find = window("Find", "Find", {.owner = budgets.back()});
    fake.desktop.sendToBottom(find);
    std::size_t onFileAtFirstHide = 0;
    std::vector<Hwnd> goneBeforeOnFile;
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.cmd != platform::sw::kHide) return;
        const std::vector<Hwnd> handles = handlesOnFile();
        if (onFileAtFirstHide == 0) onFileAtFirstHide = handles.size();
        if (!holds(handles, call.hwnd)) goneBeforeOnFile.push_back(call.hwnd);
    };
    press(Slot::HideByTitle);
    EXPECT_TRUE(goneBeforeOnFile.empty()) << "each window is on file before it goes";
    EXPECT_GT(onFileAtFirstHide, 0u);
    EXPECT_LT(onFileAtFirstHide, 200u) << "the first programs hide while the walk goes on";
    EXPECT_LE(journalWrites(), 3u) << "a few writes, not one per window";
    EXPECT_TRUE(std::none_of(fake.files.changes.begin(), fake.files.changes.end(),
                             [](const std::string& c) { return c.rfind("flush ", 0) == 0; }))
        << "a hide never waits for the disk";
    const auto entries = onFile();
    ASSERT_EQ(entries.size(), 201u);
    ASSERT_EQ(engine->windows.size(), 200u);
    // The first entry's pop-up follows it.
    EXPECT_EQ(entries[1].hwnd, find);
    EXPECT_EQ(entries[1].owner, budgets.back());
    EXPECT_EQ(entries[8].hwnd, engine->windows[7].hwnd);
    EXPECT_EQ(entries[8].processId, 20u);
    EXPECT_EQ(entries[8].windowClass, "XLMAIN");
    EXPECT_EQ(entries[8].method, method::kByTitle);
    EXPECT_EQ(entries[8].owner, 0u);
    EXPECT_EQ(engine->windows[0].popups, std::vector<Hwnd>{find});
    EXPECT_TRUE(std::none_of(budgets.begin(), budgets.end(), [&](Hwnd h) { return visible(h); }));
    EXPECT_FALSE(visible(find));
    engine->ShowAll();
    EXPECT_TRUE(visible(find));
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

// Every hide goes out at once and is then confirmed from the loop. A window whose program does
// not answer is not recorded as hidden, in the list or on file, once the program has carried
// out none of its hides for 5 s; and once its program answers it is still there: its hide is
// undone, not left to land with no entry to bring it back.
TEST_F(Journal, AWindowWhoseProgramDoesNotAnswerIsNotRecordedAsHidden) {
    settings::BxTT = "Budget";
    constexpr std::uint32_t kStuckThread = 30 + 4;  // calc.exe's main thread
    for (const Slot slot : {Slot::HideUnderMouse, Slot::HideClassUnderMouse, Slot::HideByTitle}) {
        SCOPED_TRACE(static_cast<int>(slot));
        const Hwnd quick = window("Sheet", "Budget 1", {.processId = 20});
        const Hwnd stuck = under("Sheet", "Budget 2", 30);
        fake.desktop.stopAnswering(kStuckThread);
        press(slot);
        const bool quickHidden = slot != Slot::HideUnderMouse;
        EXPECT_EQ(visible(quick), !quickHidden);
        EXPECT_TRUE(visible(stuck));
        ASSERT_TRUE(engine->HidesPending());
        EXPECT_EQ(handlesOnFile().size(), quickHidden ? 2u : 1u) << "on file before it may go";
        bool keptWhileThePatienceLasts = true;
        confirm([&](std::uint32_t ms) {
            if (ms >= 5000) return;
            keptWhileThePatienceLasts = keptWhileThePatienceLasts && holds(recorded(), stuck) &&
                                        holds(handlesOnFile(), stuck);
        });
        EXPECT_TRUE(keptWhileThePatienceLasts);
        const std::vector<Hwnd> expected =
            quickHidden ? std::vector<Hwnd>{quick} : std::vector<Hwnd>{};
        EXPECT_EQ(recorded(), expected);
        EXPECT_EQ(handlesOnFile(), expected);
        fake.desktop.answerAgain(kStuckThread);
        EXPECT_TRUE(visible(stuck)) << "the hide that was on its way is undone";
        press(Slot::ShowAll);
        EXPECT_TRUE(visible(quick));
        fake.desktop.destroy(quick);
        fake.desktop.destroy(stuck);
    }
}

// Its program hid it late and showed it again before the engine looked: the next press hides
// it again, with the entry it has, by title, by class or under the mouse.
TEST_F(Journal, AWindowShownAgainWhileItsHideIsConfirmedGoesAtTheNextPress) {
    settings::BxTT = "Budget";
    for (const Slot slot : {Slot::HideByTitle, Slot::HideClassUnderMouse, Slot::HideUnderMouse}) {
        SCOPED_TRACE(static_cast<int>(slot));
        const std::uint32_t process = 20 + static_cast<std::uint32_t>(slot);
        const Hwnd budget = under("Sheet", "Budget", process);
        fake.desktop.stopAnswering(process + 4);  // its main thread
        press(slot);
        fake.desktop.answerAgain(process + 4);
        fake.desktop.setVisible(budget, true);
        press(slot);
        EXPECT_FALSE(visible(budget));
        confirm();
        EXPECT_FALSE(visible(budget));
        EXPECT_EQ(handlesOnFile(), std::vector<Hwnd>{budget});
        engine->ShowAll();
        fake.desktop.destroy(budget);
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
    confirm();
    ASSERT_EQ(engine->windows.size(), 1u);
    EXPECT_TRUE(engine->windows[0].popups.empty());
    EXPECT_EQ(handlesOnFile(), std::vector<Hwnd>{owner});
    fake.desktop.answerAgain(99);
    EXPECT_TRUE(visible(palette));
}

// The exit (a log-off, say) or the way down after a crash, while a hide waits for a program that
// does not answer: every window comes back, pending or not, the wait ends, and nothing is
// muted or read after it.
TEST_F(Journal, AnExitWhileAHideWaitsEndsTheWait) {
    settings::BxTT = "Budget";
    settings::SE = method::kByTitle;
    for (const bool crash : {false, true}) {
        SCOPED_TRACE(crash ? "crash" : "exit");
        const Hwnd quick = window("Sheet", "Budget 1", {.processId = 20});
        const Hwnd stuck = window("Sheet", "Budget 2", {.processId = 30});
        fake.mixer.volume = 40000;
        fake.desktop.stopAnswering(34);
        press(Slot::HideByTitle);
        for (int look = 0; look < 3; ++look) {
            fake.input.advance(engine->ConfirmDelayMs());
            engine->ConfirmHides();
        }
        ASSERT_TRUE(engine->HidesPending());
        if (crash) {
            engine->ShowEverythingHidden();  // and the process ends
        } else {
            engine->Exit();
            EXPECT_FALSE(engine->HidesPending()) << "no waiting once the exit has run";
            engine->ConfirmHides();  // a tick the timer had queued
        }
        EXPECT_EQ(fake.mixer.volume, 40000u) << "the hide cut short silenced nothing after it";
        EXPECT_TRUE(visible(quick));
        if (!crash) {
            EXPECT_TRUE(engine->windows.empty());
            EXPECT_TRUE(onFile().empty());
        }
        fake.desktop.answerAgain(34);
        EXPECT_TRUE(visible(stuck)) << "its show follows the hide that was on its way";
        fake.desktop.destroy(quick);
        fake.desktop.destroy(stuck);
    }
}

// A program busy for a moment, up to the patience, carries the hide out while the engine waits:
// the window is recorded as any other, with its icon, and the mute comes once it is gone.
TEST_F(Journal, AWindowWhoseProgramAnswersLateIsRecorded) {
    settings::SE = method::kUnderMouse;
    for (const std::uint32_t busyMs : {200u, 4900u}) {
        SCOPED_TRACE(busyMs);
        fake.mixer.volume = 40000;
        const Hwnd slow = under("Sheet", "Budget", 30);
        fake.desktop.setClassSmallIcon(slow, std::vector<std::uint32_t>(16 * 16, 0xFF0000FF));
        fake.desktop.stopAnswering(34);
        press(Slot::HideUnderMouse);
        bool mutedBeforeItWent = false;
        confirm([&](std::uint32_t ms) {
            mutedBeforeItWent = mutedBeforeItWent || fake.mixer.volume == 0;
            if (ms >= busyMs) fake.desktop.answerAgain(34);
        });
        EXPECT_FALSE(visible(slow));
        EXPECT_FALSE(mutedBeforeItWent);
        EXPECT_EQ(fake.mixer.volume, 0u);
        ASSERT_EQ(recorded(), std::vector<Hwnd>{slow});
        EXPECT_FALSE(engine->windows[0].icon.empty());
        EXPECT_EQ(handlesOnFile(), std::vector<Hwnd>{slow});
        press(Slot::ShowAll);
    }
}

// Hides that overlap, one pressed while the other still waits for its program, keep the record
// in the order they were pressed; a window already on its way keeps its one entry, and the
// press that meets it still visible posts its hide again.
TEST_F(Journal, AHideWhileAnotherWaitsKeepsTheRecordsOrder) {
    settings::BxTT = "Budget";
    const Hwnd slow = under("Sheet", "Budget slow", 30);
    fake.desktop.stopAnswering(34);
    press(Slot::HideUnderMouse);
    const Hwnd quick = under("Notepad", "Budget quick", 20);
    press(Slot::HideByTitle);
    EXPECT_FALSE(visible(quick));
    EXPECT_EQ(recorded(), (std::vector<Hwnd>{slow, quick}));
    EXPECT_EQ(handlesOnFile(), (std::vector<Hwnd>{slow, quick}));
    // Gone already, then shown by its own program while the other still waits: the next hide
    // meets it afresh, as a new entry.
    fake.desktop.setVisible(quick, true);
    press(Slot::HideUnderMouse);
    EXPECT_FALSE(visible(quick));
    confirm([&](std::uint32_t ms) {
        if (ms >= 1000) fake.desktop.answerAgain(34);
    });
    EXPECT_FALSE(visible(slow));
    EXPECT_EQ(recorded(), (std::vector<Hwnd>{slow, quick, quick}));
    const auto hides = std::count_if(
        fake.desktop.showCalls.begin(), fake.desktop.showCalls.end(),
        [&](const auto& call) { return call.hwnd == slow && call.cmd == platform::sw::kHide; });
    EXPECT_EQ(hides, 2) << "its own press and the title's";
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
        if (call.hwnd == app) {
            EXPECT_EQ(call.cmd, platform::sw::kShowNa);
        }
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
    putJournal({
        entry(sameClassOtherProcess, 0, 20, "Notepad"),
        entry(sameProcessOtherClass, 0, 20, "Notepad"),
        entry(owner, 0, 20, "Notepad"),
        // Not owned by owner (any more): not its pop-up.
        entry(popupOfOther, owner, 20, "#32770"),
        entry(gone, 0, 20, "Notepad"),
        entry(stillItself, 0, 20, "Notepad"),
    });
    const engine::Recovery recovery = killAndStartAgain();
    EXPECT_EQ(recovery.shown, (std::vector<Hwnd>{owner, stillItself}));
    EXPECT_FALSE(visible(sameClassOtherProcess));
    EXPECT_FALSE(visible(sameProcessOtherClass));
    EXPECT_FALSE(visible(popupOfOther));
}

// After a power cut or a crash during log-off the next logon starts everything anew, and early
// on the same handles, process ids and classes come round again: the journal from before names
// none of the windows that now carry them.
TEST_F(Journal, AfterARebootAWindowWithTheSameHandleProcessIdAndClassIsNotShown) {
    const Hwnd app = under("Notepad", "notes.txt", 20);
    press(Slot::HideUnderMouse);
    std::string journal;
    ASSERT_TRUE(fake.files.readFile(kJournal, journal));

    test::FakePlatform rebooted;
    rebooted.files.put(kJournal, journal);
    // The same programs start in the same order, later than anything before the reboot.
    rebooted.desktop.addProcess("notepad.exe", 20);
    rebooted.desktop.processStarts[20] = fake.desktop.processStartTime(20) + 600'000'000;
    rebooted.desktop.create("KVR_frmPpal", "KVR", {.visible = false});
    const Hwnd reused = rebooted.desktop.create(
        "Notepad", "private.txt", {.visible = false, .processId = 20, .rect = {50, 50, 90, 90}});
    ASSERT_EQ(reused, app);
    const engine::Recovery recovery = engine::HideEngine(tray).RecoverHiddenWindows();
    EXPECT_EQ(recovery.entries, 1u);
    EXPECT_TRUE(recovery.shown.empty());
    EXPECT_FALSE(rebooted.desktop.isWindowVisible(reused));
    EXPECT_FALSE(rebooted.files.exists(kJournal)) << "nothing in it can come back";
}

// A journal of the program's earlier version gives no process's start: a process that started
// after the file was written cannot own a window the file names.
TEST_F(Journal, AnEarlierVersionsJournalShowsOnlyWindowsOfProcessesOlderThanTheFile) {
    const Hwnd older = window("Notepad", "n", {.visible = false, .processId = 20});
    const Hwnd newer = window("Calc", "c", {.visible = false, .processId = 30});
    fake.files.put(kJournal, journalV1({{older, 0, 20, 0, method::kUnderMouse, "Notepad", "n"},
                                        {newer, 0, 30, 0, method::kByTitle, "Calc", "c"}}));
    std::uint64_t written = 0;
    ASSERT_TRUE(fake.files.lastWriteTime(kJournal, written));
    ASSERT_LT(fake.desktop.processStartTime(20), written);
    fake.desktop.processStarts[30] = written + 1;
    const engine::Recovery recovery = killAndStartAgain();
    EXPECT_EQ(recovery.entries, 2u);
    EXPECT_EQ(recovery.shown, std::vector<Hwnd>{older});
    EXPECT_TRUE(visible(older));
    EXPECT_FALSE(visible(newer));
    EXPECT_FALSE(fake.files.exists(kJournal));
}

// The uninstaller asks for a recovery while a copy may still run: that copy's journal is its
// own as long as it runs, and only its end makes it a killed copy's.
TEST_F(Journal, TheJournalOfACopyThatStillRunsIsLeftAsItIs) {
    const Hwnd app = under("Notepad", "notes.txt", 20);
    press(Slot::HideUnderMouse);
    std::string before;
    ASSERT_TRUE(fake.files.readFile(kJournal, before));
    const std::uint32_t running = fake.system.pid;
    fake.system.pid = running + 100;

    engine::HideEngine other(tray);
    const engine::Recovery recovery = other.RecoverHiddenWindows();
    EXPECT_TRUE(recovery.runningCopy);
    EXPECT_EQ(recovery.entries, 0u);
    EXPECT_FALSE(visible(app));
    std::string after;
    ASSERT_TRUE(fake.files.readFile(kJournal, after));
    EXPECT_EQ(after, before);

    fake.desktop.processStarts[running] = 0;  // killed now
    EXPECT_EQ(other.RecoverHiddenWindows().shown, std::vector<Hwnd>{app});
    EXPECT_FALSE(fake.files.exists(kJournal));
}

// Besides its own session's journal, the uninstaller's recovery finds those of the user's
// other sessions: a copy that runs there keeps its own, and so does a session where windows a
// killed copy hid may still be brought back; a journal that can bring nothing back goes.
TEST_F(Journal, AbandonedJournalsOfOtherSessionsGoAndTheOthersStay) {
    const std::string folder = fake.system.localAppData + "\\KVR\\";
    const std::uint64_t notepad = fake.desktop.processStartTime(20);
    fake.desktop.processStarts[77] = kProgramStarted + 77;
    const std::vector<std::pair<std::string, JournalFile>> files = {
        {"hidden-2.dat", {.writerId = 77, .writerStarted = kProgramStarted + 77}},  // runs
        {"hidden-3.dat",  // its copy was killed, its window's program still runs
         {.writerId = 78, .writerStarted = 1, .entries = {{9, 0, 20, notepad, 1, "N", ""}}}},
        {"hidden-4.dat",  // killed, and the program whose window it names is gone
         {.writerId = 79, .writerStarted = 1, .entries = {{9, 0, 20, notepad - 1, 1, "N", ""}}}},
        {"hidden-5.tmp", {.writerId = 80, .writerStarted = 1}},
        {"hidden-1.tmp",  // what a killed write of this session left
         {.writerId = 81, .writerStarted = 1, .entries = {{9, 0, 20, notepad, 1, "N", ""}}}},
        {"hidden-1.dat", {.writerId = 82, .writerStarted = 1}},  // this session's: recover()'s
    };
    for (const auto& [name, journal] : files) fake.files.put(folder + name, EncodeJournal(journal));
    fake.files.put(folder + "hidden-6.tmp", "KVR2\x01");  // cut short: maybe being written now
    EXPECT_EQ(engine->journal.removeAbandoned(), 3u);
    for (const char* kept : {"hidden-1.dat", "hidden-2.dat", "hidden-3.dat", "hidden-6.tmp"}) {
        EXPECT_TRUE(fake.files.exists(folder + kept)) << kept;
    }
    for (const char* gone : {"hidden-4.dat", "hidden-5.tmp", "hidden-1.tmp"}) {
        EXPECT_FALSE(fake.files.exists(folder + gone)) << gone;
    }
}

// Killed while muted: the journal holds the device and the volume it had, written before the
// speakers went silent, and the next start gives the volume back where it still reads 0, as
// after a reboot too (the system keeps a device's volume). A volume the user set meanwhile, and
// a device that is gone, are left alone.
TEST_F(Journal, AVolumeAKilledRunSilencedComesBackWhereItStillReadsZero) {
    settings::SE = method::kUnderMouse;
    fake.mixer.volume = 40000;
    platform::FakeSoundDevice& headset = fake.mixer.otherDevices["{headset}"];
    headset.volume = 30000;
    std::vector<engine::MutedDevice> journalledAtMute;
    fake.mixer.onWrite = [&](std::uint32_t value) {
        if (value == 0 && journalledAtMute.empty()) journalledAtMute = journalOnFile().sound;
    };
    under("Notepad", "a.txt");
    press(Slot::HideUnderMouse);
    fake.mixer.defaultDevice = "{headset}";
    under("Notepad", "b.txt");
    press(Slot::HideUnderMouse);
    fake.mixer.onWrite = nullptr;
    const std::vector<engine::MutedDevice> both = {{platform::FakeMixer::kSpeakers, 40000},
                                                   {"{headset}", 30000}};
    EXPECT_EQ(journalledAtMute, std::vector<engine::MutedDevice>{both.front()})
        << "on file before the first device went silent";
    EXPECT_EQ(journalOnFile().sound, both);

    headset.volume = 25000;  // the user's own choice since
    EXPECT_EQ(killAndStartAgain().sound, both);
    EXPECT_EQ(fake.mixer.volume, 40000u);
    EXPECT_EQ(headset.volume, 25000u);
    EXPECT_FALSE(fake.files.exists(kJournal));

    fake.mixer.volume = 0;
    fake.files.put(kJournal, EncodeJournal({.sound = both}));
    headset.present = false;
    const std::size_t headsetWrites = headset.writes.size();
    killAndStartAgain();
    EXPECT_EQ(fake.mixer.volume, 40000u);
    EXPECT_EQ(headset.writes.size(), headsetWrites);
    // The sound hotkey alone keeps a journal too, and its restore empties it.
    fake.mixer.defaultDevice = platform::FakeMixer::kSpeakers;
    press(Slot::ToggleSound);
    EXPECT_EQ(journalOnFile().sound.size(), 1u);
    press(Slot::ToggleSound);
    EXPECT_FALSE(fake.files.exists(kJournal));
}

// Killed while the notification area was hidden: the journal holds what the hide measured, on
// file before the area shrank, and the next start puts it back while the taskbar is the one
// that was shrunk; a taskbar started anew since (Explorer restarted, a reboot) is left alone.
TEST_F(Journal, TheNotificationAreaAKilledRunHidComesBackWhileItsTaskbarIsTheSame) {
    settings::OO = 1;
    fake.shell.makeTaskbar(platform::FakeShell::Edge::Bottom);
    tray.measured = modSysTray::MeasureTray();
    ASSERT_TRUE(tray.measured.complete());
    fake.desktop.processStarts[fake.shell.processId] = 133'000'000'000'000'000ull;
    std::optional<engine::JournalTrayArea> journalledAtHide;
    tray.onHide = [&] { journalledAtHide = journalOnFile().trayArea; };
    under("Notepad", "a.txt");
    press(Slot::HideUnderMouse);
    ASSERT_TRUE(journalledAtHide.has_value()) << "on file before the area shrank";
    EXPECT_EQ(journalledAtHide->area, tray.measured);
    EXPECT_EQ(journalledAtHide->processId, fake.shell.processId);

    EXPECT_EQ(killAndStartAgain().trayArea, tray.measured);
    EXPECT_EQ(tray.putBack, std::vector<engine::TrayGeometry>{tray.measured});

    fake.files.put(kJournal, EncodeJournal({.trayArea = journalledAtHide}));
    fake.desktop.processStarts[fake.shell.processId] += 1;  // Explorer started again
    EXPECT_FALSE(killAndStartAgain().trayArea);
    EXPECT_EQ(tray.putBack.size(), 1u);
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
         {std::string(), std::string("KVRJ"), std::string("KVR2"), std::string(1000, '\xA5'),
          // The handle of a hidden window, but not in a journal's shape.
          std::string("KVRX") +
              EncodeJournal({.entries = {entry(hidden, 0, 20, "Notepad")}}).substr(4)}) {
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

TEST_F(JournalAtStart, WindowsVolumeAndAreaComeBackBeforeAnyHotkeyIsRegistered) {
    const Hwnd hidden = window("Notepad", "n", {.visible = false, .processId = 20});
    fake.shell.makeTaskbar(platform::FakeShell::Edge::Bottom);
    const engine::TrayGeometry area = modSysTray::MeasureTray();
    std::uint32_t explorer = 0;
    fake.shell.getWindowThreadProcessId(area.tray, explorer);
    fake.mixer.volume = 0;
    fake.files.put(kJournal,
                   EncodeJournal({.sound = {{platform::FakeMixer::kSpeakers, 40000}},
                                  .trayArea = JournalTrayArea{.area = area, .processId = explorer},
                                  .entries = {entry(hidden, 0, 20, "Notepad")}}));
    int registeredWhenShown = -1, registeredAtVolume = -1;
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.hwnd == hidden) registeredWhenShown = fake.queue.registerCalls();
    };
    fake.mixer.onWrite = [&](std::uint32_t) { registeredAtVolume = fake.queue.registerCalls(); };
    exitWhenRunning();
    EXPECT_EQ(program.run(), 0);
    EXPECT_EQ(registeredWhenShown, 0);
    EXPECT_TRUE(visible(hidden));
    EXPECT_EQ(registeredAtVolume, 0);
    EXPECT_EQ(fake.mixer.volume, 40000u);
    EXPECT_EQ(program.trayArea.putBack, std::vector<engine::TrayGeometry>{area});
}

// A hotkey pressed while a hide waits for a program that does not answer acts at once, in the
// same pass of the loop: the hide is confirmed from the loop, by the main window's timer. A
// sound hotkey after a hide that mutes finds the mute done, as if the hide were over.
TEST_F(JournalAtStart, AHotkeyPressedWhileAHideWaitsForAHungProgramActsAtOnce) {
    constexpr const char* kOptions = "Software\\ORQ\\KVR\\Options";
    constexpr std::uint32_t kF2 = 113, kF11 = 122, kF12 = 123;
    struct Case {
        const char* name;
        std::uint32_t modifiers;
        std::uint32_t key;
        int mutingMethods;  // SE
        bool quickShown;
        std::uint32_t volume;  // at once, and once the hide is over
    };
    for (const Case& c :
         {Case{"Ctrl+F12", platform::mod::kControl, kF12, method::kByTitle, true, 40000},
          Case{"Alt+F2", platform::mod::kAlt, kF2, 0, false, 0},
          Case{"Alt+F2 after a hide that mutes", platform::mod::kAlt, kF2, method::kByTitle, false,
               40000}}) {
        SCOPED_TRACE(c.name);
        fake.registry.putText(platform::reg::kCurrentUser, kOptions, "BxTT", "Budget");
        fake.registry.putText(platform::reg::kCurrentUser, kOptions, "SE",
                              std::to_string(c.mutingMethods));
        fake.mixer.volume = 40000;
        fake.desktop.resetCounters();
        const Hwnd quick = window("Sheet", "Budget 1", {.processId = 20});
        const Hwnd stuck = window("Sheet", "Budget 2", {.processId = 30});
        fake.desktop.stopAnswering(34);
        int step = 0;
        bool pending = false, quickVisible = false, looked = false;
        std::uint32_t volume = 0, volumeOnceOver = 0, pressedAt = 0;
        fake.queue.onIdle = [&] {
            if (auto* splash = modGeneral::Splash(); splash && splash->loaded()) {
                fake.queue.post([splash] { splash->picSplash.tick(); });
                return;
            }
            frmPpal* main = MainWindow();
            if (step == 0) {
                pressedAt = fake.input.now;
                ASSERT_TRUE(fake.queue.press(platform::mod::kShift, kF11));
                ASSERT_TRUE(fake.queue.press(c.modifiers, c.key));
                ++step;
                return;
            }
            if (step == 1) {
                pending = program.engine.HidesPending() && main->tmrConfirmar.enabled();
                quickVisible = visible(quick);
                volume = fake.mixer.volume;
                looked = fake.input.now != pressedAt;
            }
            ++step;
            if (main->tmrConfirmar.enabled()) {
                fake.input.advance(static_cast<std::uint32_t>(main->tmrConfirmar.interval()));
                fake.queue.post([main] { main->tmrConfirmar.tick(); });
            } else {
                volumeOnceOver = fake.mixer.volume;
                fake.queue.post([main] { main->mnuSalir.click(); });
            }
        };
        EXPECT_EQ(program.run(), 0);
        EXPECT_TRUE(pending) << "the hide still waited for the program that does not answer";
        EXPECT_FALSE(looked);
        EXPECT_EQ(quickVisible, c.quickShown);
        EXPECT_EQ(volume, c.volume);
        EXPECT_EQ(volumeOnceOver, c.volume);
        EXPECT_EQ(fake.desktop.waits, 0u) << "nothing waited for the program that does not answer";
        EXPECT_TRUE(visible(stuck));
        fake.desktop.answerAgain(34);
        EXPECT_TRUE(visible(stuck)) << "its show follows the hide that was on its way";
        fake.desktop.destroy(quick);
        fake.desktop.destroy(stuck);
        modMensajes::resetForTests();
        modGeneral::resetForTests();
    }
}

TEST_F(JournalAtStart, ASecondCopyLeavesTheRunningCopysWindowsHidden) {
    const Hwnd hidden = window("Notepad", "n", {.visible = false, .processId = 20});
    const std::string journal = EncodeJournal({.entries = {entry(hidden, 0, 20, "Notepad")}});
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
