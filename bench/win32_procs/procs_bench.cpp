// The real program's cost while hiding by program is on: the processor time kvr.exe takes per
// second of wall time, idle and with the timer running; and how soon a window a listed program
// opens while hiding is on disappears. The listed program is probe.exe (a window of its own,
// in a process of its own); this benchmark adds top-level windows of an unlisted program for
// the tick to walk past. Prints figures; asserts nothing.
// Usage: kvr_bench_procs [SECONDS] [WINDOWS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/win32_bench.h"
#include "probe.h"

using namespace bench;

namespace {

// Wine reports no processor time for another process, so it is read where Linux keeps it:
// /proc, which Wine shows as Z:\proc.
std::optional<std::string> procFile(DWORD unixPid, const char* name) {
    return probe::readFile("Z:\\proc\\" + std::to_string(unixPid) + "\\" + name);
}

// The Linux process whose command line starts with `start` and whose environment holds `env`.
DWORD unixProcess(const std::string& start, const std::string& env) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    DWORD match = 0;
    do {
        const DWORD pid = std::wcstoul(found.cFileName, nullptr, 10);
        if (pid == 0) continue;
        const auto cmdline = procFile(pid, "cmdline");
        if (!cmdline || _strnicmp(cmdline->c_str(), start.c_str(), start.size()) != 0) continue;
        const auto environment = procFile(pid, "environ");
        if (env.empty() || (environment && environment->find(env) != std::string::npos))
            match = pid;
    } while (match == 0 && FindNextFileW(find, &found));
    FindClose(find);
    return match;
}

// User and system time of a Linux process, in milliseconds.
double cpuMs(DWORD unixPid) {
    const auto stat = procFile(unixPid, "stat");
    if (!stat) return 0;
    // Fields 14 and 15, counted after the command name, which may hold blanks.
    const char* p = std::strrchr(stat->c_str(), ')');
    for (int field = 2; p && field < 14; ++field) p = std::strchr(p + 1, ' ');
    if (!p) return 0;
    char* end = nullptr;
    const double user = std::strtod(p + 1, &end);
    const double system = std::strtod(end, nullptr);
    return (user + system) * 10.0;  // clock ticks of 10 ms
}

struct Usage {
    double kvr = 0;     // ms of processor time per second
    double server = 0;  // the Wine server's, which answers every window call kvr.exe makes
};

Usage cpuPerSecond(DWORD kvr, DWORD server, int seconds) {
    const double kvr0 = cpuMs(kvr), server0 = cpuMs(server), wall0 = nowMs();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = (nowMs() - wall0) / 1000.0;
    return {(cpuMs(kvr) - kvr0) / wall, (cpuMs(server) - server0) / wall};
}

void report(const char* what, Usage usage) {
    std::printf("%-50s kvr.exe %6.2f ms/s   wineserver %6.2f ms/s\n", what, usage.kvr,
                usage.server);
}

std::string field(const std::string& text) {
    return std::string{char(text.size() & 0xFF), char(text.size() >> 8)} + text;
}

// Unlisted windows on a thread of their own that always answers, as a real program's would.
class Crowd {
public:
    explicit Crowd(int count) {
        std::promise<void> ready;
        auto created = ready.get_future();
        thread_ = std::thread([this, count, &ready] {
            std::vector<HWND> all;
            for (int i = 0; i < count; ++i) {
                all.push_back(probe::createWindow("KvrBenchCrowd", "Crowd " + std::to_string(i)));
            }
            threadId_ = GetCurrentThreadId();
            ready.set_value();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
            for (HWND w : all) DestroyWindow(w);
        });
        created.wait();
    }
    ~Crowd() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

private:
    std::thread thread_;
    DWORD threadId_ = 0;
};

bool waitVisible(HWND w, bool visible, DWORD timeoutMs) {
    return waitFor([&] { return probe::isVisible(w) == visible; }, timeoutMs);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int crowd = argc > 2 ? std::max(0, std::atoi(argv[2])) : 200;
    const std::string dir = probe::exeDir();
    probe::killProcessesNamed("kvr.exe");
    probe::killProcessesNamed("probe.exe");
    const std::string listFile = dir + "\\lsv.dat";
    const auto before = probe::readFile(listFile);
    {
        HANDLE f = CreateFileW(probe::widen(listFile).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        const std::string list =
            field("probe.exe") + field("probe.exe") + field("probe.exe") + field("");
        DWORD written = 0;
        WriteFile(f, list.data(), DWORD(list.size()), &written, nullptr);
        CloseHandle(f);
    }
    probe::regDeleteTree("HKCU\\Software\\ORQ");
    for (auto [name, value] : {std::pair{"BxTA", "0"}, {"OO", "0"}})
        probe::regSetString("HKCU\\Software\\ORQ\\KVR\\Options", name, value);

    Crowd others(crowd);
    auto kvr = probe::startProcess(dir + "\\kvr.exe");
    if (!kvr || !probe::waitSettled(kvr->pid(), 30000) ||
        !probe::waitHotkeysTaken({{16, 115}, {17, 115}}, 10000, 100)) {
        std::printf("kvr.exe did not start\n");
        return 1;
    }
    Sleep(1000);  // past the start-up's own work
    const DWORD kvrUnix = unixProcess(dir + "\\kvr.exe", "");
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    const DWORD server =
        unixProcess("/usr/lib/wine/wineserver", std::string("WINEPREFIX=") + prefix);
    if (kvrUnix == 0) {
        std::printf("kvr.exe's Linux process was not found under Z:\\proc\n");
        return 1;
    }
    std::printf("top-level windows of other programs: %d; %d s per figure\n", crowd, seconds);
    report("idle, hiding by program off", cpuPerSecond(kvrUnix, server, seconds));

    probe::pressKey(16, 115);  // Shift+F4 with the listed program not running
    Sleep(300);
    report("hiding on, listed program not running", cpuPerSecond(kvrUnix, server, seconds));
    probe::pressKey(17, 115);

    // The listed program, with a window that goes at the press.
    auto listed = probe::startProcess(dir + "\\probe.exe", "create KvrBenchListed Listed");
    HWND window =
        listed ? probe::findWindow("KvrBenchListed", std::nullopt, listed->pid(), 20000) : nullptr;
    if (!window || !waitVisible(window, true, 5000)) {
        std::printf("the listed program did not start\n");
        return 1;
    }
    probe::pressKey(16, 115);
    if (!waitVisible(window, false, 5000)) std::printf("its window was not hidden\n");
    Sleep(300);
    report("hiding on, listed program running, all hidden", cpuPerSecond(kvrUnix, server, seconds));

    // Shown again as its program would show it: the next tick takes it away.
    std::vector<double> back;
    for (int i = 0; i < 20; ++i) {
        ShowWindow(window, SW_SHOWNA);
        const double start = nowMs();
        if (!waitVisible(window, false, 5000)) break;
        back.push_back(nowMs() - start);
        Sleep(37);  // out of step with the timer
    }
    bench::report("a listed window shown while hiding is on, until hidden", back);
    probe::pressKey(17, 115);
    waitVisible(window, true, 5000);

    std::string error;
    probe::sendExitCommand(dir + "\\Lng", 15000, &error);
    kvr->wait(15000);
    listed->kill();
    if (before) {
        HANDLE f = CreateFileW(probe::widen(listFile).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, before->data(), DWORD(before->size()), &written, nullptr);
        CloseHandle(f);
    } else {
        DeleteFileW(probe::widen(listFile).c_str());
    }
    return 0;
}
