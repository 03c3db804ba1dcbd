#include "engine/hide_journal.h"

#include <algorithm>
#include <unordered_set>

#include "platform/desktop.h"
#include "platform/services.h"
#include "platform/system.h"

namespace kvr::engine {

namespace {

constexpr std::size_t kMagicSize = sizeof kJournalMagic - 1;
constexpr std::size_t kMaxTextBytes = 0xFFFF;

void putNumber(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void putText(std::string& out, const std::string& text) {
    // A text is never cut inside a character: the reader takes it as it stands.
    std::size_t length = std::min(text.size(), kMaxTextBytes);
    while (length < text.size() && length > 0 &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(length >> 8);
    out.append(text, 0, length);
}

// Reads at pos; false, with pos anywhere, when the bytes end first.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool number(std::uint32_t& value, std::size_t width) {
        if (bytes_.size() - pos_ < width) return false;
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[pos_ + i]))
                     << (8 * i);
        }
        pos_ += width;
        return true;
    }
    bool text(std::string& value) {
        std::uint32_t length = 0;
        if (!number(length, 2) || bytes_.size() - pos_ < length) return false;
        value.assign(bytes_.substr(pos_, length));
        pos_ += length;
        return true;
    }
    void skip(std::size_t n) { pos_ += n; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// One journal per logon session: a copy of the program in another session of the same user
// has windows of its own hidden, which a start here can neither see nor show.
std::string journalName(const char* extension) {
    return "\\hidden-" + std::to_string(platform::system().sessionId()) + extension;
}

bool readEntry(Reader& in, JournalEntry& entry) {
    std::uint32_t hwnd = 0, owner = 0, processId = 0, method = 0;
    if (!in.number(hwnd, 4) || !in.number(owner, 4) || !in.number(processId, 4) ||
        !in.number(method, 1) || !in.text(entry.windowClass) || !in.text(entry.title)) {
        return false;
    }
    entry.hwnd = hwnd;
    entry.owner = owner;
    entry.processId = processId;
    entry.method = static_cast<int>(method);
    return true;
}

}  // namespace

std::string EncodeJournal(const std::vector<JournalEntry>& entries) {
    std::string out(kJournalMagic, kMagicSize);
    for (const JournalEntry& entry : entries) {
        putNumber(out, entry.hwnd);
        putNumber(out, entry.owner);
        putNumber(out, entry.processId);
        out += static_cast<char>(entry.method & 0xFF);
        putText(out, entry.windowClass);
        putText(out, entry.title);
    }
    return out;
}

std::vector<JournalEntry> DecodeJournal(std::string_view bytes) {
    std::vector<JournalEntry> entries;
    if (bytes.substr(0, kMagicSize) != std::string_view(kJournalMagic, kMagicSize)) return entries;
    Reader in(bytes);
    in.skip(kMagicSize);
    JournalEntry entry;
    while (entries.size() < kMaxJournalEntries && readEntry(in, entry)) entries.push_back(entry);
    return entries;
}

std::string HideJournal::folder() {
    const std::string local = platform::system().localAppDataFolder();
    return local.empty() ? std::string() : local + "\\KVR";
}

std::string HideJournal::path() {
    const std::string f = folder();
    return f.empty() ? std::string() : f + journalName(".dat");
}

bool HideJournal::keep(const std::vector<Hidden>& hidden) {
    platform::Desktop& desktop = platform::desktop();
    std::vector<JournalEntry> entries;
    entries.reserve(hidden.size());
    std::unordered_map<Hwnd, Identity> stillHidden;
    for (const Hidden& h : hidden) {
        auto known = known_.find(h.hwnd);
        if (known == known_.end()) {
            Identity identity;
            desktop.getWindowThreadProcessId(h.hwnd, identity.processId);
            identity.windowClass = desktop.getClassName(h.hwnd);
            identity.title = h.title ? *h.title : desktop.getWindowText(h.hwnd);
            known = known_.emplace(h.hwnd, std::move(identity)).first;
        }
        const Identity& identity = known->second;
        entries.push_back(
            {h.hwnd, h.owner, identity.processId, h.method, identity.windowClass, identity.title});
        stillHidden.insert(*known);
    }
    // A handle shown again may later name another window: what was learnt about it goes.
    known_ = std::move(stillHidden);
    if (entries == written_) return true;
    return write(entries);
}

void HideJournal::empty() {
    known_.clear();
    write({});
}

bool HideJournal::write(const std::vector<JournalEntry>& entries) {
    const std::string file = path();
    if (file.empty()) return false;
    platform::FileSystem& files = platform::files();
    if (entries.empty()) {
        // Nothing hidden: no file. One that could not be deleted names windows that are visible
        // again, and the next start leaves those alone.
        files.deleteFile(file);
        written_.clear();
        return true;
    }
    if (!folderMade_) folderMade_ = files.createFolder(folder());
    const std::string temp = folder() + journalName(".tmp");
    // Whole beside the old journal first, then in its place in one step: a process killed at
    // any moment leaves the old journal or the new one, never a cut one.
    if (files.writeFile(temp, EncodeJournal(entries)) && files.moveFile(temp, file, true)) {
        written_ = entries;
        return true;
    }
    files.deleteFile(temp);
    return false;
}

Recovery HideJournal::recover() {
    Recovery recovery;
    const std::string file = path();
    std::string bytes;
    if (file.empty() || !platform::files().readFile(file, bytes)) return recovery;
    const std::vector<JournalEntry> entries = DecodeJournal(bytes);
    recovery.entries = entries.size();

    platform::Desktop& desktop = platform::desktop();
    // Still the window that was hidden: the same process and class behind the handle, and
    // hidden. A window its program has shown meanwhile is its program's again.
    auto sameWindow = [&](const JournalEntry& e) {
        if (e.hwnd == 0 || e.processId == 0 || !desktop.isWindow(e.hwnd)) return false;
        std::uint32_t processId = 0;
        desktop.getWindowThreadProcessId(e.hwnd, processId);
        return processId == e.processId && desktop.getClassName(e.hwnd) == e.windowClass;
    };
    std::unordered_set<Hwnd> handled;
    // The owners that are themselves again, visible now: their pop-ups may follow.
    std::unordered_set<Hwnd> ownersBack;
    // Shown without waiting for each program to answer, so that a program that hangs cannot
    // hold up the start, and without taking the focus from what the user is doing now.
    for (const JournalEntry& e : entries) {
        if (e.owner != 0 || !handled.insert(e.hwnd).second || !sameWindow(e)) continue;
        if (!desktop.isWindowVisible(e.hwnd)) {
            if (!desktop.showWindowAsync(e.hwnd, platform::sw::kShowNa)) continue;
            recovery.shown.push_back(e.hwnd);
        }
        ownersBack.insert(e.hwnd);
    }
    // Owned by that window still, maybe through a pop-up of its own.
    auto ownedBy = [&](Hwnd popup, Hwnd owner) {
        Hwnd o = desktop.getWindow(popup, platform::gw::kOwner);
        for (int depth = 0; o != 0 && o != owner && depth < 16; ++depth) {
            o = desktop.getWindow(o, platform::gw::kOwner);
        }
        return o != 0 && o == owner;
    };
    for (const JournalEntry& e : entries) {
        if (e.owner == 0 || ownersBack.count(e.owner) == 0 || !handled.insert(e.hwnd).second ||
            !sameWindow(e) || !ownedBy(e.hwnd, e.owner) || desktop.isWindowVisible(e.hwnd)) {
            continue;
        }
        if (desktop.showWindowAsync(e.hwnd, platform::sw::kShowNa))
            recovery.shown.push_back(e.hwnd);
    }
    empty();
    return recovery;
}

}  // namespace kvr::engine
