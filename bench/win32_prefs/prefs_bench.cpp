// Times the real program's preferences dialog: from the menu command to the dialog on screen,
// and from OK (Enter) to the dialog gone, with every setting written and every hotkey registered
// anew. Prints min/median/max; asserts nothing. Usage: kvr_bench_prefs [--runs N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/win32_bench.h"
#include "probe.h"

using namespace bench;

int main(int argc, char** argv) {
    int runs = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    const std::string dir = probe::exeDir();
    cleanState();
    probe::regSetString("HKCU\\Software\\ORQ\\KVR\\Options", "OI", "0");
    auto kvr = probe::startProcess(dir + "\\kvr.exe");
    HWND main = kvr ? probe::waitSettled(kvr->pid(), 30000) : nullptr;
    const auto caption = probe::languageEntry(dir + "\\Lng\\KVR_English.txt", "0037");
    const auto command = main && caption ? probe::findMenuCommand(main, *caption) : std::nullopt;
    if (!command) {
        std::fprintf(stderr, "kvr.exe or its preferences command not found\n");
        return 1;
    }
    std::vector<double> open, ok;
    for (int run = 0; run < runs; ++run) {
        const double start = nowMs();
        probe::postMenuCommand(main, *command);
        HWND dialog = nullptr;
        if (!pumpUntil(
                [&] {
                    dialog = probe::findWindow("KVR_frmPref", std::nullopt, kvr->pid(), 0);
                    return dialog && probe::isVisible(dialog);
                },
                10000))
            break;
        open.push_back(nowMs() - start);
        probe::pump(200);
        SetForegroundWindow(dialog);
        pumpUntil([&] { return GetForegroundWindow() == dialog; }, 2000);
        const double pressed = nowMs();
        probe::pressKey(0, VK_RETURN);
        if (!pumpUntil([&] { return !IsWindow(dialog); }, 10000)) break;
        ok.push_back(nowMs() - pressed);
        probe::pump(200);
    }
    report("menu command to dialog shown", open);
    report("OK to settings stored, dialog gone", ok);
    probe::sendExitCommand(dir + "\\Lng", 10000);
    kvr->wait(10000);
    return open.size() == static_cast<std::size_t>(runs) ? 0 : 1;
}
