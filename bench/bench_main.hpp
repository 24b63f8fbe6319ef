#pragma once

// What the benchmark program does once every benchmark has run, before main returns: Qt's
// objects cannot outlive main (its thread data goes first at exit), so a window or the
// application kept between benchmarks is let go here.

#include <functional>
#include <utility>
#include <vector>

namespace kovarra::bench {

inline std::vector<std::function<void()>>& EndTasks() {
  static std::vector<std::function<void()>> tasks;
  return tasks;
}

// Run in the reverse order of their adding.
inline void AtEnd(std::function<void()> task) {
  EndTasks().push_back(std::move(task));
}

inline void RunEndTasks() {
  auto& tasks = EndTasks();
  while (!tasks.empty()) {
    auto task = std::move(tasks.back());
    tasks.pop_back();
    task();
  }
}

}  // namespace kovarra::bench
