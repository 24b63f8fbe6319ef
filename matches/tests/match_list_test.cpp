#include "matches/match_list.hpp"

#include <gtest/gtest.h>

#include <string_view>

#include "core/codepage.hpp"
#include "kovarra_config.hpp"

namespace kovarra {
namespace {

TEST(MatchList, AddressPutsTeamUnderP2) {
  const std::string base =
      std::string("https://") + KOVARRA_DATA_HOST + "/lol/match/apis/searchBMatchInfo.php";
  EXPECT_EQ(ComposeMatchListUrl("587", "1", "5").str(),
            base + "?r1=MatchList&page=1&pagesize=5&p2=587&p6=2");
  EXPECT_EQ(ComposeMatchListUrl("12", "3", "20").str(),
            base + "?r1=MatchList&page=3&pagesize=20&p2=12&p6=2");
  EXPECT_EQ(ComposeMatchListUrl("", "", "5").str(),
            base + "?r1=MatchList&page=&pagesize=5&p2=&p6=2");
  if (std::string_view(KOVARRA_DATA_HOST) == "apps.game.qq.com") {
    EXPECT_EQ(ComposeMatchListUrl("587", "1", "5"),
              Text("https://apps.game.qq.com/lol/match/apis/"
                   "searchBMatchInfo.php?r1=MatchList&page=1&pagesize=5&p2=587&p6=2"));
  }
}

TEST(MatchList, NoDataAnswer) {
  const Text noData = Gbk("未查询到数据");
  EXPECT_TRUE(HasNoData(noData));
  EXPECT_TRUE(HasNoData(ConcatText("var MatchList = {\"msg\":\"", noData, "\"}")));
  EXPECT_FALSE(HasNoData("var MatchList = "));
  EXPECT_FALSE(HasNoData(Text()));
  // The text straddling a character boundary is not the no-data text: B0 + CE B4 ... would put
  // its first byte on the second byte of a character.
  EXPECT_FALSE(HasNoData(ConcatText("\xB0", noData)));
}

TEST(MatchList, PrefixIsSixteenBytesWhateverTheyAre) {
  EXPECT_EQ(StripMatchListPrefix("var MatchList = {\"a\":1}"), Text("{\"a\":1}"));
  EXPECT_EQ(StripMatchListPrefix("var MatchList = "), Text());
  EXPECT_EQ(StripMatchListPrefix("0123456789"), Text());
  EXPECT_EQ(StripMatchListPrefix("ABCDEFGHIJKLMNOPrest"), Text("rest"));
  EXPECT_EQ(StripMatchListPrefix(Text()), Text());
}

TEST(MatchList, PageSummaryRawFields) {
  struct Case {
    Text body;
    Text total;
    Text totalpage;
    Text page;
  };
  const Case cases[] = {
      {R"({"total":12,"page":1,"totalpage":3})", "12", "3", "1"},
      {R"({"total":"12",)", R"("12")", "", ""},
      {R"({"totalpage":3,"page":1})", "", R"(3,"page":1)", ""},
      {R"({"TOTAL":7,)", "7", "", ""},
      {R"({"total":12,"totalpage":3})", "12", "3", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    const PageSummary s = ReadPageSummary(c.body);
    EXPECT_EQ(s.total, c.total) << c.body.str();
    EXPECT_EQ(s.totalpage, c.totalpage) << c.body.str();
    EXPECT_EQ(s.page, c.page) << c.body.str();
  }
}

}  // namespace
}  // namespace kovarra
