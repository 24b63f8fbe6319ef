#include "matches/browser.hpp"

#include <algorithm>
#include <cctype>
#include <string>

#include "core/codepage.hpp"
#include "matches/match_list.hpp"
#include "matches/match_rows.hpp"

namespace kovarra {

namespace {

// A hostile or broken answer may claim billions of pages; listing them all would hang the
// window, so the page list stops here. Real teams have a few dozen pages at most.
constexpr int kMaxPageItems = 10000;

const Text& HintTitle() {
  static const Text title = Gbk("温馨提示");
  return title;
}

}  // namespace

const std::vector<TeamEntry>& TeamCatalogue() {
  static const std::vector<TeamEntry> catalogue = [] {
    struct Seed {
      const char* abbreviation;
      const char* teamId;
    };
    static constexpr Seed kSeeds[] = {
        {"blg", "57"}, {"edg", "1"},  {"fpx", "7"},  {"ig", "2"},   {"jdg", "29"}, {"lgd", "4"},
        {"lng", "9"},  {"omg", "6"},  {"ra", "11"},  {"rng", "8"},  {"rw", "422"}, {"sn", "41"},
        {"tes", "42"}, {"tt", "438"}, {"up", "685"}, {"v5", "587"}, {"we", "12"},
    };
    const Text controlPrefix = Gbk("图片框_");
    const Text captionSuffix = Gbk(" - 近期比赛");
    std::vector<TeamEntry> entries;
    int x = 0;
    for (const Seed& seed : kSeeds) {
      std::string upper = seed.abbreviation;
      std::transform(upper.begin(), upper.end(), upper.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      entries.push_back({ConcatText(controlPrefix, seed.abbreviation), x, Text(seed.teamId),
                         ConcatText(upper, captionSuffix)});
      x += 118;
    }
    return entries;
  }();
  return catalogue;
}

void RenderMatchRows(const Text& body, ReportList& list, PlatformServices& platform) {
  const MatchExtract extract = ExtractMatchRows(body);
  switch (extract.outcome) {
    case MatchExtractOutcome::PatternFailed:
      platform.ShowMessage(Gbk("数据匹配有误！"), kStyleCritical, std::nullopt);
      return;
    case MatchExtractOutcome::NoMatch:
      platform.ShowMessage(Gbk("数据匹配有误"), kStyleCritical, std::nullopt);
      return;
    case MatchExtractOutcome::Rows:
      break;
  }
  list.ClearRows();
  for (const MatchRow& row : extract.rows) {
    const int index = list.InsertRow();
    list.SetCell(index, 0, row.status);
    list.SetCell(index, 1, row.date);
    list.SetCell(index, 2, row.score);
    list.SetCell(index, 3, row.pairing);
    list.SetCell(index, 4, row.narrators);
    list.SetCell(index, 5, row.event);
    list.SetCell(index, 6, row.video);
  }
}

void MatchBrowser::MatchQuery(const Text& team, const Text& page, const Text& pagesize) {
  const Text url = ComposeMatchListUrl(team, page, pagesize);
  const Text answer = fetcher_.Fetch(url);
  if (HasNoData(answer)) {
    platform_.ShowMessage(Gbk("未查询到数据"), kStyleInformation, HintTitle());
    platform_.TerminateProgram(0);
    return;
  }
  const Text body = StripMatchListPrefix(answer);
  const PageSummary summary = ReadPageSummary(body);

  window_.TotalCountLabel().SetCaption(summary.total);
  window_.TotalPagesLabel().SetCaption(summary.totalpage);

  ComboBox& pages = window_.PageList();
  pages.ClearItems();
  const int n = std::min(ToInt(summary.totalpage), kMaxPageItems);
  for (int i = 1; i <= n; ++i) pages.AddItem(NumberToText(i), i);

  const int m = pages.ItemCount();
  for (int j = 1; j <= m; ++j) {
    if (CompareText(summary.page, NumberToText(j)) == 0) {
      pages.SetSelectedIndex(j - 1);
      break;
    }
  }

  RenderMatchRows(body, window_.MatchList(), platform_);
}

void MatchBrowser::SelectTeam(const Text& teamId, const Text& caption) {
  SelectedTeamId() = teamId;
  window_.MatchGroupBox().SetCaption(caption);
  ComboBox& pages = window_.PageList();
  const Text page = pages.ItemText(pages.SelectedIndex());
  const Text pagesize = CurrentPageSize();
  // A copy: the exit actions that a no-data answer runs release the global.
  const Text team = SelectedTeamId();
  MatchQuery(team, page, pagesize);
}

void MatchBrowser::LogoPressed(int logo, int /*x*/, int /*y*/, int /*keyState*/) {
  const auto& catalogue = TeamCatalogue();
  if (logo < 0 || logo >= static_cast<int>(catalogue.size())) return;
  SelectTeam(catalogue[logo].teamId, catalogue[logo].caption);
}

void MatchBrowser::PreviousPageClicked() {
  if (SelectedTeamId().empty()) {
    Hint(Gbk("请点击战队徽标"));
    return;
  }
  ComboBox& pages = window_.PageList();
  const int v = pages.ItemValue(pages.SelectedIndex());
  if (v == 1) {
    Hint(Gbk("已经是第一页"));
    return;
  }
  const Text page = NumberToText(v - 1);
  MatchQuery(Text(SelectedTeamId()), page, CurrentPageSize());
}

void MatchBrowser::NextPageClicked() {
  if (SelectedTeamId().empty()) {
    Hint(Gbk("请点击战队徽标"));
    return;
  }
  ComboBox& pages = window_.PageList();
  const int v = pages.ItemValue(pages.SelectedIndex());
  const int t = ToInt(window_.TotalPagesLabel().Caption());
  if (v == t) {
    Hint(Gbk("已经是最后一页"));
    return;
  }
  const Text page = NumberToText(v + 1);
  MatchQuery(Text(SelectedTeamId()), page, CurrentPageSize());
}

void MatchBrowser::PageSizeSelected() {
  Requery();
}

void MatchBrowser::PageSelected() {
  Requery();
}

void MatchBrowser::Requery() {
  ComboBox& pages = window_.PageList();
  const Text page = pages.ItemText(pages.SelectedIndex());
  const Text pagesize = CurrentPageSize();
  MatchQuery(Text(SelectedTeamId()), page, pagesize);
}

void MatchBrowser::MatchListRightClicked() {
  ReportList& list = window_.MatchList();
  if (list.RowCount() <= 0) {
    Hint(Gbk("无数据"));
    return;
  }
  if (list.SelectedRow() == -1) {
    Hint(Gbk("未选中数据"));
    return;
  }
  static const Text noVideo = Gbk("暂无视频");
  if (CompareText(list.GetCell(list.SelectedRow(), 6), noVideo) == 0) {
    Hint(Gbk("比赛未开始"));
    return;
  }
  platform_.OpenUrl(list.GetCell(list.SelectedRow(), 6));
}

void MatchBrowser::Hint(const Text& text) {
  platform_.ShowMessage(text, kStylePlain, HintTitle());
}

Text MatchBrowser::CurrentPageSize() {
  ComboBox& sizes = window_.PageSizeList();
  return sizes.ItemText(sizes.SelectedIndex());
}

}  // namespace kovarra
