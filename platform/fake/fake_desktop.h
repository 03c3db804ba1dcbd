// An in-memory desktop that behaves like the window manager Wine gives our program: top-level
// windows and children each in their own Z-order, parent versus owner, visibility through the
// parent chain, processes and threads, a cursor over window rectangles, and handles that go
// stale when their window is destroyed. Its fidelity is held by the contract tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"

namespace kvr::platform {

// Screen coordinates, right and bottom exclusive; an empty rectangle is never hit.
struct FakeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct FakeWindowSetup {
    bool visible = true;
    Hwnd parent = 0;              // non-zero makes a child window (WS_CHILD)
    Hwnd owner = 0;               // an owned top-level window; ignored for a child
    bool popup = true;            // WS_POPUP: only an owned pop-up reports its owner as parent
    std::uint32_t processId = 0;  // 0: FakeDesktop::kDefaultProcessId
    std::uint32_t threadId = 0;   // 0: the process's main thread, processId + 4
    FakeRect rect{};
};

class FakeDesktop : public Desktop {
public:
    using Rect = FakeRect;
    using WindowSetup = FakeWindowSetup;

    static constexpr std::uint32_t kDefaultProcessId = 1000;

    struct ShowCall {
        Hwnd hwnd = 0;
        int cmd = 0;
    };

    bool enumWindows(const std::function<bool(Hwnd)>& visit) override;
    bool enumDesktopWindows(const std::function<bool(Hwnd)>& visit) override;
    Hwnd getWindow(Hwnd h, std::uint32_t cmd) override;
    std::string getClassName(Hwnd h) override;
    int getWindowTextLength(Hwnd h) override;
    std::string getWindowText(Hwnd h) override;
    bool isWindowVisible(Hwnd h) override;
    bool isWindow(Hwnd h) override;
    // On the window of a thread that does not answer, counted in waits (the real call waits a
    // while for it) and then carried out as showWindowAsync would.
    bool showWindow(Hwnd h, int cmd) override;
    // Carried out at once unless the window's thread does not answer: then when it answers
    // again. Counted in showCalls.
    bool showWindowAsync(Hwnd h, int cmd) override;
    Hwnd getParent(Hwnd h) override;
    bool getCursorPos(int& x, int& y) override;
    Hwnd windowFromPoint(int x, int y) override;
    std::uint32_t getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) override;
    int cascadeWindows(std::uint32_t how) override;
    int tileWindows(std::uint32_t how) override;
    std::optional<std::vector<ProcessEntry>> processSnapshot() override;
    std::string processImagePath(std::uint32_t processId) override;
    // What processStarts says; else, for a process with a window or in the snapshot, a start of
    // its own before any test's; else 0.
    std::uint64_t processStartTime(std::uint32_t processId) override;
    std::vector<std::uint32_t> classSmallIcon(Hwnd h, int size) override;

    // Arranging, as the windows' own programs would; none of this is counted as a port call.
    // A new top-level window goes to the top of the Z-order, a new child below its siblings.
    // Class names are case-insensitive within a process: the first spelling a process used is
    // the class name of all its windows of that name.
    Hwnd create(std::string className, std::string title, WindowSetup setup = {});
    // As DestroyWindow: the windows it owns and its children go with it.
    void destroy(Hwnd h);
    void setTitle(Hwnd h, std::string title);
    void setVisible(Hwnd h, bool visible);
    // To the top of its level; the windows it owns stay above it.
    void bringToTop(Hwnd h);
    // To the bottom of its level, below its owner too, as Windows never leaves it.
    void sendToBottom(Hwnd h);
    // exeFile is what the snapshot gives; imagePath what the process's full path reads, ""
    // for a process that cannot be opened.
    void addProcess(std::string exeFile, std::uint32_t processId, std::string imagePath = {});
    void removeProcess(std::uint32_t processId);
    // Gives the class of h (in h's process) a small icon: size x size pixels; every window of
    // that class then answers it. An empty vector takes the icon away.
    void setClassSmallIcon(Hwnd h, std::vector<std::uint32_t> pixels, int size = 16);
    // The thread takes no message until answerAgain, as a program busy with something else;
    // answerAgain carries out what was posted to its windows meanwhile, in order.
    void stopAnswering(std::uint32_t threadId);
    void answerAgain(std::uint32_t threadId);
    void setCursor(int x, int y) {
        cursorX_ = x;
        cursorY_ = y;
    }

    bool cursorReadable = true;
    bool snapshotFails = false;
    // Starts that tests give processes: 0 for one that no longer runs. A process started anew
    // (after a reboot, say) under an id that was used before gets a later start.
    std::map<std::uint32_t, std::uint64_t> processStarts;

    // What the code under test did through the port.
    std::size_t calls = 0;  // every port call
    std::size_t enumCalls = 0;
    std::size_t getWindowCalls = 0;
    std::size_t snapshotCalls = 0;
    std::vector<ShowCall> showCalls;  // showWindow and showWindowAsync, stale handles too
    std::size_t waits = 0;            // showWindow calls that waited for a thread not answering
    // Called at every showWindow, before it acts: lets a test see what else held at that moment.
    std::function<void(const ShowCall&)> onShowWindow;
    std::vector<std::uint32_t> cascadeCalls;  // the how of each call
    std::vector<std::uint32_t> tileCalls;
    void resetCounters();

private:
    struct Window {
        std::string className;
        std::string title;
        bool visible = false;
        Hwnd parent = 0;
        Hwnd owner = 0;
        bool popup = false;
        std::uint32_t processId = 0;
        std::uint32_t threadId = 0;
        Rect rect;
        std::vector<Hwnd> children;  // Z-order, top first
    };

    Window* find(Hwnd h);
    std::vector<Hwnd>& level(const Window& w);
    bool shown(Hwnd h);
    Hwnd deepestAt(const std::vector<Hwnd>& level, int x, int y);
    int arrangeable();

    // Sets the window's own state, as its thread does when it carries a command out.
    bool carryOut(Hwnd h, int cmd);
    bool answering(Hwnd h);

    std::map<Hwnd, Window> windows_;
    // Threads not answering, with what was posted to their windows meanwhile.
    std::map<std::uint32_t, std::vector<ShowCall>> notAnswering_;
    std::vector<Hwnd> topLevel_;  // Z-order, top first
    std::vector<ProcessEntry> processes_;
    std::map<std::uint32_t, std::string> imagePaths_;
    std::map<std::uint32_t, std::vector<std::string>> classes_;  // per process
    struct Icon {
        int size = 0;
        std::vector<std::uint32_t> pixels;
    };
    std::map<std::pair<std::uint32_t, std::string>, Icon> classIcons_;  // (process, class)
    Hwnd nextHandle_ = 0x00010020;
    int cursorX_ = 0;
    int cursorY_ = 0;
};

}  // namespace kvr::platform
