// Hiding every window of the programs on the process hide list, continuously while it is on,
// and the list's file lsv.dat in the application folder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/mod_wnd_x_proc.h"
#include "platform/types.h"

namespace kvr::modProcsKVR {

using platform::Hwnd;

// One program on the list, as the list's editor fills it in.
struct HideListEntry {
    std::string key;      // the executable's file name: what running processes are matched by
    std::string exeFile;  // the name the process snapshot gave, maybe a full path (its icon)
    std::string text;     // what the editor shows for it
    std::string extra;
    bool operator==(const HideListEntry&) const = default;
};

// File names in the application folder.
inline constexpr char kListFileName[] = "lsv.dat";
inline constexpr char kTempFileName[] = "lsv.tmp";
// No more entries are read from a file: a hostile one of millions of empty records would
// otherwise cost a 32-bit process more memory than it has.
inline constexpr std::size_t kMaxEntries = 65535;
// The file holds each text in front of its 2-byte length.
inline constexpr std::size_t kMaxFieldBytes = 0xFFFF;

// The programs to hide, from slot 1; slot 0 is always there and empty.
extern std::vector<HideListEntry> ProcessHideList;
// The list was changed in this run, so the exit writes it to the file.
extern bool ProcessHideListEdited;
// The process list taken at the last hide command (slot 0 empty).
extern std::vector<modWndXProc::ProcessRecord> RunningProcesses;
// Executable file name, as AsStored gives it -> slot of its first process in RunningProcesses.
// Exact case.
extern std::unordered_map<std::string, std::size_t> RunningNames;
// List key, as AsStored gives it -> slot in ProcessHideList, for the listed programs running at
// a hide command. Grows with each hide command until the windows are shown.
extern std::unordered_map<std::string, std::size_t> ProcessesToHide;
// The windows hidden by program, each once, in the order they were first hidden.
struct HiddenHandles {
    std::vector<Hwnd> order;
    std::unordered_set<Hwnd> members;
    // False when h was there already.
    bool add(Hwnd h);
    void clear();
};
extern HiddenHandles ProcessHiddenWindows;
// The process ids of RunningProcesses whose file name is in ProcessesToHide: what a tick asks
// each window about.
extern std::unordered_set<std::uint32_t> ProcessIdsToHide;
// The process of each top-level window the last tick met. A window belongs to its process for
// life, and asking costs a round trip to the window server per window and tick.
struct KnownWindow {
    std::uint32_t processId = 0;
    std::uint64_t walk = 0;  // the last tick that met it
    // The tick that posted it a hide its program has not carried out yet; 0 for none.
    std::uint64_t hidePosted = 0;
};
extern std::unordered_map<Hwnd, KnownWindow> KnownWindows;

// Back to an empty list and empty tables, as at the start of a run.
void resetForTests();

// The file's records: four texts each, as they stand in the file (ANSI). A record cut short by
// the end of the file ends the reading; the complete ones before it are kept.
using RawEntry = std::array<std::string, 4>;
std::vector<RawEntry> DecodeHideList(std::string_view bytes);
// Texts longer than kMaxFieldBytes are cut there.
std::string EncodeHideList(const std::vector<RawEntry>& entries);

// Reads the list from the file; a missing file gives an empty list and an empty file.
void LoadProcessHideList();
// Writes the list to the file. The new list reaches the disk whole before it replaces the old
// file, so an interrupted save leaves the old list or the new one. False when it could not be
// written; the file is then as it was.
bool SaveProcessHideList();
// The hide command: takes the running processes and adds the listed ones that run.
void PrepareProcessHiding();
// True when some process of a listed program ran at the last hide command: only then can a
// tick hide anything, until the next hide or show command.
bool AnythingToHide();
// Ticks after which a hide still not carried out is posted again: a window that took the hide
// and was shown again by its program between two ticks is never seen hidden.
inline constexpr std::uint64_t kRepostAfterTicks = 100;
// One pass of the timer: hides every visible top-level window of a process to hide, in one walk
// over the windows. Nothing to do, and no walk, while no listed program runs. The hides are
// posted, never waited for: a program slow to answer costs the tick nothing, and a window whose
// hide is on its way is not asked again until its program has carried it out, or for
// kRepostAfterTicks. beforeHiding runs once the windows found are in ProcessHiddenWindows and
// before any of them is hidden, and only when one of them was not there yet.
void HideProcessWindowsTick(const std::function<void()>& beforeHiding = {});
// Shows every window hidden by program and forgets the tables. The shows are posted, as the
// hides are: a program that does not answer holds nothing up.
void ShowProcessWindows();

struct ProcessWindow {
    Hwnd hwnd = 0;
    std::uint32_t threadId = 0;
};
// The visible windows of one process at start's level, from the first of that level on; one
// record (0, 0) when there is none.
std::vector<ProcessWindow> ListProcessWindows(std::uint32_t processId, Hwnd start);

// A text as it comes back from lsv.dat: through the ANSI code page and back, each character
// the code page lacks turned into its look-alike.
std::string AsStored(std::string_view name);

// The file name of a process snapshot's name: the text after its last backslash.
std::string_view FileNameOf(std::string_view exeFile);

}  // namespace kvr::modProcsKVR
