// The real program under Wine after it was killed: how long a start with a journal of 100
// hidden windows takes to show them and to hold its hotkeys; and the memory the program holds
// once it idles. Prints figures; asserts nothing.
// Usage: kvr_bench_journal [RUNS]
// The times include Wine's own process start (one to three seconds on these machines).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "bench/win32_bench.h"
#include "probe.h"

using namespace bench;

namespace {

constexpr int kWindows = 100;
// The hidden windows live on a thread that always answers, as a real program's would: the
// program's ShowWindow on them waits for that.
class TargetThread {
public:
    TargetThread() {
        std::promise<void> ready;
        auto created = ready.get_future();
        thread_ = std::thread([this, &ready] {
            for (int i = 0; i < kWindows; ++i) {
                all.push_back(
                    probe::createWindow("KvrBenchJournal", "Journal bench " + std::to_string(i)));
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
    int visible() const { return int(std::count_if(all.begin(), all.end(), probe::isVisible)); }
    std::vector<HWND> all;

private:
    std::thread thread_;
    DWORD threadId_ = 0;
};

// A first start whose hide by title finds exactly the target windows.
void freshStart() {
    cleanState();
    const std::string options = "HKCU\\Software\\ORQ\\KVR\\Options";
    for (auto [name, value] : {std::pair{"BxTT", "Journal bench"}, {"BxTA", "0"}, {"OO", "0"}})
        probe::regSetString(options, name, value);
}

struct Run {
    double windowsBackMs = 0;
    double hotkeysMs = 0;
};

enum class Outcome { kMeasured, kCollided, kFailed };

// Hides the windows with the program, kills it, and times the next start.
Outcome oneRun(const std::string& exe, Run* run) {
    freshStart();
    TargetThread targets;
    auto kvr = probe::startProcess(exe);
    if (!kvr || !probe::waitSettled(kvr->pid(), 30000) ||
        !probe::waitHotkeysTaken({{16, 122}}, 10000, 100)) {
        std::fprintf(stderr, "kvr.exe did not start\n");
        return Outcome::kFailed;
    }
    probe::pressKey(16, 122);  // Shift+F11: hide by title
    if (!waitFor([&] { return targets.visible() == 0; }, 60000)) {
        std::fprintf(stderr, "the windows were not hidden\n");
        return Outcome::kFailed;
    }
    kvr->kill();  // TerminateProcess, as taskkill /F
    Sleep(300);
    if (targets.visible() != 0) {
        std::fprintf(stderr, "windows came back without a start\n");
        return Outcome::kFailed;
    }

    const double start = nowMs();
    auto again = probe::startProcess(exe);
    if (!again) return Outcome::kFailed;
    double windowAt = -1;
    double lastCheck = 0;
    Outcome outcome = Outcome::kFailed;
    // The last slot is checked only once the main window is there: a check holds the
    // combination for a moment, and a registration at that moment would fail for good.
    while (nowMs() - start < 60000 && again->running()) {
        if (run->windowsBackMs == 0 && targets.visible() == kWindows) {
            run->windowsBackMs = nowMs() - start;
        }
        if (windowAt < 0) {
            if (probe::findWindow(probe::kMainClass, std::nullopt, again->pid(), 0))
                windowAt = nowMs();
        } else if (run->hotkeysMs == 0 && nowMs() - lastCheck >= 5) {
            lastCheck = nowMs();
            if (!probe::hotkeyFree(17, 115)) {
                run->hotkeysMs = lastCheck - start;
            } else if (lastCheck - windowAt > 3000) {
                // Most likely our check collided with the registration: said, not counted.
                outcome = Outcome::kCollided;
                break;
            }
        }
        if (run->windowsBackMs > 0 && run->hotkeysMs > 0) {
            outcome = Outcome::kMeasured;
            break;
        }
        Sleep(1);
    }
    if (outcome == Outcome::kFailed) {
        std::fprintf(stderr, "%d of %d windows back, hotkeys %s\n", targets.visible(), kWindows,
                     run->hotkeysMs > 0 ? "held" : "not held");
    }
    endCleanly(*again);
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string exe = probe::exeDir() + "\\kvr.exe";

    // Memory once idle: a clean start, settled, then left alone.
    freshStart();
    auto kvr = probe::startProcess(exe);
    if (!kvr || !probe::waitSettled(kvr->pid(), 30000)) {
        std::printf("kvr.exe did not start\n");
        return 1;
    }
    Sleep(3000);
    std::size_t workingSet = 0, privateBytes = 0;
    if (probe::processMemory(kvr->pid(), &workingSet, &privateBytes)) {
        // Wine gives no private bytes for another process: 0 there means not known.
        std::printf("idle_memory working_set_kib=%zu private_kib=%zu\n", workingSet / 1024,
                    privateBytes / 1024);
    } else {
        std::printf("idle_memory unreadable (error %lu)\n", GetLastError());
    }
    endCleanly(*kvr);

    std::vector<double> back, hotkeys;
    int collisions = 0;
    while (int(back.size()) < runs) {
        Run run;
        const Outcome outcome = oneRun(exe, &run);
        if (outcome == Outcome::kFailed) return 1;
        if (outcome == Outcome::kCollided) {
            std::printf("run discarded: the check collided with the registration\n");
            if (++collisions > runs) return 1;
            continue;
        }
        std::printf("run %zu: %d windows back %.1f ms, hotkeys held %.1f ms\n", back.size() + 1,
                    kWindows, run.windowsBackMs, run.hotkeysMs);
        back.push_back(run.windowsBackMs);
        hotkeys.push_back(run.hotkeysMs);
    }
    cleanState();
    reportKeyed("journal_" + std::to_string(kWindows) + "_windows_back_ms", back);
    reportKeyed("startup_with_journal_" + std::to_string(kWindows) + "_to_hotkeys_ms", hotkeys);
    return 0;
}
