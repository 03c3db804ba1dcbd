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
constexpr std::size_t kMaxDevices = 0xFF;

void putNumber(std::string& out, std::uint64_t value, int width = 4) {
    for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putText(std::string& out, const std::string& text) {
    // A text is never cut inside a character: the reader takes it as it stands.
    std::size_t length = std::min(text.size(), kMaxTextBytes);
    while (length < text.size() && length > 0 &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    putNumber(out, length, 2);
    out.append(text, 0, length);
}

void putRect(std::string& out, const platform::WindowRect& r) {
    for (const int v : {r.left, r.top, r.right, r.bottom}) {
        putNumber(out, static_cast<std::uint32_t>(v));
    }
}

// Reads at pos; false, with pos anywhere, when the bytes end first.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    template <typename T>
    bool number(T& value, std::size_t width = sizeof(T)) {
        if (bytes_.size() - pos_ < width) return false;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) {
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i]))
                 << (8 * i);
        }
        value = static_cast<T>(v);
        pos_ += width;
        return true;
    }
    bool signedNumber(int& value) {
        std::uint32_t v = 0;
        if (!number(v)) return false;
        value = static_cast<std::int32_t>(v);
        return true;
    }
    bool text(std::string& value) {
        std::uint32_t length = 0;
        if (!number(length, 2) || bytes_.size() - pos_ < length) return false;
        value.assign(bytes_.substr(pos_, length));
        pos_ += length;
        return true;
    }
    bool rect(platform::WindowRect& r) {
        return signedNumber(r.left) && signedNumber(r.top) && signedNumber(r.right) &&
               signedNumber(r.bottom);
    }
    void skip(std::size_t n) { pos_ += n; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

constexpr char kNamePrefix[] = "hidden-";

// One journal per logon session: a copy of the program in another session of the same user
// has windows of its own hidden, which a start here can neither see nor show.
std::string journalName(std::uint32_t session, const char* extension) {
    return kNamePrefix + std::to_string(session) + extension;
}

std::string journalName(const char* extension) {
    return "\\" + journalName(platform::system().sessionId(), extension);
}

bool readEntry(Reader& in, JournalEntry& entry, int version) {
    std::uint32_t method = 0;
    entry.processStarted = 0;
    if (!in.number(entry.hwnd) || !in.number(entry.owner) || !in.number(entry.processId) ||
        (version >= 2 && !in.number(entry.processStarted)) || !in.number(method, 1) ||
        !in.text(entry.windowClass) || !in.text(entry.title)) {
        return false;
    }
    entry.method = static_cast<int>(method);
    return true;
}

bool readTrayArea(Reader& in, JournalTrayArea& t) {
    TrayGeometry& g = t.area;
    return in.number(g.tray) && in.number(g.notify) && in.number(g.clock) &&
           in.number(t.processId) && in.number(t.processStarted) && in.rect(g.trayRect) &&
           in.rect(g.notifyRect) && in.rect(g.clockRect) && in.signedNumber(g.notifyX) &&
           in.signedNumber(g.notifyY) && in.signedNumber(g.clockX) && in.signedNumber(g.clockY);
}

// What comes before the windows: all of it, or the file is no journal.
bool readHeader(Reader& in, JournalFile& journal) {
    std::uint32_t devices = 0;
    std::uint32_t hasArea = 0;
    if (!in.number(journal.writerId) || !in.number(journal.writerStarted) ||
        !in.number(devices, 1)) {
        return false;
    }
    for (std::uint32_t i = 0; i < devices; ++i) {
        MutedDevice d;
        if (!in.number(d.volume) || !in.text(d.device)) return false;
        journal.sound.push_back(std::move(d));
    }
    if (!in.number(hasArea, 1) || hasArea > 1) return false;
    if (hasArea == 1) {
        JournalTrayArea area;
        if (!readTrayArea(in, area)) return false;
        journal.trayArea = area;
    }
    return true;
}

// When the process with that id started; 0 when none runs.
std::uint64_t startOf(std::uint32_t processId) {
    return processId == 0 ? 0 : platform::desktop().processStartTime(processId);
}

// The process that draws the taskbar; 0 for none.
std::uint32_t taskbarProcess(Hwnd tray) {
    std::uint32_t processId = 0;
    if (platform::Shell* shell = platform::installed().shell) {
        shell->getWindowThreadProcessId(tray, processId);
    }
    return processId;
}

bool writerRuns(const JournalFile& journal) {
    return journal.writerId != 0 && journal.writerStarted != 0 &&
           startOf(journal.writerId) == journal.writerStarted;
}

}  // namespace

std::string EncodeJournal(const JournalFile& journal) {
    std::string out(kJournalMagic, kMagicSize);
    putNumber(out, journal.writerId);
    putNumber(out, journal.writerStarted, 8);
    const std::size_t devices = std::min(journal.sound.size(), kMaxDevices);
    putNumber(out, devices, 1);
    for (std::size_t i = 0; i < devices; ++i) {
        putNumber(out, journal.sound[i].volume);
        putText(out, journal.sound[i].device);
    }
    out += static_cast<char>(journal.trayArea ? 1 : 0);
    if (journal.trayArea) {
        const TrayGeometry& g = journal.trayArea->area;
        for (const Hwnd h : {g.tray, g.notify, g.clock}) putNumber(out, h);
        putNumber(out, journal.trayArea->processId);
        putNumber(out, journal.trayArea->processStarted, 8);
        for (const auto& r : {g.trayRect, g.notifyRect, g.clockRect}) putRect(out, r);
        for (const int v : {g.notifyX, g.notifyY, g.clockX, g.clockY}) {
            putNumber(out, static_cast<std::uint32_t>(v));
        }
    }
    for (const JournalEntry& entry : journal.entries) {
        putNumber(out, entry.hwnd);
        putNumber(out, entry.owner);
        putNumber(out, entry.processId);
        putNumber(out, entry.processStarted, 8);
        out += static_cast<char>(entry.method & 0xFF);
        putText(out, entry.windowClass);
        putText(out, entry.title);
    }
    return out;
}

JournalFile DecodeJournal(std::string_view bytes) {
    JournalFile journal;
    const std::string_view magic = bytes.substr(0, kMagicSize);
    if (magic == std::string_view(kJournalMagicV1, kMagicSize)) {
        journal.version = 1;
    } else if (magic != std::string_view(kJournalMagic, kMagicSize)) {
        return {.version = 0};
    }
    Reader in(bytes);
    in.skip(kMagicSize);
    if (journal.version == 2 && !readHeader(in, journal)) return {.version = 0};
    JournalEntry entry;
    while (journal.entries.size() < kMaxJournalEntries && readEntry(in, entry, journal.version)) {
        journal.entries.push_back(entry);
    }
    return journal;
}

std::string HideJournal::folder() {
    const std::string local = platform::system().localAppDataFolder();
    return local.empty() ? std::string() : local + "\\KVR";
}

std::string HideJournal::path() {
    const std::string f = folder();
    return f.empty() ? std::string() : f + journalName(".dat");
}

JournalFile HideJournal::stamped() {
    if (!writer_) {
        const std::uint32_t me = platform::system().processId();
        writer_.emplace(me, startOf(me));
    }
    return {.writerId = writer_->first, .writerStarted = writer_->second};
}

bool HideJournal::keep(const std::vector<Hidden>& hidden, const std::vector<MutedDevice>& sound,
                       const std::optional<TrayGeometry>& trayArea) {
    platform::Desktop& desktop = platform::desktop();
    JournalFile journal = stamped();
    journal.sound = sound;
    journal.entries.reserve(hidden.size());
    // One question per process, however many of its windows go.
    std::unordered_map<std::uint32_t, std::uint64_t> starts;
    auto started = [&](std::uint32_t processId) {
        const auto [it, added] = starts.try_emplace(processId, 0);
        if (added) it->second = startOf(processId);
        return it->second;
    };
    std::unordered_map<Hwnd, Identity> stillHidden;
    for (const Hidden& h : hidden) {
        auto known = known_.find(h.hwnd);
        if (known == known_.end()) {
            Identity identity;
            desktop.getWindowThreadProcessId(h.hwnd, identity.processId);
            identity.windowClass = desktop.getClassName(h.hwnd);
            known = known_.emplace(h.hwnd, std::move(identity)).first;
        }
        Identity& identity = known->second;
        if (!identity.complete) {
            identity.processStarted = started(identity.processId);
            identity.title = h.title ? *h.title : desktop.getWindowText(h.hwnd);
            identity.complete = true;
        }
        journal.entries.push_back({h.hwnd, h.owner, identity.processId, identity.processStarted,
                                   h.method, identity.windowClass, identity.title});
        stillHidden.insert(*known);
    }
    // A handle shown again may later name another window: what was learnt about it goes.
    known_ = std::move(stillHidden);
    if (!trayArea) {
        trayKnown_.reset();
    } else if (!trayKnown_ || trayKnown_->area != *trayArea) {
        JournalTrayArea area{.area = *trayArea, .processId = taskbarProcess(trayArea->tray)};
        area.processStarted = started(area.processId);
        trayKnown_ = area;
    }
    journal.trayArea = trayKnown_;
    if (journal == written_) return true;
    return write(journal);
}

void HideJournal::learn(Hwnd h, std::uint32_t processId, std::string windowClass) {
    known_[h] = {.processId = processId, .windowClass = std::move(windowClass), .title = {}};
}

void HideJournal::empty() {
    known_.clear();
    trayKnown_.reset();
    write(stamped());
}

bool HideJournal::write(const JournalFile& journal) {
    // Found once: the system's answer costs a dozen registry requests, on every hide.
    if (file_.empty()) {
        folder_ = folder();
        if (folder_.empty()) return false;
        file_ = folder_ + journalName(".dat");
        temp_ = folder_ + journalName(".tmp");
    }
    platform::FileSystem& files = platform::files();
    if (journal.entries.empty() && journal.sound.empty() && !journal.trayArea) {
        // Nothing to put back: no file. One that could not be deleted names windows that are
        // visible again, and the next start leaves those alone.
        files.deleteFile(file_);
        written_ = journal;
        return true;
    }
    if (!folderMade_) folderMade_ = files.createFolder(folder_);
    // Whole beside the old journal first, then in its place in one step: a process killed at
    // any moment leaves the old journal or the new one, never a cut one. Not flushed to the
    // disk: the system's cache outlives a killed process, and after a power cut no window is
    // hidden any more. A hide does not wait for the disk.
    if (files.writeFile(temp_, EncodeJournal(journal)) && files.moveFile(temp_, file_, true)) {
        written_ = journal;
        return true;
    }
    files.deleteFile(temp_);
    return false;
}

Recovery HideJournal::recover() {
    Recovery recovery;
    const std::string file = path();
    std::string bytes;
    platform::FileSystem& files = platform::files();
    if (file.empty() || !files.readFile(file, bytes)) return recovery;
    const JournalFile journal = DecodeJournal(bytes);
    if (writerRuns(journal)) {
        recovery.runningCopy = true;
        return recovery;
    }
    recovery.entries = journal.entries.size();
    recovery.sound = journal.sound;
    // An earlier version's file says nothing of when the processes started; a process that
    // started after the file was last written cannot be the one whose window it names.
    std::uint64_t writtenAt = 0;
    if (journal.version == 1 && !files.lastWriteTime(file, writtenAt)) writtenAt = 0;
    auto sameProcess = [&](std::uint32_t processId, std::uint64_t started) {
        const std::uint64_t now = startOf(processId);
        return journal.version == 1 ? now != 0 && now <= writtenAt : now == started;
    };

    platform::Desktop& desktop = platform::desktop();
    if (journal.trayArea) {
        const JournalTrayArea& t = *journal.trayArea;
        const std::uint32_t processId = taskbarProcess(t.area.tray);
        if (processId != 0 && processId == t.processId &&
            sameProcess(processId, t.processStarted)) {
            recovery.trayArea = t.area;
        }
    }
    // Still the window that was hidden: the same process and class behind the handle, and
    // hidden. A window its program has shown meanwhile is its program's again.
    auto sameWindow = [&](const JournalEntry& e) {
        if (e.hwnd == 0 || e.processId == 0 || !desktop.isWindow(e.hwnd)) return false;
        std::uint32_t processId = 0;
        desktop.getWindowThreadProcessId(e.hwnd, processId);
        return processId == e.processId && sameProcess(processId, e.processStarted) &&
               desktop.getClassName(e.hwnd) == e.windowClass;
    };
    std::unordered_set<Hwnd> handled;
    // The owners that are themselves again, visible now: their pop-ups may follow.
    std::unordered_set<Hwnd> ownersBack;
    // Shown without waiting for each program to answer, so that a program that hangs cannot
    // hold up the start, and without taking the focus from what the user is doing now.
    for (const JournalEntry& e : journal.entries) {
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
    for (const JournalEntry& e : journal.entries) {
        if (e.owner == 0 || ownersBack.count(e.owner) == 0 || !handled.insert(e.hwnd).second ||
            !sameWindow(e) || !ownedBy(e.hwnd, e.owner) || desktop.isWindowVisible(e.hwnd)) {
            continue;
        }
        if (desktop.showWindowAsync(e.hwnd, platform::sw::kShowNa))
            recovery.shown.push_back(e.hwnd);
    }
    return recovery;
}

std::size_t HideJournal::removeAbandoned() {
    const std::string f = folder();
    if (f.empty()) return 0;
    platform::FileSystem& files = platform::files();
    const std::string mine = journalName(".dat").substr(1);
    const std::string myTemp = journalName(".tmp").substr(1);
    std::size_t removed = 0;
    for (const std::string& name : files.listFiles(f + "\\" + kNamePrefix + "*.*")) {
        if (name == mine) continue;
        std::string bytes;
        if (!files.readFile(f + "\\" + name, bytes)) continue;
        // Cut short in its first bytes: maybe a file another copy is writing right now.
        const JournalFile journal = DecodeJournal(bytes);
        if (journal.version == 0 || writerRuns(journal)) continue;
        // Another session may still hold the windows, and a copy started there would show them;
        // this session's file beside the journal is only what a write left half-way.
        const bool stillNamesAProcess =
            name != myTemp &&
            std::any_of(journal.entries.begin(), journal.entries.end(), [&](const JournalEntry& e) {
                const std::uint64_t now = startOf(e.processId);
                return now != 0 && (journal.version == 1 || now == e.processStarted);
            });
        if (!stillNamesAProcess && files.deleteFile(f + "\\" + name)) ++removed;
    }
    return removed;
}

}  // namespace kvr::engine
