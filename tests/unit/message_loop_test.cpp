#include <gtest/gtest.h>

#include <vector>

#include "startup/mod_mensajes.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using platform::mod::kAlt;
using platform::mod::kControl;
using platform::mod::kShift;

struct Recorder : modMensajes::HotkeyReceiver {
    std::vector<std::int32_t> ids;
    std::function<void(std::int32_t)> then;
    void RecibirMensajes(std::int32_t& id) override {
        ids.push_back(id);
        if (then) then(id);
    }
};

class MessageLoop : public ::testing::Test {
protected:
    test::FakePlatform fake;
    Recorder window;

    void exitAfter(int passes) {
        fake.queue.onIdle = [this, passes, count = 0]() mutable {
            if (++count >= passes) {
                fake.queue.post([] { modMensajes::ExitRequested = true; });
            } else {
                fake.queue.post([] {});
            }
        };
    }
};

TEST_F(MessageLoop, EveryHotkeyOfAPassReachesTheReceiverInOrder) {
    fake.queue.postHotKey(0xBFFF);
    fake.queue.postHotKey(0xBFFC);
    fake.queue.post([] {});
    fake.queue.postHotKey(0xBFFF);
    exitAfter(1);
    modMensajes::RunMessageLoop(window);
    EXPECT_EQ(window.ids, (std::vector<std::int32_t>{0xBFFF, 0xBFFC, 0xBFFF}));
    EXPECT_TRUE(fake.queue.hotKeysDispatched().empty());
}

TEST_F(MessageLoop, HotkeyArrivingWhileOurWindowTakesKeysReachesTheReceiverInQueueOrder) {
    // A key typed into the list is being dispatched when the hotkey comes in behind the
    // messages already waiting.
    std::vector<std::string> order;
    window.then = [&](std::int32_t id) { order.push_back("hotkey " + std::to_string(id)); };
    fake.queue.post([&] {
        order.push_back("key 1");
        fake.queue.postHotKey(0xBFFF);
        fake.queue.post([&] { order.push_back("key 3"); });
        fake.queue.postHotKey(0xBFFC);
    });
    fake.queue.post([&] { order.push_back("key 2"); });
    exitAfter(1);
    modMensajes::RunMessageLoop(window);
    EXPECT_EQ(order, (std::vector<std::string>{"key 1", "key 2", "hotkey 49151", "key 3",
                                               "hotkey 49148"}));
    EXPECT_TRUE(fake.queue.hotKeysDispatched().empty());
}

TEST_F(MessageLoop, HotkeysMetByAModalWindowsOwnLoopGoToTheWindowProcedure) {
    // A message box or the preferences dialog drains the queue itself while it is open; the
    // main window's procedure, not this loop, acts on what it meets.
    fake.queue.post([&] {
        fake.queue.postHotKey(0xBFFF);
        platform::queue().dispatchPending();
    });
    fake.queue.postHotKey(0xBFFC);  // after the dialog closed
    exitAfter(1);
    modMensajes::RunMessageLoop(window);
    EXPECT_EQ(window.ids, std::vector<std::int32_t>{0xBFFC});
    EXPECT_EQ(fake.queue.hotKeysDispatched(), std::vector<std::uint32_t>{0xBFFF});
}

TEST_F(MessageLoop, HotkeysAfterTheExitInTheSamePassAreNotHandedOn) {
    fake.queue.postHotKey(0xBFFE);
    fake.queue.post([] { modMensajes::ExitRequested = true; });
    fake.queue.postHotKey(0xBFFF);
    modMensajes::RunMessageLoop(window);  // throws if it waited again
    EXPECT_EQ(window.ids, std::vector<std::int32_t>{0xBFFE});
}

TEST_F(MessageLoop, HotkeyIsTakenBeforeEarlierOrdinaryMessages) {
    std::vector<std::string> order;
    fake.queue.post([&] { order.push_back("message"); });
    fake.queue.postHotKey(0xBFF4);
    window.then = [&](std::int32_t) { order.push_back("hotkey"); };
    exitAfter(1);
    modMensajes::RunMessageLoop(window);
    EXPECT_EQ(order, (std::vector<std::string>{"hotkey", "message"}));
}

TEST_F(MessageLoop, UnknownIdsArePassedOnLikeAnyOther) {
    fake.queue.postHotKey(7);
    exitAfter(1);
    modMensajes::RunMessageLoop(window);
    EXPECT_EQ(window.ids, std::vector<std::int32_t>{7});
}

TEST_F(MessageLoop, ExitSetInAPassEndsTheLoopAtTheEndOfThatPass) {
    // The exit comes from a hotkey handler; no further message may be needed to end.
    fake.queue.postHotKey(0xBFF9);
    window.then = [](std::int32_t) { modMensajes::ExitRequested = true; };
    modMensajes::RunMessageLoop(window);  // throws if it waited again
    EXPECT_EQ(window.ids.size(), 1u);
}

TEST_F(MessageLoop, ReturnsAtOnceWhenExitAlreadyRequested) {
    modMensajes::ExitRequested = true;
    fake.queue.postHotKey(0xBFFF);
    modMensajes::RunMessageLoop(window);
    EXPECT_TRUE(window.ids.empty());
    EXPECT_EQ(fake.queue.pending(), 1u);
}

TEST_F(MessageLoop, HotkeysOfLaterPassesAllArrive) {
    int pass = 0;
    fake.queue.onIdle = [&] {
        if (++pass <= 3) {
            fake.queue.postHotKey(0xBFFF - pass);
        } else {
            fake.queue.post([] { modMensajes::ExitRequested = true; });
        }
    };
    modMensajes::RunMessageLoop(window);
    EXPECT_EQ(window.ids, (std::vector<std::int32_t>{0xBFFE, 0xBFFD, 0xBFFC}));
}

class HotkeyRegistration : public ::testing::Test {
protected:
    test::FakePlatform fake;
    static constexpr platform::Hwnd kMain = 0x1234;

    void defaults() {
        const std::int32_t s[] = {16, 16, 16, 17, 17, 17, 17, 18, 18, 18, 16, 17};
        const std::int32_t t[] = {120, 121, 122, 120, 121, 122, 123, 87, 113, 114, 115, 115};
        for (int i = 0; i < settings::kSlots; ++i) {
            settings::S[i] = s[i];
            settings::T[i] = t[i];
        }
    }
    bool registered(int id, std::uint32_t mods, std::uint32_t key) const {
        for (const auto& r : fake.queue.registrations()) {
            if (r.window == kMain && r.id == id && r.modifiers == mods && r.virtualKey == key) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(HotkeyRegistration, DefaultSlotsRegisterWithIdsFromTheTopOfTheRange) {
    defaults();
    modMensajes::RegisterHotkeys(kMain);
    ASSERT_EQ(fake.queue.registrations().size(), 12u);
    EXPECT_TRUE(registered(49151, kShift, 120));    // Shift+F9
    EXPECT_TRUE(registered(49148, kControl, 120));  // Ctrl+F9
    EXPECT_TRUE(registered(49144, kAlt, 87));       // Alt+W
    EXPECT_TRUE(registered(49141, kShift, 115));    // Shift+F4
    EXPECT_TRUE(registered(49140, kControl, 115));  // Ctrl+F4
    modMensajes::UnregisterHotkeys(kMain);
    EXPECT_TRUE(fake.queue.registrations().empty());
}

TEST_F(HotkeyRegistration, PressOfARegisteredCombinationReachesTheLoopWithItsSlotId) {
    defaults();
    settings::S[3] = 17;
    settings::T[3] = 0x4C;  // Ctrl+L shows the last hidden window
    modMensajes::RegisterHotkeys(kMain);
    ASSERT_TRUE(fake.queue.press(kControl, 0x4C));
    std::uint32_t id = 0;
    ASSERT_TRUE(fake.queue.peekHotKey(id));
    EXPECT_EQ(id, 0xBFFCu);
}

TEST_F(HotkeyRegistration, SlotsWithoutAUsableModifierOrKeyAreNotRegistered) {
    defaults();
    settings::S[0] = 0;   // no modifier
    settings::T[1] = 0;   // no key
    settings::S[2] = 19;  // not Shift, Ctrl or Alt
    settings::S[4] = 20;
    modMensajes::RegisterHotkeys(kMain);
    EXPECT_EQ(fake.queue.registrations().size(), 8u);
    EXPECT_FALSE(fake.queue.taken(kShift, 120));
    EXPECT_FALSE(fake.queue.taken(kShift, 121));
    EXPECT_FALSE(fake.queue.taken(kShift, 122));

    // Slots with modifier 19 or 20 are unregistered anyway (and fail); 0-slots are skipped.
    const int before = fake.queue.unregisterCalls();
    modMensajes::UnregisterHotkeys(kMain);
    EXPECT_EQ(fake.queue.unregisterCalls() - before, 10);
    EXPECT_TRUE(fake.queue.registrations().empty());
}

TEST_F(HotkeyRegistration, ACombinationTakenElsewhereIsSkippedSilently) {
    defaults();
    fake.queue.takeElsewhere(kAlt, 87);
    modMensajes::RegisterHotkeys(kMain);
    EXPECT_EQ(fake.queue.registrations().size(), 11u);
    EXPECT_FALSE(registered(49144, kAlt, 87));
}

TEST(HotkeyModifiers, OnlyShiftCtrlAltMap) {
    EXPECT_EQ(modMensajes::ModifierFlag(16), 4u);
    EXPECT_EQ(modMensajes::ModifierFlag(17), 2u);
    EXPECT_EQ(modMensajes::ModifierFlag(18), 1u);
    for (int other : {0, 15, 19, 20, 91, -16}) EXPECT_EQ(modMensajes::ModifierFlag(other), 0u);
}

}  // namespace
}  // namespace kvr
