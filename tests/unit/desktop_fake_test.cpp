// What the in-memory desktop promises beyond the cases it shares with Wine in the contract
// tests: arranging helpers, hit testing, counters and the switches tests depend on.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/fake/fake_desktop.h"

namespace kvr::platform {
namespace {

namespace sw = platform::sw;

std::vector<Hwnd> enumerated(FakeDesktop& desk) {
    std::vector<Hwnd> list;
    desk.enumWindows([&](Hwnd h) {
        list.push_back(h);
        return true;
    });
    return list;
}

FakeWindowSetup ownedBy(Hwnd owner) {
    FakeWindowSetup setup;
    setup.owner = owner;
    return setup;
}

FakeWindowSetup at(FakeRect rect, Hwnd parent = 0) {
    FakeWindowSetup setup;
    setup.rect = rect;
    setup.parent = parent;
    return setup;
}

TEST(FakeDesktop, HandlesAreDistinctNonZeroAndNeverReused) {
    FakeDesktop desk;
    std::set<Hwnd> seen;
    for (int i = 0; i < 50; ++i) {
        const Hwnd h = desk.create("A", "");
        EXPECT_NE(h, 0u);
        EXPECT_TRUE(seen.insert(h).second);
        if (i % 2 == 0) desk.destroy(h);
    }
}

TEST(FakeDesktop, DestroyTakesChildrenAndOwnedWindowsAlongAtEveryDepth) {
    FakeDesktop desk;
    const Hwnd app = desk.create("App", "");
    const Hwnd dialog = desk.create("Dlg", "", ownedBy(app));
    const Hwnd nested = desk.create("Dlg", "", ownedBy(dialog));
    FakeWindowSetup inNested;
    inNested.parent = nested;
    const Hwnd button = desk.create("Button", "", inNested);
    const Hwnd other = desk.create("Other", "");
    desk.destroy(app);
    for (const Hwnd h : {app, dialog, nested, button}) EXPECT_FALSE(desk.isWindow(h)) << h;
    EXPECT_EQ(enumerated(desk), (std::vector<Hwnd>{other}));
}

TEST(FakeDesktop, WindowsDestroyedDuringEnumerationAreSkipped) {
    FakeDesktop desk;
    const Hwnd a = desk.create("A", "");
    const Hwnd b = desk.create("B", "");
    const Hwnd c = desk.create("C", "");
    std::vector<Hwnd> visited;
    desk.enumWindows([&](Hwnd h) {
        visited.push_back(h);
        if (h == c) desk.destroy(b);
        return true;
    });
    EXPECT_EQ(visited, (std::vector<Hwnd>{c, a}));
}

TEST(FakeDesktop, BringToTopKeepsOwnedWindowsAboveTheirOwner) {
    FakeDesktop desk;
    const Hwnd app = desk.create("App", "");
    const Hwnd tool = desk.create("Tool", "", ownedBy(app));
    const Hwnd find = desk.create("Find", "", ownedBy(app));
    const Hwnd other = desk.create("Other", "");
    desk.bringToTop(app);
    EXPECT_EQ(enumerated(desk), (std::vector<Hwnd>{find, tool, app, other}));
    desk.bringToTop(other);
    EXPECT_EQ(desk.getWindow(app, gw::kHwndFirst), other);
}

TEST(FakeDesktop, ClassNamesFoldCaseWithinAProcessOnly) {
    FakeDesktop desk;
    FakeWindowSetup p1;
    p1.processId = 1;
    FakeWindowSetup p2;
    p2.processId = 2;
    const Hwnd first = desk.create("Notepad", "", p1);
    const Hwnd again = desk.create("NOTEPAD", "", p1);
    const Hwnd elsewhere = desk.create("notepad", "", p2);
    EXPECT_EQ(desk.getClassName(first), "Notepad");
    EXPECT_EQ(desk.getClassName(again), "Notepad");
    EXPECT_EQ(desk.getClassName(elsewhere), "notepad");
}

TEST(FakeDesktop, HitTestingFollowsZOrderVisibilityAndParentBounds) {
    FakeDesktop desk;
    const Hwnd back = desk.create("Back", "", at({0, 0, 200, 200}));
    const Hwnd front = desk.create("Front", "", at({100, 100, 300, 300}));
    const Hwnd outside = desk.create("Child", "", at({250, 0, 290, 50}, back));
    ASSERT_NE(outside, 0u);

    EXPECT_EQ(desk.windowFromPoint(150, 150), front);
    EXPECT_EQ(desk.windowFromPoint(50, 50), back);
    EXPECT_EQ(desk.windowFromPoint(200, 200), front) << "right and bottom edges are outside";
    EXPECT_EQ(desk.windowFromPoint(260, 10), 0u) << "a child is clipped to its parent";
    desk.bringToTop(back);
    EXPECT_EQ(desk.windowFromPoint(150, 150), back);
    desk.setVisible(back, false);
    EXPECT_EQ(desk.windowFromPoint(150, 150), front);
}

TEST(FakeDesktop, TextLengthCountsUtf16Units) {
    FakeDesktop desk;
    EXPECT_EQ(desk.getWindowTextLength(desk.create("A", "abc")), 3);
    EXPECT_EQ(desk.getWindowTextLength(desk.create("A", "ñandú")), 5);
    EXPECT_EQ(desk.getWindowTextLength(desk.create("A", "😀a")), 3);
}

}  // namespace
}  // namespace kvr::platform
