// Cost of the engine's own work on the in-memory desktop, without the window manager's.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/hide_engine.h"
#include "engine/mod_cadenas.h"
#include "mainwin/frm_ppal.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_input.h"
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
    engine::TrayGeometry MeasureTrayArea() override { return {}; }
    void PutTrayAreaBack(const engine::TrayGeometry&) override {}
};

// The in-memory platform with N top-level windows, one in ten of them titled to match "Budget".
struct BudgetDesktop {
    platform::FakeRegistry registry;
    platform::FakeMessageQueue queue;
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    platform::FakeDesktop desktop;
    platform::FakeInput input;  // the clock the confirmation of posted hides reads

    explicit BudgetDesktop(int windows) {
        platform::install({.registry = &registry,
                           .queue = &queue,
                           .system = &system,
                           .files = &files,
                           .desktop = &desktop,
                           .input = &input});
        files.makeFolder(system.localAppData);  // where the journal of hidden windows goes
        settings::BxTT = "Budget";
        settings::BxTP = 1;
        settings::BxTS = 1;
        settings::BxTA = false;
        for (int i = 0; i < windows; ++i) {
            desktop.create("App" + std::to_string(i % 7),
                           (i % 10 == 0 ? "Quarterly budget " : "Document ") + std::to_string(i));
        }
    }
    ~BudgetDesktop() { platform::install({}); }
};

// One hide by title over N top-level windows; then show them all again so that every
// iteration starts from the same desktop. The engine alone.
void HideByTitle(benchmark::State& state) {
    const auto windows = static_cast<int>(state.range(0));
    BudgetDesktop fake(windows);
    NoTrayArea trayArea;
    engine::HideEngine engine(trayArea);
    for (auto _ : state) {
        engine.OcultarXTitulo();
        state.PauseTiming();
        engine.ShowAll();
        state.ResumeTiming();
    }
    state.counters["hidden"] = static_cast<double>(windows / 10);
}
BENCHMARK(HideByTitle)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

// The same hide as the user sees it: the main window (without real controls) shows the record
// in its list afterwards.
void HideByTitleShownInTheList(benchmark::State& state) {
    const auto windows = static_cast<int>(state.range(0));
    BudgetDesktop fake(windows);
    NoTrayArea trayArea;
    engine::HideEngine engine(trayArea);
    frmPpal main(engine);
    for (auto _ : state) {
        main.OcultarXTitulo();
        state.PauseTiming();
        main.mnuMostrarTodas.click();
        state.ResumeTiming();
    }
    state.counters["hidden"] = static_cast<double>(main.lsvVentanas.count() + windows / 10);
}
BENCHMARK(HideByTitleShownInTheList)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

void MatchTextCaseInsensitive(benchmark::State& state) {
    const std::string title = "Ελληνικά Кириллица Español — Quarterly BUDGET review.xlsx";
    for (auto _ : state) {
        benchmark::DoNotOptimize(modCadenas::MatchText("budget", title, 1, 1));
    }
}
BENCHMARK(MatchTextCaseInsensitive);

}  // namespace

BENCHMARK_MAIN();
