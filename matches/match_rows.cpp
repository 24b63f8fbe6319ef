#include "matches/match_rows.hpp"

#include <string>
#include <utility>

#include "core/codepage.hpp"
#include "core/regex.hpp"
#include "kovarra_config.hpp"

namespace kovarra {

const std::array<const char*, 40>& MatchObjectKeys() {
  // Rows of related keys read better than the one key a line the formatter would make.
  // clang-format off
  static constexpr std::array<const char*, 40> keys = {
      "AppTopicId", "Chat1", "Chat2", "Chat3",
      "GameId", "GameMode", "GameName",
      "GameNarratorA", "GameNarratorAName", "GameNarratorB", "GameNarratorBName",
      "GameNarratorC", "GameNarratorCName",
      "GamePlace", "GamePlaceName", "GameProcId", "GameProcName", "GameTypeId", "GameTypeName",
      "HighlightsId", "MatchDate", "MatchStatus", "MatchWin", "MemberA", "MemberB",
      "News1", "News2", "News3", "NewsId", "ScoreA", "ScoreB", "TeamA", "TeamB",
      "Video1", "Video2", "Video3", "bGameId", "bMatchId", "bMatchName", "iQTMatchId"};
  // clang-format on
  return keys;
}

const Text& MatchListPattern() {
  static const Text pattern = [] {
    std::string p = "{";
    for (const char* key : MatchObjectKeys()) {
      if (p.size() > 1) p += ',';
      p += '"';
      p += key;
      p += R"re(":"(.*?)")re";
    }
    p += '}';
    return Text(std::move(p));
  }();
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
