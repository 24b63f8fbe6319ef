#include "matches/match_list.hpp"

#include "core/codepage.hpp"
#include "core/extract.hpp"
#include "kovarra_config.hpp"

namespace kovarra {

Text ComposeMatchListUrl(const Text& team, const Text& page, const Text& pagesize) {
  return ConcatText(
      "https://" KOVARRA_DATA_HOST "/lol/match/apis/searchBMatchInfo.php?r1=MatchList&page=", page,
      "&pagesize=", pagesize, "&p2=", team, "&p6=2");
}

bool HasNoData(const Text& answer) {
  static const Text noData = Gbk("未查询到数据");
  return FindText(answer, noData) != -1;
}

Text StripMatchListPrefix(const Text& answer) {
  static const Text prefix("var MatchList = ");
  return RightText(answer, TextLength(answer) - TextLength(prefix));
}

PageSummary ReadPageSummary(const Text& body) {
  PageSummary summary;
  summary.total = TextBetween(body, "\"total\":", ",");
  summary.totalpage = TextBetween(body, "\"totalpage\":", "}");
  summary.page = TextBetween(body, "\"page\":", ",");
  return summary;
}

}  // namespace kovarra
