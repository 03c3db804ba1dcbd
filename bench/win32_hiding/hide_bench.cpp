// Times the real program hiding other programs' windows, beside the least programs that do the
// same (kvr_bench_floor), all running at once in one Wine world, each on its own hotkey, round
// by round in turn so that a busy moment of the machine falls on all of them alike:
// - from the key press to the window under the mouse invisible: kvr.exe's Shift+F9 beside a
//   RegisterHotKey + ShowWindow program;
// - hide by title over 200 and 2,000 windows in 20 programs, one in ten matching: kvr.exe's
//   Shift+F11 beside a program with one ShowWindow per window and one with ShowWindowAsync.
// Prints medians and ratios; asserts nothing.
// Usage: kvr_bench_hiding [ROUNDS [WINDOWS...]]   at least 5 rounds; 200 and 2000 windows
//        kvr_bench_hiding ROUNDS --latency-only   (no hide by title)
//        kvr_bench_hiding --targets N       (itself, as one of the 20 programs)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/win32_bench.h"
#include "probe.h"

using namespace bench;

namespace {

constexpr int kPrograms = 20;
constexpr const char* kTargetClass = "KvrBenchMany";

// One of the programs whose windows are hidden: count windows, one in ten titled to match,
// answering its messages until it is ended.
int runTargets(int count) {
    for (int i = 0; i < count; ++i) {
        const bool match = i % 10 == 0;
        probe::createWindow(kTargetClass, (match ? "Budget " : "Document ") + std::to_string(i));
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

struct Targets {
    std::vector<probe::Process> programs;
    std::vector<HWND> all;
    std::vector<HWND> matching;
};

// kPrograms programs with count windows among them; empty when they did not all come up.
Targets startTargets(int count) {
    Targets t;
    const std::string self = probe::exeDir() + "\\kvr_bench_hiding.exe";
    for (int i = 0; i < kPrograms; ++i) {
        auto p = probe::startProcess(self, "--targets " + std::to_string(count / kPrograms));
        if (!p) return {};
        t.programs.push_back(std::move(*p));
    }
    const bool up = waitFor(
        [&] {
            t.all.clear();
            for (const auto& w : probe::topLevelWindows()) {
                if (w.className == kTargetClass && w.visible) t.all.push_back(w.hwnd);
            }
            return int(t.all.size()) == count;
        },
        120000);
    if (!up) return {};
    for (HWND w : t.all) {
        if (probe::windowText(w).rfind("Budget ", 0) == 0) t.matching.push_back(w);
    }
    return t;
}

void endTargets(Targets& t) {
    for (auto& p : t.programs) p.kill();
    for (auto& p : t.programs) p.wait(10000);
}

// Hidden windows stay hidden for the round: each poll looks only at the first still visible,
// one request to the window server, which a poll of them all would keep busy.
bool waitAllHidden(const std::vector<HWND>& windows, double timeoutMs) {
    std::size_t done = 0;
    return pumpUntil(
        [&] {
            while (done < windows.size() && !probe::isVisible(windows[done])) ++done;
            return done == windows.size();
        },
        timeoutMs);
}

bool waitAllShown(const std::vector<HWND>& windows, double timeoutMs) {
    std::size_t done = 0;
    return pumpUntil(
        [&] {
            while (done < windows.size() && probe::isVisible(windows[done])) ++done;
            return done == windows.size();
        },
        timeoutMs);
}

// One program under test: the key that makes it hide, and the one that empties its record.
struct Contender {
    std::string name;
    std::pair<int, int> hide;
    std::pair<int, int> showAll;  // {0, 0}: it keeps no record
    std::vector<double> ms;
};

// The benchmark shows the windows itself, in the same way for every contender: what is measured
// is hiding. kvr.exe then empties its record, and is waited for until it takes messages again.
bool showBack(const Contender& c, const std::vector<HWND>& windows, DWORD kvrPid) {
    for (HWND w : windows) ShowWindowAsync(w, SW_SHOWNA);
    if (!waitAllShown(windows, 60000)) return false;
    if (c.showAll.first != 0) {
        probe::pressKey(c.showAll.first, c.showAll.second);
        if (!probe::waitSettled(kvrPid, 180000, 100)) return false;
    }
    return true;
}

double median(const std::vector<double>& ms) {
    return summarize(ms).median;
}

// "name  median … ms (n=…)  ×ratio" against the floor given.
void reportAgainst(const Contender& c, double floorMs, const char* floorName) {
    char line[160];
    std::snprintf(line, sizeof line, "%s", c.name.c_str());
    report(line, c.ms);
    if (floorMs > 0 && !c.ms.empty()) {
        std::printf("    %-32s %.2f x %s (%.1f ms)\n", "", median(c.ms) / floorMs, floorName,
                    floorMs);
    }
}

std::optional<probe::Process> startFloor(const std::string& args) {
    return probe::startProcess(probe::exeDir() + "\\kvr_bench_floor.exe", args);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--targets") == 0) return runTargets(std::atoi(argv[2]));
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 9;
    const bool latencyOnly = argc > 2 && std::strcmp(argv[2], "--latency-only") == 0;
    const std::string exe = probe::exeDir() + "\\kvr.exe";
    probe::killProcessesNamed("kvr.exe");
    probe::killProcessesNamed("kvr_bench_floor.exe");
    const std::string options = "HKCU\\Software\\ORQ\\KVR\\Options";
    probe::regDeleteTree("HKCU\\Software\\ORQ");
    for (auto [name, value] : {std::pair{"BxTT", "Budget"}, {"BxTA", "0"}, {"OO", "0"}})
        probe::regSetString(options, name, value);
    auto kvr = probe::startProcess(exe);
    // The floors hold keys kvr.exe leaves free: Shift+F6 under the mouse, Shift+F7 and Shift+F8
    // by title.
    auto floorMouse = startFloor("idle 16 117");
    auto floorSync = startFloor("title Budget sync 16 118");
    auto floorAsync = startFloor("title Budget async 16 119");
    if (!kvr || !probe::waitSettled(kvr->pid(), 30000) ||
        !probe::waitHotkeysTaken({{16, 120}, {16, 122}, {17, 120}, {17, 123}}, 10000, 100)) {
        std::printf("kvr.exe did not start\n");
        return 1;
    }
    if (!floorMouse || !floorSync || !floorAsync ||
        !probe::waitHotkeysTaken({{16, 117}, {16, 118}, {16, 119}}, 10000, 100)) {
        std::printf("kvr_bench_floor did not start\n");
        return 1;
    }

    HWND target = probe::createWindow("KvrBenchTarget", "Latency target");
    MoveWindow(target, 100, 100, 300, 200, TRUE);
    probe::pump(200);
    std::vector<Contender> mouse = {{"kvr.exe Shift+F9 to hidden", {16, 120}, {17, 120}, {}},
                                    {"floor ShowWindow to hidden", {16, 117}, {}, {}}};
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t k = 0; k < mouse.size(); ++k) {
            Contender& c = mouse[(i + k) % mouse.size()];
            probe::moveMouseOver(target);
            const double start = nowMs();
            probe::pressKey(c.hide.first, c.hide.second);
            if (!pumpUntil([&] { return !probe::isVisible(target); }, 5000)) break;
            c.ms.push_back(nowMs() - start);
            showBack(c, {target}, kvr->pid());
            probe::pump(100);
        }
    }
    std::printf("== under the mouse, %d rounds\n", rounds);
    reportAgainst(mouse[1], 0, "");
    reportAgainst(mouse[0], median(mouse[1].ms), "floor");
    DestroyWindow(target);

    std::vector<int> counts;
    for (int i = 2; i < argc && !latencyOnly; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty() && !latencyOnly) counts = {200, 2000};
    for (int count : counts) {
        Targets targets = startTargets(count);
        if (targets.all.empty()) {
            std::printf("the %d target windows did not come up\n", count);
            return 1;
        }
        Sleep(500);
        std::vector<Contender> title = {{"kvr.exe Shift+F11", {16, 122}, {17, 123}, {}},
                                        {"floor ShowWindow", {16, 118}, {}, {}},
                                        {"floor ShowWindowAsync", {16, 119}, {}, {}}};
        for (int i = 0; i < rounds; ++i) {
            // Each goes first in turn: whoever follows a show meets programs still busy with it.
            for (std::size_t k = 0; k < title.size(); ++k) {
                Contender& c = title[(i + k) % title.size()];
                const double start = nowMs();
                probe::pressKey(c.hide.first, c.hide.second);
                // A round that does not end in a minute (a cross-program ShowWindow can stall
                // under Wine) is said and left out; the others still count.
                if (waitAllHidden(targets.matching, 60000)) {
                    c.ms.push_back(nowMs() - start);
                } else {
                    const auto left = std::count_if(targets.matching.begin(),
                                                    targets.matching.end(), probe::isVisible);
                    std::printf("%s, round %d: %ld of %zu not hidden after 60 s, left out\n",
                                c.name.c_str(), i + 1, long(left), targets.matching.size());
                }
                if (!showBack(c, targets.matching, kvr->pid())) {
                    std::printf("%s: not all shown again\n", c.name.c_str());
                    return 1;
                }
                // The programs finish painting before the next press.
                Sleep(static_cast<DWORD>(300 + count / 2));
            }
        }
        endTargets(targets);
        std::printf("== hide by title, %d windows in %d programs (%zu match), %d rounds\n", count,
                    kPrograms, targets.matching.size(), rounds);
        const double sync = median(title[1].ms);
        const double async = median(title[2].ms);
        reportAgainst(title[1], 0, "");
        reportAgainst(title[2], 0, "");
        reportAgainst(title[0], async, "ShowWindowAsync floor");
        std::printf("    %-32s %.2f x the better floor\n", "",
                    median(title[0].ms) / std::min(sync, async));
        const std::string key = "hide_by_title_" + std::to_string(count);
        reportKeyed(key + "_kvr_ms", title[0].ms);
        reportKeyed(key + "_floor_sync_ms", title[1].ms);
        reportKeyed(key + "_floor_async_ms", title[2].ms);
    }

    std::string error;
    probe::sendExitCommand(probe::exeDir() + "\\Lng", 15000, &error);
    pumpUntil([&] { return !kvr->running(); }, 15000);
    for (auto* floor : {&floorMouse, &floorSync, &floorAsync}) (*floor)->kill();
    return 0;
}
