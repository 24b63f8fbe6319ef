#include "matches/match_rows.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "core/regex.hpp"
#include "kovarra_config.hpp"

namespace kovarra {
namespace {

const std::vector<std::string> kKeys = {"AppTopicId",
                                        "Chat1",
                                        "Chat2",
                                        "Chat3",
                                        "GameId",
                                        "GameMode",
                                        "GameName",
                                        "GameNarratorA",
                                        "GameNarratorAName",
                                        "GameNarratorB",
                                        "GameNarratorBName",
                                        "GameNarratorC",
                                        "GameNarratorCName",
                                        "GamePlace",
                                        "GamePlaceName",
                                        "GameProcId",
                                        "GameProcName",
                                        "GameTypeId",
                                        "GameTypeName",
                                        "HighlightsId",
                                        "MatchDate",
                                        "MatchStatus",
                                        "MatchWin",
                                        "MemberA",
                                        "MemberB",
                                        "News1",
                                        "News2",
                                        "News3",
                                        "NewsId",
                                        "ScoreA",
                                        "ScoreB",
                                        "TeamA",
                                        "TeamB",
                                        "Video1",
                                        "Video2",
                                        "Video3",
                                        "bGameId",
                                        "bMatchId",
                                        "bMatchName",
                                        "iQTMatchId"};

std::string ReadFile(const std::string& name) {
  std::ifstream in(std::string(KOVARRA_FIXTURES_DIR) + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The body of an answer fixture: the answer without its 16-byte prefix.
Text Body(const std::string& name) {
  const std::string answer = ReadFile(name);
  EXPECT_EQ(answer.rfind("var MatchList = ", 0), 0u) << name;
  return Text(answer.substr(16));
}

// The listings name the default site host; a build may name another.
std::string OnSiteHost(std::string line) {
  const std::string listed = "https://lpl.qq.com/";
  const std::string built = std::string("https://") + KOVARRA_SITE_HOST + "/";
  for (auto at = line.find(listed); at != std::string::npos; at = line.find(listed, at + 1))
    line.replace(at, listed.size(), built);
  return line;
}

std::vector<MatchRow> ExpectedRows(const std::string& name) {
  std::vector<MatchRow> rows;
  std::istringstream in(ReadFile(name));
  for (std::string raw; std::getline(in, raw);) {
    const std::string line = OnSiteHost(raw);
    std::vector<Text> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
      cells.push_back(Utf8ToGbk(line.substr(from, tab - from)));
    cells.push_back(Utf8ToGbk(line.substr(from)));
    EXPECT_EQ(cells.size(), 7u) << line;
    cells.resize(7);
    rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]});
  }
  return rows;
}

// One sound match object; values given in UTF-8 and written to GBK.
std::string Object(const std::map<std::string, std::string>& values) {
  std::string out = "{";
  for (const std::string& key : kKeys) {
    auto it = values.find(key);
    if (out.size() > 1) out += ",";
    out += "\"" + key + "\":\"" + (it == values.end() ? key + "-v" : it->second) + "\"";
  }
  return Gbk(out + "}").str();
}

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
  const auto at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

TEST(MatchListPatternTest, IsTheFortyKeyObjectWithLazyGroups) {
  std::string built = "{";
  for (const std::string& key : kKeys) {
    if (built.size() > 1) built += ",";
    built += "\"" + key + "\":\"(.*?)\"";
  }
  built += "}";
  EXPECT_EQ(MatchListPattern().size(), 794u);
  EXPECT_EQ(MatchListPattern().str(), built);
}

TEST(ExtractMatchRowsTest, PageOfTwentyGivesEveryColumn) {
  const MatchExtract got = ExtractMatchRows(Body("match_list_page20.txt"));
  ASSERT_EQ(got.outcome, MatchExtractOutcome::Rows);
  const std::vector<MatchRow> expected = ExpectedRows("match_list_page20.rows.tsv");
  ASSERT_EQ(expected.size(), 20u);
  ASSERT_EQ(got.rows.size(), 20u);
  for (std::size_t i = 0; i < 20; ++i) EXPECT_EQ(got.rows[i], expected[i]) << "row " << i;
  // The first and fifth rows written out, so the listing above is not its only witness.
  EXPECT_EQ(got.rows[0],
            (MatchRow{Gbk("未开始"), "2024-07-28 19:00:00", "0 - 0", "ZQ vs XHZD",
                      Gbk("周子航 - 赵小雪"), Gbk("2024 LPL夏季赛"), Gbk("暂无视频")}));
  EXPECT_EQ(got.rows[4],
            (MatchRow{Gbk("已结束"), "2024-07-24 19:00:00", "1 - 2", "ZQ vs XHZD",
                      Gbk("王一鸣 - 周子航 - 林风"), Gbk("2024 LPL夏季赛"),
                      OnSiteHost("https://lpl.qq.com/es/video_detail.shtml?nid=88148")}));
}

TEST(ExtractMatchRowsTest, NoMatchObject) {
  EXPECT_EQ(ExtractMatchRows(Body("match_list_envelope.txt")).outcome,
            MatchExtractOutcome::NoMatch);
  const MatchExtract empty = ExtractMatchRows(Text());
  EXPECT_EQ(empty.outcome, MatchExtractOutcome::NoMatch);
  EXPECT_TRUE(empty.rows.empty());
}

TEST(ExtractMatchRowsTest, DisplayRules) {
  auto row = [](const std::map<std::string, std::string>& v) {
    const MatchExtract got = ExtractMatchRows(Text(Object(v)));
    EXPECT_EQ(got.outcome, MatchExtractOutcome::Rows);
    return got.rows.empty() ? MatchRow{} : got.rows[0];
  };
  const std::string site = OnSiteHost("https://lpl.qq.com/es/video_detail.shtml?nid=");
  EXPECT_EQ(row({{"MatchStatus", "1"}}).status, Gbk("未开始"));
  EXPECT_EQ(row({{"MatchStatus", "2"}}).status, Gbk("进行中"));
  EXPECT_EQ(row({{"MatchStatus", "3"}}).status, Gbk("已结束"));
  EXPECT_EQ(row({{"MatchStatus", "4"}}).status, Text());
  EXPECT_EQ(row({{"MatchStatus", " 3"}}).status, Text());
  const MatchRow blank = row({{"MatchStatus", ""}, {"ScoreA", ""}, {"ScoreB", ""}});
  EXPECT_EQ(blank.status, Text());
  EXPECT_EQ(blank.score, Text(" - "));
  EXPECT_EQ(blank.date, Text("MatchDate-v"));  // the other columns are filled all the same
  EXPECT_EQ(blank.event, Text("GameName-v"));
  EXPECT_EQ(row({{"ScoreA", "2"}, {"ScoreB", "1"}}).score, Text("2 - 1"));
  const std::map<std::string, std::string> ab = {{"GameNarratorAName", "A"},
                                                 {"GameNarratorBName", "B"}};
  auto with = [](std::map<std::string, std::string> v, const std::string& k,
                 const std::string& value) {
    v[k] = value;
    return v;
  };
  EXPECT_EQ(row(with(ab, "GameNarratorCName", "默认")).narrators, Text("A - B"));
  EXPECT_EQ(row(with(ab, "GameNarratorCName", "C")).narrators, Text("A - B - C"));
  EXPECT_EQ(row(with(ab, "GameNarratorCName", "")).narrators, Text("A - B - "));
  EXPECT_EQ(row(with(ab, "GameNarratorCName", "默认 ")).narrators, Gbk("A - B - 默认 "));
  EXPECT_EQ(row({{"NewsId", "0"}}).video, Gbk("暂无视频"));
  EXPECT_EQ(row({{"NewsId", "12345"}}).video, Text(site + "12345"));
  EXPECT_EQ(row({{"NewsId", ""}}).video, Text(site));
  EXPECT_EQ(row({{"NewsId", "00"}}).video, Text(site + "00"));
  // Values are taken as they stand: escapes stay, nothing is trimmed.
  EXPECT_EQ(row({{"bMatchName", " A\\/B "}}).pairing, Text(" A\\/B "));
}

TEST(ExtractMatchRowsTest, BrokenObjectsOnTheirOwnLineDoNotMatch) {
  const std::string sound = Object({{"bMatchName", "SOUND"}});
  struct Case {
    const char* what;
    std::string object;
  };
  const Case cases[] = {
      {"space after a colon", Replaced(sound, "\"MatchStatus\":\"", "\"MatchStatus\": \"")},
      {"unquoted number", Replaced(sound, "\"ScoreA\":\"ScoreA-v\"", "\"ScoreA\":2")},
      {"missing key", Replaced(sound, "\"Chat3\":\"Chat3-v\",", "")},
      {"keys reordered", Replaced(sound, "\"MemberA\":\"MemberA-v\",\"MemberB\":\"MemberB-v\"",
                                  "\"MemberB\":\"MemberB-v\",\"MemberA\":\"MemberA-v\"")},
      {"space before a key", Replaced(sound, ",\"TeamB\"", ", \"TeamB\"")},
  };
  const std::string next = Object({{"bMatchName", "NEXT"}});
  for (const Case& c : cases) {
    const MatchExtract alone = ExtractMatchRows(Text(c.object));
    EXPECT_EQ(alone.outcome, MatchExtractOutcome::NoMatch) << c.what;
    // Across a line feed the lazy groups cannot reach the next object.
    const MatchExtract split = ExtractMatchRows(Text(c.object + ",\n" + next));
    ASSERT_EQ(split.rows.size(), 1u) << c.what;
    EXPECT_EQ(split.rows[0].pairing, Text("NEXT")) << c.what;
    EXPECT_EQ(split.rows[0].date, Text("MatchDate-v")) << c.what;
  }
  // A key in another letter case still matches.
  const MatchExtract upper =
      ExtractMatchRows(Text(Replaced(sound, "\"MatchStatus\"", "\"matchstatus\"")));
  ASSERT_EQ(upper.rows.size(), 1u);
  EXPECT_EQ(upper.rows[0].pairing, Text("SOUND"));
}

TEST(ExtractMatchRowsTest, BrokenObjectsOnOneLineJoinTheNextObject) {
  const MatchExtract got = ExtractMatchRows(Body("match_list_broken.txt"));
  ASSERT_EQ(got.outcome, MatchExtractOutcome::Rows);
  const std::vector<MatchRow> expected = ExpectedRows("match_list_broken.rows.tsv");
  ASSERT_EQ(got.rows.size(), 7u);
  ASSERT_EQ(expected.size(), 7u);
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(got.rows[i], expected[i]) << "row " << i;

  const std::vector<MatchRow> page = ExpectedRows("match_list_page20.rows.tsv");
  ASSERT_EQ(page.size(), 20u);
  EXPECT_EQ(got.rows[0], page[0]);  // sound
  // The space after "MatchStatus": the date group runs on into the next object, whose status
  // and later columns the row then shows; the event still comes from the broken object.
  EXPECT_NE(got.rows[1].date.str().find("\"MatchStatus\": \""), std::string::npos);
  EXPECT_EQ(got.rows[1].status, page[2].status);
  EXPECT_EQ(got.rows[1].pairing, page[2].pairing);
  EXPECT_EQ(got.rows[5], page[9]);   // the upper-case key matches on its own
  EXPECT_EQ(got.rows[6], page[10]);  // and the last object after it is sound
}

TEST(ExtractMatchRowsTest, GeneralMatcherReadsAPageWithinItsBudget) {
  // The pattern is matched in linear time; the general matcher must still manage a page, with
  // every match start costing more than the share of the budget one start gets.
  RegexObject re;
  ASSERT_TRUE(regex_detail::RunPatternWith(regex_detail::Matcher::Pcre2, re, MatchListPattern(),
                                           Body("match_list_page20.txt"), false, false, true,
                                           true));
  EXPECT_FALSE(regex_detail::RanAsLiteralChain(re));
  EXPECT_EQ(re.MatchCount(), 20);
}

TEST(ExtractMatchRowsTest, EveryLastKeyRenamedIsNoMatch) {
  // No object has the last key, so no placing of the groups can match; the answer is read once
  // through, not tried in astronomically many ways (a regression hangs into the CTest time-out).
  const MatchExtract got = ExtractMatchRows(Body("match_list_renamed_last_key.txt"));
  EXPECT_EQ(got.outcome, MatchExtractOutcome::NoMatch);
  EXPECT_TRUE(got.rows.empty());
}

TEST(ExtractMatchRowsTest, SoundRowsSurviveTrailingUnquotedValues) {
  // A page of sound objects, then objects whose last value is a number without quotes: those
  // match nothing, and the sound rows before them all come back.
  const std::string page = Body("match_list_page20.txt").str();
  const std::string end = "],\"totalpage\"";
  const std::string unquoted = Replaced(Object({{"bMatchName", "UNQUOTED"}}),
                                        "\"iQTMatchId\":\"iQTMatchId-v\"", "\"iQTMatchId\":123");
  const std::vector<MatchRow> expected = ExpectedRows("match_list_page20.rows.tsv");
  for (int trailing : {3, 4, 50}) {
    std::string body = page;
    std::string more;
    for (int i = 0; i < trailing; ++i) more += "," + unquoted;
    body.insert(body.rfind(end), more);
    const MatchExtract got = ExtractMatchRows(Text(body));
    ASSERT_EQ(got.outcome, MatchExtractOutcome::Rows) << trailing;
    EXPECT_EQ(got.rows, expected) << trailing;
  }
}

}  // namespace
}  // namespace kovarra
