// One tick of hiding by program on the in-memory desktop, once hiding has settled (every window
// of the listed programs already hidden, so each tick only looks): the program's single walk over
// the windows beside a walk per listed process. "port calls" counts the window-manager calls a
// tick makes, each a round trip to the window server on the real system.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/mod_procs_kvr.h"
#include "engine/mod_ventanas.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_message_queue.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"

namespace {

using namespace kvr;
using platform::Hwnd;

constexpr int kWindowsPerListedProcess = 3;
constexpr std::uint32_t kOtherProcesses = 40;

// N top-level windows: three for each of P running copies of the listed program, the rest
// spread over forty other programs.
struct ListedDesktop {
    platform::FakeRegistry registry;
    platform::FakeMessageQueue queue;
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    Hwnd mainWindow = 0;

    ListedDesktop(int windows, int listed) {
        platform::install({&registry, &queue, &system, &files, &desktop});
        modProcsKVR::resetForTests();
        mainWindow = desktop.create("KVR_frmPpal", "KVR", {.visible = false});
        for (std::uint32_t p = 0; p < kOtherProcesses; ++p) {
            desktop.addProcess("C:\\Programs\\app" + std::to_string(p) + ".exe", 2000 + p);
        }
        for (int p = 0; p < listed; ++p) {
            desktop.addProcess("C:\\Programs\\listed.exe", 3000 + static_cast<std::uint32_t>(p));
        }
        for (int i = 0; i < windows; ++i) {
            const bool ofListed = i < listed * kWindowsPerListedProcess;
            const std::uint32_t pid = ofListed
                                          ? 3000 + static_cast<std::uint32_t>(i) % listed
                                          : 2000 + static_cast<std::uint32_t>(i) % kOtherProcesses;
            desktop.create("W" + std::to_string(i % 7), "Window " + std::to_string(i),
                           {.processId = pid});
        }
        modProcsKVR::ProcessHideList.push_back({"listed.exe", "listed.exe", "listed.exe", ""});
        modProcsKVR::PrepareProcessHiding();
        modProcsKVR::HideProcessWindowsTick();  // settled: everything listed is hidden
    }
    ~ListedDesktop() {
        modProcsKVR::resetForTests();
        platform::install({});
    }
};

// The tick as first laid out: for every running process of a listed name, a walk over all
// top-level windows asking each for its process.
void perProcessTick(Hwnd mainWindow) {
    for (std::size_t slot = 1; slot < modProcsKVR::RunningProcesses.size(); ++slot) {
        const auto& process = modProcsKVR::RunningProcesses[slot];
        const std::string key(modProcsKVR::FileNameOf(process.exeFile));
        if (!process.processId || modProcsKVR::ProcessesToHide.count(key) == 0) continue;
        for (const auto& found : modProcsKVR::ListProcessWindows(*process.processId, mainWindow)) {
            if (found.hwnd == 0) continue;
            modVentanas::ShowHideWindow(found.hwnd, true);
            modProcsKVR::ProcessHiddenWindows.add(found.hwnd);
        }
    }
}

template <class Tick>
void run(benchmark::State& state, Tick tick) {
    ListedDesktop fake(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    fake.desktop.resetCounters();
    for (auto _ : state) tick(fake.mainWindow);
    state.counters["port calls"] = benchmark::Counter(static_cast<double>(fake.desktop.calls),
                                                      benchmark::Counter::kAvgIterations);
}

void TickOneWalk(benchmark::State& state) {
    run(state, [](Hwnd) { modProcsKVR::HideProcessWindowsTick(); });
}

void TickWalkPerProcess(benchmark::State& state) {
    run(state, perProcessTick);
}

}  // namespace

// Arguments: top-level windows, running copies of the listed program.
BENCHMARK(TickOneWalk)
    ->ArgNames({"windows", "listed"})
    ->ArgsProduct({{200, 2000}, {1, 20}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(TickWalkPerProcess)
    ->ArgNames({"windows", "listed"})
    ->ArgsProduct({{200, 2000}, {1, 20}})
    ->Unit(benchmark::kMicrosecond);
