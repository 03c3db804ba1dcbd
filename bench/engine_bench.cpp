// Cost of the engine's own work on the in-memory desktop, without the window manager's.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/hide_engine.h"
#include "engine/mod_cadenas.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_message_queue.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"
#include "settings/settings.h"

namespace {

using namespace kvr;

struct NoTrayArea final : engine::TrayArea {
    void HideTrayArea() override {}
    void RestoreTrayArea() override {}
};

// One hide by title over N top-level windows, one in ten of them matching; then show them all
// again so that every iteration starts from the same desktop.
void HideByTitle(benchmark::State& state) {
    platform::FakeRegistry registry;
    platform::FakeMessageQueue queue;
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    platform::install({&registry, &queue, &system, &files, &desktop});
    settings::BxTT = "Budget";
    settings::BxTP = 1;
    settings::BxTS = 1;
    settings::BxTA = false;
    const auto windows = static_cast<int>(state.range(0));
    for (int i = 0; i < windows; ++i) {
        desktop.create("App" + std::to_string(i % 7),
                       (i % 10 == 0 ? "Quarterly budget " : "Document ") + std::to_string(i));
    }
    NoTrayArea trayArea;
    engine::HideEngine engine(trayArea);
    for (auto _ : state) {
        engine.OcultarXTitulo();
        state.PauseTiming();
        engine.ShowAll();
        state.ResumeTiming();
    }
    state.counters["hidden"] = static_cast<double>(windows / 10);
    platform::install({});
}
BENCHMARK(HideByTitle)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

void MatchTextCaseInsensitive(benchmark::State& state) {
    const std::string title = "Ελληνικά Кириллица Español — Quarterly BUDGET review.xlsx";
    for (auto _ : state) {
        benchmark::DoNotOptimize(modCadenas::MatchText("budget", title, 1, 1));
    }
}
BENCHMARK(MatchTextCaseInsensitive);

}  // namespace

BENCHMARK_MAIN();
