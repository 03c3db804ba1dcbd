#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_registry.h"
#include "tests/contract/contract_env.h"

namespace kvr::contract {

std::unique_ptr<platform::Registry> makeRegistry() {
    return std::make_unique<platform::FakeRegistry>();
}

namespace {

constexpr std::uint32_t kTestProcess = 4242;

class FakeArranger : public WindowArranger {
  public:
    explicit FakeArranger(platform::FakeDesktop& desktop) : desktop_(desktop) {
        desktop_.addProcess("kvr_contract_fake.exe", kTestProcess);
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

}  // namespace kvr::contract
