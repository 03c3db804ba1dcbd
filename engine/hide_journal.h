// The journal of hidden windows: a small file in the user's local application data folder that
// always names every window the program has hidden and not shown again. A program that is
// killed, or loses its process in any other way, cannot show its windows; its next start reads
// the journal and shows the ones that are still the windows it hid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
    int method = 0;  // the ids::method bit it was hidden by
    std::string windowClass;
    std::string title;  // for whoever reads the file; never used to decide anything
    bool operator==(const JournalEntry&) const = default;
};

// The file: the four bytes "KVRJ", then one record per entry: handle, owner and process id as
// 4-byte little-endian numbers, the method as one byte, then the class and the title as UTF-8,
// each after its 2-byte little-endian length. No count: a file cut short keeps its whole
// records.
inline constexpr char kJournalMagic[] = "KVRJ";
// No more entries are read: a hostile file must not cost the process all its memory.
inline constexpr std::size_t kMaxJournalEntries = 65535;
std::string EncodeJournal(const std::vector<JournalEntry>& entries);
// Whatever the bytes: a file without the mark gives nothing, and reading stops at the first
// record the file ends inside.
std::vector<JournalEntry> DecodeJournal(std::string_view bytes);

// What a start did with the journal it found.
struct Recovery {
    std::size_t entries = 0;  // read from the file
    std::vector<Hwnd> shown;  // in the order shown, pop-ups after their owner
};

class HideJournal {
public:
    // The folder and the file, in the local application data folder; "" when the system gives
    // no such folder, and then there is no journal.
    static std::string folder();
    static std::string path();

    // Makes the file name exactly these windows, when it does not already. The process id and
    // class of a window are read the first time it is journalled, while it is still the window
    // being hidden. False when the file could not be written.
    struct Hidden {
        Hwnd hwnd = 0;
        Hwnd owner = 0;
        int method = 0;
        const std::string* title = nullptr;  // read from the window when not given
    };
    bool keep(const std::vector<Hidden>& hidden);
    // Nothing is hidden any more: the file goes.
    void empty();

    // At start, before anything is hidden: shows every journalled window that is still a window,
    // still hidden, and still of the same process and class; a pop-up only when it is still
    // owned by its window and that window is visible again. Drops the rest, and the file with
    // them.
    Recovery recover();

private:
    bool write(const std::vector<JournalEntry>& entries);

    struct Identity {
        std::uint32_t processId = 0;
        std::string windowClass;
        std::string title;
    };
    std::vector<JournalEntry> written_;
    std::unordered_map<Hwnd, Identity> known_;
    bool folderMade_ = false;
};

}  // namespace kvr::engine
