#pragma once

// The match browser: the query flow, the team picker, paging and the video opener, bound to the
// window's events. Pure logic over the window and desktop ports; the fetch is handed in.

#include <vector>

#include "core/text.hpp"
#include "matches/ports.hpp"

namespace kovarra {

// One blocking GET of the match-list address; the answer as local text, empty on failure.
class MatchFetcher {
 public:
  virtual ~MatchFetcher() = default;
  virtual Text Fetch(const Text& url) = 0;
};

// One logo of the strip.
struct TeamEntry {
  Text control;  // the picture box's name, e.g. 图片框_blg
  int x = 0;     // its left edge in the strip
  Text teamId;   // as the data service knows the team
  Text caption;  // what the match group box reads once the logo is pressed
};

// The seventeen logos in strip order (blg, edg, … we).
const std::vector<TeamEntry>& TeamCatalogue();

// Replaces the rows of the list with the matches of an answer body, or says why it cannot.
void RenderMatchRows(const Text& body, ReportList& list, PlatformServices& platform);

class MatchBrowser : public BrowserEvents {
 public:
  MatchBrowser(MatchWindow& window, PlatformServices& platform, MatchFetcher& fetcher)
      : window_(window), platform_(platform), fetcher_(fetcher) {}

  // One page of a team's matches into the totals, the page list and the rows.
  void MatchQuery(const Text& team, const Text& page, const Text& pagesize);
  void SelectTeam(const Text& teamId, const Text& caption);

  void LogoPressed(int logo, int x, int y, int keyState) override;
  void PreviousPageClicked() override;
  void NextPageClicked() override;
  void PageSizeSelected() override;
  void PageSelected() override;
  void MatchListRightClicked() override;

 private:
  void Requery();
  void Hint(const Text& text);
  Text CurrentPageSize();

  MatchWindow& window_;
  PlatformServices& platform_;
  MatchFetcher& fetcher_;
};

}  // namespace kovarra
