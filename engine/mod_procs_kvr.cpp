#include "engine/mod_procs_kvr.h"

#include <algorithm>
#include <optional>

#include "platform/desktop.h"
#include "platform/services.h"
#include "platform/system.h"

namespace kvr::modProcsKVR {

std::vector<HideListEntry> ProcessHideList(1);
bool ProcessHideListEdited = false;
std::vector<modWndXProc::ProcessRecord> RunningProcesses(1);
std::unordered_map<std::string, std::size_t> RunningNames;
std::unordered_map<std::string, std::size_t> ProcessesToHide;
HiddenHandles ProcessHiddenWindows;
std::unordered_set<std::uint32_t> ProcessIdsToHide;
std::unordered_map<Hwnd, KnownWindow> KnownWindows;

namespace {
std::uint64_t windowWalks = 0;
}  // namespace

bool HiddenHandles::add(Hwnd h) {
    if (!members.insert(h).second) return false;
    order.push_back(h);
    return true;
}

void HiddenHandles::clear() {
    order.clear();
    members.clear();
}

void resetForTests() {
    ProcessHideList.assign(1, {});
    ProcessHideListEdited = false;
    RunningProcesses.assign(1, {});
    RunningNames.clear();
    ProcessesToHide.clear();
    ProcessHiddenWindows.clear();
    ProcessIdsToHide.clear();
    KnownWindows.clear();
    windowWalks = 0;
}

namespace {

std::string inAppFolder(const char* name) {
    std::string path = platform::system().appFolder();
    // A program at a drive's root has its folder as "C:\".
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + name;
}

// Takes the field at pos; false when the file ends inside it.
bool fieldAt(std::string_view bytes, std::size_t& pos, std::string_view& field) {
    if (bytes.size() - pos < 2) return false;
    const std::size_t length = static_cast<unsigned char>(bytes[pos]) |
                               static_cast<std::size_t>(static_cast<unsigned char>(bytes[pos + 1]))
                                   << 8;
    if (bytes.size() - pos - 2 < length) return false;
    field = bytes.substr(pos + 2, length);
    pos += 2 + length;
    return true;
}

// The number of whole records, up to kMaxEntries; nothing is allocated for them yet.
std::size_t wholeRecords(std::string_view bytes) {
    std::size_t pos = 0;
    std::size_t count = 0;
    std::string_view field;
    while (count < kMaxEntries) {
        for (int f = 0; f < 4; ++f) {
            if (!fieldAt(bytes, pos, field)) return count;
        }
        ++count;
    }
    return count;
}

}  // namespace

std::vector<RawEntry> DecodeHideList(std::string_view bytes) {
    // Counted first: every text read lies inside the file, and the table is sized once.
    std::vector<RawEntry> entries(wholeRecords(bytes));
    std::size_t pos = 0;
    std::string_view field;
    for (RawEntry& entry : entries) {
        for (std::string& text : entry) {
            fieldAt(bytes, pos, field);
            text.assign(field);
        }
    }
    return entries;
}

std::string EncodeHideList(const std::vector<RawEntry>& entries) {
    std::string bytes;
    for (const RawEntry& entry : entries) {
        for (const std::string& text : entry) {
            const std::size_t length = std::min(text.size(), kMaxFieldBytes);
            bytes += static_cast<char>(length & 0xFF);
            bytes += static_cast<char>(length >> 8);
            bytes.append(text, 0, length);
        }
    }
    return bytes;
}

void LoadProcessHideList() {
    ProcessHideList.assign(1, {});
    platform::FileSystem& files = platform::files();
    const std::string path = inAppFolder(kListFileName);
    std::string bytes;
    if (!files.readFile(path, bytes)) {
        // A missing list starts empty, as on the first start. One that is there but cannot be
        // read now is not overwritten: it may be whole.
        if (!files.fileExists(path)) files.writeFile(path, {});
        return;
    }
    for (const RawEntry& raw : DecodeHideList(bytes)) {
        ProcessHideList.push_back({files.ansiToUtf8(raw[0]), files.ansiToUtf8(raw[1]),
                                   files.ansiToUtf8(raw[2]), files.ansiToUtf8(raw[3])});
    }
}

bool SaveProcessHideList() {
    platform::FileSystem& files = platform::files();
    std::vector<RawEntry> raw;
    raw.reserve(ProcessHideList.size());
    for (std::size_t slot = 1; slot < ProcessHideList.size(); ++slot) {
        const HideListEntry& e = ProcessHideList[slot];
        raw.push_back({files.utf8ToAnsi(e.key), files.utf8ToAnsi(e.exeFile),
                       files.utf8ToAnsi(e.text), files.utf8ToAnsi(e.extra)});
    }
    const std::string list = inAppFolder(kListFileName);
    const std::string temp = inAppFolder(kTempFileName);
    // Whole and on the disk beside the old list first, then in its place in one step: a crash or
    // a power cut at any moment leaves the old list or the new one, never a cut one. The list is
    // the user's work, written once at exit: worth the wait for the disk.
    if (files.writeFile(temp, EncodeHideList(raw)) && files.flushFile(temp) &&
        files.moveFile(temp, list, true)) {
        return true;
    }
    files.deleteFile(temp);
    return false;
}

std::string_view FileNameOf(std::string_view exeFile) {
    const auto slash = exeFile.find_last_of('\\');
    return slash == std::string_view::npos ? exeFile : exeFile.substr(slash + 1);
}

std::string AsStored(std::string_view name) {
    platform::FileSystem& files = platform::files();
    return files.ansiToUtf8(files.utf8ToAnsi(name));
}

void PrepareProcessHiding() {
    platform::FileSystem& files = platform::files();
    RunningNames.clear();
    RunningProcesses = modWndXProc::ListProcesses();
    // Each running program's name as lsv.dat would hold it, so that a listed name that went
    // through the ANSI code page ("l" for a Polish "l with stroke") still finds its program.
    // A name that would come back with "?" is no file name a list could hold.
    std::vector<std::optional<std::string>> stored(RunningProcesses.size());
    for (std::size_t slot = 1; slot < RunningProcesses.size(); ++slot) {
        const std::string_view name = FileNameOf(RunningProcesses[slot].exeFile);
        if (files.fitsAnsi(name)) stored[slot] = AsStored(name);
    }
    for (std::size_t slot = 1; slot < RunningProcesses.size(); ++slot) {
        // The first process of a name wins.
        if (stored[slot]) RunningNames.try_emplace(*stored[slot], slot);
    }
    for (std::size_t slot = 0; slot < ProcessHideList.size(); ++slot) {
        const std::string key = AsStored(ProcessHideList[slot].key);
        if (RunningNames.count(key) != 0) ProcessesToHide.try_emplace(key, slot);
    }
    // Every process of a listed name, not only the first: the test is by name.
    ProcessIdsToHide.clear();
    for (std::size_t slot = 1; slot < RunningProcesses.size(); ++slot) {
        const modWndXProc::ProcessRecord& process = RunningProcesses[slot];
        if (process.processId && stored[slot] && ProcessesToHide.count(*stored[slot]) != 0) {
            ProcessIdsToHide.insert(*process.processId);
        }
    }
}

bool AnythingToHide() {
    return !ProcessIdsToHide.empty();
}

void HideProcessWindowsTick(const std::function<void()>& beforeHiding) {
    if (!AnythingToHide()) return;
    platform::Desktop& desktop = platform::desktop();
    std::vector<Hwnd> found;
    const std::uint64_t walk = ++windowWalks;
    std::size_t windows = 0;
    // One walk whatever the number of processes: each window's process is looked up in a set.
    desktop.enumDesktopWindows([&](Hwnd h) {
        ++windows;
        auto [known, fresh] = KnownWindows.try_emplace(h);
        if (fresh) desktop.getWindowThreadProcessId(h, known->second.processId);
        KnownWindow& window = known->second;
        window.walk = walk;
        if (window.processId == 0 || ProcessIdsToHide.count(window.processId) == 0) return true;
        if (!desktop.isWindowVisible(h)) {
            window.hidePosted = 0;  // carried out: a show by its program is met afresh
        } else if (window.hidePosted == 0 || walk - window.hidePosted >= kRepostAfterTicks) {
            window.hidePosted = walk;
            found.push_back(h);
        }
        return true;
    });
    if (KnownWindows.size() > windows) {
        std::erase_if(KnownWindows,
                      [walk](const auto& known) { return known.second.walk != walk; });
    }
    // The program's own pop-ups are among its windows: each goes as a window of its own.
    // Recorded before any is hidden: whatever happens next, the show brings them back.
    bool fresh = false;
    for (const Hwnd h : found) fresh = ProcessHiddenWindows.add(h) || fresh;
    if (fresh && beforeHiding) beforeHiding();
    for (const Hwnd h : found) desktop.showWindowAsync(h, platform::sw::kHide);
}

void ShowProcessWindows() {
    // Posted as the hides were: a program that does not answer shows its windows when it does,
    // after any hide still waiting for it.
    platform::Desktop& desktop = platform::desktop();
    for (const Hwnd h : ProcessHiddenWindows.order) {
        if (h != 0) desktop.showWindowAsync(h, platform::sw::kShow);
    }
    RunningNames.clear();
    ProcessesToHide.clear();
    ProcessHiddenWindows.clear();
    ProcessIdsToHide.clear();
    KnownWindows.clear();
}

std::vector<ProcessWindow> ListProcessWindows(std::uint32_t processId, Hwnd start) {
    platform::Desktop& desktop = platform::desktop();
    std::vector<ProcessWindow> list;
    for (Hwnd h = desktop.getWindow(start, platform::gw::kHwndFirst); h != 0;
         h = desktop.getWindow(h, platform::gw::kHwndNext)) {
        std::uint32_t owner = 0;
        const std::uint32_t thread = desktop.getWindowThreadProcessId(h, owner);
        if (owner == processId && desktop.isWindowVisible(h)) list.push_back({h, thread});
    }
    if (list.empty()) list.push_back({});
    return list;
}

}  // namespace kvr::modProcsKVR
