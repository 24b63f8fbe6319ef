#pragma once

// The one application object of the Qt benchmarks, offscreen unless told otherwise; it goes
// when the benchmarks end.

#include <QApplication>

#include "bench/bench_main.hpp"

namespace kovarra::bench {

inline QApplication& Application() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kovarra_bench";
    static char* argv[] = {name, nullptr};
    auto* made = new QApplication(argc, argv);
    AtEnd([made] { delete made; });
    return made;
  }();
  return *app;
}

}  // namespace kovarra::bench
