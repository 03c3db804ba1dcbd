#include "engine/triggers.h"

#include <cstdlib>

#include "base/ids.h"
#include "platform/services.h"
#include "settings/settings.h"

namespace kvr::engine {

namespace wm = platform::wm;

namespace {

bool isButtonDown(std::uint32_t message) {
    return message == wm::kLButtonDown || message == wm::kRButtonDown ||
           message == wm::kMButtonDown || message == wm::kXButtonDown;
}

bool near(int a, int b) {
    return std::abs(a - b) <= kCornerReach;
}

// A hotkey of the slot, queued as the system queues a press of it.
void postSlot(platform::Hwnd window, int slot) {
    platform::queue().postHotKey(window, static_cast<std::uint32_t>(ids::hotkeyId(slot)));
}

}  // namespace

MouseTriggers::MouseTriggers(const MouseTriggerRules& rules, platform::Input& input, Fire fire)
    : rules_(rules), input_(input), fire_(std::move(fire)) {}

bool MouseTriggers::procedure(const platform::MouseHookEvent& event) {
    if (!refreshed_ || event.time - refreshedAt_ >= 1000) refresh(event.time);
    if (rules_.corners != 0) onPointer(event);
    if (rules_.button == 0) return false;
    if (isButton(event, true)) return onClick(event.time);
    if (isButton(event, false) && swallowRelease_) {
        // The window saw no press, so it must not see the release either.
        swallowRelease_ = false;
        return true;
    }
    // Another button between the clicks breaks the gesture.
    if (isButtonDown(event.message)) clicks_ = 0;
    return false;
}

bool MouseTriggers::isButton(const platform::MouseHookEvent& event, bool down) const {
    switch (rules_.button) {
        case 1:
            return event.message == (down ? wm::kMButtonDown : wm::kMButtonUp);
        case 2:
        case 3: {
            const std::uint32_t which =
                rules_.button == 2 ? platform::xbutton::kBack : platform::xbutton::kForward;
            return event.message == (down ? wm::kXButtonDown : wm::kXButtonUp) &&
                   (event.mouseData >> 16) == which;
        }
        default:
            return false;
    }
}

bool MouseTriggers::modifierHeld() {
    // Exactly the one asked for, as a hotkey's modifier: Ctrl+Shift is not Ctrl. Each look is a
    // call into the system, so the one asked for comes first.
    static constexpr int kKeys[] = {platform::vk::kShift, platform::vk::kControl,
                                    platform::vk::kMenu};
    const int wanted = rules_.modifier >= 16 && rules_.modifier <= 18 ? rules_.modifier - 16 : -1;
    if (wanted >= 0 && !input_.keyDown(kKeys[wanted])) return false;
    for (int k = 0; k < 3; ++k) {
        if (k != wanted && input_.keyDown(kKeys[k])) return false;
    }
    return true;
}

bool MouseTriggers::onClick(std::uint32_t time) {
    if (!modifierHeld()) {
        clicks_ = 0;
        return false;
    }
    clicks_ = clicks_ > 0 && time - lastClick_ <= doubleClickTime_ ? clicks_ + 1 : 1;
    lastClick_ = time;
    if (clicks_ < rules_.clicks) return false;
    // A further click starts a gesture of its own.
    clicks_ = 0;
    swallowRelease_ = true;
    fire_(rules_.clickSlot);
    return true;
}

void MouseTriggers::onPointer(const platform::MouseHookEvent& event) {
    const std::size_t newest = (trailNext_ + trail_.size() - 1) % trail_.size();
    if (trailSize_ > 0 && trail_[newest].time == event.time) {
        trail_[newest] = {event.time, event.x, event.y};
    } else {
        trail_[trailNext_] = {event.time, event.x, event.y};
        trailNext_ = (trailNext_ + 1) % trail_.size();
        if (trailSize_ < trail_.size()) ++trailSize_;
    }
    const int at = cornerAt(event.x, event.y);
    if (at == inCorner_) return;
    // Leaving a corner arms it again; arriving is judged once.
    inCorner_ = at;
    if (at == 0) return;
    const int x = at & (corner::kTopRight | corner::kBottomRight) ? screen_.left + screen_.width - 1
                                                                  : screen_.left;
    const int y = at & (corner::kBottomLeft | corner::kBottomRight)
                      ? screen_.top + screen_.height - 1
                      : screen_.top;
    if (!rules_.flickOnly || flickedInto(x, y, event.time)) fire_(rules_.cornerSlot);
}

int MouseTriggers::cornerAt(int x, int y) const {
    const int right = screen_.left + screen_.width - 1;
    const int bottom = screen_.top + screen_.height - 1;
    int at = 0;
    if (near(y, screen_.top)) {
        if (near(x, screen_.left)) at = corner::kTopLeft;
        if (near(x, right)) at = corner::kTopRight;
    } else if (near(y, bottom)) {
        if (near(x, screen_.left)) at = corner::kBottomLeft;
        if (near(x, right)) at = corner::kBottomRight;
    }
    return at & rules_.corners;
}

bool MouseTriggers::flickedInto(int cornerX, int cornerY, std::uint32_t now) const {
    constexpr long long reach = static_cast<long long>(kFlickDistance) * kFlickDistance;
    // Newest first, down to the place the pointer had when the flick's time began.
    for (std::size_t n = 1; n <= trailSize_; ++n) {
        const Place& place = trail_[(trailNext_ + trail_.size() - n) % trail_.size()];
        const long long dx = place.x - cornerX;
        const long long dy = place.y - cornerY;
        if (dx * dx + dy * dy >= reach) return true;
        if (now - place.time >= kFlickTime) return false;
    }
    return false;
}

void MouseTriggers::refresh(std::uint32_t now) {
    screen_ = input_.virtualScreen();
    doubleClickTime_ = input_.doubleClickTime();
    refreshedAt_ = now;
    refreshed_ = true;
}

std::optional<int> IdleTrigger::check(std::uint32_t lastInput, std::uint32_t now) {
    if (minutes_ <= 0) return std::nullopt;
    if (fired_) {
        if (lastInput == firedFor_) return std::nullopt;
        fired_ = false;
    }
    // The two clocks are read apart: an input between the readings is no time at all.
    const auto quiet = static_cast<std::int32_t>(now - lastInput);
    if (quiet < 0 || quiet < minutes_ * 60000) return std::nullopt;
    fired_ = true;
    firedFor_ = lastInput;
    return slot_;
}

Triggers::~Triggers() {
    remove();
}

void Triggers::apply(platform::Hwnd mainWindow) {
    remove();
    window_ = mainWindow;
    idleMinutes_ = settings::IM;
    idle_ = IdleTrigger(settings::IM, settings::IA);
    const MouseTriggerRules rules{.button = settings::MB,
                                  .clicks = settings::MK,
                                  .modifier = settings::MM,
                                  .clickSlot = settings::MA,
                                  .corners = settings::CC,
                                  .cornerSlot = settings::CA,
                                  .flickOnly = settings::CF != 0};
    // No hook without a reason: every mouse event of the session would pass through it.
    if (!rules.anything()) return;
    mouse_ = std::make_unique<MouseTriggers>(
        rules, platform::input(), [mainWindow](int slot) { postSlot(mainWindow, slot); });
    hook_ = platform::input().setMouseHook(
        [mouse = mouse_.get()](const platform::MouseHookEvent& event) {
            return mouse->procedure(event);
        });
    if (hook_ == 0) mouse_.reset();
}

void Triggers::remove() {
    // The hook goes first: the rules must outlive the last event it hands them.
    if (hook_ != 0) platform::input().unhookMouseHook(hook_);
    hook_ = 0;
    mouse_.reset();
    idleMinutes_ = 0;
    idle_ = IdleTrigger();
}

void Triggers::idleTick() {
    auto& input = platform::input();
    if (const auto slot = idle_.check(input.lastInputTime(), input.tickCount())) {
        postSlot(window_, *slot);
    }
}

}  // namespace kvr::engine
