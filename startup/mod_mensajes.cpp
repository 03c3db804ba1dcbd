#include "startup/mod_mensajes.h"

#include "base/ids.h"
#include "platform/services.h"
#include "settings/settings.h"

namespace kvr::modMensajes {

bool RegisterHotKey(platform::Hwnd window, int id, std::uint32_t modifiers, std::uint32_t key) {
    return platform::queue().registerHotKey(window, id, modifiers, key);
}

bool UnregisterHotKey(platform::Hwnd window, int id) {
    return platform::queue().unregisterHotKey(window, id);
}

std::uint32_t ModifierFlag(std::int32_t storedModifier) {
    switch (storedModifier) {
        case 16:
            return platform::mod::kShift;
        case 17:
            return platform::mod::kControl;
        case 18:
            return platform::mod::kAlt;
        default:
            return 0;
    }
}

void RegisterHotkeys(platform::Hwnd mainWindow) {
    for (int i = 0; i < ids::kSlots; ++i) {
        const auto flag = ModifierFlag(settings::S[i]);
        if (settings::S[i] != 0 && settings::T[i] != 0 && flag != 0) {
            RegisterHotKey(mainWindow, ids::hotkeyId(i), flag,
                           static_cast<std::uint32_t>(settings::T[i]));
        }
    }
}

void UnregisterHotkeys(platform::Hwnd mainWindow) {
    // Mirrors the registration loosely on purpose: a slot with an unusable modifier was never
    // registered, and unregistering it fails harmlessly.
    for (int i = 0; i < ids::kSlots; ++i) {
        if (settings::S[i] != 0 && settings::T[i] != 0) {
            UnregisterHotKey(mainWindow, ids::hotkeyId(i));
        }
    }
}

void RunMessageLoop(HotkeyReceiver& window) {
    if (ExitRequested) return;
    auto& queue = platform::queue();
    const auto receive = [&window](std::uint32_t wParam) {
        // After the exit in this pass the main window is gone: nothing is left to act.
        if (ExitRequested) return;
        auto id = static_cast<std::int32_t>(wParam);
        window.RecibirMensajes(id);
    };
    for (;;) {
        queue.waitMessage();
        std::uint32_t wParam = 0;
        if (queue.peekHotKey(wParam)) receive(wParam);
        // A hotkey pressed while our own window takes keys arrives during this drain; the
        // window procedure would drop it.
        queue.dispatchPending(receive);
        if (ExitRequested) break;
    }
}

}  // namespace kvr::modMensajes
