// The contract tests run the same cases against the in-memory fakes (native build) and against
// the real adapters (Windows build, under Wine). Each build links exactly one file that defines
// these factories: contract_env_fake.cpp or contract_env_win32.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/desktop.h"
#include "platform/registry.h"

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
};

struct DesktopEnv {
    std::unique_ptr<platform::Desktop> desktop;
    std::unique_ptr<WindowArranger> arranger;  // destroyed first: it may still need the desktop
};

// The desktop port and an arranger for it. The real desktop is shared with whatever else runs:
// tests look only at their own windows.
DesktopEnv makeDesktop();

}  // namespace kvr::contract
