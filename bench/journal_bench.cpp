// The journal of hidden windows at start: a journal of 1,000 windows read and acted on, on the
// in-memory desktop; and the reading alone.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/hide_journal.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"

namespace {

using namespace kvr;

// 1,000 journalled windows as a killed run leaves them: most still hidden, some shown again by
// their programs, some handles now another class's, some pop-ups of the hidden ones.
struct KilledRun {
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    std::vector<platform::Hwnd> hidden;
    std::string journal;

    explicit KilledRun(int entries) {
        platform::install({nullptr, nullptr, &system, &files, &desktop});
        files.makeFolder(system.localAppData);
        for (int i = 0; i < 200; ++i) desktop.create("Other", "Document " + std::to_string(i));
        engine::JournalFile written;
        platform::Hwnd owner = 0;
        for (int i = 0; i < entries; ++i) {
            const std::uint32_t pid = 100 + i % 17;
            const std::string cls = "App" + std::to_string(i % 7);
            const bool popup = i % 10 == 9;
            const platform::Hwnd h = desktop.create(cls, "Window " + std::to_string(i),
                                                    {.owner = popup ? owner : 0, .processId = pid});
            if (!popup) owner = h;
            // One in ten is another class's by now, one in ten was shown by its program.
            const std::string journalled = i % 10 == 3 ? "Gone" : cls;
            if (i % 10 != 5) hidden.push_back(h);
            written.entries.push_back({h, popup ? owner : 0, pid, desktop.processStartTime(pid), 1,
                                       journalled, "Window " + std::to_string(i)});
        }
        journal = engine::EncodeJournal(written);
    }
    void reset() {
        for (const platform::Hwnd h : hidden) desktop.setVisible(h, false);
        files.put(engine::HideJournal::path(), journal);
    }
    ~KilledRun() { platform::install({}); }
};

void RecoverJournal(benchmark::State& state) {
    KilledRun run(static_cast<int>(state.range(0)));
    std::size_t shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        run.reset();
        engine::HideJournal journal;
        state.ResumeTiming();
        shown = journal.recover().shown.size();
    }
    state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(RecoverJournal)->Arg(1000)->Unit(benchmark::kMicrosecond);

void DecodeJournal(benchmark::State& state) {
    KilledRun run(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(engine::DecodeJournal(run.journal));
    state.counters["bytes"] = static_cast<double>(run.journal.size());
}
BENCHMARK(DecodeJournal)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
