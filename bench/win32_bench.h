// What the benchmarks of the real program under Wine share: the clock, the two ways to wait,
// the default combinations, a clean start and exit, and the figures' summary.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "probe.h"

namespace bench {

inline double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A millisecond between polls keeps the single-threaded Wine server from starving, which would
// inflate what is measured.
template <class Pred>
bool waitFor(Pred pred, double timeoutMs) {
    const double start = nowMs();
    while (!pred()) {
        if (nowMs() - start > timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

// Waits while answering this process's own windows: the program's calls on them wait for it.
template <class Pred>
bool pumpUntil(Pred pred, double timeoutMs, DWORD pollMs = 1) {
    const double start = nowMs();
    while (!pred()) {
        if (nowMs() - start > timeoutMs) return false;
        probe::pump();
        Sleep(pollMs);
    }
    return true;
}

// The twelve default combinations, as (modifier key, key) in slot order.
inline const std::vector<std::pair<int, int>> kDefaults = {
    {16, 120}, {16, 121}, {16, 122}, {17, 120}, {17, 121}, {17, 122},
    {17, 123}, {18, 87},  {18, 113}, {18, 114}, {16, 115}, {17, 115}};

// As on a first start: no copy running, no settings, no autostart entry, and no journal a
// killed run left behind for the next start to act on.
inline void cleanState() {
    probe::killProcessesNamed("kvr.exe");
    DeleteFileW(probe::widen(probe::hiddenJournal()).c_str());
    probe::regDeleteTree("HKCU\\Software\\ORQ");
    probe::regDeleteValue("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "KVR");
}

// The exit command; the process is ended when it does not take it.
inline bool endCleanly(probe::Process& kvr) {
    std::string why;
    if (probe::sendExitCommand(probe::exeDir() + "\\Lng", 10000, &why) && kvr.wait(15000))
        return true;
    std::fprintf(stderr, "clean exit failed (%s); ending it\n", why.c_str());
    kvr.kill();
    return false;
}

struct Summary {
    double min = 0, median = 0, max = 0;
    std::size_t n = 0;
};
// An even count's median is the mean of the middle two.
inline Summary summarize(std::vector<double> ms) {
    Summary s;
    s.n = ms.size();
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    s.min = ms.front();
    s.max = ms.back();
    s.median = s.n % 2 ? ms[s.n / 2] : (ms[s.n / 2 - 1] + ms[s.n / 2]) / 2;
    return s;
}

// For the eye: "what  min … median … max … ms (n=…)".
inline void report(const char* what, const std::vector<double>& ms) {
    const Summary s = summarize(ms);
    if (s.n == 0) {
        std::printf("%-36s no sample\n", what);
        return;
    }
    std::printf("%-36s min %8.1f ms  median %8.1f ms  max %8.1f ms  (n=%zu)\n", what, s.min,
                s.median, s.max, s.n);
}

// For scripts: "name runs=… min=… median=… max=…".
inline void reportKeyed(const std::string& name, const std::vector<double>& ms) {
    const Summary s = summarize(ms);
    if (s.n == 0) return;
    std::printf("%s runs=%zu min=%.1f median=%.1f max=%.1f\n", name.c_str(), s.n, s.min, s.median,
                s.max);
}

}  // namespace bench
