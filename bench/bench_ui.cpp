// Constructing and showing the main window, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "ui/qt/main_window.hpp"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "kovarra_bench";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app = []() -> std::unique_ptr<QApplication> {
    if (QApplication::instance()) return nullptr;  // another benchmark of the run made it
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
  }();
  return *qApp;
}

void BM_ShowMainWindow(benchmark::State& state) {
  App();
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
