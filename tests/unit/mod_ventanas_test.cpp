#include "engine/mod_ventanas.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_desktop.h"
#include "platform/services.h"

namespace kvr {
namespace {

using platform::FakeWindowSetup;
using platform::Hwnd;
using namespace modVentanas;

class ModVentanas : public ::testing::Test {
protected:
    void SetUp() override {
        saved = platform::installed();
        platform::Services services = saved;
        services.desktop = &desk;
        platform::install(services);
        resetForTests();
    }
    void TearDown() override {
        resetForTests();
        platform::install(saved);
    }

    static FakeWindowSetup in(std::uint32_t pid, bool visible = true) {
        FakeWindowSetup setup;
        setup.processId = pid;
        setup.visible = visible;
        return setup;
    }
    static FakeWindowSetup childOf(Hwnd parent) {
        FakeWindowSetup setup;
        setup.parent = parent;
        return setup;
    }
    static FakeWindowSetup ownedBy(Hwnd owner) {
        FakeWindowSetup setup;
        setup.owner = owner;
        return setup;
    }

    static std::vector<Hwnd> handles(const std::vector<ClassWindow>& list) {
        std::vector<Hwnd> out;
        for (const ClassWindow& r : list) out.push_back(r.hwnd);
        return out;
    }

    platform::FakeDesktop desk;
    platform::Services saved;
};

TEST_F(ModVentanas, ClassPrefixWalkFindsTopLevelWindowsWhoseClassBeginsWithIt) {
    const Hwnd pad = desk.create("Notepad", "Untitled - Notepad", in(10));
    desk.create("notepad", "other case", in(20));
    desk.create("Not", "shorter than the prefix", in(30));
    const Hwnd noteX = desk.create("NoteX", "", in(40, false));
    desk.create("NoteChild", "a child is on another level", childOf(pad));
    const Hwnd top = desk.create("Explorer", "top", in(50));

    const auto list = ListWindowsOfClass(top, "Note");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(handles(list), (std::vector<Hwnd>{noteX, pad, 0}));
    EXPECT_EQ(list[0].title, "");
    EXPECT_EQ(list[0].visible, 0) << "invisible windows are listed with their flag";
    EXPECT_EQ(list[0].processId, 40u);
    EXPECT_EQ(list[0].threadId, 44u);
    EXPECT_EQ(list[1].title, "Untitled - Notepad");
    EXPECT_EQ(list[1].visible, 1);
    EXPECT_EQ(list[1].processId, 10u);
    const ClassWindow& trailing = list[2];
    EXPECT_EQ(trailing.title, "");
    EXPECT_EQ(trailing.visible, 0);
    EXPECT_EQ(trailing.processId, 0u);
    EXPECT_EQ(trailing.threadId, 0u);

    EXPECT_EQ(handles(ListWindowsOfClass(pad, "Notepad")), (std::vector<Hwnd>{pad, 0}));
    EXPECT_EQ(handles(ListWindowsOfClass(pad, "Notepad++")), (std::vector<Hwnd>{0}));
}

TEST_F(ModVentanas, EmptyPrefixWalksNothing) {
    desk.create("Notepad", "x");
    const Hwnd h = desk.create("Notepad", "y");
    desk.resetCounters();
    EXPECT_TRUE(ListWindowsOfClass(h, "").empty());
    EXPECT_EQ(desk.calls, 0u);
}

TEST_F(ModVentanas, ClassPrefixWalkStaysOnTheStartWindowsLevel) {
    const Hwnd dialog = desk.create("#32770", "Options");
    const Hwnd ok = desk.create("Button", "OK", childOf(dialog));
    desk.create("Edit", "", childOf(dialog));
    const Hwnd cancel = desk.create("ButtonEx", "Cancel", childOf(dialog));
    desk.create("Button", "top-level buttons are not siblings of controls");

    EXPECT_EQ(handles(ListWindowsOfClass(cancel, "Button")), (std::vector<Hwnd>{ok, cancel, 0}));
}

TEST_F(ModVentanas, ClassPrefixIsComparedByCharacterAndCase) {
    const Hwnd a = desk.create("Größe", "", in(1));
    desk.create("GRÖSSE", "", in(2));
    desk.create("Gr", "", in(3));
    EXPECT_EQ(handles(ListWindowsOfClass(a, "Grö")), (std::vector<Hwnd>{a, 0}));
    EXPECT_EQ(handles(ListWindowsOfClass(a, "GRÖ")).size(), 2u);
    EXPECT_EQ(handles(ListWindowsOfClass(a, "grö")), (std::vector<Hwnd>{0}));
}

TEST_F(ModVentanas, ClassPrefixWalkFromAVanishedWindowFindsNothing) {
    const Hwnd gone = desk.create("Notepad", "x");
    desk.create("Notepad", "y");
    desk.destroy(gone);
    EXPECT_EQ(handles(ListWindowsOfClass(gone, "Note")), (std::vector<Hwnd>{0}));
}

TEST_F(ModVentanas, TitleIsEmptyForUntitledVanishedAndNoWindow) {
    const Hwnd titled = desk.create("Notepad", "Ελληνικά Кириллица Español");
    const Hwnd untitled = desk.create("Notepad", "");
    const Hwnd gone = desk.create("Notepad", "soon gone");
    desk.destroy(gone);
    EXPECT_EQ(GetWindowTitle(titled), "Ελληνικά Кириллица Español");
    EXPECT_EQ(GetWindowTitle(untitled), "");
    EXPECT_EQ(GetWindowTitle(gone), "");
    EXPECT_EQ(GetWindowTitle(0), "");
    EXPECT_EQ(GetWindowClass(titled), "Notepad");
    EXPECT_EQ(GetWindowClass(gone), "");
}

TEST_F(ModVentanas, RootWindowClimbsThroughParentsAndOwners) {
    const Hwnd app = desk.create("App", "main");
    const Hwnd dialog = desk.create("#32770", "Find", ownedBy(app));
    const Hwnd group = desk.create("Button", "group", childOf(dialog));
    const Hwnd check = desk.create("Button", "Match case", childOf(group));
    const Hwnd nested = desk.create("#32770", "nested dialog", ownedBy(dialog));

    EXPECT_EQ(GetRootWindow(check), app);
    EXPECT_EQ(GetRootWindow(nested), app);
    EXPECT_EQ(GetRootWindow(app), app);
    EXPECT_EQ(GetRootWindow(0), 0u);

    // An owned window that is not a pop-up does not report its owner: the climb stops there.
    FakeWindowSetup overlapped = ownedBy(app);
    overlapped.popup = false;
    const Hwnd tool = desk.create("Tool", "owned, overlapped", overlapped);
    EXPECT_EQ(GetRootWindow(desk.create("Edit", "", childOf(tool))), tool);

    desk.destroy(app);
    EXPECT_EQ(GetRootWindow(check), check) << "a vanished handle is its own root";
}

TEST_F(ModVentanas, EnumTopWindowsFillsSlotsFromOneEveryTime) {
    const Hwnd a = desk.create("A", "a");
    const Hwnd hidden = desk.create("B", "", in(7, false));
    desk.create("C", "child", childOf(a));
    const Hwnd popup = desk.create("D", "owned", ownedBy(a));
    TopWindows = {0, 0xDEAD, 0xBEEF};

    EXPECT_NE(EnumTopWindows(1), 0);
    EXPECT_EQ(TopWindows, (std::vector<Hwnd>{0, popup, hidden, a}));
    EXPECT_NE(EnumTopWindows(1), 0);
    EXPECT_EQ(TopWindows.size(), 4u) << "a second enumeration does not append to the first";
    EXPECT_EQ(desk.enumCalls, 2u);

    desk.destroy(a);
    desk.destroy(hidden);
    EXPECT_NE(EnumTopWindows(1), 0);
    EXPECT_EQ(TopWindows, (std::vector<Hwnd>{0}));
}

TEST_F(ModVentanas, ShowHideWindowHidesWithZeroAndShowsWithFive) {
    const Hwnd h = desk.create("A", "a");
    const Hwnd popup = desk.create("B", "b", ownedBy(h));
    ShowHideWindow(h, true);
    EXPECT_FALSE(WindowIsVisible(h));
    EXPECT_TRUE(WindowIsVisible(popup)) << "owned windows are left alone";
    ShowHideWindow(h, false);
    EXPECT_TRUE(WindowIsVisible(h));
    ASSERT_EQ(desk.showCalls.size(), 2u);
    EXPECT_EQ(desk.showCalls[0].cmd, 0);
    EXPECT_EQ(desk.showCalls[1].cmd, 5);

    desk.destroy(h);
    ShowHideWindow(h, false);
    EXPECT_FALSE(WindowIsVisible(h));
}

TEST_F(ModVentanas, WindowUnderCursorIsTheDeepestVisibleWindowOrNothing) {
    FakeWindowSetup frame;
    frame.rect = {0, 0, 400, 300};
    const Hwnd app = desk.create("App", "main", frame);
    FakeWindowSetup dialogSetup = ownedBy(app);
    dialogSetup.rect = {100, 100, 300, 200};
    const Hwnd dialog = desk.create("#32770", "Find", dialogSetup);
    FakeWindowSetup buttonSetup = childOf(dialog);
    buttonSetup.rect = {120, 150, 180, 180};
    const Hwnd button = desk.create("Button", "OK", buttonSetup);

    desk.setCursor(130, 160);
    EXPECT_EQ(WindowUnderCursor(), button);
    EXPECT_EQ(GetRootWindow(WindowUnderCursor()), app);
    desk.setCursor(50, 50);
    EXPECT_EQ(WindowUnderCursor(), app);
    desk.setCursor(500, 500);
    EXPECT_EQ(WindowUnderCursor(), 0u);

    desk.setCursor(130, 160);
    desk.cursorReadable = false;
    desk.resetCounters();
    EXPECT_EQ(WindowUnderCursor(), 0u);
    EXPECT_EQ(desk.calls, 1u) << "no window lookup without a position";
}

TEST_F(ModVentanas, CascadeAndTilePassTheirFlagToTheDesktop) {
    desk.create("A", "a");
    desk.create("B", "b");
    desk.create("C", "hidden", in(1, false));
    EXPECT_EQ(CascadeAll(0), 2);
    EXPECT_EQ(TileAll(1), 2);
    EXPECT_EQ(TileAll(0), 2);
    EXPECT_EQ(desk.cascadeCalls, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(desk.tileCalls, (std::vector<std::uint32_t>{1, 0}));
}

}  // namespace
}  // namespace kvr
