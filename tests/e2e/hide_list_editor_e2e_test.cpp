// The list of programs to hide, edited on the first tab of the preferences as a user edits it:
// a running program picked in the tree, added with the button, OK; the exit writes lsv.dat and
// the next run hides that program's windows on Shift+F4.
// clang-format off
#include "kvr_e2e.h"
#include <commctrl.h>
// clang-format on

#include "probe_dialog.h"
#include "probe_listview.h"
#include "probe_treeview.h"

namespace e2e {
namespace {

constexpr const char* kTargetClass = "KvrE2eEditorTarget";
constexpr DWORD kActMs = 5000;

std::string field(const std::string& ansi) {
    return std::string{char(ansi.size() & 0xFF), char(ansi.size() >> 8)} + ansi;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class HideListEditor : public KvrTest {
protected:
    const std::string listFile = probe::exeDir() + "\\lsv.dat";
    std::optional<std::string> before;  // what lsv.dat held before the test
    probe::Process kvr;
    std::optional<probe::Process> target;
    HWND targetWindow = nullptr;
    std::vector<probe::Process> others;  // more programs a test started

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        before = probe::readFile(listFile);
        DeleteFileW(probe::widen(listFile).c_str());
        // Another program, running before the dialog opens: the one the user picks.
        target = probe::startProcess(
            probe::exeDir() + "\\probe.exe",
            std::string("create ") + kTargetClass + " \"Program to hide\" --seconds 300");
        ASSERT_TRUE(target);
        ASSERT_TRUE(pumpUntil(
            [&] {
                targetWindow = probe::findWindow(kTargetClass, std::nullopt, target->pid(), 0);
                return targetWindow && probe::isVisible(targetWindow);
            },
            20000));
        seed(kDefaults, {{"OI", "0"}, {"OO", "0"}, {"BxTA", "0"}});
        startProgram();
    }
    void TearDown() override {
        if (kvr.running()) EXPECT_TRUE(exitProgram(kvr));
        if (target) target->kill();
        removeCopies();
        KvrTest::TearDown();
        if (before)
            writeBack(*before);
        else
            DeleteFileW(probe::widen(listFile).c_str());
    }
    void writeBack(const std::string& bytes) {
        HANDLE file = CreateFileW(probe::widen(listFile).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    void startProgram() {
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
        main = mainWindow(kvr);
        ASSERT_NE(main, nullptr) << windowsOf(kvr.pid());
        ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, kActMs));
    }
    std::string text(const std::string& code) { return formText("English", code); }
    HWND openPreferences() { return KvrTest::openPreferences(main, kvr.pid(), "English"); }
    HWND only(HWND dialog, const char* className) {
        const auto found = probe::visibleChildren(dialog, className);
        return found.size() == 1 ? found[0].hwnd : nullptr;
    }
    // The tree's item for a program whose name ends as given, waiting for the tree to fill.
    std::optional<probe::TreeItem> treeItem(HWND tree, const std::string& end) {
        std::optional<probe::TreeItem> found;
        pumpUntil(
            [&] {
                const auto items = probe::treeViewItems(tree);
                if (!items) return false;
                for (const auto& item : *items)
                    if (item.depth == 1 && endsWith(item.text, end)) found = item;
                return found.has_value();
            },
            kActMs);
        return found;
    }
    ::testing::AssertionResult click(HWND tree, const probe::TreeItem& item) {
        const auto rect = probe::treeViewItemRect(tree, item.item);
        if (!rect) return ::testing::AssertionFailure() << "the item is not shown";
        probe::clickAt((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
        if (pumpUntil(
                [&] {
                    const auto items = probe::treeViewItems(tree);
                    if (!items) return false;
                    for (const auto& now : *items)
                        if (now.item == item.item) return now.selected;
                    return false;
                },
                kActMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << probe::quote(item.text) << " not selected";
    }

    // Copies a program to a path of its own (made for the test, removed after it) and starts it
    // there with the arguments.
    std::optional<probe::Process> startCopy(const std::string& from, const std::string& to,
                                            const std::string& args = "") {
        const std::string folder = to.substr(0, to.find_last_of('\\'));
        CreateDirectoryW(probe::widen(folder).c_str(), nullptr);
        copies_.push_back(to);
        if (folder != probe::exeDir()) folders_.push_back(folder);
        if (!CopyFileW(probe::widen(from).c_str(), probe::widen(to).c_str(), FALSE))
            return std::nullopt;
        return probe::startProcess(to, args);
    }
    // Adds the tree's program whose path ends as given with the add button, and closes with OK.
    ::testing::AssertionResult addAndConfirm(HWND dialog, const std::string& end) {
        HWND tree = only(dialog, WC_TREEVIEWA);
        const auto item = treeItem(tree, end);
        if (!item) return ::testing::AssertionFailure() << end << " is not in the tree";
        if (auto clicked = click(tree, *item); !clicked) return clicked;
        probe::clickAt(probe::visibleChildWithText(dialog, text("0146"))->hwnd);
        HWND list = only(dialog, WC_LISTVIEWA);
        if (!pumpUntil(
                [&] {
                    const auto rows = probe::listViewRows(list, 1);
                    return rows && rows->size() == 1;
                },
                kActMs))
            return ::testing::AssertionFailure() << "the list did not take " << item->text;
        probe::clickAt(probe::visibleChildWithText(dialog, text("0101"))->hwnd);
        if (!pumpUntil([&] { return !IsWindow(dialog); }, kActMs))
            return ::testing::AssertionFailure() << "OK did not close the dialog";
        return ::testing::AssertionSuccess();
    }
    // The program started again: Shift+F4 hides the listed program's window and not the other
    // (by default the program's own new main window), Ctrl+F4 shows it again.
    void expectHiddenByProgramAfterARestart(HWND listed, HWND other = nullptr) {
        startProgram();
        if (!other) other = main;
        ASSERT_TRUE(probe::isVisible(listed));
        ASSERT_TRUE(probe::pressKey(16, 115));  // Shift+F4
        EXPECT_TRUE(pumpUntil([&] { return !probe::isVisible(listed); }, kActMs))
            << "the listed program's window stayed";
        EXPECT_TRUE(probe::isVisible(other)) << "only the listed program's windows go";
        ASSERT_TRUE(probe::pressKey(17, 115));  // Ctrl+F4
        EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(listed); }, kActMs));
    }
    void removeCopies() {
        for (auto& program : others) program.kill();
        for (const auto& copy : copies_) DeleteFileW(probe::widen(copy).c_str());
        for (const auto& folder : folders_) RemoveDirectoryW(probe::widen(folder).c_str());
    }

    HWND main = nullptr;
    std::vector<std::string> copies_;
    std::vector<std::string> folders_;
};

TEST_F(HideListEditor, AProgramPickedInTheTreeIsWrittenAtExitAndHiddenByShiftF4AfterARestart) {
    const auto registry = probe::regDump(kOrqKey);
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    HWND tree = only(dialog, WC_TREEVIEWA);
    HWND list = only(dialog, WC_LISTVIEWA);
    ASSERT_TRUE(tree && list) << "tab 1 shows one tree and one list";

    const auto items = probe::treeViewItems(tree);
    ASSERT_TRUE(items) << "the tree could not be read";
    ASSERT_FALSE(items->empty());
    EXPECT_EQ((*items)[0].text, "Mi escritorio");
    EXPECT_EQ((*items)[0].depth, 0);
    EXPECT_TRUE((*items)[0].expanded);
    const auto program = treeItem(tree, "probe.exe");
    ASSERT_TRUE(program) << "the running probe.exe is not in the tree";
    int probes = 0;
    for (const auto& item : *probe::treeViewItems(tree)) probes += endsWith(item.text, "probe.exe");
    EXPECT_EQ(probes, 1) << "each program once";
    // kvr.exe holds an icon; the image list's first image is the one for none.
    const auto own = treeItem(tree, "kvr.exe");
    ASSERT_TRUE(own);
    EXPECT_GT(own->image, 0) << "kvr.exe shown without its icon";
    probe::pump(300);  // painted
    screenshot("tab1");

    ASSERT_TRUE(click(tree, *program));
    const auto add = probe::visibleChildWithText(dialog, text("0146"));
    ASSERT_TRUE(add) << "no add button";
    probe::clickAt(add->hwnd);
    std::optional<std::vector<std::vector<std::string>>> rows;
    ASSERT_TRUE(pumpUntil(
        [&] {
            rows = probe::listViewRows(list, 1);
            return rows && rows->size() == 1;
        },
        kActMs))
        << "the list did not take the program";
    EXPECT_EQ((*rows)[0][0], program->text);
    probe::pump(300);
    screenshot("added");

    probe::clickAt(probe::visibleChildWithText(dialog, text("0101"))->hwnd);  // OK
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, kActMs));
    // OK stores the settings; the list has no place among them.
    const auto keys = [](const std::vector<std::string>& dump) {
        std::vector<std::string> out;
        for (const auto& line : dump)
            if (line.rfind("KEY ", 0) == 0) out.push_back(line);
        return out;
    };
    const auto stored = probe::regDump(kOrqKey);
    EXPECT_EQ(keys(stored), keys(registry));
    for (const auto& line : stored) EXPECT_EQ(line.find("probe.exe"), std::string::npos) << line;
    EXPECT_EQ(probe::readFile(listFile), "") << "the file, made empty at start, waits for the exit";

    ASSERT_TRUE(exitProgram(kvr));
    // Field 2 is where the program runs from, found from the process itself.
    EXPECT_EQ(probe::readFile(listFile), field("probe.exe") +
                                             field(probe::exeDir() + "\\probe.exe") +
                                             field(program->text) + field(""));

    expectHiddenByProgramAfterARestart(targetWindow);
}

// Programs of the system that hold icons, started for the occasion: the tree shows each with the
// first icon of its file, found from the full path of its process (the process list gives a bare
// name under Wine). The entry added for one of them is renamed in place, and the exit writes the
// new name.
TEST_F(HideListEditor, EachProgramIsShownWithTheIconOfItsFileAndAnEntryIsRenamedInPlace) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const char* name : {"notepad.exe", "regedit.exe", "winemine.exe"}) {
        auto started = probe::startProcess(probe::narrow(system) + "\\" + name);
        if (started) others.push_back(std::move(*started));
    }
    ASSERT_FALSE(others.empty());
    probe::pump(3000);  // their windows up, before the dialog takes the snapshot
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    HWND tree = only(dialog, WC_TREEVIEWA);
    ASSERT_NE(tree, nullptr);
    const auto notepad = treeItem(tree, "notepad.exe");
    ASSERT_TRUE(notepad) << "notepad.exe is not in the tree";
    EXPECT_GT(notepad->image, 0) << "notepad.exe shown without its icon";
    const auto target = treeItem(tree, "probe.exe");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->image, 0) << "probe.exe has no icon: the first image, the one for none";
    int withIcons = 0;
    for (const auto& item : *probe::treeViewItems(tree)) withIcons += item.image > 0;
    std::printf("[ note ] %d programs of the tree shown with their own icon\n", withIcons);

    ASSERT_TRUE(click(tree, *notepad));
    probe::clickAt(probe::visibleChildWithText(dialog, text("0146"))->hwnd);
    HWND list = only(dialog, WC_LISTVIEWA);
    std::optional<std::vector<int>> images;
    ASSERT_TRUE(pumpUntil(
        [&] {
            images = probe::listViewImages(list);
            return images && images->size() == 1;
        },
        kActMs));
    EXPECT_EQ((*images)[0], notepad->image) << "the entry shows the program's icon";
    probe::pump(500);  // painted
    screenshot("icons");

    // Renamed in place: a click on the entry, F2, the new name, Enter. Enter ends the edit,
    // not the dialog.
    const auto box = probe::visibleChildren(dialog, WC_LISTVIEWA).at(0).rect;
    probe::clickAt(box.left + 40, box.top + 30);
    probe::pump(300);
    probe::pressKey(0, VK_F2);
    HWND edit = nullptr;
    ASSERT_TRUE(
        pumpUntil([&] { return (edit = FindWindowExW(list, nullptr, L"Edit", nullptr)); }, kActMs))
        << "F2 did not start the rename";
    probe::typeText("Text editor");
    probe::pump(200);
    probe::pressKey(0, VK_RETURN);
    std::optional<std::vector<std::vector<std::string>>> rows;
    EXPECT_TRUE(pumpUntil(
        [&] {
            rows = probe::listViewRows(list, 1);
            return rows && rows->size() == 1 && (*rows)[0][0] == "Text editor";
        },
        kActMs))
        << "the entry shows " << (rows && !rows->empty() ? (*rows)[0][0] : "nothing");
    probe::pump(300);
    ASSERT_TRUE(IsWindow(dialog)) << "Enter ended the dialog instead of the rename";

    // Cancel keeps what was done to the list; the exit writes it.
    probe::clickAt(probe::visibleChildWithText(dialog, text("0102"))->hwnd);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, kActMs));
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_EQ(probe::readFile(listFile), field("notepad.exe") +
                                             field(probe::narrow(system) + "\\notepad.exe") +
                                             field("Text editor") + field(""));
}

// A program run from a folder that is not on the search path: the tree shows it with the icon of
// its file, and the list file holds where it runs from in field 2.
TEST_F(HideListEditor, AProgramFromAFolderOffThePathShowsItsOwnIconAndIsListedWithItsFullPath) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::string path = probe::exeDir() + "\\odd tools\\oddtool.exe";
    auto started = startCopy(probe::narrow(system) + "\\notepad.exe", path);
    ASSERT_TRUE(started) << "could not run a copy of notepad.exe as " << path;
    others.push_back(std::move(*started));
    probe::pump(3000);  // its window up, before the dialog takes the snapshot
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    const auto odd = treeItem(only(dialog, WC_TREEVIEWA), "oddtool.exe");
    ASSERT_TRUE(odd) << "oddtool.exe is not in the tree";
    EXPECT_GT(odd->image, 0) << "shown without the icon of its file";
    probe::pump(300);
    screenshot("full_path");
    ASSERT_TRUE(addAndConfirm(dialog, "oddtool.exe"));
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_EQ(probe::readFile(listFile),
              field("oddtool.exe") + field(path) + field(odd->text) + field(""));
}

// Under this Wine the ANSI code page is 1252, which has no Polish "l with stroke" or "z acute":
// lsv.dat holds the name with look-alikes, and after a restart Shift+F4 still finds the program.
TEST_F(HideListEditor, AProgramNamedOutsideTheCodePageIsHiddenByShiftF4AfterARestart) {
    constexpr const char* kPolishClass = "KvrE2ePolishTarget";
    const std::string name =
        "\xC5\x82\xC3\xB3"
        "d\xC5\xBA.exe";
    auto started = startCopy(probe::exeDir() + "\\probe.exe", probe::exeDir() + "\\" + name,
                             std::string("create ") + kPolishClass + " \"Mapa\" --seconds 300");
    ASSERT_TRUE(started) << "could not run probe.exe as " << name;
    const DWORD pid = started->pid();
    others.push_back(std::move(*started));
    HWND window = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            window = probe::findWindow(kPolishClass, std::nullopt, pid, 0);
            return window && probe::isVisible(window);
        },
        20000));
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(addAndConfirm(dialog, name));
    ASSERT_TRUE(exitProgram(kvr));
    const auto written = probe::readFile(listFile);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->rfind(field("l\xF3"
                                   "dz.exe"),
                             0),
              0u)
        << "the key as the code page holds it";
    EXPECT_EQ(written->find('?'), std::string::npos);

    expectHiddenByProgramAfterARestart(window, targetWindow);
}

}  // namespace
}  // namespace e2e
