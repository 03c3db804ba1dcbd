// The program's own message loop and the registration of its twelve hotkeys.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "ui/form.h"

namespace kvr::modMensajes {

// Ends the main loop at the end of the pass in which it was set.
inline bool ExitRequested = false;

inline void resetForTests() {
    ExitRequested = false;
}

// What the loop hands every hotkey to: the main window.
class HotkeyReceiver {
public:
    virtual void RecibirMensajes(std::int32_t& id) = 0;

protected:
    ~HotkeyReceiver() = default;
};

// The main window: the form the hand-over loads and the loop feeds with hotkeys.
class HotkeyWindow : public ui::Form, public HotkeyReceiver {
public:
    using ui::Form::Form;
};

bool RegisterHotKey(platform::Hwnd window, int id, std::uint32_t modifiers, std::uint32_t key);
bool UnregisterHotKey(platform::Hwnd window, int id);

// RegisterHotKey's flag for a stored modifier (16 Shift, 17 Ctrl, 18 Alt); 0 for anything else.
std::uint32_t ModifierFlag(std::int32_t storedModifier);

void RegisterHotkeys(platform::Hwnd mainWindow);
void UnregisterHotkeys(platform::Hwnd mainWindow);

// Waits for messages, hands every hotkey to the receiver (a waiting one before anything else,
// the others in queue order) and dispatches the rest; returns once ExitRequested is seen at the
// end of a pass. Modal windows run their own loops, where hotkeys go unheard.
void RunMessageLoop(HotkeyReceiver& window);

}  // namespace kvr::modMensajes
