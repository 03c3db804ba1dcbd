// The session's input, against the fake natively and user32 under Wine: a low-level mouse hook
// sees sent input first, flagged as injected, and what it swallows reaches no window; the last
// input time, the keys held, the virtual screen and the double-click time.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "tests/contract/contract_env.h"

namespace {

using kvr::platform::MouseHookEvent;
namespace wm = kvr::platform::wm;

class InputContract : public ::testing::Test {
protected:
    void SetUp() override {
        env = kvr::contract::makeInputEnv();
        const auto t = env->target();
        x = t.left + t.width / 2;
        y = t.top + t.height / 2;
    }
    void TearDown() override {
        if (hook) input().unhookMouseHook(hook);
    }
    kvr::platform::Input& input() { return env->input(); }

    // A hook that notes every event and swallows those swallow() picks.
    void setHook(std::function<bool(const MouseHookEvent&)> swallow) {
        hook = input().setMouseHook([this, swallow](const MouseHookEvent& event) {
            std::lock_guard<std::mutex> lock(mutex);  // the hook has a thread of its own
            events.push_back(event);
            return swallow(event);
        });
    }
    std::vector<MouseHookEvent> seen() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    bool sawMessage(std::uint32_t message) {
        const auto all = seen();
        return std::any_of(all.begin(), all.end(),
                           [&](const MouseHookEvent& e) { return e.message == message; });
    }
    void middleClick() {
        ASSERT_TRUE(env->button(wm::kMButtonDown));
        ASSERT_TRUE(env->button(wm::kMButtonUp));
    }

    std::unique_ptr<kvr::contract::InputEnv> env;
    kvr::platform::Input::HookHandle hook = 0;
    std::mutex mutex;
    std::vector<MouseHookEvent> events;
    int x = 0, y = 0;
};

TEST_F(InputContract, TheHookSeesSentInputFlaggedInjectedAndNothingOnceUnhooked) {
    setHook([](const MouseHookEvent&) { return false; });
    ASSERT_NE(hook, 0u);
    ASSERT_TRUE(env->move(x, y));
    middleClick();
    ASSERT_TRUE(env->waitUntil([&] { return env->buttonsReceived() >= 2; }));
    const auto noted = seen();
    const auto at = [&](std::uint32_t message) {
        return std::find_if(noted.begin(), noted.end(),
                            [&](const MouseHookEvent& e) { return e.message == message; });
    };
    ASSERT_NE(at(wm::kMouseMove), noted.end());
    ASSERT_NE(at(wm::kMButtonDown), noted.end());
    ASSERT_NE(at(wm::kMButtonUp), noted.end());
    EXPECT_LT(at(wm::kMButtonDown), at(wm::kMButtonUp));
    for (const MouseHookEvent& e : noted) {
        EXPECT_TRUE(e.flags & kvr::platform::llmhf::kInjected) << e.message;
        EXPECT_NE(e.time, 0u) << e.message;
        EXPECT_LE(std::abs(e.x - x), 1) << e.message;
        EXPECT_LE(std::abs(e.y - y), 1) << e.message;
    }

    EXPECT_TRUE(input().unhookMouseHook(hook));
    EXPECT_FALSE(input().unhookMouseHook(hook)) << "already gone";
    hook = 0;
    middleClick();
    ASSERT_TRUE(env->waitUntil([&] { return env->buttonsReceived() >= 4; }));
    EXPECT_EQ(seen().size(), noted.size());
}

TEST_F(InputContract, WhatTheHookSwallowsReachesNoWindow) {
    setHook([](const MouseHookEvent& e) {
        return e.message == wm::kMButtonDown || e.message == wm::kMButtonUp;
    });
    ASSERT_TRUE(env->move(x, y));
    middleClick();
    ASSERT_TRUE(env->waitUntil([&] { return sawMessage(wm::kMButtonUp); }));
    ASSERT_TRUE(input().unhookMouseHook(hook));
    hook = 0;
    // Input keeps its order: once the next click is in, the first would have been too.
    middleClick();
    ASSERT_TRUE(env->waitUntil([&] { return env->buttonsReceived() >= 2; }));
    EXPECT_EQ(env->buttonsReceived(), 2);
}

TEST_F(InputContract, TheLastInputTimeIsThatOfTheNewestInput) {
    // From elsewhere: a move to where the pointer already is may be no input at all.
    ASSERT_TRUE(env->move(x, y));
    env->pause(20);
    const std::uint32_t before = input().tickCount();
    ASSERT_TRUE(env->move(x + 3, y + 2));
    ASSERT_TRUE(env->waitUntil([&] { return input().lastInputTime() - before < 0x80000000u; }));
    EXPECT_LE(input().lastInputTime() - before, input().tickCount() - before);
    env->pause(300);
    EXPECT_GE(input().tickCount() - input().lastInputTime(), 250u) << "no input meanwhile";
    ASSERT_TRUE(env->key(kvr::platform::vk::kShift, true));
    ASSERT_TRUE(env->key(kvr::platform::vk::kShift, false));
    EXPECT_TRUE(env->waitUntil([&] { return input().tickCount() - input().lastInputTime() < 250; }))
        << "keys are input too";
}

TEST_F(InputContract, KeysAreDownFromPressToRelease) {
    using kvr::platform::vk::kControl;
    using kvr::platform::vk::kShift;
    ASSERT_TRUE(env->key(kControl, true));
    EXPECT_TRUE(env->waitUntil([&] { return input().keyDown(kControl); }));
    EXPECT_FALSE(input().keyDown(kShift));
    ASSERT_TRUE(env->key(kControl, false));
    EXPECT_TRUE(env->waitUntil([&] { return !input().keyDown(kControl); }));
}

TEST_F(InputContract, TheVirtualScreenHoldsThePrimaryOneAndDoubleClicksHaveATime) {
    const auto screen = input().virtualScreen();
    auto system = kvr::contract::makeSystem();
    EXPECT_LE(screen.left, 0);
    EXPECT_LE(screen.top, 0);
    EXPECT_GE(screen.left + screen.width, system->screenWidth());
    EXPECT_GE(screen.top + screen.height, system->screenHeight());
    EXPECT_GE(input().doubleClickTime(), 100u);
    EXPECT_LE(input().doubleClickTime(), 5000u);
}

}  // namespace
