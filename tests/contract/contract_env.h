// The contract tests run the same cases against the in-memory fakes (native build) and against
// the real adapters (Windows build, under Wine). Each build links exactly one file that defines
// these factories: contract_env_fake.cpp or contract_env_win32.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/icons.h"
#include "platform/input.h"
#include "platform/keyboard.h"
#include "platform/message_queue.h"
#include "platform/mixer.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace kvr::contract {

// A fresh registry port. The real one is shared with the rest of the machine: tests touch only
// their own scratch keys.
std::unique_ptr<platform::Registry> makeRegistry();

struct WindowOptions {
    bool visible = true;
    platform::Hwnd parent = 0;                // a child window of parent
    platform::Hwnd owner = 0;                 // an owned pop-up
    int x = 0, y = 0, width = 0, height = 0;  // screen coordinates
};

// Creates windows on the desktop under test as another program would. The windows belong to
// this test process; whatever is still there goes when the arranger does.
class WindowArranger {
public:
    virtual ~WindowArranger() = default;
    virtual platform::Hwnd create(const std::string& className, const std::string& title,
                                  const WindowOptions& options = {}) = 0;
    virtual void destroy(platform::Hwnd h) = 0;
    // The process the arranged windows belong to.
    virtual std::uint32_t processId() = 0;
    // A visible top-level window of a thread that takes no message until answerAgain, which
    // returns once the thread has carried out what was sent or posted to it meanwhile.
    virtual platform::Hwnd createNotAnswering(const std::string& className,
                                              const std::string& title) = 0;
    virtual void answerAgain(platform::Hwnd h) = 0;
};

struct DesktopEnv {
    std::unique_ptr<platform::Desktop> desktop;
    std::unique_ptr<WindowArranger> arranger;  // destroyed first: it may still need the desktop
};

// The desktop port and an arranger for it. The real desktop is shared with whatever else runs:
// tests look only at their own windows.
DesktopEnv makeDesktop();

// Windows of this test for the shell port to find, measure and move.
class ShellArranger {
public:
    virtual ~ShellArranger() = default;
    // A hidden window without a frame: top-level at screen (x, y), or, with a parent, a child
    // at (x, y) of the parent's client area. bordered gives it a one-pixel border. 0 on failure.
    virtual platform::Hwnd create(const std::string& className, platform::Hwnd parent, int x, int y,
                                  int width, int height, bool bordered = false) = 0;
    // The process the arranged windows belong to.
    virtual std::uint32_t processId() = 0;
};

struct ShellEnv {
    std::unique_ptr<platform::Shell> shell;
    std::unique_ptr<ShellArranger> arranger;  // destroyed first: it may still need the shell
};

// The shell port and an arranger for it. The real shell is shared: tests look only at their
// own windows and icons.
ShellEnv makeShell();

// The message-queue port of this thread and a window of ours to register hotkeys on. Whatever
// is still queued goes when the environment does.
class QueueEnv {
public:
    virtual ~QueueEnv() = default;
    virtual platform::MessageQueue& queue() = 0;
    virtual platform::Hwnd window() = 0;
    // Queues an ordinary message for window(); dispatching it runs the function. Does not look
    // at the queue afterwards, so a following wait still sees the message as new.
    virtual void postOrdinary(std::function<void()> message) = 0;
    // Presses and releases the combination as a user would; false when this environment
    // cannot produce keyboard input.
    virtual bool pressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
    // Guards a wait that might never end: after the delay, if the wait has not returned, a
    // message is queued to end it and wokenByGuard() turns true.
    virtual void guardWait(int milliseconds) = 0;
    virtual bool wokenByGuard() = 0;
};

std::unique_ptr<QueueEnv> makeQueueEnv();

// A fresh process-wide services port, as the program would make it at start-up.
std::unique_ptr<platform::System> makeSystem();

// The file port and a scratch folder of its own, emptied and removed with the environment.
class FilesEnv {
public:
    virtual ~FilesEnv() = default;
    virtual platform::FileSystem& files() = 0;
    // The scratch folder, as a full path without a trailing backslash.
    virtual std::string folder() = 0;
    // name is relative to folder() and may go through folders made with makeFolder().
    virtual void write(const std::string& name, const std::string& bytes) = 0;
    virtual void makeFolder(const std::string& name) = 0;
    virtual bool exists(const std::string& name) = 0;
    // The file's bytes, read past the port; nullopt when it cannot be read.
    virtual std::optional<std::string> read(const std::string& name) = 0;
    // The ANSI code page ansiToUtf8 converts from.
    virtual unsigned ansiCodePage() = 0;
};

std::unique_ptr<FilesEnv> makeFilesEnv();

// The mixer port as the program wires it. The real one acts on this process's sound: cases put
// back any volume they change.
std::unique_ptr<platform::Mixer> makeMixer();
// The keyboard port, as the program would make it at start-up.
std::unique_ptr<platform::Keyboard> makeKeyboard();

// The input port, and the session's mouse and keyboard to give it input as a user does. The real
// ones are the session's: cases put the pointer inside their own window and release what they
// press.
class InputEnv {
public:
    virtual ~InputEnv() = default;
    virtual platform::Input& input() = 0;
    // A window of this test that fills the rectangle, and where the pointer goes.
    virtual platform::VirtualScreen target() = 0;
    // Input as the mouse and the keyboard give it (SendInput): the pointer to a point of the
    // screen; a press or release named as the hook names it (mouseData for X buttons); a key.
    virtual bool move(int x, int y) = 0;
    virtual bool button(std::uint32_t message, std::uint32_t mouseData = 0) = 0;
    virtual bool key(int virtualKey, bool down) = 0;
    // Until pred() holds, giving the hook's thread and this test's window their turns; false
    // after a few seconds without.
    virtual bool waitUntil(const std::function<bool()>& pred) = 0;
    // Presses and releases of mouse buttons that reached the target window so far.
    virtual int buttonsReceived() = 0;
    // Lets a little time pass.
    virtual void pause(int milliseconds) = 0;
};
std::unique_ptr<InputEnv> makeInputEnv();

// The icon port and files to take icons from: an executable that holds an icon, a
// file that is there but holds none, and a path where there is no file.
struct IconsEnv {
    std::unique_ptr<platform::Icons> icons;
    std::string withIcons;
    std::string withoutIcons;
    std::string missing;
};
IconsEnv makeIcons();

}  // namespace kvr::contract
