// Times the real program hiding other programs' windows: from the key press to the window
// being invisible, and one hide by title over many top-level windows. Prints figures; asserts
// nothing.
// Usage: kvr_bench_hiding [ROUNDS] [--latency-only]   (no hide by title)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "bench/win32_bench.h"
#include "probe.h"

using namespace bench;

namespace {

bool allHidden(const std::vector<HWND>& windows) {
    return std::none_of(windows.begin(), windows.end(), probe::isVisible);
}
bool allShown(const std::vector<HWND>& windows) {
    return std::all_of(windows.begin(), windows.end(), probe::isVisible);
}

// Owns the target windows on a thread of its own that always answers, as a real program's
// would, so that the figures measure the program and not this benchmark's polling.
class TargetThread {
public:
    explicit TargetThread(int count) {
        std::promise<void> ready;
        auto created = ready.get_future();
        thread_ = std::thread([this, count, &ready] {
            for (int i = 0; i < count; ++i) {
                const bool match = i % 10 == 0;
                HWND w = probe::createWindow("KvrBenchMany",
                                             (match ? "Budget " : "Document ") + std::to_string(i));
                all.push_back(w);
                if (match) matching.push_back(w);
            }
            threadId_ = GetCurrentThreadId();
            ready.set_value();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
            for (HWND w : all) DestroyWindow(w);
        });
        created.wait();
    }
    ~TargetThread() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    std::vector<HWND> all;
    std::vector<HWND> matching;

private:
    std::thread thread_;
    DWORD threadId_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const bool latencyOnly = argc > 2 && std::string(argv[2]) == "--latency-only";
    const std::string exe = probe::exeDir() + "\\kvr.exe";
    probe::killProcessesNamed("kvr.exe");
    const std::string options = "HKCU\\Software\\ORQ\\KVR\\Options";
    probe::regDeleteTree("HKCU\\Software\\ORQ");
    for (auto [name, value] : {std::pair{"BxTT", "Budget"}, {"BxTA", "0"}, {"OO", "0"}})
        probe::regSetString(options, name, value);
    auto kvr = probe::startProcess(exe);
    if (!kvr || !probe::waitSettled(kvr->pid(), 30000) ||
        !probe::waitHotkeysTaken({{16, 120}, {16, 122}, {17, 120}, {17, 123}}, 10000, 100)) {
        std::printf("kvr.exe did not start\n");
        return 1;
    }

    HWND target = probe::createWindow("KvrBenchTarget", "Latency target");
    MoveWindow(target, 100, 100, 300, 200, TRUE);
    probe::pump(200);
    std::vector<double> latency;
    for (int i = 0; i < rounds; ++i) {
        probe::moveMouseOver(target);
        const double start = nowMs();
        probe::pressKey(16, 120);
        if (!pumpUntil([&] { return !probe::isVisible(target); }, 5000)) break;
        latency.push_back(nowMs() - start);
        probe::pressKey(17, 120);
        pumpUntil([&] { return probe::isVisible(target); }, 5000);
    }
    report("Shift+F9 to hidden", latency);
    DestroyWindow(target);

    for (int count : {200, 2000}) {
        if (latencyOnly) break;
        TargetThread targets(count);
        Sleep(500);
        std::vector<double> hide;
        for (int i = 0; i < std::max(1, rounds / 3); ++i) {
            const double start = nowMs();
            probe::pressKey(16, 122);
            if (!pumpUntil([&] { return allHidden(targets.matching); }, 60000)) break;
            hide.push_back(nowMs() - start);
            probe::pressKey(17, 123);
            if (!pumpUntil([&] { return allShown(targets.matching); }, 60000)) break;
            Sleep(300);  // let the show-all finish before the next press
        }
        const std::string what = "hide by title, " + std::to_string(count) + " windows (" +
                                 std::to_string(targets.matching.size()) + " match)";
        report(what.c_str(), hide);
    }

    std::string error;
    probe::sendExitCommand(probe::exeDir() + "\\Lng", 15000, &error);
    pumpUntil([&] { return !kvr->running(); }, 15000);
    return 0;
}
