// Shared set-up of the end-to-end tests: kvr.exe beside this executable, a known registry
// state before every test, and helpers that turn what the probe sees into readable failures.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "probe.h"

namespace e2e {

inline constexpr const char* kOrqKey = "HKCU\\Software\\ORQ";
inline constexpr const char* kOptionsKey = "HKCU\\Software\\ORQ\\KVR\\Options";
inline constexpr const char* kRunKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where the entry goes for a user who may not write the machine's key.
inline constexpr const char* kUserRunKey =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Generous waits: a Wine process costs seconds to start, more on a busy machine.
inline constexpr DWORD kStartTimeoutMs = 30000;
inline constexpr DWORD kEndTimeoutMs = 15000;

struct Slot {
    int modifier;  // as stored: 16 Shift, 17 Ctrl, 18 Alt
    int key;       // virtual-key code
};

using Slots = std::array<Slot, 12>;

// What every test seeds: all different from the defaults, so a program that ignored the
// stored values and registered its defaults is caught.
inline constexpr Slots kSeeded = {{{16, 116},   // Shift+F5
                                   {16, 117},   // Shift+F6
                                   {16, 118},   // Shift+F7
                                   {17, 116},   // Ctrl+F5
                                   {17, 117},   // Ctrl+F6
                                   {17, 118},   // Ctrl+F7
                                   {17, 119},   // Ctrl+F8
                                   {18, 81},    // Alt+Q
                                   {18, 116},   // Alt+F5
                                   {18, 117},   // Alt+F6
                                   {16, 119},   // Shift+F8
                                   {17, 81}}};  // Ctrl+Q

// The program's own defaults (Shift+F9 ... Ctrl+F4).
inline constexpr Slots kDefaults = {{{16, 120},
                                     {16, 121},
                                     {16, 122},
                                     {17, 120},
                                     {17, 121},
                                     {17, 122},
                                     {17, 123},
                                     {18, 87},
                                     {18, 113},
                                     {18, 114},
                                     {16, 115},
                                     {17, 115}}};

using Combos = std::vector<std::pair<int, int>>;
Combos combos(const Slots& slots);
std::string comboName(std::pair<int, int> combo);  // "Shift+F5 (16,116)"
Combos takenOf(const Combos& combos);              // those that are not free now
Combos freeOf(const Combos& combos);               // those that are free now
std::string list(const Combos& combos);

// Polls until pred() or the timeout, answering our own windows' messages meanwhile (the
// program's calls on them wait for that); a millisecond apart, as a tight loop starves the
// Wine server.
template <class Pred>
bool pumpUntil(Pred pred, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        probe::pump();
        Sleep(1);
    }
    return true;
}

class KvrTest : public ::testing::Test {
public:
    static std::string kvrExe();
    static std::string lngDir();

protected:
    void SetUp() override;
    void TearDown() override;

    // Writes S0..T11 (and any extra options) as REG_SZ values into the options key.
    void seed(const Slots& slots, const std::map<std::string, std::string>& options = {});
    // Starts kvr.exe (or another copy of it); the test fails at once when it cannot.
    probe::Process start();
    probe::Process start(const std::string& exe);
    // Waits until every combination is taken; on timeout, says which are still free and what
    // the program shows.
    ::testing::AssertionResult hotkeysTaken(const Combos& combos, const probe::Process& kvr,
                                            DWORD timeoutMs = kStartTimeoutMs);
    ::testing::AssertionResult hotkeysFree(const Combos& combos, DWORD timeoutMs);
    // The program's main window, waiting for it.
    HWND mainWindow(const probe::Process& kvr, DWORD timeoutMs = kStartTimeoutMs);
    // Posts the exit command and waits for the process to end.
    // Posts the exit command and waits for the process to end, answering our windows meanwhile.
    ::testing::AssertionResult exitProgram(const probe::Process& kvr);
    // A window of this test, destroyed after the program has ended.
    HWND track(HWND w) {
        ownWindows_.push_back(w);
        return w;
    }
    // Until each window is shown (or hidden), answering this test's own windows meanwhile; the
    // failure names the first that is not.
    ::testing::AssertionResult become(const std::vector<HWND>& windows, bool visible,
                                      const char* after, DWORD timeoutMs = 5000);
    ::testing::AssertionResult becomes(HWND w, bool visible, const char* after) {
        return become({w}, visible, after);
    }
    // A combination pressed as the user presses it, and a moment for the program to take it.
    void press(int modifier, int key);
    // Part 0 of a control code in a language's form-text file.
    static std::string formText(const std::string& language, const std::string& code);
    // The preferences, picked from the main window's menu as the user picks them: the dialog in
    // front, or nullptr with the test failed.
    HWND openPreferences(HWND main, DWORD pid, const std::string& language);
    // Ctrl+Tab until the dialog's tab (0-based) is the selected one.
    static ::testing::AssertionResult toTab(HWND dialog, int tab);
    // The screen into the screenshots folder beside this executable (BMP).
    void screenshot(const std::string& tag);
    static std::string windowsOf(DWORD pid);  // for failure messages

private:
    std::vector<DWORD> started_;
    std::vector<HWND> ownWindows_;
};

}  // namespace e2e
