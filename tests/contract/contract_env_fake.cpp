#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_icons.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/fake_keyboard.h"
#include "platform/fake/fake_message_queue.h"
#include "platform/fake/fake_mixer.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "tests/contract/contract_env.h"

namespace kvr::contract {

std::unique_ptr<platform::Registry> makeRegistry() {
    return std::make_unique<platform::FakeRegistry>();
}

namespace {

constexpr std::uint32_t kTestProcess = 4242;
constexpr std::uint32_t kBusyThread = 4250;

class FakeArranger : public WindowArranger {
  public:
    explicit FakeArranger(platform::FakeDesktop& desktop) : desktop_(desktop) {
        desktop_.addProcess("kvr_contract_fake.exe", kTestProcess,
                            "C:\\Tests\\kvr_contract_fake.exe");
    }

    platform::Hwnd create(const std::string& className, const std::string& title,
                          const WindowOptions& options) override {
        platform::FakeDesktop::WindowSetup setup;
        setup.visible = options.visible;
        setup.parent = options.parent;
        setup.owner = options.owner;
        setup.processId = kTestProcess;
        setup.rect = {options.x, options.y, options.x + options.width, options.y + options.height};
        return desktop_.create(className, title, setup);
    }

    void destroy(platform::Hwnd h) override { desktop_.destroy(h); }
    std::uint32_t processId() override { return kTestProcess; }
    platform::Hwnd createNotAnswering(const std::string& className,
                                      const std::string& title) override {
        const platform::Hwnd h = desktop_.create(
            className, title, {.processId = kTestProcess, .threadId = kBusyThread});
        desktop_.stopAnswering(kBusyThread);
        return h;
    }
    void answerAgain(platform::Hwnd) override { desktop_.answerAgain(kBusyThread); }

  private:
    platform::FakeDesktop& desktop_;
};

}  // namespace

DesktopEnv makeDesktop() {
    auto desktop = std::make_unique<platform::FakeDesktop>();
    // A desktop is never empty: the shell's windows and another program sit below ours.
    desktop->addProcess("explorer.exe", 32);
    platform::FakeWindowSetup shell;
    shell.processId = 32;
    desktop->create("Shell_TrayWnd", "", shell);
    desktop->create("Progman", "Program Manager", shell);
    auto arranger = std::make_unique<FakeArranger>(*desktop);
    return {std::move(desktop), std::move(arranger)};
}

namespace {

class FakeShellArranger : public ShellArranger {
public:
    explicit FakeShellArranger(platform::FakeShell& shell) : shell_(shell) {}
    platform::Hwnd create(const std::string& className, platform::Hwnd parent, int x, int y,
                          int width, int height, bool bordered) override {
        if (parent != 0 && !shell_.exists(parent)) return 0;
        // Client coordinates of the parent to the screen's, as CreateWindow places a child.
        int left = x, top = y;
        shell_.mapWindowPoints(parent, 0, left, top);
        return shell_.create(className, parent, {left, top, left + width, top + height},
                             bordered ? 1 : 0);
    }
    std::uint32_t processId() override { return shell_.processId; }

private:
    platform::FakeShell& shell_;
};

}  // namespace

ShellEnv makeShell() {
    auto shell = std::make_unique<platform::FakeShell>();
    auto arranger = std::make_unique<FakeShellArranger>(*shell);
    return {std::move(shell), std::move(arranger)};
}

namespace {

class FakeQueueEnv : public QueueEnv {
public:
    platform::MessageQueue& queue() override { return queue_; }
    platform::Hwnd window() override { return 0x1234; }
    void postOrdinary(std::function<void()> message) override { queue_.post(std::move(message)); }
    bool pressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey) override {
        // A combination nobody registered is swallowed, as the keyboard would be.
        queue_.press(modifiers, virtualKey);
        return true;
    }
    void guardWait(int) override {
        // The fake never sleeps: an empty queue at the wait is the case the guard is for.
        queue_.onIdle = [this] {
            woken_ = true;
            queue_.post([] {});
        };
    }
    bool wokenByGuard() override { return woken_; }

private:
    platform::FakeMessageQueue queue_;
    bool woken_ = false;
};

class FakeFilesEnv : public FilesEnv {
public:
    FakeFilesEnv() { files_.makeFolder(folder()); }
    platform::FileSystem& files() override { return files_; }
    std::string folder() override { return "C:\\KVRContract"; }
    void write(const std::string& name, const std::string& bytes) override {
        files_.put(folder() + "\\" + name, bytes);
    }
    void makeFolder(const std::string& name) override { files_.makeFolder(folder() + "\\" + name); }
    bool exists(const std::string& name) override {
        return files_.fileExists(folder() + "\\" + name);
    }
    std::optional<std::string> read(const std::string& name) override {
        std::string bytes;
        if (!files_.readFile(folder() + "\\" + name, bytes)) return std::nullopt;
        return bytes;
    }
    unsigned ansiCodePage() override { return 1252; }

private:
    platform::FakeFileSystem files_;
};

}  // namespace

std::unique_ptr<QueueEnv> makeQueueEnv() {
    return std::make_unique<FakeQueueEnv>();
}

std::unique_ptr<platform::System> makeSystem() {
    return std::make_unique<platform::FakeSystem>();
}

std::unique_ptr<FilesEnv> makeFilesEnv() {
    return std::make_unique<FakeFilesEnv>();
}

std::unique_ptr<platform::Mixer> makeMixer() {
    return std::make_unique<platform::FakeMixer>();
}

std::unique_ptr<platform::Keyboard> makeKeyboard() {
    return std::make_unique<platform::FakeKeyboard>();
}

namespace {

class FakeInputEnv : public InputEnv {
public:
    platform::Input& input() override { return input_; }
    platform::VirtualScreen target() override { return {100, 100, 200, 200}; }
    bool move(int x, int y) override {
        input_.advance(1);
        input_.send({.message = platform::wm::kMouseMove,
                     .x = x,
                     .y = y,
                     .flags = platform::llmhf::kInjected});
        return true;
    }
    bool button(std::uint32_t message, std::uint32_t mouseData) override {
        input_.advance(1);
        input_.send({.message = message,
                     .x = input_.x,
                     .y = input_.y,
                     .mouseData = mouseData,
                     .flags = platform::llmhf::kInjected});
        return true;
    }
    bool key(int virtualKey, bool down) override {
        input_.advance(1);
        input_.hold(virtualKey, down);
        return true;
    }
    bool waitUntil(const std::function<bool()>& pred) override { return pred(); }
    int buttonsReceived() override {
        int n = 0;
        for (const auto& event : input_.delivered) n += event.message != platform::wm::kMouseMove;
        return n;
    }
    void pause(int milliseconds) override {
        input_.advance(static_cast<std::uint32_t>(milliseconds));
    }

private:
    platform::FakeInput input_;
};

}  // namespace

std::unique_ptr<InputEnv> makeInputEnv() {
    return std::make_unique<FakeInputEnv>();
}

IconsEnv makeIcons() {
    auto icons = std::make_unique<platform::FakeIcons>();
    // A round opaque icon and a plain one, as an executable's first two would be.
    const int size = icons->size;
    platform::FakeIcons::Pixels round(static_cast<std::size_t>(size * size), 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int dx = 2 * x + 1 - size, dy = 2 * y + 1 - size;
            if (dx * dx + dy * dy <= (size - 4) * (size - 4))
                round[static_cast<std::size_t>(y * size + x)] = 0xFF2060C0u;
        }
    platform::FakeIcons::Pixels plain(static_cast<std::size_t>(size * size), 0xFF808080u);
    icons->put("C:\\windows\\system32\\notepad.exe", {round, plain});
    icons->put("C:\\windows\\win.ini", {});
    IconsEnv env;
    env.withIcons = "C:\\windows\\system32\\notepad.exe";
    env.withoutIcons = "C:\\windows\\win.ini";
    env.missing = "C:\\windows\\no such program.exe";
    env.icons = std::move(icons);
    return env;
}

}  // namespace kvr::contract
