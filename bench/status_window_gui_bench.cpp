// The status window on a display through a run of 10,000 messages: every
// line mirrored to the edit control, the toolkit given its turn to repaint
// at most every 50 ms.  Needs a display: run it under Xvfb
//   GDK_GL=disable xvfb-run -a build/release/bench/status_window_gui_bench
#include <benchmark/benchmark.h>

#include <string>

#include "gui/model_window.h"
#include "gui/run_repaint.h"
#include "gui/toolkit.h"
#include "ui/scripted_services.h"
#include "ui/status_window.h"
#include "ui/window_layout.h"

namespace {

constexpr int kMessages = 10000;

void BM_StatusWindowOnScreen(benchmark::State& state) {
    if (!StartToolkit()) {
        state.SkipWithError("no display: run under Xvfb");
        return;
    }
    ScriptedUiServices services;
    StatusWindow status(services);
    ModelWindow view(status, StatusWindowLayout(), WindowFrame::kDialog);
    RepaintStatusDuringRuns(view);
    status.CreateWindow();
    status.ShowWindow();
    long repaints = 0;
    for (auto _ : state) {
        status.Clear();
        const long before = RepaintCount();
        {
            const RunScope run;
            for (int i = 0; i < kMessages; ++i) {
                status.AddMessage(("Processing \"/home/user/reports/part" + std::to_string(i) + ".txt\"").c_str());
            }
        }
        repaints += RepaintCount() - before;
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
    state.counters["repaints_per_run"] = static_cast<double>(repaints) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StatusWindowOnScreen)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
