// Times the real program's notification-area icon under Wine: from CreateProcess to the icon in
// the taskbar (start hidden with the icon) and, in the same run, to the hotkeys held, from a left
// click on the icon to the main window shown, and from the close box to the icon back. Prints
// figures; asserts nothing.
// Usage: kvr_bench_tray [--runs N]
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

// The tool tips of the icons with that tip, which Wine leaves behind when their program was
// killed: an icon there before the start is not the new one.
std::vector<HWND> iconsWithTip(const std::string& tip) {
    std::vector<HWND> found;
    for (const auto& icon : probe::trayIcons())
        if (icon.tip == tip) found.push_back(icon.tooltip);
    return found;
}

bool iconThere(const std::string& tip, const std::vector<HWND>& before = {}) {
    for (HWND tooltip : iconsWithTip(tip))
        if (std::find(before.begin(), before.end(), tooltip) == before.end()) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    const std::string lng = probe::exeDir() + "\\Lng";
    const auto tip = probe::languageEntry(lng + "\\KVR_English.txt", "0020");
    if (!tip) {
        std::fprintf(stderr, "no English title in %s\n", lng.c_str());
        return 1;
    }
    std::vector<double> toIcon, toHotkeys, iconAfterHotkeys, toWindow, toIconBack;
    for (int run = 0; run < runs; ++run) {
        probe::killProcessesNamed("kvr.exe");
        probe::regDeleteTree("HKCU\\Software\\ORQ");
        const std::string options = "HKCU\\Software\\ORQ\\KVR\\Options";
        for (const auto& [name, value] :
             {std::pair<const char*, const char*>{"OI", "1"}, {"OT", "1"}, {"OS", "0"}})
            probe::regSetString(options, name, value);
        const std::vector<HWND> ghosts = iconsWithTip(*tip);
        const double start = nowMs();
        std::string error;
        auto kvr = probe::startProcess(probe::exeDir() + "\\kvr.exe", "", &error);
        if (!kvr) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        // The icon and the hotkeys, in the same run. A check of a combination holds it for a
        // moment: only the last slot is polled, once the main window is there, and a run whose
        // registration met the check is repeated.
        double iconAt = 0, hotkeysAt = 0, windowAt = 0;
        pumpUntil(
            [&] {
                if (iconAt == 0 && iconThere(*tip, ghosts)) iconAt = nowMs();
                if (windowAt == 0) {
                    if (probe::findWindow(probe::kMainClass, std::nullopt, kvr->pid(), 0))
                        windowAt = nowMs();
                } else if (hotkeysAt == 0 && !probe::hotkeyFree(17, 115)) {
                    hotkeysAt = nowMs();
                }
                return (iconAt > 0 && hotkeysAt > 0) || (windowAt > 0 && nowMs() - windowAt > 3000);
            },
            30000);
        if (iconAt == 0) {
            std::fprintf(stderr, "no icon\n");
            kvr->kill();
            return 1;
        }
        toIcon.push_back(iconAt - start);
        if (hotkeysAt > 0) {
            toHotkeys.push_back(hotkeysAt - start);
            iconAfterHotkeys.push_back(iconAt - hotkeysAt);
        } else {
            std::printf("run without hotkeys: the check collided with the registration\n");
        }
        HWND main = probe::findWindow(probe::kMainClass, std::nullopt, kvr->pid(), 5000);
        probe::waitSettled(kvr->pid(), 5000);
        for (int cycle = 0; cycle < 3 && main; ++cycle) {
            const auto icon = probe::findTrayIcon(*tip, 5000);
            if (!icon) break;
            probe::pump(600);  // apart enough not to make a double click
            const double clicked = nowMs();
            probe::clickAt((icon->rect.left + icon->rect.right) / 2,
                           (icon->rect.top + icon->rect.bottom) / 2);
            if (!pumpUntil([&] { return probe::isVisible(main); }, 5000)) break;
            toWindow.push_back(nowMs() - clicked);
            const double closed = nowMs();
            PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (!pumpUntil([&] { return iconThere(*tip); }, 5000)) break;
            toIconBack.push_back(nowMs() - closed);
        }
        if (!probe::sendExitCommand(lng, 5000, &error) || !kvr->wait(15000)) kvr->kill();
    }
    probe::regDeleteTree("HKCU\\Software\\ORQ");
    reportKeyed("start_to_tray_icon_ms", toIcon);
    reportKeyed("start_to_hotkeys_ms", toHotkeys);
    // Negative: the icon was there before the hotkeys.
    reportKeyed("icon_after_hotkeys_ms", iconAfterHotkeys);
    reportKeyed("icon_click_to_window_ms", toWindow);
    reportKeyed("close_box_to_icon_ms", toIconBack);
    return 0;
}
