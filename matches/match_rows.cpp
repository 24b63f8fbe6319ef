#include "matches/match_rows.hpp"

#include "core/codepage.hpp"
#include "core/regex.hpp"
#include "kovarra_config.hpp"

namespace kovarra {

const Text& MatchListPattern() {
  static const Text pattern(
      R"re({"AppTopicId":"(.*?)","Chat1":"(.*?)","Chat2":"(.*?)","Chat3":"(.*?)",)re"
      R"re("GameId":"(.*?)","GameMode":"(.*?)","GameName":"(.*?)",)re"
      R"re("GameNarratorA":"(.*?)","GameNarratorAName":"(.*?)",)re"
      R"re("GameNarratorB":"(.*?)","GameNarratorBName":"(.*?)",)re"
      R"re("GameNarratorC":"(.*?)","GameNarratorCName":"(.*?)",)re"
      R"re("GamePlace":"(.*?)","GamePlaceName":"(.*?)","GameProcId":"(.*?)",)re"
      R"re("GameProcName":"(.*?)","GameTypeId":"(.*?)","GameTypeName":"(.*?)",)re"
      R"re("HighlightsId":"(.*?)","MatchDate":"(.*?)","MatchStatus":"(.*?)",)re"
      R"re("MatchWin":"(.*?)","MemberA":"(.*?)","MemberB":"(.*?)",)re"
      R"re("News1":"(.*?)","News2":"(.*?)","News3":"(.*?)","NewsId":"(.*?)",)re"
      R"re("ScoreA":"(.*?)","ScoreB":"(.*?)","TeamA":"(.*?)","TeamB":"(.*?)",)re"
      R"re("Video1":"(.*?)","Video2":"(.*?)","Video3":"(.*?)","bGameId":"(.*?)",)re"
      R"re("bMatchId":"(.*?)","bMatchName":"(.*?)","iQTMatchId":"(.*?)"})re");
  return pattern;
}

namespace {

// Groups of the pattern that feed the columns.
enum Group {
  kGameName = 7,
  kNarratorAName = 9,
  kNarratorBName = 11,
  kNarratorCName = 13,
  kMatchDate = 21,
  kMatchStatus = 22,
  kNewsId = 29,
  kScoreA = 30,
  kScoreB = 31,
  kMatchName = 39,
};

Text StatusWord(const Text& status) {
  static const Text notStarted = Gbk("未开始");
  static const Text running = Gbk("进行中");
  static const Text over = Gbk("已结束");
  if (status == Text("1")) return notStarted;
  if (status == Text("2")) return running;
  if (status == Text("3")) return over;
  return Text();
}

Text VideoAddress(const Text& newsId) {
  static const Text noVideo = Gbk("暂无视频");
  if (newsId == Text("0")) return noVideo;
  return ConcatText("https://", KOVARRA_SITE_HOST, "/es/video_detail.shtml?nid=", newsId);
}

}  // namespace

MatchExtract ExtractMatchRows(const Text& body) {
  static const Text defaultNarrator = Gbk("默认");
  MatchExtract result;
  RegexObject re;
  if (!re.RunPattern(MatchListPattern(), body, false, false, true, true)) {
    result.outcome = MatchExtractOutcome::PatternFailed;
    re.ReleaseRegexObject();
    return result;
  }
  const int n = re.MatchCount();
  if (n == 0) {
    result.outcome = MatchExtractOutcome::NoMatch;
    re.ReleaseRegexObject();
    return result;
  }
  result.rows.reserve(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) {
    auto group = [&](int k) { return re.GroupText(i, k); };
    MatchRow row;
    row.status = StatusWord(group(kMatchStatus));
    row.date = group(kMatchDate);
    row.score = ConcatText(group(kScoreA), " - ", group(kScoreB));
    row.pairing = group(kMatchName);
    const Text third = group(kNarratorCName);
    row.narrators =
        third == defaultNarrator
            ? ConcatText(group(kNarratorAName), " - ", group(kNarratorBName))
            : ConcatText(group(kNarratorAName), " - ", group(kNarratorBName), " - ", third);
    row.event = group(kGameName);
    row.video = VideoAddress(group(kNewsId));
    result.rows.push_back(std::move(row));
  }
  result.outcome = MatchExtractOutcome::Rows;
  re.ReleaseRegexObject();
  return result;
}

}  // namespace kovarra
