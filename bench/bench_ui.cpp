// Constructing and showing the main window, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "bench/qt_application.hpp"
#include "ui/qt/main_window.hpp"

namespace {

void BM_ShowMainWindow(benchmark::State& state) {
  kovarra::bench::Application();
  for (auto _ : state) {
    auto window = kovarra::MainWindow::Load();
    window->ShowCentred();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.get());
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowMainWindow)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace
