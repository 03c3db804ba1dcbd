// Hiding without the keyboard: clicks of a mouse button with a modifier held, a flick of the
// pointer into a screen corner, and a time without input. Each runs the action of a hotkey
// slot by queueing that slot's hotkey to the main window, so that the engine cannot tell a
// trigger from a press of the hotkey.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/input.h"
#include "platform/types.h"

namespace kvr::engine {

// What the mouse triggers watch for; the settings MB to CF.
struct MouseTriggerRules {
    int button = 0;      // 0 none, 1 middle, 2 back (X1), 3 forward (X2)
    int clicks = 2;      // 1 to 3
    int modifier = 0;    // as the S values: 0 none, 16 Shift, 17 Ctrl, 18 Alt
    int clickSlot = 0;   // 0 to 11
    int corners = 0;     // bits: 1 top left, 2 top right, 4 bottom right, 8 bottom left
    int cornerSlot = 2;  // 0 to 11
    bool flickOnly = true;

    bool anything() const { return button != 0 || corners != 0; }
};

namespace corner {
inline constexpr int kTopLeft = 1;
inline constexpr int kTopRight = 2;
inline constexpr int kBottomRight = 4;
inline constexpr int kBottomLeft = 8;
}  // namespace corner

// How near a corner the pointer must come, and what makes a flick.
inline constexpr int kCornerReach = 2;            // pixels from the corner's own pixel
inline constexpr int kFlickDistance = 300;        // pixels away ...
inline constexpr std::uint32_t kFlickTime = 150;  // ... at most this many milliseconds before

// The rules of the mouse triggers, fed every event of a low-level mouse hook. It asks the input
// port only for the modifier keys (at a click of the button) and, at most once a second, for
// the screen and the double-click time; everything else is arithmetic on what it noted.
class MouseTriggers {
public:
    using Fire = std::function<void(int slot)>;
    MouseTriggers(const MouseTriggerRules& rules, platform::Input& input, Fire fire);

    // The hook procedure: true swallows the event. A completed gesture or an arrival in a corner
    // calls fire with its slot before this returns.
    bool procedure(const platform::MouseHookEvent& event);

private:
    bool isButton(const platform::MouseHookEvent& event, bool down) const;
    bool modifierHeld();
    bool onClick(std::uint32_t time);
    void onPointer(const platform::MouseHookEvent& event);
    // The enabled corner the point lies in (one of the corner bits), 0 for none.
    int cornerAt(int x, int y) const;
    bool flickedInto(int cornerX, int cornerY, std::uint32_t now) const;
    void refresh(std::uint32_t now);

    MouseTriggerRules rules_;
    platform::Input& input_;
    Fire fire_;
    // From the system, read again now and then: the user may change them.
    platform::VirtualScreen screen_;
    std::uint32_t doubleClickTime_ = 500;
    std::uint32_t refreshedAt_ = 0;
    bool refreshed_ = false;
    // The gesture so far: clicks counted, when the last began, and a button whose release
    // goes the way of the click that completed a gesture.
    int clicks_ = 0;
    std::uint32_t lastClick_ = 0;
    bool swallowRelease_ = false;
    // The corner the pointer is in (one bit, 0 none): its arrival has been judged already.
    int inCorner_ = 0;
    // Where the pointer was lately, one place per millisecond, oldest overwritten.
    struct Place {
        std::uint32_t time;
        int x;
        int y;
    };
    std::array<Place, 256> trail_{};
    std::size_t trailNext_ = 0;
    std::size_t trailSize_ = 0;
};

// Idleness: asked once a second, fires once when the session has had no input for the given
// minutes, and again only after new input and as long a time without.
class IdleTrigger {
public:
    IdleTrigger() = default;
    IdleTrigger(int minutes, int slot) : minutes_(minutes), slot_(slot) {}

    std::optional<int> check(std::uint32_t lastInput, std::uint32_t now);

private:
    int minutes_ = 0;
    int slot_ = 0;
    bool fired_ = false;
    std::uint32_t firedFor_ = 0;  // the last input of the quiet time that fired
};

// The triggers the settings ask for, in force for one main window.
class Triggers {
public:
    Triggers() = default;
    Triggers(const Triggers&) = delete;
    Triggers& operator=(const Triggers&) = delete;
    ~Triggers();

    // Puts the settings MB to IA into effect for the window the hotkeys go to: the mouse hook is
    // set while a button or a corner is chosen, and taken away when neither is.
    void apply(platform::Hwnd mainWindow);
    // At exit: no hook is left behind.
    void remove();
    // Once a second while idleOn().
    void idleTick();
    bool idleOn() const { return idleMinutes_ > 0; }
    bool hooked() const { return hook_ != 0; }

private:
    platform::Hwnd window_ = 0;
    std::unique_ptr<MouseTriggers> mouse_;
    platform::Input::HookHandle hook_ = 0;
    IdleTrigger idle_;
    int idleMinutes_ = 0;
};

}  // namespace kvr::engine
