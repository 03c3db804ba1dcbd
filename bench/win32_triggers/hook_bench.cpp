// The program's low-level mouse hook under Wine: the procedure's own time per event with the
// real input port, and what the hook adds to each mouse event the session delivers (the sender
// waits until every low-level hook has answered). Prints figures; asserts nothing.
// Usage: kvr_bench_triggers [EVENTS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/win32_bench.h"
#include "engine/triggers.h"
#include "platform/services.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_system.h"
#include "settings/settings.h"

namespace {

using namespace kvr;
namespace wm = platform::wm;

// Microseconds per call of step, median of five rounds of n calls.
template <class Step>
double perCall(int n, Step step) {
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        const double start = bench::nowMs();
        for (int i = 0; i < n; ++i) step(i);
        rounds.push_back(1000 * (bench::nowMs() - start) / n);
    }
    return bench::summarize(rounds).median;
}

// One relative move of a pixel, back and forth, as the mouse sends it.
void nudge(int i) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = i % 2 ? 1 : -1;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
}

}  // namespace

int main(int argc, char** argv) {
    const int events = argc > 1 ? std::max(100, std::atoi(argv[1])) : 5000;
    platform::Win32Input input;
    platform::Win32MessageQueue queue;
    platform::install({.queue = &queue, .input = &input});
    SetCursorPos(640, 400);

    // Every trigger on: the middle button with Ctrl, all four corners, only flicks.
    const engine::MouseTriggerRules everything{
        .button = 1, .clicks = 2, .modifier = 17, .corners = 15, .flickOnly = true};
    engine::MouseTriggers rules(everything, input, [](int) {});
    std::uint32_t time = GetTickCount();
    const double move = perCall(events, [&](int i) {
        rules.procedure({.message = wm::kMouseMove, .x = 200 + i % 800, .y = 300, .time = ++time});
    });
    const double click = perCall(events, [&](int i) {
        time += 1000;  // every click the first of its gesture: each press reads the modifiers
        rules.procedure({.message = i % 2 ? wm::kMButtonUp : wm::kMButtonDown,
                         .x = 300,
                         .y = 300,
                         .time = time});
    });
    std::printf("hook procedure, real input port: %.3f us per move, %.3f us per press or release\n",
                move, click);

    // The same moves through the session, without a hook and with the program's.
    const int sent = std::min(events, 2000);
    const double bare = perCall(sent, nudge);
    settings::MB = 1;
    settings::MK = 2;
    settings::MM = 17;
    settings::CC = 15;
    settings::CF = 1;
    engine::Triggers triggers;
    triggers.apply(1);
    const double hooked = perCall(sent, nudge);
    triggers.remove();
    std::printf("a sent move: %.1f us without a hook, %.1f us with the program's (+%.1f us)\n",
                bare, hooked, hooked - bare);
    platform::install({});
    return 0;
}
