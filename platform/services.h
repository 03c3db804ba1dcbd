// The ports the running program uses. WinMain installs the win32 adapters; tests install
// fakes. Installing is not thread-safe: it happens before anything else runs.
#pragma once

#include "platform/desktop.h"
#include "platform/icons.h"
#include "platform/input.h"
#include "platform/keyboard.h"
#include "platform/message_queue.h"
#include "platform/mixer.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace kvr::platform {

struct Services {
    Registry* registry = nullptr;
    MessageQueue* queue = nullptr;
    System* system = nullptr;
    FileSystem* files = nullptr;
    Desktop* desktop = nullptr;
    Mixer* mixer = nullptr;
    Shell* shell = nullptr;
    Keyboard* keyboard = nullptr;
    Icons* icons = nullptr;
    Input* input = nullptr;
};

void install(const Services& services);
const Services& installed();

inline Registry& registry() { return *installed().registry; }
inline MessageQueue& queue() { return *installed().queue; }
inline System& system() { return *installed().system; }
inline FileSystem& files() { return *installed().files; }
inline Desktop& desktop() { return *installed().desktop; }
inline Mixer& mixer() { return *installed().mixer; }
inline Shell& shell() {
    return *installed().shell;
}
inline Keyboard& keyboard() { return *installed().keyboard; }
inline Icons& icons() { return *installed().icons; }
inline Input& input() {
    return *installed().input;
}

}  // namespace kvr::platform
