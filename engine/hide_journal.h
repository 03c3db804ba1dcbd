// The journal of hidden windows: a small file in the user's local application data folder that
// always names every window the program has hidden and not shown again, the sound devices it
// silenced and the notification area it shrank. A program that is killed, or loses its process
// in any other way, cannot put them back; its next start reads the journal and puts back what
// is still as the program left it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/shell.h"
#include "platform/types.h"

namespace kvr::engine {

using platform::Hwnd;

// One window as the journal holds it: who it was when it was hidden.
struct JournalEntry {
    Hwnd hwnd = 0;
    // The window it was hidden with, for a pop-up that went with its owner; 0 for a window
    // hidden for itself.
    Hwnd owner = 0;
    std::uint32_t processId = 0;
    // When that process started: a process id, like a handle, is given again to another
    // process, after a reboot early on. 0 when it could not be read.
    std::uint64_t processStarted = 0;
    int method = 0;  // the ids::method bit it was hidden by
    std::string windowClass{};
    std::string title{};  // for whoever reads the file; never used to decide anything
    bool operator==(const JournalEntry&) const = default;
};

// A sound device the program set to 0, and the volume to give it back.
struct MutedDevice {
    std::string device{};  // the mixer's id of it
    std::uint32_t volume = 0;
    bool operator==(const MutedDevice&) const = default;
};

// The taskbar, its notification window and the clock, as a hide of the notification area
// measured them.
struct TrayGeometry {
    Hwnd tray = 0;
    Hwnd notify = 0;
    Hwnd clock = 0;
    platform::WindowRect trayRect{};    // screen
    platform::WindowRect notifyRect{};  // screen
    platform::WindowRect clockRect{};   // screen
    // Where the notification window and the clock sit in their parents' client areas.
    int notifyX = 0, notifyY = 0;
    int clockX = 0, clockY = 0;
    bool complete() const { return tray != 0 && notify != 0 && clock != 0; }
    bool operator==(const TrayGeometry&) const = default;
};

// A notification area the program shrank, with the taskbar's process to tell that taskbar
// from a later one.
struct JournalTrayArea {
    TrayGeometry area{};
    std::uint32_t processId = 0;
    std::uint64_t processStarted = 0;
    bool operator==(const JournalTrayArea&) const = default;
};

// Everything a journal holds.
struct JournalFile {
    // 2; 1 for a file of the program's earlier versions, which named windows only, without
    // their processes' start; 0 for bytes that are no journal.
    int version = 2;
    // The copy that wrote it: while that process runs, the file is its own.
    std::uint32_t writerId = 0;
    std::uint64_t writerStarted = 0;
    std::vector<MutedDevice> sound{};
    std::optional<JournalTrayArea> trayArea{};
    std::vector<JournalEntry> entries{};
    bool operator==(const JournalFile&) const = default;
};

// The file, all numbers little-endian, texts UTF-8 after their 2-byte length:
//   "KVR2"; the writer's process id (4 bytes) and start (8);
//   the number of muted devices (1), each its volume (4) and id (text);
//   1 and the notification area, or 0: the taskbar, notification window and clock handles
//   (4 each), the taskbar's process id (4) and start (8), the taskbar's, notification window's
//   and clock's rectangles (4 x 4 each), the notification window's and the clock's places in
//   their parents (4 x 2 each);
//   then one record per window: handle, owner, process id (4 each), the process's start (8),
//   the method (1), class, title.
// No count of windows: a file cut short keeps its whole records. The earlier versions' file,
// "KVRJ" and the same records without the process's start, is still read.
inline constexpr char kJournalMagic[] = "KVR2";
inline constexpr char kJournalMagicV1[] = "KVRJ";
// No more entries are read: a hostile file must not cost the process all its memory.
inline constexpr std::size_t kMaxJournalEntries = 65535;
std::string EncodeJournal(const JournalFile& journal);
// Whatever the bytes: a file without a mark, or cut inside what comes before the windows,
// gives version 0 and nothing; reading stops at the first record the file ends inside.
JournalFile DecodeJournal(std::string_view bytes);

// What a start did with the journal it found.
struct Recovery {
    // The journal belongs to a copy that still runs: nothing was touched.
    bool runningCopy = false;
    std::size_t entries = 0;  // read from the file
    std::vector<Hwnd> shown;  // in the order shown, pop-ups after their owner
    // What the windows' side cannot put back: the devices to give their volume, the
    // notification area to restore, when it is still the taskbar that was shrunk.
    std::vector<MutedDevice> sound;
    std::optional<TrayGeometry> trayArea;
};

class HideJournal {
public:
    // The folder and the file, in the local application data folder; "" when the system gives
    // no such folder, and then there is no journal.
    static std::string folder();
    static std::string path();

    // Makes the file name exactly these windows, devices and notification area, when it does
    // not already. The process id, its start and the class of a window are read the first time
    // it is journalled, while it is still the window being hidden. False when the file could
    // not be written.
    struct Hidden {
        Hwnd hwnd = 0;
        Hwnd owner = 0;
        int method = 0;
        const std::string* title = nullptr;  // read from the window when not given
    };
    bool keep(const std::vector<Hidden>& hidden, const std::vector<MutedDevice>& sound = {},
              const std::optional<TrayGeometry>& trayArea = std::nullopt);
    // What the caller has just read of a window it is about to hide, so that the next keep()
    // need not ask the window again.
    void learn(Hwnd h, std::uint32_t processId, std::string windowClass);
    // Nothing is hidden any more: the file goes.
    void empty();

    // At start, before anything is hidden: shows every journalled window that is still a window,
    // still hidden, and still of the same process (started at the same moment) and class; a
    // pop-up only when it is still owned by its window and that window is visible again. Says
    // which devices and which notification area the file names, the area only while its
    // taskbar is the one that was shrunk. The file stays until empty(); the file of a copy that
    // still runs is left as it is.
    Recovery recover();
    // The journals of copies in the user's other sessions that can bring nothing back any more:
    // their copy has ended and no process they name still runs. Removed; the others, and this
    // session's, are left. Returns how many went.
    std::size_t removeAbandoned();

private:
    bool write(const JournalFile& journal);
    JournalFile stamped();

    struct Identity {
        std::uint32_t processId = 0;
        std::uint64_t processStarted = 0;
        std::string windowClass;
        std::string title;
        bool complete = false;  // with the process's start and the title, not only learnt
    };
    JournalFile written_{.version = 0};
    std::unordered_map<Hwnd, Identity> known_;
    std::optional<JournalTrayArea> trayKnown_;
    std::optional<std::pair<std::uint32_t, std::uint64_t>> writer_;
    std::string folder_, file_, temp_;  // found at the first write
    bool folderMade_ = false;
};

}  // namespace kvr::engine
