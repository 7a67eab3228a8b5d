// The status window's model through a run of 10,000 messages, without a
// window (what a batch run's lines cost the dialog layer) and with one whose
// edit control follows every line (what the front end mirrors).
#include <benchmark/benchmark.h>

#include <string>

#include "ui/scripted_services.h"
#include "ui/status_window.h"

namespace {

constexpr int kMessages = 10000;

std::string Message(int i) { return "Processing \"/home/user/reports/part" + std::to_string(i) + ".txt\""; }

void RunMessages(StatusWindow& window) {
    for (int i = 0; i < kMessages; ++i) window.AddMessage(Message(i).c_str());
}

void BM_StatusModelWithoutWindow(benchmark::State& state) {
    ScriptedUiServices services;
    for (auto _ : state) {
        StatusWindow window(services);
        RunMessages(window);
        benchmark::DoNotOptimize(window.Lines.count);
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_StatusModelWithoutWindow)->Unit(benchmark::kMillisecond);

void BM_StatusModelWithWindow(benchmark::State& state) {
    ScriptedUiServices services;
    for (auto _ : state) {
        StatusWindow window(services);
        window.CreateWindow();
        RunMessages(window);
        benchmark::DoNotOptimize(window.Text.length);
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_StatusModelWithWindow)->Unit(benchmark::kMillisecond);

}  // namespace
