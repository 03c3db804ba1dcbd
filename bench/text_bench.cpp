// Cost of reading text as characters: a list of hidden windows sorted by a column click.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"

namespace {

using namespace kvr;

class BenchForm : public ui::Form {
public:
    BenchForm() : ui::Form("frmBench", "Bench", {0, 0, 100, 100}) {}
};

// Titles as a desktop shows them: several scripts, accents, shared beginnings.
std::string title(int i) {
    static const char* const stems[] = {
        "Untitled - Notepad", "Документ ", "Éclair recipe ", "Ελληνικά ", "Quarterly BUDGET ",
        "éclair notes ",      "жук ",      "Zebra.txt ",     "ΛΌΓΟΣ ",    "Straße "};
    return stems[i % 10] + std::to_string((i * 7919) % 1000);
}

// One column-header click: the whole list sorted by its title column, alternating the order so
// that every iteration really reorders.
void SortListByTitle(benchmark::State& state) {
    BenchForm form;
    ui::ListView list(form, "lsvVentanas", {"Titulo ", "Clase ", "OcultoX"});
    const auto rows = static_cast<int>(state.range(0));
    for (int i = 0; i < rows; ++i) {
        ui::ListItem item;
        item.text = title(i);
        item.subItems = {"Class" + std::to_string(i % 13), "x"};
        list.add(std::move(item));
    }
    bool ascending = true;
    for (auto _ : state) {
        list.sortBy(0, ascending ? ui::SortOrder::Ascending : ui::SortOrder::Descending);
        ascending = !ascending;
        benchmark::DoNotOptimize(list.items().data());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(SortListByTitle)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
