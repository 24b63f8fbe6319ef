#include "matches/ports.hpp"

namespace kovarra {

namespace {
Text* g_selectedTeamId = nullptr;
}

Text& SelectedTeamId() {
  if (!g_selectedTeamId) g_selectedTeamId = new Text();
  return *g_selectedTeamId;
}

void ReleaseSelectedTeamId(int /*position*/) {
  delete g_selectedTeamId;
  g_selectedTeamId = nullptr;
}

}  // namespace kovarra
