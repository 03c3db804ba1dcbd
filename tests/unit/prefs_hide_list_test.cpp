// Tab 1 of the preferences: the running programs in the tree, the programs to hide in the list,
// adding, removing and renaming, and the list written back when the dialog closes.
#include <gtest/gtest.h>

#include "base/ids.h"
#include "engine/hide_engine.h"
#include "engine/mod_procs_kvr.h"
#include "mainwin/frm_ppal.h"
#include "prefs/mod_icon.h"
#include "tests/unit/prefs_fixture.h"

namespace kvr {
namespace {

using modProcsKVR::HideListEntry;
using modProcsKVR::ProcessHideList;

std::vector<HideListEntry> listOf(std::vector<HideListEntry> entries) {
    entries.insert(entries.begin(), HideListEntry{});
    return entries;
}

// An icon of one colour, opaque but for a clear corner.
platform::FakeIcons::Pixels icon(std::uint32_t colour, int size = 32) {
    platform::FakeIcons::Pixels pixels(static_cast<std::size_t>(size * size), colour);
    pixels[0] = 0;
    return pixels;
}

class HideListEditor : public test::PrefsTest {
protected:
    HideListEditor() {
        fake.desktop.addProcess("C:\\Windows\\explorer.exe", 32);
        fake.desktop.addProcess("C:\\Tools\\app.exe", 40);
        fake.desktop.addProcess("C:\\Tools\\app.exe", 41);
        fake.desktop.addProcess("calc.exe", 50);
        fake.icons.put("C:\\Windows\\explorer.exe", {icon(0xFF1070C0u)});
        fake.icons.put("C:\\Tools\\app.exe", {icon(0xFF20A040u), icon(0xFFFF0000u)});
    }

    // The tree node of that key, selected as the user clicks it.
    void pick(frmPref& d, const std::string& key) {
        const int index = d.trvLstProc.indexOf(key);
        ASSERT_GE(index, 0) << key;
        d.trvLstProc.userSelected(index);
    }
    void select(frmPref& d, const std::string& key) {
        const int index = d.lsvOcultar.indexOf(key);
        ASSERT_GE(index, 0) << key;
        d.lsvOcultar.userSelected(static_cast<std::size_t>(index), true, true);
    }
    std::vector<std::string> texts(const frmPref& d) {
        std::vector<std::string> out;
        for (const ui::TreeNode& node : d.trvLstProc.nodes()) out.push_back(node.text);
        return out;
    }
    // The image a node or entry shows, as its key in the image list says.
    std::uint32_t colourOf(const frmPref& d, int image) {
        if (image < 1 || image > int(d.imlProcs.images().size())) return 0;
        return d.imlProcs.images()[std::size_t(image - 1)][8 * 16 + 8];
    }
};

TEST_F(HideListEditor, TheTreeShowsEachRunningProgramOnceUnderTheDesktopWithItsIcon) {
    frmPref& d = open();
    const auto& nodes = d.trvLstProc.nodes();
    ASSERT_EQ(texts(d), (std::vector<std::string>{"Mi escritorio", "C:\\Windows\\explorer.exe",
                                                  "C:\\Tools\\app.exe", "calc.exe"}))
        << "two copies of app.exe give one node";
    EXPECT_EQ(nodes[0].key, "Desktop");
    EXPECT_EQ(nodes[0].image, 1);
    EXPECT_EQ(nodes[0].parent, -1);
    EXPECT_TRUE(nodes[0].expanded);
    EXPECT_EQ(nodes[2].key, "app.exe");
    EXPECT_EQ(nodes[2].parent, 0);
    EXPECT_EQ(nodes[1].key, "explorer.exe");

    // The first icon of each file, 16 pixels; calc.exe has none to give.
    EXPECT_EQ(nodes[2].image, d.imlProcs.indexOf("app.exe"));
    EXPECT_EQ(colourOf(d, nodes[2].image), 0xFF20A040u);
    EXPECT_EQ(colourOf(d, nodes[1].image), 0xFF1070C0u);
    EXPECT_EQ(nodes[3].image, d.imlProcs.indexOf("NoIcon"));
    EXPECT_EQ(d.imlProcs.indexOf("NoIcon"), 1);
    EXPECT_EQ(d.imlProcs.images().size(), 3u);
    EXPECT_EQ(d.imlProcs.variants(nodes[2].image).at(0).size, 32) << "kept for larger screens";
    EXPECT_EQ(fake.icons.liveIcons(), 0u) << "every icon handle was given back";
}

TEST_F(HideListEditor, AProgramWithoutAnIconOrWhoseFileCannotBeReadGetsNoIcon) {
    fake.icons.put("C:\\Tools\\noicon.exe", {});
    fake.desktop.addProcess("C:\\Tools\\noicon.exe", 60);
    fake.desktop.addProcess("C:\\Gone\\missing.exe", 61);
    frmPref& d = open();
    const auto& nodes = d.trvLstProc.nodes();
    const int noIcon = d.imlProcs.indexOf("NoIcon");
    EXPECT_EQ(nodes[std::size_t(d.trvLstProc.indexOf("noicon.exe"))].image, noIcon);
    EXPECT_EQ(nodes[std::size_t(d.trvLstProc.indexOf("missing.exe"))].image, noIcon);
    EXPECT_EQ(d.imlProcs.indexOf("noicon.exe"), 0);

    // The drawing routine itself: nothing drawn, false, and nothing left to give back.
    platform::Bitmap canvas{32, 32, std::vector<std::uint32_t>(32 * 32, 0)};
    EXPECT_FALSE(modIcon::DrawExeIcon("C:\\Tools\\noicon.exe", 0, canvas, 0, 0));
    EXPECT_FALSE(modIcon::DrawExeIcon("C:\\Tools\\app.exe", 2, canvas, 0, 0));
    EXPECT_EQ(canvas.pixels, std::vector<std::uint32_t>(32 * 32, 0));
    EXPECT_TRUE(modIcon::DrawExeIcon("C:\\Tools\\app.exe", 1, canvas, 4, 4));
    EXPECT_EQ(canvas.pixels[5 * 32 + 5], 0xFFFF0000u) << "the icon of the number asked for";
    EXPECT_EQ(canvas.pixels[4 * 32 + 4], 0u) << "at the place asked for";
    EXPECT_EQ(fake.icons.liveIcons(), 0u);
}

// Where the process list gives a bare name, the process's full path finds its file: never the
// folders of the search path, and never a file on a network share, which could keep the dialog
// waiting.
TEST_F(HideListEditor, IconsComeFromTheFullPathOfEachProgramOnALocalDriveOnly) {
    fake.desktop.addProcess("oddtool.exe", 60, "C:\\Odd Folder\\oddtool.exe");
    fake.desktop.addProcess("onpath.exe", 61);  // a process this account cannot open
    fake.desktop.addProcess("shared.exe", 62, "\\\\server\\tools\\shared.exe");
    fake.desktop.addProcess("mapped.exe", 63, "N:\\mapped.exe");
    fake.files.drives['N'] = platform::drive::kRemote;
    for (const char* file : {"C:\\Odd Folder\\oddtool.exe", "onpath.exe",
                             "\\\\server\\tools\\shared.exe", "N:\\mapped.exe"}) {
        fake.icons.put(file, {icon(0xFF804020u)});
    }
    // An entry an older version wrote with a bare name shows the running program's icon.
    ProcessHideList = listOf({{"oddtool.exe", "oddtool.exe", "odd", ""}});
    frmPref& d = open();
    const auto node = [&](const char* key) {
        return d.trvLstProc.nodes()[std::size_t(d.trvLstProc.indexOf(key))];
    };
    EXPECT_EQ(node("oddtool.exe").text, "oddtool.exe") << "shown as the process list names it";
    EXPECT_EQ(colourOf(d, node("oddtool.exe").image), 0xFF804020u);
    EXPECT_EQ(colourOf(d, d.lsvOcultar.items()[0].smallIcon), 0xFF804020u);
    EXPECT_EQ(node("onpath.exe").text, "onpath.exe");
    const int noIcon = d.imlProcs.indexOf("NoIcon");
    for (const char* key : {"onpath.exe", "shared.exe", "mapped.exe"}) {
        EXPECT_EQ(node(key).image, noIcon) << key;
    }
    for (const std::string& file : fake.icons.asked) {
        EXPECT_TRUE(file.starts_with("C:\\")) << file << " was asked for its icon";
    }

    select(d, "oddtool.exe");
    d.cmdBorrarProc.click();
    pick(d, "oddtool.exe");
    d.cmdAgregarProc.click();
    d.cmdAceptar.click();
    EXPECT_EQ(ProcessHideList,
              listOf({{"oddtool.exe", "C:\\Odd Folder\\oddtool.exe", "oddtool.exe", ""}}));
}

// lsv.dat keeps its texts in the ANSI code page (here 1252): a Polish name goes in with
// look-alikes for the letters the code page lacks; one it would keep as "?" is refused.
TEST_F(HideListEditor, TextsTheCodePageCannotKeepAreRefusedWithAMessage) {
    const std::string lodz =
        "\xC5\x82\xC3\xB3"
        "d\xC5\xBA.exe";
    const std::string ideographs = "\xE6\x97\xA5\xE6\x9C\xAC";
    fake.desktop.addProcess(lodz, 60, "C:\\Mapy\\" + lodz);
    fake.desktop.addProcess(ideographs + ".exe", 61, "C:\\Tools\\" + ideographs + ".exe");
    fake.desktop.addProcess("tool.exe", 62, "C:\\" + ideographs + "\\tool.exe");
    const auto refusals = [&] { return fake.system.boxes.size(); };
    frmPref& d = open();

    pick(d, ideographs + ".exe");
    d.cmdAgregarProc.click();
    EXPECT_EQ(d.lsvOcultar.count(), 0u);
    EXPECT_FALSE(d.flgLstViewSucio);
    ASSERT_EQ(refusals(), 1u);
    const auto message = modTraducir::GetMessage(ids::msg::kNotInCodePage);
    EXPECT_EQ(fake.system.boxes[0].text, message[0] + "\n\n" + ideographs + ".exe");
    EXPECT_EQ(fake.system.boxes[0].caption, message[1]);

    pick(d, lodz);
    d.cmdAgregarProc.click();
    pick(d, "tool.exe");
    d.cmdAgregarProc.click();
    ASSERT_EQ(d.lsvOcultar.count(), 2u);
    EXPECT_EQ(refusals(), 1u);
    EXPECT_FALSE(d.lsvOcultar.endLabelEdit(1, "Tool " + ideographs));
    EXPECT_EQ(refusals(), 2u);
    EXPECT_TRUE(d.lsvOcultar.endLabelEdit(1, "Tool"));
    d.cmdAceptar.click();
    // The key as the file gives it back, so that the program is not listed a second time; a
    // folder the file cannot keep is left out.
    EXPECT_EQ(ProcessHideList, listOf({{"l\xC3\xB3"
                                        "dz.exe",
                                        "C:\\Mapy\\" + lodz, lodz, ""},
                                       {"tool.exe", "tool.exe", "Tool", ""}}));
    frmPref& again = open();
    pick(again, lodz);
    again.cmdAgregarProc.click();
    EXPECT_EQ(again.lsvOcultar.count(), 2u) << "listed already";
}

TEST_F(HideListEditor, AddingAProgramGivesItsEntryAndWritingBackItsRow) {
    frmPref& d = open();
    pick(d, "app.exe");
    d.cmdAgregarProc.click();
    ASSERT_EQ(d.lsvOcultar.count(), 1u);
    const ui::ListItem& entry = d.lsvOcultar.items()[0];
    EXPECT_EQ(entry.key, "app.exe");
    EXPECT_EQ(entry.text, "C:\\Tools\\app.exe");
    EXPECT_EQ(entry.tag, "C:\\Tools\\app.exe||||");
    EXPECT_EQ(entry.smallIcon, d.imlProcs.indexOf("app.exe"));
    EXPECT_TRUE(d.flgLstViewSucio);
    EXPECT_EQ(ProcessHideList.size(), 1u) << "the program's list changes when the dialog closes";

    d.cmdAceptar.click();
    EXPECT_FALSE(d.loaded());
    EXPECT_EQ(ProcessHideList,
              listOf({{"app.exe", "C:\\Tools\\app.exe", "C:\\Tools\\app.exe", ""}}));
    EXPECT_TRUE(modProcsKVR::ProcessHideListEdited);
    EXPECT_FALSE(fake.files.exists(fake.system.folder + "\\lsv.dat"))
        << "the file waits for the exit";
}

TEST_F(HideListEditor, NothingTheRootOrAProgramListedAlreadyAddsNothing) {
    ProcessHideList = listOf({{"calc.exe", "calc.exe", "Calculator", ""}});
    frmPref& d = open();
    d.cmdAgregarProc.click();
    pick(d, "Desktop");
    d.cmdAgregarProc.click();
    pick(d, "calc.exe");
    d.cmdAgregarProc.click();
    EXPECT_EQ(d.lsvOcultar.count(), 1u);
    EXPECT_FALSE(d.flgLstViewSucio);

    pick(d, "explorer.exe");
    d.cmdAgregarProc.click();
    d.cmdAgregarProc.click();
    EXPECT_EQ(d.lsvOcultar.count(), 2u) << "added once";
    d.cmdCancelar.click();
    EXPECT_EQ(ProcessHideList.size(), 3u);
}

TEST_F(HideListEditor, TheListShowsTheProgramsListWithTagsIconsAndKeepsFieldThree) {
    ProcessHideList = listOf({{"app.exe", "C:\\Tools\\app.exe", "My tool", "x"},
                              {"old.exe", "C:\\Old\\old.exe", "old.exe", ""},
                              {"app.exe", "C:\\Other\\app.exe", "again", ""}});
    frmPref& d = open();
    ASSERT_EQ(d.lsvOcultar.count(), 2u) << "a key met twice keeps its first entry";
    const ui::ListItem& tool = d.lsvOcultar.items()[0];
    EXPECT_EQ(tool.key, "app.exe");
    EXPECT_EQ(tool.text, "My tool");
    EXPECT_EQ(tool.tag, "C:\\Tools\\app.exe||||x");
    EXPECT_EQ(colourOf(d, tool.smallIcon), 0xFF20A040u);
    EXPECT_EQ(d.lsvOcultar.items()[1].smallIcon, d.imlProcs.indexOf("NoIcon"))
        << "a program that no longer runs stays, without its icon";
    // The running app.exe reuses the image the list added under its file name.
    EXPECT_EQ(d.trvLstProc.nodes()[std::size_t(d.trvLstProc.indexOf("app.exe"))].image,
              tool.smallIcon);

    pick(d, "calc.exe");
    d.cmdAgregarProc.click();
    d.cmdCancelar.click();
    EXPECT_EQ(ProcessHideList, listOf({{"app.exe", "C:\\Tools\\app.exe", "My tool", "x"},
                                       {"old.exe", "C:\\Old\\old.exe", "old.exe", ""},
                                       {"calc.exe", "calc.exe", "calc.exe", ""}}));
}

TEST_F(HideListEditor, RemovingTheLastEntryAndCancellingLeavesTheListEmpty) {
    ProcessHideList = listOf({{"calc.exe", "calc.exe", "calc.exe", ""}});
    frmPref& d = open();
    d.cmdBorrarProc.click();
    EXPECT_EQ(d.lsvOcultar.count(), 1u) << "nothing selected: nothing removed";
    EXPECT_FALSE(d.flgLstViewSucio);
    select(d, "calc.exe");
    d.cmdBorrarProc.click();
    EXPECT_EQ(d.lsvOcultar.count(), 0u);
    d.cmdCancelar.click();
    EXPECT_EQ(ProcessHideList, listOf({}));
}

TEST_F(HideListEditor, ADoubleClickRemovesTheSelectedEntry) {
    ProcessHideList = listOf({{"a.exe", "a.exe", "a.exe", ""}, {"b.exe", "b.exe", "b.exe", ""}});
    frmPref& d = open();
    d.lsvOcultar.onDblClick();
    EXPECT_EQ(d.lsvOcultar.count(), 2u);
    select(d, "b.exe");
    d.lsvOcultar.onDblClick();
    d.unload(ui::UnloadMode::ControlMenu);
    EXPECT_EQ(ProcessHideList, listOf({{"a.exe", "a.exe", "a.exe", ""}}));
}

TEST_F(HideListEditor, ARenameKeepsTheKeyAndAnEmptyOrCancelledOneChangesNothing) {
    ProcessHideList = listOf({{"calc.exe", "C:\\calc.exe", "calc.exe", "x"}});
    frmPref& d = open();
    EXPECT_FALSE(d.lsvOcultar.endLabelEdit(0, std::nullopt)) << "Escape";
    EXPECT_FALSE(d.lsvOcultar.endLabelEdit(0, ""));
    EXPECT_EQ(d.lsvOcultar.items()[0].text, "calc.exe");
    EXPECT_FALSE(d.flgLstViewSucio);
    d.cmdAceptar.click();
    EXPECT_EQ(ProcessHideList, listOf({{"calc.exe", "C:\\calc.exe", "calc.exe", "x"}}));

    frmPref& again = open();
    EXPECT_TRUE(again.lsvOcultar.endLabelEdit(0, "Calculator"));
    EXPECT_TRUE(again.flgLstViewSucio);
    again.cmdCancelar.click();
    EXPECT_EQ(ProcessHideList, listOf({{"calc.exe", "C:\\calc.exe", "Calculator", "x"}}));
}

TEST_F(HideListEditor, OpeningAndClosingWithoutAChangeLeavesTheListAsItWas) {
    // A list the editor would not write this way: only an edit may rewrite it.
    ProcessHideList = listOf({{"calc.exe", "", "Calc", "a||||b"}, {"calc.exe", "", "", ""}});
    const auto before = ProcessHideList;
    frmPref& d = open();
    d.cmdAceptar.click();
    EXPECT_EQ(ProcessHideList, before);
    open().cmdCancelar.click();
    EXPECT_EQ(ProcessHideList, before);

    // Once changed in this run, every later closing writes the list back.
    modProcsKVR::ProcessHideListEdited = true;
    open().cmdCancelar.click();
    EXPECT_EQ(ProcessHideList, listOf({{"calc.exe", "", "Calc", "a||||b"}}));
}

TEST_F(HideListEditor, TheTreeIsTakenAfreshAtEachOpeningAndASnapshotFailureShowsItsOneRow) {
    open().cmdCancelar.click();
    fake.desktop.removeProcess(50);
    fake.desktop.addProcess("notepad.exe", 70);
    frmPref& d = open();
    EXPECT_LT(d.trvLstProc.indexOf("calc.exe"), 0);
    EXPECT_GE(d.trvLstProc.indexOf("notepad.exe"), 0);
    d.cmdCancelar.click();

    fake.desktop.snapshotFails = true;
    frmPref& failed = open();
    EXPECT_EQ(texts(failed),
              (std::vector<std::string>{"Mi escritorio", "Cannot enumerate running process!"}));
}

// The whole way: the main window opens the dialog, the user adds a program and cancels, and the
// exit writes lsv.dat; a run without an edit leaves the file alone.
class HideListAtExit : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::FakeTrayArea tray;
    engine::HideEngine engine{tray};
    const std::string file = fake.system.folder + "\\lsv.dat";

    HideListAtExit() { fake.desktop.addProcess("C:\\Tools\\app.exe", 40); }
    bool fileTouched() {
        for (const std::string& change : fake.files.changes)
            if (change.find("lsv.") != std::string::npos) return true;
        return false;
    }
};

TEST_F(HideListAtExit, AnAddedProgramIsInTheFileAfterTheExit) {
    frmPpal main{engine};
    main.load();
    main.mnuMostrarPref_Click();
    frmPref* d = main.Preferences();
    ASSERT_NE(d, nullptr);
    d->trvLstProc.userSelected(d->trvLstProc.indexOf("app.exe"));
    d->cmdAgregarProc.click();
    d->cmdCancelar.click();
    main.unload();
    std::string bytes;
    ASSERT_TRUE(fake.files.readFile(file, bytes));
    const std::string path = "C:\\Tools\\app.exe";
    EXPECT_EQ(bytes, std::string("\x07\x00", 2) + "app.exe" + std::string("\x10\x00", 2) + path +
                         std::string("\x10\x00", 2) + path + std::string("\x00\x00", 2));
}

TEST_F(HideListAtExit, OpeningAndClosingTheDialogLeavesTheFileAlone) {
    frmPpal main{engine};
    main.load();
    main.mnuMostrarPref_Click();
    main.Preferences()->cmdAceptar.click();
    main.unload();
    EXPECT_FALSE(fileTouched());
}

}  // namespace
}  // namespace kvr
