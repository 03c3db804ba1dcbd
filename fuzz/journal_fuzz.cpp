// Any bytes as the journal of hidden windows: the reader keeps the whole records before any
// damage, writing them again gives back exactly their bytes, and the start shows only windows
// that are hidden and of the process and class the journal names, and then drops the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/hide_journal.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"

namespace {

using namespace kvr;

struct Platform {
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    std::vector<platform::Hwnd> windows;
    Platform() {
        platform::install({nullptr, nullptr, &system, &files, &desktop});
        files.makeFolder(system.localAppData);
        // Handles the fuzzer finds in the seeds: 0x00010020 upwards.
        const platform::Hwnd owner = desktop.create("Notepad", "n", {.processId = 20});
        windows = {owner,
                   desktop.create("#32770", "Find", {.owner = owner, .processId = 20}),
                   desktop.create("Notepad", "m", {.processId = 30}),
                   desktop.create("Calc", "c", {.processId = 20})};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Platform fake;
    const std::string file(reinterpret_cast<const char*>(data), size);

    const auto entries = engine::DecodeJournal(file);
    const std::string again = engine::EncodeJournal(entries);
    if (entries.empty() ? again.size() != 4 : file.compare(0, again.size(), again) != 0) {
        __builtin_trap();
    }

    for (const platform::Hwnd h : fake.windows) fake.desktop.setVisible(h, false);
    fake.files.put(engine::HideJournal::path(), file);
    engine::HideJournal journal;
    const engine::Recovery recovery = journal.recover();
    if (recovery.entries != entries.size()) __builtin_trap();
    std::unordered_set<platform::Hwnd> shown;
    for (const platform::Hwnd h : recovery.shown) {
        if (!shown.insert(h).second) __builtin_trap();  // once each
        std::uint32_t processId = 0;
        fake.desktop.getWindowThreadProcessId(h, processId);
        bool named = false;
        for (const auto& e : entries) {
            named = named || (e.hwnd == h && e.processId == processId &&
                              e.windowClass == fake.desktop.getClassName(h));
        }
        if (!named || !fake.desktop.isWindowVisible(h)) __builtin_trap();
    }
    if (fake.files.exists(engine::HideJournal::path())) __builtin_trap();
    return 0;
}
