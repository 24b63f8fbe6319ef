#include "ui/lifecycle.hpp"

#include <algorithm>
#include <vector>

namespace kovarra {

namespace {
std::vector<ExitAction>& Actions() {
  static std::vector<ExitAction> actions;
  return actions;
}
}  // namespace

void RegisterExitAction(ExitAction action) {
  if (!action) return;
  auto& actions = Actions();
  if (std::find(actions.begin(), actions.end(), action) == actions.end()) actions.push_back(action);
}

void RunExitActions() {
  // Taken out first: an action that registers another, or ends the process, cannot make the
  // list run twice.
  std::vector<ExitAction> actions;
  actions.swap(Actions());
  for (std::size_t i = 0; i < actions.size(); ++i) actions[i](static_cast<int>(i));
}

void DiscardExitActions() {
  Actions().clear();
}

}  // namespace kovarra
