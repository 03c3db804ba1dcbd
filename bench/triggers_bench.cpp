// Time the low-level mouse hook's procedure takes per event: the pointer waits for it on every
// move and click of the session. The rules alone, on the fake input port.
#include <benchmark/benchmark.h>

#include "engine/triggers.h"
#include "platform/fake/fake_input.h"

namespace {

using namespace kvr;
namespace wm = platform::wm;

// Every trigger on: the middle button with Ctrl, all four corners, only flicks.
const engine::MouseTriggerRules kEverything{.button = 1,
                                            .clicks = 2,
                                            .modifier = 17,
                                            .corners = 15,
                                            .flickOnly = true};

// A pointer wandering over the screen, one event a millisecond, never reaching a corner.
void HookMove(benchmark::State& state) {
    platform::FakeInput input;
    int fired = 0;
    engine::MouseTriggers triggers(kEverything, input, [&](int) { ++fired; });
    platform::MouseHookEvent event{.message = wm::kMouseMove};
    std::uint32_t time = 1;
    for (auto _ : state) {
        event.time = ++time;
        event.x = 100 + static_cast<int>(time % 1000);
        event.y = 100 + static_cast<int>(time % 600);
        benchmark::DoNotOptimize(triggers.procedure(event));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(HookMove);

// The worst a move can cost: each one arrives in a corner and looks back along a full trail.
void HookFlickIntoCorner(benchmark::State& state) {
    platform::FakeInput input;
    int fired = 0;
    engine::MouseTriggers triggers(kEverything, input, [&](int) { ++fired; });
    std::uint32_t time = 1;
    for (int i = 0; i < 300; ++i) {
        triggers.procedure({.message = wm::kMouseMove, .x = 640, .y = 400 + i % 2, .time = ++time});
    }
    for (auto _ : state) {
        // In, then out again so that the next arrival is judged anew.
        benchmark::DoNotOptimize(
            triggers.procedure({.message = wm::kMouseMove, .x = 0, .y = 0, .time = ++time}));
        benchmark::DoNotOptimize(
            triggers.procedure({.message = wm::kMouseMove, .x = 5, .y = 5, .time = ++time}));
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(HookFlickIntoCorner);

// Presses and releases of the chosen button: each press asks the port for the modifiers.
void HookClick(benchmark::State& state) {
    platform::FakeInput input;
    input.held = {platform::vk::kControl};
    int fired = 0;
    engine::MouseTriggers triggers(kEverything, input, [&](int) { ++fired; });
    std::uint32_t time = 1;
    for (auto _ : state) {
        time += 1000;  // apart: every click is the first of its gesture
        benchmark::DoNotOptimize(triggers.procedure(
            {.message = wm::kMButtonDown, .x = 300, .y = 300, .time = time}));
        benchmark::DoNotOptimize(
            triggers.procedure({.message = wm::kMButtonUp, .x = 300, .y = 300, .time = time}));
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(HookClick);

}  // namespace
