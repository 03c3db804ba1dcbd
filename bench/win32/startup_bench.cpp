// Start-up of kvr.exe under the real Win32 (Wine here), beside the least program that does its
// waiting job (kvr_bench_floor idle: RegisterHotKey + GetMessage), run by run in turn: from
// CreateProcess until the hotkeys are held (all twelve default combinations for kvr.exe, from a
// clean registry each run), and the resident memory (working set) 4 s after the start; plus the
// size of the executable. Usage: kvr_bench_win32 [--runs N]
// The times include Wine's own process start (one to three seconds on these machines).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/win32_bench.h"
#include "probe.h"

using namespace bench;

namespace {

constexpr double kMemoryAtMs = 4000;

enum class Outcome { kMeasured, kCollided, kFailed };

struct Run {
    double hotkeysMs = 0;
    double memoryKib = 0;
};

// The working set once kMemoryAtMs have passed since start; 0 when it cannot be read.
double memoryAt(const probe::Process& p, double start) {
    const double left = kMemoryAtMs - (nowMs() - start);
    if (left > 0) Sleep(static_cast<DWORD>(left));
    std::size_t workingSet = 0, privateBytes = 0;
    if (!probe::processMemory(p.pid(), &workingSet, &privateBytes)) return 0;
    return double(workingSet) / 1024;
}

// One start of kvr.exe: ms until every default combination is taken, and its memory.
Outcome kvrRun(const std::string& exe, double timeoutMs, Run* run) {
    cleanState();
    if (!probe::waitHotkeysFree(kDefaults, 5000)) {
        std::fprintf(stderr, "default combinations are held by something else\n");
        return Outcome::kFailed;
    }
    double start = nowMs();
    std::string error;
    auto kvr = probe::startProcess(exe, "", &error);
    if (!kvr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return Outcome::kFailed;
    }
    // Checking a combination holds it for a moment, and a program that registers it just then
    // fails for good. So: watch for the main window first (passive), then poll only the last
    // slot, which the program registers after all the others.
    Outcome outcome = Outcome::kFailed;
    const auto last = kDefaults.back();
    double windowAt = -1;
    while (nowMs() - start < timeoutMs && kvr->running()) {
        if (windowAt < 0) {
            if (probe::findWindow(probe::kMainClass, std::nullopt, kvr->pid(), 0))
                windowAt = nowMs();
        } else if (!probe::hotkeyFree(last.first, last.second)) {
            run->hotkeysMs = nowMs() - start;
            outcome = Outcome::kMeasured;
            break;
        } else if (nowMs() - windowAt > 3000) {
            break;
        }
        Sleep(1);
    }
    if (outcome == Outcome::kMeasured) {
        // The run counts only if the program then holds every combination.
        probe::waitSettled(kvr->pid(), 5000);
        auto held = std::count_if(kDefaults.begin(), kDefaults.end(),
                                  [](auto c) { return !probe::hotkeyFree(c.first, c.second); });
        if (held != long(kDefaults.size())) {
            std::fprintf(stderr, "only %ld of 12 combinations held\n", long(held));
            outcome = Outcome::kFailed;
        }
        run->memoryKib = memoryAt(*kvr, start);
    } else if (windowAt >= 0 && kvr->running()) {
        // Main window there but the last slot never taken: most likely our check collided
        // with the registration. Said so and repeated, not counted.
        outcome = Outcome::kCollided;
    } else {
        std::fprintf(stderr, "kvr.exe %s without a main window\n",
                     kvr->running() ? "timed out" : "ended");
    }

    endCleanly(*kvr);
    return outcome;
}

// One start of the floor: ms until it holds Shift+F9, and its memory. The floor gives up when
// its registration meets our check: that run is repeated.
Outcome floorRun(double timeoutMs, Run* run) {
    probe::killProcessesNamed("kvr_bench_floor.exe");
    const double start = nowMs();
    auto floor = probe::startProcess(probe::exeDir() + "\\kvr_bench_floor.exe", "idle");
    if (!floor) return Outcome::kFailed;
    Outcome outcome = Outcome::kFailed;
    while (nowMs() - start < timeoutMs && floor->running()) {
        if (!probe::hotkeyFree(16, 120)) {
            run->hotkeysMs = nowMs() - start;
            outcome = Outcome::kMeasured;
            break;
        }
        Sleep(1);
    }
    if (outcome == Outcome::kMeasured) {
        run->memoryKib = memoryAt(*floor, start);
    } else if (!floor->running()) {
        outcome = Outcome::kCollided;
    }
    floor->kill();
    floor->wait(5000);
    return outcome;
}

void reportRatio(const char* what, const std::vector<double>& kvr, const std::vector<double>& floor,
                 const char* unit) {
    const double k = summarize(kvr).median;
    const double f = summarize(floor).median;
    if (k <= 0 || f <= 0) return;
    std::printf("%-36s kvr.exe %9.1f %s  floor %9.1f %s  %.2f x floor, %+.1f %s\n", what, k, unit,
                f, unit, k / f, k - f, unit);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

    std::string exe = probe::exeDir() + "\\kvr.exe";
    WIN32_FILE_ATTRIBUTE_DATA attrs{};
    if (!GetFileAttributesExW(probe::widen(exe).c_str(), GetFileExInfoStandard, &attrs)) {
        std::fprintf(stderr, "no %s\n", exe.c_str());
        return 1;
    }
    unsigned long long size = (ULONGLONG(attrs.nFileSizeHigh) << 32) | attrs.nFileSizeLow;

    std::vector<double> times, memory, floorTimes, floorMemory;
    int collisions = 0;
    while (int(times.size()) < runs) {
        Run run, floor;
        Outcome outcome = kvrRun(exe, 60000, &run);
        if (outcome == Outcome::kMeasured) outcome = floorRun(60000, &floor);
        if (outcome == Outcome::kFailed) return 1;
        if (outcome == Outcome::kCollided) {
            std::printf("run discarded: the probe's check collided with the registration\n");
            if (++collisions > runs) return 1;
            continue;
        }
        std::printf("run %zu: kvr.exe %.1f ms, %.0f KiB; floor %.1f ms, %.0f KiB\n",
                    times.size() + 1, run.hotkeysMs, run.memoryKib, floor.hotkeysMs,
                    floor.memoryKib);
        times.push_back(run.hotkeysMs);
        floorTimes.push_back(floor.hotkeysMs);
        if (run.memoryKib > 0) memory.push_back(run.memoryKib);
        if (floor.memoryKib > 0) floorMemory.push_back(floor.memoryKib);
    }
    cleanState();
    reportKeyed("startup_to_hotkeys_ms", times);
    reportKeyed("floor_startup_to_hotkey_ms", floorTimes);
    reportKeyed("memory_4s_kib", memory);
    reportKeyed("floor_memory_4s_kib", floorMemory);
    reportRatio("start to hotkeys held (median)", times, floorTimes, "ms");
    reportRatio("resident 4 s after start (median)", memory, floorMemory, "KiB");
    std::printf("kvr_exe_bytes=%llu (%.1f KiB)\n", size, double(size) / 1024);
    return 0;
}
