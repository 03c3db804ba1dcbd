// One set of window-manager and process cases, run against the in-memory desktop natively and
// against user32 and Toolhelp under Wine. The real desktop has windows of its own: the cases
// look only at the windows they create, and at their order relative to each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "engine/mod_ventanas.h"
#include "engine/mod_wnd_x_proc.h"
#include "platform/services.h"
#include "tests/contract/contract_env.h"

using kvr::contract::WindowOptions;
using kvr::platform::Hwnd;
namespace gw = kvr::platform::gw;
namespace sw = kvr::platform::sw;
namespace modVentanas = kvr::modVentanas;

namespace {

constexpr char kNonAscii[] = "Ελληνικά Кириллица Español";

class DesktopContract : public ::testing::Test {
  protected:
    void SetUp() override {
        env = kvr::contract::makeDesktop();
        saved = kvr::platform::installed();
        kvr::platform::Services services = saved;
        services.desktop = env.desktop.get();
        kvr::platform::install(services);
        modVentanas::resetForTests();
    }

    void TearDown() override {
        modVentanas::resetForTests();
        kvr::platform::install(saved);
    }

    Hwnd make(const std::string& className, const std::string& title, WindowOptions options = {}) {
        const Hwnd h = env.arranger->create(className, title, options);
        EXPECT_NE(h, 0u) << className;
        return h;
    }

    std::vector<Hwnd> enumerated() {
        std::vector<Hwnd> list;
        EXPECT_TRUE(desktop().enumWindows([&](Hwnd h) {
            list.push_back(h);
            return true;
        }));
        return list;
    }

    std::vector<Hwnd> walk(Hwnd start) {
        std::vector<Hwnd> list;
        for (Hwnd h = desktop().getWindow(start, gw::kHwndFirst); h != 0 && list.size() < 10000;
             h = desktop().getWindow(h, gw::kHwndNext)) {
            list.push_back(h);
        }
        return list;
    }

    // Our windows in the order they appear in list; windows of others are left out.
    static std::vector<Hwnd> ours(const std::vector<Hwnd>& list, const std::vector<Hwnd>& mine) {
        std::vector<Hwnd> out;
        for (const Hwnd h : list) {
            if (std::find(mine.begin(), mine.end(), h) != mine.end()) out.push_back(h);
        }
        return out;
    }

    kvr::platform::Desktop& desktop() { return *env.desktop; }

    kvr::contract::DesktopEnv env;
    kvr::platform::Services saved;
};

TEST_F(DesktopContract, EnumeratesEveryTopLevelWindowNewestOnTopAndOwnedAboveOwner) {
    const Hwnd first = make("KVRContractA", "First");
    const Hwnd second = make("KVRContractA", "Second");
    const Hwnd hidden = make("KVRContractB", "Hidden", {.visible = false});
    const Hwnd child = make("KVRContractChild", "Child", {.parent = first});
    const Hwnd popup = make("KVRContractPopup", "Popup", {.owner = first});

    const std::vector<Hwnd> all = enumerated();
    EXPECT_EQ(ours(all, {first, second, hidden, child, popup}),
              (std::vector<Hwnd>{popup, hidden, second, first}));

    // A walk along one level sees the same top-level list as the enumeration.
    EXPECT_EQ(ours(walk(second), {first, second, hidden, popup}),
              (std::vector<Hwnd>{popup, hidden, second, first}));

    int calls = 0;
    desktop().enumWindows([&](Hwnd) { return ++calls < 2; });
    EXPECT_EQ(calls, 2) << "the walk stops when the callback says so";
}

TEST_F(DesktopContract, TheDesktopsWindowsAreTheEnumeratedOnesInTheSameOrder) {
    const Hwnd first = make("KVRContractA", "First");
    const Hwnd hidden = make("KVRContractB", "Hidden", {.visible = false});
    const Hwnd child = make("KVRContractChild", "Child", {.parent = first});
    const Hwnd popup = make("KVRContractPopup", "Popup", {.owner = first});
    const Hwnd last = make("KVRContractA", "Last");

    std::vector<Hwnd> listed;
    EXPECT_TRUE(desktop().enumDesktopWindows([&](Hwnd h) {
        listed.push_back(h);
        return true;
    }));
    const std::vector<Hwnd> mine{first, hidden, child, popup, last};
    EXPECT_EQ(ours(listed, mine), ours(enumerated(), mine));
    EXPECT_EQ(ours(listed, mine), (std::vector<Hwnd>{last, popup, hidden, first}));

    int calls = 0;
    desktop().enumDesktopWindows([&](Hwnd) { return ++calls < 2; });
    EXPECT_EQ(calls, 2) << "the walk stops when the callback says so";
}

TEST_F(DesktopContract, ChildrenFormTheirOwnLevelInCreationOrder) {
    const Hwnd parent = make("KVRContractA", "Parent");
    const Hwnd c1 = make("KVRContractChild", "one", {.parent = parent});
    const Hwnd c2 = make("KVRContractChild", "two", {.parent = parent});
    const Hwnd c3 = make("KVRContractChild", "three", {.parent = parent});

    EXPECT_EQ(walk(c2), (std::vector<Hwnd>{c1, c2, c3}));
    EXPECT_EQ(desktop().getWindow(parent, gw::kChild), c1);
    EXPECT_EQ(desktop().getWindow(c1, gw::kHwndLast), c3);
    EXPECT_EQ(desktop().getWindow(c3, gw::kHwndPrev), c2);
    EXPECT_EQ(desktop().getWindow(c1, gw::kHwndPrev), 0u);
}

TEST_F(DesktopContract, ParentOfAChildIsItsParentOfAnOwnedPopupItsOwner) {
    const Hwnd main = make("KVRContractA", "Main");
    const Hwnd dialog = make("KVRContractPopup", "Dialog", {.owner = main});
    const Hwnd button = make("KVRContractChild", "OK", {.parent = dialog});

    EXPECT_EQ(desktop().getParent(button), dialog);
    EXPECT_EQ(desktop().getParent(dialog), main);
    EXPECT_EQ(desktop().getParent(main), 0u);
    EXPECT_EQ(desktop().getWindow(dialog, gw::kOwner), main);
    EXPECT_EQ(desktop().getWindow(button, gw::kOwner), 0u);

    EXPECT_EQ(modVentanas::GetRootWindow(button), main);
    EXPECT_EQ(modVentanas::GetRootWindow(main), main);
    EXPECT_EQ(modVentanas::GetRootWindow(0), 0u);
}

TEST_F(DesktopContract, ClassesAndTitlesInAnyScript) {
    const Hwnd latin = make("KVRContractNotepad", "Untitled - Notepad");
    const Hwnd mixed = make("KVRContractNotepad", kNonAscii);
    const Hwnd untitled = make("KVRContractNotepad", "");
    const Hwnd greekClass = make("KVRΚλάσηКласс", "x");

    EXPECT_EQ(desktop().getClassName(latin), "KVRContractNotepad");
    EXPECT_EQ(desktop().getClassName(greekClass), "KVRΚλάσηКласс");
    EXPECT_EQ(desktop().getWindowText(latin), "Untitled - Notepad");
    EXPECT_EQ(desktop().getWindowText(mixed), kNonAscii);
    EXPECT_EQ(desktop().getWindowTextLength(mixed), 26) << "UTF-16 units";
    EXPECT_EQ(desktop().getWindowText(untitled), "");
    EXPECT_EQ(desktop().getWindowTextLength(untitled), 0);

    EXPECT_EQ(modVentanas::GetWindowTitle(mixed), kNonAscii);
    EXPECT_EQ(modVentanas::GetWindowTitle(untitled), "");
    EXPECT_EQ(modVentanas::GetWindowClass(greekClass), "KVRΚλάσηКласс");

    // Longer than a title mostly is, at any length: whole.
    for (const std::size_t length : {255u, 256u, 511u, 512u, 513u, 2000u}) {
        const std::string title = std::string(length - 1, 'x') + "\xC3\xB1";
        const Hwnd h = make("KVRContractNotepad", title);
        EXPECT_EQ(desktop().getWindowText(h), title) << length;
        EXPECT_EQ(modVentanas::GetWindowTitle(h), title) << length;
    }
}

TEST_F(DesktopContract, OneProcessHasOneClassPerNameWhateverItsCase) {
    const Hwnd first = make("KVRContractCase", "first");
    const Hwnd second = make("kvrcontractCASE", "second");
    EXPECT_EQ(desktop().getClassName(first), "KVRContractCase");
    EXPECT_EQ(desktop().getClassName(second), "KVRContractCase");
}

TEST_F(DesktopContract, ShowWindowHidesAndShowsAndVisibilityFollowsTheParentChain) {
    const Hwnd top = make("KVRContractA", "Top");
    const Hwnd child = make("KVRContractChild", "Child", {.visible = true, .parent = top});
    ASSERT_TRUE(desktop().isWindowVisible(top));
    ASSERT_TRUE(desktop().isWindowVisible(child));

    EXPECT_TRUE(desktop().showWindow(top, sw::kHide)) << "was visible";
    EXPECT_FALSE(desktop().isWindowVisible(top));
    EXPECT_FALSE(desktop().isWindowVisible(child)) << "a child of a hidden window is not visible";
    EXPECT_FALSE(desktop().showWindow(top, sw::kHide)) << "was hidden already";

    EXPECT_FALSE(desktop().showWindow(top, sw::kShow));
    EXPECT_TRUE(desktop().isWindowVisible(top));
    EXPECT_TRUE(desktop().isWindowVisible(child));

    modVentanas::ShowHideWindow(top, true);
    EXPECT_FALSE(modVentanas::WindowIsVisible(top));
    modVentanas::ShowHideWindow(top, false);
    EXPECT_TRUE(modVentanas::WindowIsVisible(top));
}

TEST_F(DesktopContract, ShowWindowAsyncActsAtOnceOnAWindowOfThisThread) {
    const Hwnd top = make("KVRContractA", "Async");
    ASSERT_TRUE(desktop().isWindowVisible(top));
    EXPECT_TRUE(desktop().showWindowAsync(top, sw::kHide));
    EXPECT_FALSE(desktop().isWindowVisible(top));
    EXPECT_TRUE(desktop().showWindowAsync(top, sw::kShowNa));
    EXPECT_TRUE(desktop().isWindowVisible(top));
    env.arranger->destroy(top);
    EXPECT_FALSE(desktop().showWindowAsync(top, sw::kShow)) << "no window";
}

// The caller does not wait for a thread that takes no message: the command is carried out when
// that thread answers again.
TEST_F(DesktopContract, ShowWindowAsyncOnAWindowOfAThreadNotAnsweringActsWhenItAnswers) {
    const Hwnd busy = env.arranger->createNotAnswering("KVRContractBusy", "Busy");
    ASSERT_TRUE(desktop().isWindowVisible(busy));
    EXPECT_EQ(desktop().getWindowText(busy), "Busy") << "read without waiting for its thread";
    EXPECT_TRUE(desktop().showWindowAsync(busy, sw::kHide));
    EXPECT_TRUE(desktop().isWindowVisible(busy)) << "carried out before its thread answered";
    env.arranger->answerAgain(busy);
    EXPECT_FALSE(desktop().isWindowVisible(busy));
}

TEST_F(DesktopContract, AStaleHandleReadsAsNothingAndIgnoresCommands) {
    const Hwnd owner = make("KVRContractA", "Doomed owner");
    const Hwnd child = make("KVRContractChild", "Doomed child", {.parent = owner});
    const Hwnd popup = make("KVRContractPopup", "Doomed popup", {.owner = owner});
    ASSERT_TRUE(desktop().isWindow(owner));
    env.arranger->destroy(owner);

    for (const Hwnd h : {owner, child, popup}) {
        SCOPED_TRACE(h);
        EXPECT_FALSE(desktop().isWindow(h)) << "children and owned windows go with their window";
        EXPECT_EQ(desktop().getClassName(h), "");
        EXPECT_EQ(desktop().getWindowText(h), "");
        EXPECT_EQ(desktop().getWindowTextLength(h), 0);
        EXPECT_FALSE(desktop().isWindowVisible(h));
        EXPECT_EQ(desktop().getParent(h), 0u);
        EXPECT_EQ(desktop().getWindow(h, gw::kHwndFirst), 0u);
        EXPECT_EQ(desktop().getWindow(h, gw::kHwndNext), 0u);
        std::uint32_t pid = 12345;
        EXPECT_EQ(desktop().getWindowThreadProcessId(h, pid), 0u);
        EXPECT_EQ(pid, 0u);
        EXPECT_FALSE(desktop().showWindow(h, sw::kShow));
        EXPECT_FALSE(desktop().isWindowVisible(h));
        EXPECT_EQ(modVentanas::GetWindowTitle(h), "");
    }
    EXPECT_TRUE(ours(enumerated(), {owner, popup}).empty());
}

TEST_F(DesktopContract, OurWindowsBelongToOurProcessAndThread) {
    const Hwnd a = make("KVRContractA", "A");
    const Hwnd b = make("KVRContractPopup", "B", {.owner = a});
    std::uint32_t pidA = 0;
    std::uint32_t pidB = 0;
    const std::uint32_t threadA = desktop().getWindowThreadProcessId(a, pidA);
    const std::uint32_t threadB = desktop().getWindowThreadProcessId(b, pidB);
    EXPECT_EQ(pidA, env.arranger->processId());
    EXPECT_EQ(pidB, env.arranger->processId());
    EXPECT_NE(threadA, 0u);
    EXPECT_EQ(threadA, threadB);
}

TEST_F(DesktopContract, TheProcessSnapshotListsThisProcessWhoseImagePathIsAFullPath) {
    const auto snapshot = desktop().processSnapshot();
    ASSERT_TRUE(snapshot.has_value());
    const auto me = std::find_if(snapshot->begin(), snapshot->end(), [&](const auto& p) {
        return p.processId == env.arranger->processId();
    });
    ASSERT_NE(me, snapshot->end());
    std::string name = me->exeFile;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_TRUE(name.size() > 4 && name.ends_with(".exe")) << me->exeFile;
    EXPECT_EQ(name.find('\0'), std::string::npos);

    const auto list = kvr::modWndXProc::ListProcesses();
    ASSERT_EQ(list.size(), snapshot->size() + 1);
    EXPECT_EQ(list[0].exeFile, "");
    EXPECT_TRUE(std::any_of(list.begin() + 1, list.end(), [&](const auto& r) {
        return r.processId == env.arranger->processId() && r.exeFile == me->exeFile;
    }));

    // Where the snapshot may give a bare name, the process's own record gives the whole path.
    std::string path = desktop().processImagePath(env.arranger->processId());
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_TRUE(path.ends_with("\\" + name.substr(name.find_last_of('\\') + 1))) << path;
    EXPECT_EQ(desktop().processImagePath(0xFFFFFFF0u), "") << "no such process";
}

// A running process's start stays what it was; an id no process has reads 0 (ids are
// multiples of four on Windows and under Wine: an odd one is never given).
TEST_F(DesktopContract, ARunningProcessHasOneStartAndAnUnusedIdNone) {
    const std::uint32_t me = env.arranger->processId();
    const std::uint64_t started = desktop().processStartTime(me);
    EXPECT_GT(started, 116'444'736'000'000'000ull) << "after 1970, in 100 ns units since 1601";
    EXPECT_EQ(desktop().processStartTime(me), started);
    EXPECT_EQ(desktop().processStartTime(0x7FFFFFF1), 0u);
    EXPECT_EQ(desktop().processStartTime(0), 0u);
}

TEST_F(DesktopContract, WindowFromPointFindsTheDeepestVisibleWindow) {
    const Hwnd frame =
        make("KVRContractA", "Frame", {.x = 40, .y = 40, .width = 400, .height = 300});
    const Hwnd panel = make("KVRContractChild", "Panel",
                            {.parent = frame, .x = 120, .y = 150, .width = 200, .height = 100});
    const Hwnd button = make("KVRContractChild", "Button",
                             {.parent = panel, .x = 140, .y = 170, .width = 60, .height = 30});
    const Hwnd ghost =
        make("KVRContractChild", "Ghost",
             {.visible = false, .parent = frame, .x = 340, .y = 280, .width = 60, .height = 30});
    ASSERT_NE(ghost, 0u);

    EXPECT_EQ(desktop().windowFromPoint(150, 180), button);
    EXPECT_EQ(desktop().windowFromPoint(300, 230), panel);
    EXPECT_EQ(desktop().windowFromPoint(360, 290), frame) << "hidden children are not hit";

    const Hwnd cover =
        make("KVRContractB", "Cover", {.x = 100, .y = 100, .width = 100, .height = 100});
    EXPECT_EQ(desktop().windowFromPoint(150, 180), cover) << "the topmost window wins";
    desktop().showWindow(cover, sw::kHide);
    EXPECT_EQ(desktop().windowFromPoint(150, 180), button);

    int x = -1;
    int y = -1;
    EXPECT_TRUE(desktop().getCursorPos(x, y));
}

TEST_F(DesktopContract, ListWindowsOfClassWalksTheTopLevelWindowsByClassPrefix) {
    const Hwnd pad = make("KVRNotepad", "pad");
    const Hwnd x = make("KVRNoteX", "x", {.visible = false});
    const Hwnd upper = make("KVRNOTEBOOK", "upper");
    const Hwnd child = make("KVRNoteChild", "child", {.parent = pad});
    ASSERT_NE(upper, 0u);
    ASSERT_NE(child, 0u);

    const auto list = modVentanas::ListWindowsOfClass(pad, "KVRNote");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back().hwnd, 0u);
    EXPECT_EQ(list.back().title, "");
    std::vector<Hwnd> found;
    for (std::size_t i = 0; i + 1 < list.size(); ++i) found.push_back(list[i].hwnd);
    EXPECT_EQ(found, (std::vector<Hwnd>{x, pad})) << "top first, other case and children left out";
    const auto& hidden = list[0];
    EXPECT_EQ(hidden.title, "x");
    EXPECT_EQ(hidden.visible, 0);
    EXPECT_EQ(hidden.processId, env.arranger->processId());
    EXPECT_NE(hidden.threadId, 0u);
    EXPECT_EQ(list[1].visible, 1);

    EXPECT_TRUE(modVentanas::ListWindowsOfClass(pad, "").empty());
}

TEST_F(DesktopContract, EnumTopWindowsRefillsTheListFromSlotOne) {
    const Hwnd a = make("KVRContractA", "A");
    const Hwnd b = make("KVRContractB", "B", {.visible = false});
    ASSERT_NE(modVentanas::EnumTopWindows(1), 0);
    const std::size_t size = modVentanas::TopWindows.size();
    EXPECT_EQ(modVentanas::TopWindows[0], 0u);
    const std::vector<Hwnd> rest(modVentanas::TopWindows.begin() + 1,
                                 modVentanas::TopWindows.end());
    EXPECT_EQ(ours(rest, {a, b}), (std::vector<Hwnd>{b, a}));
    ASSERT_NE(modVentanas::EnumTopWindows(1), 0);
    EXPECT_EQ(modVentanas::TopWindows.size(), size);
}

// Wine 8 implements CascadeWindows and TileWindows as stubs that move nothing and return 0, so
// the count the fake returns cannot be held against it; what both must do is leave every window
// in place, shown and alive.
TEST_F(DesktopContract, CascadeAndTileLeaveTheWindowsShown) {
    const Hwnd one = make("KVRContractA", "One", {.x = 10, .y = 10, .width = 200, .height = 150});
    const Hwnd two = make("KVRContractA", "Two", {.x = 30, .y = 30, .width = 200, .height = 150});
    modVentanas::CascadeAll(0);
    modVentanas::TileAll(1);
    modVentanas::TileAll(0);
    EXPECT_TRUE(desktop().isWindowVisible(one));
    EXPECT_TRUE(desktop().isWindowVisible(two));
    EXPECT_EQ(ours(enumerated(), {one, two}).size(), 2u);
}

}  // namespace
