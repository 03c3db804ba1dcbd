// The triggers that hide without the keyboard: the rules of clicks, modifiers, corners, flicks
// and idleness, fed the fake session's input; and the hook, there only while asked for.
#include "engine/triggers.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "base/ids.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

namespace wm = platform::wm;
using engine::MouseTriggerRules;
using engine::MouseTriggers;

class MouseRules : public ::testing::Test {
protected:
    test::FakePlatform fake;
    std::vector<int> fired;
    std::unique_ptr<MouseTriggers> triggers;
    platform::Input::HookHandle hook = 0;

    void use(const MouseTriggerRules& rules) {
        fake.input.unhookMouseHook(hook);
        triggers = std::make_unique<MouseTriggers>(rules, fake.input,
                                                   [this](int slot) { fired.push_back(slot); });
        hook = fake.input.setMouseHook([this](const auto& e) { return triggers->procedure(e); });
    }
    // A click of the middle button; true when the window under the pointer got it.
    bool middle() { return fake.input.click(wm::kMButtonDown); }
    void holding(std::set<int> keys) { fake.input.held = std::move(keys); }
};

TEST_F(MouseRules, ClicksCountAsOneGestureWithinTheDoubleClickTime) {
    struct Case {
        const char* name;
        int clicks;                       // the rule's
        std::vector<std::uint32_t> gaps;  // ms before each click after the first
        std::vector<bool> delivered;      // per click
        int fires;
    };
    const Case cases[] = {
        {"double click", 2, {100}, {true, false}, 1},
        {"second click at the double-click time", 2, {500}, {true, false}, 1},
        {"second click too slow", 2, {501}, {true, true}, 0},
        {"a slow pair, then a quick one", 2, {600, 200}, {true, true, false}, 1},
        {"third click after the trigger starts anew", 2, {100, 100}, {true, false, true}, 1},
        {"third and fourth make a second gesture",
         2,
         {100, 100, 100},
         {true, false, true, false},
         2},
        {"single click", 1, {}, {false}, 1},
        {"triple click", 3, {100, 100}, {true, true, false}, 1},
        {"triple click with a slow third", 3, {100, 700}, {true, true, true}, 0},
    };
    for (const Case& c : cases) {
        fired.clear();
        use({.button = 1, .clicks = c.clicks, .clickSlot = 5});
        fake.input.advance(5000);
        std::vector<bool> delivered{middle()};
        for (std::uint32_t gap : c.gaps) {
            fake.input.advance(gap);
            delivered.push_back(middle());
        }
        EXPECT_EQ(delivered, c.delivered) << c.name;
        EXPECT_EQ(fired, std::vector<int>(static_cast<std::size_t>(c.fires), 5)) << c.name;
    }
}

TEST_F(MouseRules, TheCompletingClickIsSwallowedPressAndReleaseInjectedOrNot) {
    use({.button = 1, .clicks = 2});
    // Sent by another program (tests, remote desktops, accessibility tools) counts the same.
    const auto send = [&](std::uint32_t message) {
        return fake.input.send(
            {.message = message, .x = 50, .y = 60, .flags = platform::llmhf::kInjected});
    };
    EXPECT_TRUE(send(wm::kMButtonDown));
    EXPECT_TRUE(send(wm::kMButtonUp));
    fake.input.advance(80);
    EXPECT_FALSE(send(wm::kMButtonDown));
    EXPECT_TRUE(fake.input.moveTo(55, 60)) << "moves between press and release go on";
    EXPECT_FALSE(send(wm::kMButtonUp));
    EXPECT_TRUE(send(wm::kMButtonUp)) << "only the one release goes";
    EXPECT_EQ(fired, (std::vector<int>{0}));
}

TEST_F(MouseRules, AnotherButtonBreaksTheGestureAndOnlyTheChosenXButtonCounts) {
    use({.button = 1, .clicks = 2});
    middle();
    fake.input.click(wm::kLButtonDown);
    EXPECT_TRUE(middle());
    EXPECT_TRUE(fired.empty());

    use({.button = 2, .clicks = 2, .clickSlot = 3});  // back
    const std::uint32_t back = platform::xbutton::kBack << 16;
    const std::uint32_t forward = platform::xbutton::kForward << 16;
    EXPECT_TRUE(fake.input.click(wm::kXButtonDown, forward));
    EXPECT_TRUE(fake.input.click(wm::kXButtonDown, forward));
    EXPECT_TRUE(middle());
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(fake.input.click(wm::kXButtonDown, back));
    EXPECT_FALSE(fake.input.click(wm::kXButtonDown, back));
    EXPECT_EQ(fired, (std::vector<int>{3}));

    use({.button = 3, .clicks = 1, .clickSlot = 4});  // forward
    EXPECT_TRUE(fake.input.click(wm::kXButtonDown, back));
    EXPECT_FALSE(fake.input.click(wm::kXButtonDown, forward));
    EXPECT_EQ(fired, (std::vector<int>{3, 4}));
}

TEST_F(MouseRules, ExactlyTheChosenModifierMustBeHeldAtEveryClick) {
    using platform::vk::kControl;
    using platform::vk::kMenu;
    using platform::vk::kShift;
    struct Case {
        int modifier;
        std::set<int> held;
        bool fires;
    };
    const Case cases[] = {
        {17, {kControl}, true}, {17, {}, false},         {17, {kControl, kShift}, false},
        {17, {kShift}, false},  {16, {kShift}, true},    {16, {kShift, kMenu}, false},
        {18, {kMenu}, true},    {18, {kControl}, false}, {0, {}, true},
        {0, {kControl}, false},
    };
    for (const Case& c : cases) {
        fired.clear();
        use({.button = 1, .clicks = 2, .modifier = c.modifier});
        holding(c.held);
        middle();
        middle();
        EXPECT_EQ(fired.size(), c.fires ? 1u : 0u)
            << "modifier " << c.modifier << " with " << c.held.size() << " keys held";
    }
    // The first click without it does not count towards the gesture.
    fired.clear();
    use({.button = 1, .clicks = 2, .modifier = 17});
    holding({});
    middle();
    holding({kControl});
    EXPECT_TRUE(middle());
    EXPECT_FALSE(middle());
    EXPECT_EQ(fired.size(), 1u);
}

class CornerRules : public MouseRules {
protected:
    // The pointer along a path, one place every stepMs.
    void path(std::vector<std::pair<int, int>> places, std::uint32_t stepMs) {
        for (const auto& [x, y] : places) {
            fake.input.advance(stepMs);
            fake.input.moveTo(x, y);
        }
    }
    // From (fromX, fromY) straight to (toX, toY) in the given time, a place every 10 ms.
    void glide(int fromX, int fromY, int toX, int toY, std::uint32_t ms) {
        const int steps = static_cast<int>(ms / 10);
        std::vector<std::pair<int, int>> places;
        for (int i = 1; i <= steps; ++i) {
            places.emplace_back(fromX + (toX - fromX) * i / steps,
                                fromY + (toY - fromY) * i / steps);
        }
        path(places, 10);
    }
};

TEST_F(CornerRules, ACornerFiresOncePerArrivalAndLeavingItArmsItAgain) {
    use({.corners = engine::corner::kTopLeft | engine::corner::kBottomRight,
         .cornerSlot = 6,
         .flickOnly = false});
    path({{400, 300}, {0, 0}, {1, 2}, {2, 0}, {0, 0}}, 100);
    EXPECT_EQ(fired, (std::vector<int>{6}));
    path({{3, 0}, {0, 0}}, 100);  // out by a pixel, and back
    EXPECT_EQ(fired, (std::vector<int>{6, 6}));
    path({{1279, 0}, {0, 799}, {640, 400}}, 100);  // corners not chosen
    EXPECT_EQ(fired.size(), 2u);
    path({{1277, 797}}, 100);  // within 2 px of the last pixel
    EXPECT_EQ(fired.size(), 3u);
    EXPECT_TRUE(fake.input.moveTo(1279, 799)) << "moves are never swallowed";
    EXPECT_EQ(fired.size(), 3u);
}

TEST_F(CornerRules, CornersAreThoseOfTheWholeVirtualScreen) {
    // A second monitor to the left of the first.
    fake.input.screen = {-1920, -200, 3200, 1200};
    use({.corners = 15, .cornerSlot = 1, .flickOnly = false});
    path({{0, 0}, {-1920, -200}, {0, 0}, {1279, -200}, {0, 0}, {1279, 999}, {0, 0}, {-1918, 998}},
         100);
    EXPECT_EQ(fired, (std::vector<int>{1, 1, 1, 1}));
}

TEST_F(CornerRules, OnlyAFastFlickCountsWhenAskedFor) {
    struct Case {
        const char* name;
        int fromX, fromY;
        std::uint32_t ms;
        bool fires;
    };
    const Case cases[] = {
        {"flick from 720 px in 60 ms", 600, 400, 60, true},
        {"flick from 300 px in 150 ms", 300, 0, 150, true},
        {"from 290 px in 60 ms", 290, 0, 60, false},
        {"drift from 720 px in 3 s", 600, 400, 3000, false},
        {"from 320 px in 300 ms", 320, 0, 300, false},
    };
    for (const Case& c : cases) {
        fired.clear();
        use({.corners = engine::corner::kTopLeft, .cornerSlot = 2, .flickOnly = true});
        path({{c.fromX, c.fromY}}, 1000);
        glide(c.fromX, c.fromY, 0, 0, c.ms);
        EXPECT_EQ(fired.size(), c.fires ? 1u : 0u) << c.name;
    }
    // Where the pointer rested until it jumped counts as where it was just before.
    fired.clear();
    path({{700, 500}}, 10);
    path({{0, 0}}, 2000);
    EXPECT_EQ(fired.size(), 1u);
    // Every move in the same millisecond keeps one place: the far one is not forgotten by
    // the newer places of a fast mouse.
    fired.clear();
    path({{700, 500}}, 100);
    fake.input.advance(5);
    for (int i = 0; i < 600; ++i) fake.input.moveTo(600, 400 - i % 2);
    path({{2, 1}}, 100);
    EXPECT_EQ(fired.size(), 1u);
}

class TriggersInForce : public ::testing::Test {
protected:
    test::FakePlatform fake;
    engine::Triggers triggers;
    static constexpr platform::Hwnd kMain = 0x4242;

    std::vector<std::uint32_t> posted() {
        std::vector<std::uint32_t> ids;
        std::uint32_t id = 0;
        while (fake.queue.peekHotKey(id)) ids.push_back(id);
        return ids;
    }
};

TEST_F(TriggersInForce, TheHookIsThereOnlyWhileAButtonOrACornerIsChosen) {
    settings::load(settings::triggerOptions(), [](const std::string&) { return std::string(); });
    settings::IM = 5;
    triggers.apply(kMain);
    EXPECT_FALSE(fake.input.hooked()) << "idleness needs no hook";
    EXPECT_TRUE(triggers.idleOn());

    settings::MB = 1;
    triggers.apply(kMain);
    EXPECT_TRUE(fake.input.hooked());
    settings::MB = 0;
    settings::CC = 4;
    triggers.apply(kMain);
    EXPECT_TRUE(fake.input.hooked());
    EXPECT_EQ(fake.input.hooksSet(), 2);
    settings::CC = 0;
    triggers.apply(kMain);
    EXPECT_FALSE(fake.input.hooked());

    settings::MB = 3;
    triggers.apply(kMain);
    triggers.remove();
    EXPECT_FALSE(fake.input.hooked());
    EXPECT_FALSE(triggers.idleOn());
}

TEST_F(TriggersInForce, AGestureQueuesItsSlotsHotkeyToTheMainWindow) {
    settings::MB = 1;
    settings::MK = 2;
    settings::MM = 17;
    settings::MA = 0;
    settings::CC = engine::corner::kTopRight;
    settings::CA = 9;
    settings::CF = 0;
    triggers.apply(kMain);
    fake.input.hold(platform::vk::kControl, true);
    fake.input.click(wm::kMButtonDown);
    fake.input.click(wm::kMButtonDown);
    fake.input.moveTo(1279, 0);
    EXPECT_EQ(posted(), (std::vector<std::uint32_t>{0xBFFF, 0xBFF6}));
}

TEST_F(TriggersInForce, IdlenessFiresOnceAndAgainOnlyAfterNewInput) {
    settings::IM = 1;
    settings::IA = 2;
    triggers.apply(kMain);
    const auto secondsLater = [&](int seconds) {
        std::vector<std::uint32_t> ids;
        for (int i = 0; i < seconds; ++i) {
            fake.input.advance(1000);
            triggers.idleTick();
            for (std::uint32_t id : posted()) ids.push_back(id);
        }
        return ids;
    };
    EXPECT_TRUE(secondsLater(59).empty());
    EXPECT_EQ(secondsLater(1), (std::vector<std::uint32_t>{0xBFFD}));
    EXPECT_TRUE(secondsLater(300).empty()) << "still the same quiet time";
    fake.input.moveTo(10, 10);
    EXPECT_TRUE(secondsLater(59).empty());
    EXPECT_EQ(secondsLater(1), (std::vector<std::uint32_t>{0xBFFD}));

    // Input read after the clock: no quiet time at all, not a wrapped-around eternity.
    fake.input.hold(platform::vk::kShift, true);
    fake.input.lastInput = fake.input.now + 20;
    triggers.idleTick();
    EXPECT_TRUE(posted().empty());

    settings::IM = 0;
    triggers.apply(kMain);
    EXPECT_FALSE(triggers.idleOn());
}

}  // namespace
}  // namespace kvr
