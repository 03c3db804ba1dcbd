// Any bytes as the journal of hidden windows: the reader keeps the whole records before any
// damage, writing them again gives back exactly their bytes (and reading those, the same
// journal, for a file of the earlier format too), and the start shows only windows that are
// hidden and of the process, start and class the journal names, leaves the file of a copy that
// runs alone, and names a notification area only while its taskbar is the one journalled.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/hide_journal.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"

namespace {

using namespace kvr;

struct Platform {
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    platform::FakeShell shell;
    std::vector<platform::Hwnd> windows;
    Platform() {
        platform::install({nullptr, nullptr, &system, &files, &desktop, nullptr, &shell});
        files.makeFolder(system.localAppData);
        // Handles the fuzzer finds in the seeds: 0x00010020 upwards, the taskbar's 0x00020040
        // upwards, drawn by process 30; process 20 started at 0x01DB'5E5E'0000'0000, 30 is
        // process 20's start plus a second. The copy that wrote a journal runs as process 40.
        desktop.processStarts[20] = 0x01DB'5E5E'0000'0000ull;
        desktop.processStarts[30] = 0x01DB'5E5E'0098'9680ull;
        desktop.processStarts[40] = 0x01DB'5E5E'0000'0001ull;
        const platform::Hwnd owner = desktop.create("Notepad", "n", {.processId = 20});
        windows = {owner, desktop.create("#32770", "Find", {.owner = owner, .processId = 20}),
                   desktop.create("Notepad", "m", {.processId = 30}),
                   desktop.create("Calc", "c", {.processId = 20})};
        shell.processId = 30;
        shell.makeTaskbar(platform::FakeShell::Edge::Bottom);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Platform fake;
    const std::string file(reinterpret_cast<const char*>(data), size);

    const engine::JournalFile journal = engine::DecodeJournal(file);
    const std::string again = engine::EncodeJournal(journal);
    if (journal.version == 0 && !journal.entries.empty()) __builtin_trap();
    if (journal.version == 2 && file.compare(0, again.size(), again) != 0) __builtin_trap();
    // Written again, an earlier version's journal is one of today's with the same contents.
    engine::JournalFile today = journal;
    today.version = 2;
    if (journal.version != 0 && engine::DecodeJournal(again) != today) __builtin_trap();

    for (const platform::Hwnd h : fake.windows) fake.desktop.setVisible(h, false);
    fake.files.put(engine::HideJournal::path(), file);
    std::uint64_t writtenAt = 0;
    fake.files.lastWriteTime(engine::HideJournal::path(), writtenAt);
    engine::HideJournal reader;
    const engine::Recovery recovery = reader.recover();
    const bool writerRuns =
        journal.writerId != 0 && journal.writerStarted != 0 &&
        fake.desktop.processStartTime(journal.writerId) == journal.writerStarted;
    if (recovery.runningCopy != writerRuns) __builtin_trap();
    if (writerRuns && (!recovery.shown.empty() || recovery.trayArea || !recovery.sound.empty())) {
        __builtin_trap();
    }
    if (!writerRuns &&
        (recovery.entries != journal.entries.size() || recovery.sound != journal.sound)) {
        __builtin_trap();
    }
    auto sameStart = [&](std::uint32_t pid, std::uint64_t recorded) {
        const std::uint64_t now = fake.desktop.processStartTime(pid);
        return journal.version == 1 ? now != 0 && now <= writtenAt : now == recorded;
    };
    std::uint32_t taskbar = 0;
    if (journal.trayArea) fake.shell.getWindowThreadProcessId(journal.trayArea->area.tray, taskbar);
    if (recovery.trayArea &&
        (!journal.trayArea || recovery.trayArea != journal.trayArea->area || taskbar == 0 ||
         taskbar != journal.trayArea->processId ||
         !sameStart(journal.trayArea->processId, journal.trayArea->processStarted))) {
        __builtin_trap();
    }
    std::unordered_set<platform::Hwnd> shown;
    for (const platform::Hwnd h : recovery.shown) {
        if (!shown.insert(h).second) __builtin_trap();  // once each
        std::uint32_t processId = 0;
        fake.desktop.getWindowThreadProcessId(h, processId);
        bool named = false;
        for (const auto& e : journal.entries) {
            named = named || (e.hwnd == h && e.processId == processId &&
                              sameStart(processId, e.processStarted) &&
                              e.windowClass == fake.desktop.getClassName(h));
        }
        if (!named || !fake.desktop.isWindowVisible(h)) __builtin_trap();
    }
    // The file goes only when the start is done with it, never while its copy runs.
    if (!fake.files.exists(engine::HideJournal::path())) __builtin_trap();
    if (!writerRuns) {
        reader.empty();
        if (fake.files.exists(engine::HideJournal::path())) __builtin_trap();
    }
    return 0;
}
