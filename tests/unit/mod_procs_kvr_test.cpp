// Hiding by program: the list file lsv.dat, the hide command, the tick and the show, on the
// in-memory desktop; then the main window's timer and exit around them.
#include "engine/mod_procs_kvr.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/ids.h"
#include "mainwin/frm_ppal.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using modProcsKVR::HideListEntry;
using modProcsKVR::ProcessHideList;
using platform::FileStep;
using platform::Hwnd;
using namespace std::string_literals;

// One field as the file holds it, spelled out here so that the writer is checked against the
// layout and not against itself.
std::string field(const std::string& ansi) {
    return std::string{static_cast<char>(ansi.size() & 0xFF), static_cast<char>(ansi.size() >> 8)} +
           ansi;
}
std::string record(const std::string& a, const std::string& b = "", const std::string& c = "",
                   const std::string& d = "") {
    return field(a) + field(b) + field(c) + field(d);
}
std::vector<HideListEntry> listOf(std::vector<HideListEntry> entries) {
    entries.insert(entries.begin(), HideListEntry{});
    return entries;
}
// A list of programs named by their keys alone.
std::vector<HideListEntry> keys(std::initializer_list<std::string> names) {
    std::vector<HideListEntry> entries(1);
    for (const std::string& name : names) entries.push_back({name, "", "", ""});
    return entries;
}

class HideListFile : public ::testing::Test {
protected:
    test::FakePlatform fake;
    const std::string list = fake.system.folder + "\\lsv.dat";
    const std::string temp = fake.system.folder + "\\lsv.tmp";

    std::string bytes() {
        std::string b;
        EXPECT_TRUE(fake.files.readFile(list, b));
        return b;
    }
    std::vector<HideListEntry> reloaded() {
        ProcessHideList = keys({"stale.exe", "old.exe"});
        modProcsKVR::LoadProcessHideList();
        return ProcessHideList;
    }
    static std::vector<HideListEntry> entries(int n) {
        std::vector<HideListEntry> e;
        for (int i = 0; i < n; ++i) e.push_back({"p" + std::to_string(i) + ".exe", "x", "y", ""});
        return listOf(e);
    }
};

TEST_F(HideListFile, TwoEntriesWithAccentsAreWrittenInAnsiAndReadBackFieldByField) {
    ProcessHideList = listOf(
        {{"Caf\xC3\xA9.exe", "C:\\Men\xC3\xBC\\Caf\xC3\xA9.exe", "Caf\xC3\xA9", "\xE2\x82\xAC 5"},
         {"b.exe", "", "b", ""}});
    const auto saved = ProcessHideList;
    ASSERT_TRUE(modProcsKVR::SaveProcessHideList());
    EXPECT_EQ(bytes(), record("Caf\xE9.exe", "C:\\Men\xFC\\Caf\xE9.exe", "Caf\xE9", "\x80 5") +
                           record("b.exe", "", "b", ""));
    EXPECT_EQ(reloaded(), saved);
    EXPECT_FALSE(fake.files.exists(temp));
    // On the disk before it takes the list's place: a power cut leaves one whole list.
    EXPECT_EQ(fake.files.changes, (std::vector<std::string>{"write " + temp, "flush " + temp,
                                                            "move " + temp + " " + list}));
}

TEST_F(HideListFile, AnEntryOfFourEmptyFieldsIsEightZeroBytes) {
    ProcessHideList = listOf({{"", "", "", ""}});
    ASSERT_TRUE(modProcsKVR::SaveProcessHideList());
    EXPECT_EQ(bytes(), std::string(8, '\0'));
    EXPECT_EQ(reloaded(), listOf({{"", "", "", ""}}));
}

TEST_F(HideListFile, ShorteningFiveEntriesToTwoLeavesExactlyTwoRecords) {
    ProcessHideList = entries(5);
    ASSERT_TRUE(modProcsKVR::SaveProcessHideList());
    ProcessHideList.resize(3);
    ASSERT_TRUE(modProcsKVR::SaveProcessHideList());
    EXPECT_EQ(bytes(), record("p0.exe", "x", "y") + record("p1.exe", "x", "y"));
    EXPECT_EQ(reloaded(), entries(2));
}

// Wherever a save stops, the next start finds one whole list: the old one until the new one has
// taken its place in a single step.
TEST_F(HideListFile, AnInterruptedSaveLeavesTheOldListOrTheNewOneWhole) {
    ProcessHideList = entries(2);
    ASSERT_TRUE(modProcsKVR::SaveProcessHideList());
    const std::string old = bytes();
    ProcessHideList = entries(4);

    fake.files.failNext(FileStep::Write, temp, 13);  // the disk fills up half-way
    EXPECT_FALSE(modProcsKVR::SaveProcessHideList());
    EXPECT_EQ(bytes(), old);
    EXPECT_FALSE(fake.files.exists(temp));

    // Stopped for good once the new list was written beside the old one: nothing cleans up.
    fake.files.failNext(FileStep::Move, temp);
    fake.files.failNext(FileStep::Delete, temp);
    EXPECT_FALSE(modProcsKVR::SaveProcessHideList());
    EXPECT_TRUE(fake.files.exists(temp));
    EXPECT_EQ(reloaded(), entries(2));

    ProcessHideList = entries(4);
    ASSERT_TRUE(modProcsKVR::SaveProcessHideList()) << "a stale temporary file is replaced";
    EXPECT_EQ(reloaded(), entries(4));
    EXPECT_FALSE(fake.files.exists(temp));
}

TEST_F(HideListFile, AMissingFileGivesAnEmptyListAndAnEmptyFile) {
    EXPECT_EQ(reloaded(), listOf({}));
    EXPECT_EQ(bytes(), "");
}

TEST_F(HideListFile, AFolderThatCannotBeWrittenStillGivesAnEmptyListAndRefusesTheSave) {
    fake.files.makeReadOnly(fake.system.folder);
    EXPECT_EQ(reloaded(), listOf({}));
    EXPECT_FALSE(fake.files.exists(list));
    ProcessHideList = entries(1);
    EXPECT_FALSE(modProcsKVR::SaveProcessHideList());
}

TEST_F(HideListFile, AFileThatIsThereButCannotBeReadIsLeftAsItIs) {
    fake.files.put(list, record("a.exe"));
    fake.files.failNext(FileStep::Read, list);
    EXPECT_EQ(reloaded(), listOf({}));
    EXPECT_EQ(bytes(), record("a.exe"));
    EXPECT_TRUE(fake.files.changes.empty());
}

// A file cut short or made up keeps the whole records before the damage and nothing more.
TEST_F(HideListFile, ReadingStopsAtTheFirstRecordTheFileEndsInside) {
    const std::string two = record("a.exe", "A") + record("b.exe", "", "B");
    const std::vector<HideListEntry> twoEntries =
        listOf({{"a.exe", "A", "", ""}, {"b.exe", "", "B", ""}});
    const std::pair<std::string, std::vector<HideListEntry>> cases[] = {
        {"", listOf({})},
        {"\x01", listOf({})},
        {two, twoEntries},
        {two + field("c.exe"), twoEntries},
        {two + record("c.exe").substr(0, 9), twoEntries},
        {two + "\xFF\xFF" + "short", twoEntries},
        {two + field("c.exe") + field("") + field("") + "\x05", twoEntries},
        {std::string(40, '\xFF'), listOf({})},
    };
    for (const auto& [file, expected] : cases) {
        fake.files.put(list, file);
        EXPECT_EQ(reloaded(), expected) << "file of " << file.size() << " bytes";
    }
    const auto many =
        modProcsKVR::DecodeHideList(std::string(8 * (modProcsKVR::kMaxEntries + 3), '\0'));
    EXPECT_EQ(many.size(), modProcsKVR::kMaxEntries);
}

TEST_F(HideListFile, ATextTooLongForItsLengthIsCutAndTheRecordsAfterItStayWhole) {
    const std::string longText(70000, 'x');
    const auto decoded = modProcsKVR::DecodeHideList(
        modProcsKVR::EncodeHideList({{longText, "", "", ""}, {"next.exe", "", "", ""}}));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0][0], longText.substr(0, 0xFFFF));
    EXPECT_EQ(decoded[1][0], "next.exe");
}

class ProcessHiding : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::FakeTrayArea tray;
    engine::HideEngine engine{tray};
    Hwnd mainWindow = fake.desktop.create("KVR_frmPpal", "KVR", {.visible = false});

    ProcessHiding() {
        settings::OO = 0;
        fake.desktop.addProcess("kvr.exe", 10);
        fake.desktop.addProcess("C:\\Windows\\notepad.exe", 20);
        fake.desktop.addProcess("C:\\Tools\\notepad.exe", 21);
        fake.desktop.addProcess("calc.exe", 30);
        ProcessHideList = keys({"notepad.exe", "editor.exe"});
    }
    Hwnd window(std::uint32_t pid, const std::string& title, bool visible = true) {
        return fake.desktop.create("W", title, {.visible = visible, .processId = pid});
    }
    void press(ids::Slot slot) { engine.Hotkey(ids::hotkeyId(slot), mainWindow); }
    bool visible(Hwnd h) { return fake.desktop.isWindowVisible(h); }
};

TEST_F(ProcessHiding, EveryCopyOfAListedProgramLosesItsWindowsAndLaterOnesGoAtTheNextTick) {
    const Hwnd first = window(20, "notes 1");
    const Hwnd popup = fake.desktop.create("Find", "Find", {.owner = first, .processId = 20});
    const Hwnd second = window(21, "notes 2");
    const Hwnd other = window(30, "calculator");
    press(ids::Slot::HidePrograms);
    EXPECT_TRUE(visible(first)) << "the timer does the hiding";
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_FALSE(visible(first));
    EXPECT_FALSE(visible(popup));
    EXPECT_FALSE(visible(second));
    EXPECT_TRUE(visible(other));
    EXPECT_TRUE(engine.windows.empty()) << "windows hidden by program stay out of the list";

    const Hwnd later = window(21, "opened a minute later");
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_FALSE(visible(later));
    fake.desktop.setVisible(first, true);  // its program shows it again
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_FALSE(visible(first));
    EXPECT_EQ(modProcsKVR::ProcessHiddenWindows.order,
              (std::vector<Hwnd>{second, popup, first, later}));

    press(ids::Slot::ShowPrograms);
    for (const Hwnd h : {first, popup, second, later}) EXPECT_TRUE(visible(h));
}

TEST_F(ProcessHiding, ANameDifferingOnlyInLetterCaseHidesNothing) {
    ProcessHideList = keys({"NOTEPAD.EXE", "Calc.exe"});
    const Hwnd notes = window(20, "notes");
    const Hwnd calc = window(30, "calc");
    modProcsKVR::PrepareProcessHiding();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_TRUE(visible(notes));
    EXPECT_TRUE(visible(calc));
}

// lsv.dat holds names in the ANSI code page: a Polish "lodz" with its stroke and accents comes
// back from a Western Windows' file with look-alikes, and must still find its program after a
// restart.
TEST_F(ProcessHiding, ANameOutsideTheCodePageStillFindsItsProgramAfterTheListFile) {
    const std::string lodz =
        "\xC5\x82\xC3\xB3"
        "d\xC5\xBA.exe";
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC.exe";  // two ideographs 1252 lacks
    fake.desktop.addProcess("C:\\Mapy\\" + lodz, 50);
    fake.desktop.addProcess("C:\\Tools\\" + japanese, 60);
    fake.desktop.addProcess("lodz.exe", 70);
    const Hwnd polish = window(50, "mapa");
    const Hwnd ideographs = window(60, "tool");
    const Hwnd plain = window(70, "another program");
    // Added in this run, then as the next run reads it back; and "??.exe", which an older
    // version wrote for the ideographs, names no program at all.
    for (const bool restarted : {false, true}) {
        SCOPED_TRACE(restarted ? "after a restart" : "in the same run");
        ProcessHideList = keys({lodz, "??.exe"});
        if (restarted) {
            ASSERT_TRUE(modProcsKVR::SaveProcessHideList());
            modProcsKVR::LoadProcessHideList();
            ASSERT_EQ(ProcessHideList[1].key,
                      "l\xC3\xB3"
                      "dz.exe");
        }
        modProcsKVR::PrepareProcessHiding();
        modProcsKVR::HideProcessWindowsTick();
        EXPECT_FALSE(visible(polish));
        EXPECT_TRUE(visible(ideographs));
        EXPECT_TRUE(visible(plain)) << "a look-alike stands for its letter, not for others";
        modProcsKVR::ShowProcessWindows();
    }
}

TEST_F(ProcessHiding, AProgramStartedAfterThePressWaitsForTheNextPress) {
    modProcsKVR::PrepareProcessHiding();
    fake.desktop.addProcess("editor.exe", 40);
    const Hwnd editor = window(40, "new editor");
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_TRUE(visible(editor));
    modProcsKVR::PrepareProcessHiding();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_FALSE(visible(editor));
}

TEST_F(ProcessHiding, ShowingTwiceShowsNothingTheSecondTimeNorWhatItsProgramHidItself) {
    const Hwnd shelved = window(20, "hidden by notepad", false);
    const Hwnd notes = window(20, "notes");
    modProcsKVR::PrepareProcessHiding();
    modProcsKVR::HideProcessWindowsTick();
    modProcsKVR::ShowProcessWindows();
    EXPECT_TRUE(visible(notes));
    EXPECT_FALSE(visible(shelved));
    fake.desktop.setVisible(notes, false);  // notepad puts it away
    fake.desktop.resetCounters();
    modProcsKVR::ShowProcessWindows();
    EXPECT_FALSE(visible(notes));
    EXPECT_TRUE(fake.desktop.showCalls.empty());
    fake.desktop.resetCounters();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_EQ(fake.desktop.calls, 0u) << "after the show a tick has nothing to ask";
}

// The tick's cost: one walk over the windows whatever the number of processes to hide, and no
// walk at all while none of them runs.
TEST_F(ProcessHiding, ATickWalksTheWindowsOnceWhateverTheNumberOfProcesses) {
    for (std::uint32_t pid = 100; pid < 120; ++pid) {
        fake.desktop.addProcess("notepad.exe", pid);
        window(pid, "copy");
    }
    modProcsKVR::PrepareProcessHiding();
    ASSERT_EQ(modProcsKVR::ProcessIdsToHide.size(), 22u);
    fake.desktop.resetCounters();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_EQ(fake.desktop.enumCalls, 1u);
    EXPECT_EQ(fake.desktop.getWindowCalls, 0u);
    EXPECT_EQ(fake.desktop.showCalls.size(), 20u);
    // Settled, a tick asks only whether the listed programs' windows are still hidden: the
    // process of a window it met before is known.
    const Hwnd late = window(30, "a new window of another program");
    fake.desktop.resetCounters();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_EQ(fake.desktop.calls, 1u + 1u + 20u);
    fake.desktop.destroy(late);
    fake.desktop.resetCounters();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_EQ(fake.desktop.calls, 1u + 20u);
    EXPECT_EQ(modProcsKVR::KnownWindows.count(late), 0u) << "a window that went is forgotten";

    ProcessHideList = keys({"editor.exe"});
    modProcsKVR::ShowProcessWindows();
    modProcsKVR::PrepareProcessHiding();
    fake.desktop.resetCounters();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_EQ(fake.desktop.calls, 0u);
}

TEST_F(ProcessHiding, AFailedProcessSnapshotHidesNothing) {
    ProcessHideList = keys({modWndXProc::kCannotEnumerate, "notepad.exe"});
    const Hwnd notes = window(20, "notes");
    fake.desktop.snapshotFails = true;
    modProcsKVR::PrepareProcessHiding();
    modProcsKVR::HideProcessWindowsTick();
    EXPECT_TRUE(visible(notes));
}

TEST_F(ProcessHiding, ListProcessWindowsGivesTheVisibleWindowsOfOneProcess) {
    const Hwnd a = window(20, "a");
    window(20, "hidden", false);
    window(30, "other");
    const Hwnd b = window(20, "b");
    const auto found = modProcsKVR::ListProcessWindows(20, mainWindow);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].hwnd, b);
    EXPECT_EQ(found[1].hwnd, a);
    EXPECT_EQ(found[1].threadId, 24u);
    const auto none = modProcsKVR::ListProcessWindows(99, mainWindow);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].hwnd, 0u);
}

// A listed program busy with something else: its window's hide is posted once, and carried out
// when the program answers again. No tick waits for it, asks it again or writes the journal
// again meanwhile.
TEST_F(ProcessHiding, AProgramThatDoesNotAnswerCostsTheTicksNothingAndItsHideIsPostedOnce) {
    const Hwnd busy = window(20, "busy");
    const Hwnd notes = window(21, "notes");
    const std::uint32_t busyThread = 24;  // process 20's main thread
    fake.desktop.stopAnswering(busyThread);
    press(ids::Slot::HidePrograms);
    fake.files.changes.clear();
    fake.desktop.resetCounters();
    const auto postsTo = [&](Hwnd h) {
        return std::count_if(fake.desktop.showCalls.begin(), fake.desktop.showCalls.end(),
                             [h](const auto& call) { return call.hwnd == h; });
    };
    const auto journalWrites = [&] {
        return std::count_if(
            fake.files.changes.begin(), fake.files.changes.end(), [](const std::string& change) {
                return change.starts_with("move ") && change.ends_with(engine::HideJournal::path());
            });
    };

    for (int tick = 0; tick < 50; ++tick) engine.HideProgramsTick();
    EXPECT_EQ(fake.desktop.waits, 0u);
    EXPECT_FALSE(visible(notes));
    EXPECT_TRUE(visible(busy));
    EXPECT_EQ(postsTo(busy), 1);
    EXPECT_EQ(journalWrites(), 1);
    EXPECT_EQ(modProcsKVR::ProcessHiddenWindows.order, (std::vector<Hwnd>{notes, busy}));

    fake.desktop.answerAgain(busyThread);
    EXPECT_FALSE(visible(busy));
    engine.HideProgramsTick();
    fake.desktop.setVisible(busy, true);  // its program shows it again
    engine.HideProgramsTick();
    EXPECT_FALSE(visible(busy));

    // Shown again before any tick saw it hidden: asked again after a while all the same.
    fake.desktop.stopAnswering(busyThread);
    fake.desktop.setVisible(busy, true);
    engine.HideProgramsTick();
    fake.desktop.answerAgain(busyThread);
    fake.desktop.setVisible(busy, true);
    for (std::uint64_t tick = 0; tick < modProcsKVR::kRepostAfterTicks; ++tick) {
        engine.HideProgramsTick();
    }
    EXPECT_FALSE(visible(busy));
    EXPECT_EQ(journalWrites(), 1);

    // The show command waits for it no more than the ticks did.
    fake.desktop.stopAnswering(busyThread);
    press(ids::Slot::ShowPrograms);
    EXPECT_EQ(fake.desktop.waits, 0u);
    EXPECT_TRUE(visible(notes));
    fake.desktop.answerAgain(busyThread);
    EXPECT_TRUE(visible(busy));
}

TEST_F(ProcessHiding, ExitShowsTheWindowsHiddenByProgram) {
    const Hwnd notes = window(20, "notes");
    press(ids::Slot::HidePrograms);
    modProcsKVR::HideProcessWindowsTick();
    engine.Exit();
    EXPECT_TRUE(visible(notes));
    EXPECT_FALSE(engine.processHiding);
}

class MainWindowHidingByProgram : public ProcessHiding {
protected:
    frmPpal main{engine};
    const std::string list = fake.system.folder + "\\lsv.dat";

    MainWindowHidingByProgram() { main.setTestHandle(mainWindow); }
    void hotkey(ids::Slot slot) {
        std::int32_t id = ids::hotkeyId(slot);
        main.RecibirMensajes(id);
    }
    bool listTouched() {
        for (const std::string& change : fake.files.changes) {
            if (change.find("lsv.") != std::string::npos) return true;
        }
        return false;
    }
};

TEST_F(MainWindowHidingByProgram, TheTimerRunsFromTheHideHotkeyToTheShowHotkey) {
    const Hwnd notes = window(20, "notes");
    hotkey(ids::Slot::HidePrograms);
    ASSERT_TRUE(main.tmrPopUp.enabled());
    EXPECT_EQ(main.tmrPopUp.interval(), 10);
    main.tmrPopUp.tick();
    EXPECT_FALSE(visible(notes));
    hotkey(ids::Slot::ShowPrograms);
    EXPECT_FALSE(main.tmrPopUp.enabled());
    EXPECT_TRUE(visible(notes));

    // With no listed program running there is nothing a tick could do until the next press.
    ProcessHideList = keys({"editor.exe"});
    hotkey(ids::Slot::HidePrograms);
    EXPECT_TRUE(engine.processHiding);
    EXPECT_FALSE(main.tmrPopUp.enabled());
    fake.desktop.addProcess("editor.exe", 40);
    hotkey(ids::Slot::HidePrograms);
    EXPECT_TRUE(main.tmrPopUp.enabled());
}

// What waits while a tick walks the windows runs after it, from the loop: a notice, a menu or a
// dialog opened inside the tick would keep every later tick from hiding until it closed.
TEST_F(MainWindowHidingByProgram, NothingWaitingRunsInsideATickSoANoticeHoldsNoTickBack) {
    settings::BxTA = true;
    hotkey(ids::Slot::HidePrograms);
    const Hwnd notes = window(20, "notes");
    // Show all with nothing hidden: a notice, modal, whose own loop runs the timer meanwhile.
    fake.queue.postHotKey(ids::hotkeyId(ids::Slot::ShowAll));
    Hwnd opened = 0;
    bool hiddenWhileOpen = false;
    fake.system.whileOpen = [&](const platform::FakeSystem::Box&) {
        opened = window(20, "opened while the notice is up");
        main.tmrPopUp.tick();
        hiddenWhileOpen = !visible(opened);
    };
    main.tmrPopUp.tick();
    EXPECT_FALSE(visible(notes));
    EXPECT_TRUE(fake.system.boxes.empty()) << "the notice opened inside the tick";
    EXPECT_EQ(fake.queue.pending(), 1u);

    std::int32_t id = 0;
    fake.queue.dispatchPending([&](std::uint32_t hotkeyId) {
        id = static_cast<std::int32_t>(hotkeyId);
        main.RecibirMensajes(id);
    });
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    ASSERT_NE(opened, 0u);
    EXPECT_TRUE(hiddenWhileOpen) << "no tick hid anything while the notice was up";
}

TEST_F(MainWindowHidingByProgram, ExitShowsEverythingAndWritesTheFileOnlyAfterAnEdit) {
    fake.files.put(list, record("notepad.exe"));
    modProcsKVR::LoadProcessHideList();
    main.load();
    const Hwnd notes = window(20, "notes");
    hotkey(ids::Slot::HidePrograms);
    main.tmrPopUp.tick();
    ASSERT_FALSE(visible(notes));
    main.unload();
    EXPECT_TRUE(visible(notes));
    EXPECT_FALSE(listTouched());
    EXPECT_TRUE(fake.system.boxes.empty());
}

TEST_F(MainWindowHidingByProgram, AnEditedListIsSavedAtExitOrTheUserIsToldItCouldNotBe) {
    main.load();
    ProcessHideList = listOf({{"calc.exe", "calc.exe", "calc.exe", ""}});
    modProcsKVR::ProcessHideListEdited = true;
    main.unload();
    std::string saved;
    ASSERT_TRUE(fake.files.readFile(list, saved));
    EXPECT_EQ(saved, record("calc.exe", "calc.exe", "calc.exe"));
    EXPECT_TRUE(fake.system.boxes.empty());

    frmPpal again{engine};
    again.load();
    fake.files.makeReadOnly(fake.system.folder);
    ProcessHideList = listOf({});
    again.unload();
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    const auto message = modTraducir::GetMessage(ids::msg::kHideListNotSaved);
    EXPECT_EQ(fake.system.boxes[0].text, message[0]);
    EXPECT_EQ(fake.system.boxes[0].caption, message[1]);
    ASSERT_TRUE(fake.files.readFile(list, saved));
    EXPECT_EQ(saved, record("calc.exe", "calc.exe", "calc.exe"));
}

}  // namespace
}  // namespace kvr
