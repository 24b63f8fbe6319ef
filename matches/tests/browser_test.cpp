#include "matches/browser.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "kovarra_config.hpp"
#include "matches/match_list.hpp"
#include "tests/support/match_object.hpp"

namespace kovarra {
namespace {

// --- Stand-ins for the window and the desktop -------------------------------------------------

class FakeList : public ReportList {
 public:
  void ClearRows() override {
    rows.clear();
    selected = -1;
    ++clears;
  }
  int InsertRow() override {
    rows.emplace_back();
    return static_cast<int>(rows.size()) - 1;
  }
  void SetCell(int row, int column, const Text& text) override {
    if (row < 0 || row >= RowCount() || column < 0 || column >= 7) return;
    rows[row][column] = text;
  }
  Text GetCell(int row, int column) const override {
    if (row < 0 || row >= RowCount() || column < 0 || column >= 7) return {};
    return rows[row][column];
  }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int SelectedRow() const override { return selected; }

  std::vector<std::array<Text, 7>> rows;
  int selected = -1;
  int clears = 0;
};

class FakeCombo : public ComboBox {
 public:
  struct Item {
    Text text;
    int value;
  };
  void ClearItems() override {
    items.clear();
    selected = -1;
  }
  int AddItem(const Text& text, int value) override {
    items.push_back({text, value});
    return static_cast<int>(items.size()) - 1;
  }
  int ItemCount() const override { return static_cast<int>(items.size()); }
  Text ItemText(int index) const override { return InRange(index) ? items[index].text : Text(); }
  int ItemValue(int index) const override { return InRange(index) ? items[index].value : -1; }
  int SelectedIndex() const override { return selected; }
  void SetSelectedIndex(int index) override { selected = std::clamp(index, -1, ItemCount() - 1); }

  bool InRange(int index) const { return index >= 0 && index < ItemCount(); }
  // The design's items carry the value 0.
  void Fill(std::initializer_list<const char*> texts, int selection = 0) {
    ClearItems();
    for (const char* t : texts) AddItem(t, 0);
    SetSelectedIndex(selection);
  }
  // As a query leaves the page list: 1 … n with their values.
  void Pages(int n, int selection) {
    ClearItems();
    for (int i = 1; i <= n; ++i) AddItem(NumberToText(i), i);
    SetSelectedIndex(selection);
  }

  std::vector<Item> items;
  int selected = -1;
};

class FakeCaption : public CaptionControl {
 public:
  Text Caption() const override { return caption; }
  void SetCaption(const Text& c) override { caption = c; }
  Text caption;
};

class FakeWindow : public MatchWindow {
 public:
  FakeWindow() {
    pages.Fill({"1"});
    sizes.Fill({"5", "10", "20"});
  }
  ReportList& MatchList() override { return list; }
  ComboBox& PageList() override { return pages; }
  ComboBox& PageSizeList() override { return sizes; }
  CaptionControl& TotalPagesLabel() override { return totalPages; }
  CaptionControl& TotalCountLabel() override { return totalCount; }
  CaptionControl& MatchGroupBox() override { return group; }

  FakeList list;
  FakeCombo pages, sizes;
  FakeCaption totalPages, totalCount, group;
};

struct Message {
  Text text;
  int style;
  std::optional<Text> title;
  bool operator==(const Message&) const = default;
};

class FakePlatform : public PlatformServices {
 public:
  int ShowMessage(const Text& text, int style, const std::optional<Text>& title) override {
    messages.push_back({text, style, title});
    return 1;
  }
  void OpenUrl(const Text& url) override { opened.push_back(url); }
  // Returns, unlike the real one: the caller must stop by itself.
  void TerminateProgram(int exitCode) override { exits.push_back(exitCode); }

  std::vector<Message> messages;
  std::vector<Text> opened;
  std::vector<int> exits;
};

class FakeFetcher : public MatchFetcher {
 public:
  Text Fetch(const Text& url) override {
    urls.push_back(url);
    if (answers.empty()) return next;
    Text a = answers.front();
    answers.pop_front();
    return a;
  }
  Text next;  // answered when no scripted answer is left
  std::deque<Text> answers;
  std::vector<Text> urls;
};

// --- Answers -----------------------------------------------------------------------------------

struct FakeMatch {
  std::string status = "3";
  std::string date = "2026-06-01 17:00:00";
  std::string scoreA = "2", scoreB = "1";
  std::string pairing = "WE vs RNG";
  std::string narratorA = "A", narratorB = "B", narratorC = "C";
  std::string event = "LPL";
  std::string newsId = "12345";
};

// One object of the service's shape; the keys no column reads stay empty.
std::string MatchObject(const FakeMatch& m) {
  return testing::MatchObjectJson({
      {"GameName", m.event},
      {"GameNarratorAName", m.narratorA},
      {"GameNarratorBName", m.narratorB},
      {"GameNarratorCName", m.narratorC},
      {"MatchDate", m.date},
      {"MatchStatus", m.status},
      {"NewsId", m.newsId},
      {"ScoreA", m.scoreA},
      {"ScoreB", m.scoreB},
      {"bMatchName", m.pairing},
  });
}

// A whole answer in local text, as the fetch hands it over.
Text Answer(const std::string& total, const std::string& totalpage, const std::string& page,
            const std::vector<FakeMatch>& matches) {
  std::string s = "var MatchList = {\"total\":" + total + ",\"page\":" + page + ",\"msg\":[";
// GCC PR 105651: GCC 12 at -O3 warns -Wrestrict inside std::string here, falsely.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
  for (std::size_t i = 0; i < matches.size(); ++i) s += (i ? "," : "") + MatchObject(matches[i]);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  s += "],\"totalpage\":" + totalpage + "}";
  return Gbk(s);
}

Text Answer(const std::string& total, const std::string& totalpage, const std::string& page) {
  return Answer(total, totalpage, page, {FakeMatch{}});
}

std::vector<Text> PageTexts(const FakeCombo& combo) {
  std::vector<Text> out;
  for (const auto& item : combo.items) out.push_back(item.text);
  return out;
}

std::vector<int> PageValues(const FakeCombo& combo) {
  std::vector<int> out;
  for (const auto& item : combo.items) out.push_back(item.value);
  return out;
}

Message Hint(const char* utf8) {
  return {Gbk(utf8), kStylePlain, Gbk("温馨提示")};
}

class BrowserTest : public ::testing::Test {
 protected:
  BrowserTest() { SelectedTeamId() = Text(); }
  ~BrowserTest() override { SelectedTeamId() = Text(); }

  // Rows as an earlier query left them.
  void SeedRows() {
    window.list.rows.assign(2, {});
    window.list.rows[0][0] = "old";
    window.list.rows[1][0] = "older";
  }

  FakeWindow window;
  FakePlatform platform;
  FakeFetcher fetcher;
  MatchBrowser browser{window, platform, fetcher};
};

// --- Team catalogue and selection --------------------------------------------------------------

TEST(TeamCatalogue, SeventeenLogosInStripOrder) {
  struct Expected {
    const char* abbreviation;
    const char* id;
  };
  const Expected expected[] = {
      {"blg", "57"}, {"edg", "1"},  {"fpx", "7"},  {"ig", "2"},   {"jdg", "29"}, {"lgd", "4"},
      {"lng", "9"},  {"omg", "6"},  {"ra", "11"},  {"rng", "8"},  {"rw", "422"}, {"sn", "41"},
      {"tes", "42"}, {"tt", "438"}, {"up", "685"}, {"v5", "587"}, {"we", "12"},
  };
  const auto& catalogue = TeamCatalogue();
  ASSERT_EQ(catalogue.size(), 17u);
  for (int i = 0; i < 17; ++i) {
    std::string upper = expected[i].abbreviation;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    SCOPED_TRACE(upper);
    EXPECT_EQ(catalogue[i].control, Gbk(std::string("图片框_") + expected[i].abbreviation));
    EXPECT_EQ(catalogue[i].x, 118 * i);
    EXPECT_EQ(catalogue[i].teamId, Text(expected[i].id));
    EXPECT_EQ(catalogue[i].caption, Gbk(upper + " - 近期比赛"));
  }
}

TEST_F(BrowserTest, FirstPressQueriesPageOneSizeFiveOfThatTeam) {
  fetcher.next = Answer("12", "3", "1");
  browser.LogoPressed(16, 50, 60, 0);  // 图片框_we

  EXPECT_EQ(SelectedTeamId(), Text("12"));
  EXPECT_EQ(window.group.caption, Gbk("WE - 近期比赛"));
  ASSERT_EQ(fetcher.urls.size(), 1u);
  EXPECT_EQ(fetcher.urls[0], ComposeMatchListUrl("12", "1", "5"));
  EXPECT_NE(fetcher.urls[0].str().find("page=1&pagesize=5&p2=12&p6=2"), std::string::npos);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(BrowserTest, SwitchingTeamsKeepsThePageAndAMissingPageGoesOutEmpty) {
  window.pages.Pages(4, 2);
  window.sizes.SetSelectedIndex(1);
  fetcher.next = Answer("40", "4", "3");
  browser.LogoPressed(0, 0, 0, 0);  // blg
  EXPECT_EQ(fetcher.urls.back(), ComposeMatchListUrl("57", "3", "10"));

  window.pages.SetSelectedIndex(-1);
  window.sizes.SetSelectedIndex(-1);
  browser.LogoPressed(15, 0, 0, 0);  // v5
  EXPECT_EQ(fetcher.urls.back(), ComposeMatchListUrl("587", "", ""));
  EXPECT_EQ(window.group.caption, Gbk("V5 - 近期比赛"));
}

TEST_F(BrowserTest, LogoOutsideTheCatalogueIsIgnored) {
  browser.LogoPressed(17, 0, 0, 0);
  browser.LogoPressed(-1, 0, 0, 0);
  EXPECT_TRUE(fetcher.urls.empty());
  EXPECT_TRUE(SelectedTeamId().empty());
}

// --- The query flow ----------------------------------------------------------------------------

TEST_F(BrowserTest, QueryFillsTotalsPageListSelectionAndRows) {
  FakeMatch live;
  live.status = "2";
  live.narratorC = "默认";
  live.newsId = "0";
  live.pairing = "微博 vs 皇族";
  fetcher.next = Answer("12", "3", "2", {FakeMatch{}, live});
  SeedRows();
  browser.MatchQuery("12", "2", "5");

  EXPECT_EQ(window.totalCount.caption, Text("12"));
  EXPECT_EQ(window.totalPages.caption, Text("3"));
  EXPECT_EQ(PageTexts(window.pages), (std::vector<Text>{"1", "2", "3"}));
  EXPECT_EQ(PageValues(window.pages), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(window.pages.selected, 1);
  ASSERT_EQ(window.list.RowCount(), 2);
  const std::array<Text, 7> first = {
      Gbk("已结束"),
      "2026-06-01 17:00:00",
      "2 - 1",
      "WE vs RNG",
      "A - B - C",
      "LPL",
      Text(ConcatText("https://", KOVARRA_SITE_HOST, "/es/video_detail.shtml?nid=12345"))};
  EXPECT_EQ(window.list.rows[0], first);
  EXPECT_EQ(window.list.rows[1][0], Gbk("进行中"));
  EXPECT_EQ(window.list.rows[1][3], Gbk("微博 vs 皇族"));
  EXPECT_EQ(window.list.rows[1][4], Text("A - B"));
  EXPECT_EQ(window.list.rows[1][6], Gbk("暂无视频"));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(BrowserTest, SummaryShapesDecideThePageListButRowsAlwaysRender) {
  struct Case {
    const char* name;
    Text answer;
    int items;
    int selected;
    Text totalpage;
  };
  const Case cases[] = {
      {"no pages", Answer("0", "0", "1"), 0, -1, "0"},
      {"page past the last", Answer("12", "3", "5"), 3, -1, "3"},
      {"quoted page", Answer("12", "3", "\"2\""), 3, -1, "3"},
      {"quoted totalpage", Answer("12", "\"3\"", "2"), 0, -1, "\"3\""},
      {"no totalpage key",
       Gbk("var MatchList = {\"total\":1,\"page\":1,\"msg\":[" + MatchObject({}) + "]"), 0, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.list.rows.clear();
    window.pages.Pages(5, 4);
    fetcher.next = c.answer;
    browser.MatchQuery("12", "5", "5");
    EXPECT_EQ(window.pages.ItemCount(), c.items);
    EXPECT_EQ(window.pages.SelectedIndex(), c.selected);
    EXPECT_EQ(window.totalPages.caption, c.totalpage);
    EXPECT_EQ(window.list.RowCount(), 1);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(BrowserTest, EmptyTeamIsSentUnchanged) {
  fetcher.next = Answer("1", "1", "1");
  browser.MatchQuery("", "1", "5");
  ASSERT_EQ(fetcher.urls.size(), 1u);
  EXPECT_NE(fetcher.urls[0].str().find("&p2=&p6=2"), std::string::npos);
  EXPECT_EQ(window.list.RowCount(), 1);
}

TEST_F(BrowserTest, NoDataAnswerSaysSoEndsWithZeroAndTouchesNothing) {
  fetcher.next = Gbk("var MatchList = \"未查询到数据\"");
  SeedRows();
  window.totalCount.caption = "7";
  window.totalPages.caption = "2";
  window.pages.Pages(2, 1);
  browser.LogoPressed(3, 0, 0, 0);

  EXPECT_EQ(platform.messages,
            (std::vector<Message>{{Gbk("未查询到数据"), kStyleInformation, Gbk("温馨提示")}}));
  EXPECT_EQ(platform.exits, (std::vector<int>{0}));
  EXPECT_EQ(SelectedTeamId(), Text("2"));  // written before the query
  EXPECT_EQ(window.totalCount.caption, Text("7"));
  EXPECT_EQ(window.totalPages.caption, Text("2"));
  EXPECT_EQ(window.pages.ItemCount(), 2);
  EXPECT_EQ(window.pages.SelectedIndex(), 1);
  EXPECT_EQ(window.list.rows[0][0], Text("old"));
  EXPECT_EQ(window.list.clears, 0);
}

TEST_F(BrowserTest, FailedFetchEmptiesTotalsAndPagesButKeepsRows) {
  fetcher.next = Text();
  SeedRows();
  window.totalCount.caption = "7";
  window.totalPages.caption = "2";
  window.pages.Pages(2, 1);
  browser.MatchQuery("12", "2", "5");

  EXPECT_EQ(window.totalCount.caption, Text());
  EXPECT_EQ(window.totalPages.caption, Text());
  EXPECT_EQ(window.pages.ItemCount(), 0);
  EXPECT_EQ(window.pages.SelectedIndex(), -1);
  EXPECT_EQ(platform.messages,
            (std::vector<Message>{{Gbk("数据匹配有误"), kStyleCritical, std::nullopt}}));
  ASSERT_EQ(window.list.RowCount(), 2);
  EXPECT_EQ(window.list.rows[1][0], Text("older"));
  EXPECT_TRUE(platform.exits.empty());
}

TEST_F(BrowserTest, AnswerWithoutMatchesUpdatesTotalsAndKeepsRows) {
  fetcher.next = Answer("12", "3", "1", {});
  SeedRows();
  browser.MatchQuery("12", "1", "5");
  EXPECT_EQ(window.totalCount.caption, Text("12"));
  EXPECT_EQ(window.pages.ItemCount(), 3);
  EXPECT_EQ(window.pages.SelectedIndex(), 0);
  EXPECT_EQ(platform.messages,
            (std::vector<Message>{{Gbk("数据匹配有误"), kStyleCritical, std::nullopt}}));
  EXPECT_EQ(window.list.RowCount(), 2);
}

TEST_F(BrowserTest, HugePageCountIsCappedInsteadOfHangingTheWindow) {
  fetcher.next = Answer("5", "2000000000", "2");
  browser.MatchQuery("12", "2", "5");
  EXPECT_EQ(window.totalPages.caption, Text("2000000000"));
  EXPECT_EQ(window.pages.ItemCount(), 10000);
  EXPECT_EQ(window.pages.items.back().value, 10000);
  EXPECT_EQ(window.pages.SelectedIndex(), 1);
  EXPECT_EQ(window.list.RowCount(), 1);
}

// --- Rows --------------------------------------------------------------------------------------

TEST_F(BrowserTest, RowsReplaceTheFormerOnesInBodyOrder) {
  std::vector<FakeMatch> objects(3);
  objects[0].date = "d1";
  objects[1].date = "d2";
  objects[2].date = "d3";
  objects[2].status = "4";
  SeedRows();
  RenderMatchRows(StripMatchListPrefix(Answer("3", "1", "1", objects)), window.list, platform);
  EXPECT_EQ(window.list.clears, 1);
  ASSERT_EQ(window.list.RowCount(), 3);
  EXPECT_EQ(window.list.rows[0][1], Text("d1"));
  EXPECT_EQ(window.list.rows[2][1], Text("d3"));
  EXPECT_EQ(window.list.rows[2][0], Text());
  EXPECT_EQ(window.list.rows[2][2], Text("2 - 1"));
  EXPECT_TRUE(platform.messages.empty());
}

// Objects that all miss the shape at their last key: nothing matches, and the user hears of it
// at once (a backtracking engine would try the lazy groups in astronomically many ways).
TEST_F(BrowserTest, RenamedLastKeysAreNoMatch) {
  std::string body = "{\"msg\":[";
  for (int i = 0; i < 20; ++i) {
    std::string object = MatchObject({});
    const auto at = object.rfind("iQTMatchId");
    object.replace(at, 10, "iQTMatchIx");
    body += (i ? "," : "") + object;
  }
  body += "]}";
  SeedRows();
  RenderMatchRows(Gbk(body), window.list, platform);
  EXPECT_EQ(platform.messages,
            (std::vector<Message>{{Gbk("数据匹配有误"), kStyleCritical, std::nullopt}}));
  EXPECT_EQ(window.list.RowCount(), 2);
}

// Sound objects followed by objects whose last value is a number without quotes: the sound rows
// all come back and nothing is said.
TEST_F(BrowserTest, SoundRowsComeBackBeforeUnquotedLastValues) {
  for (int trailing : {3, 4}) {
    std::string body = "{\"msg\":[";
    for (int i = 0; i < 20; ++i) body += (i ? "," : "") + MatchObject({});
    for (int i = 0; i < trailing; ++i) {
      std::string object = MatchObject({});
      const std::string last = "\"iQTMatchId\":\"\"";
      object.replace(object.rfind(last), last.size(), "\"iQTMatchId\":123");
      body += "," + object;
    }
    body += "]}";
    window.list.rows.clear();
    platform.messages.clear();
    RenderMatchRows(Gbk(body), window.list, platform);
    EXPECT_EQ(window.list.RowCount(), 20) << trailing;
    EXPECT_TRUE(platform.messages.empty()) << trailing;
  }
}

// --- Paging ------------------------------------------------------------------------------------

TEST_F(BrowserTest, PagingButtonsWithoutATeamOnlyHint) {
  browser.PreviousPageClicked();
  browser.NextPageClicked();
  EXPECT_TRUE(fetcher.urls.empty());
  EXPECT_EQ(platform.messages,
            (std::vector<Message>{Hint("请点击战队徽标"), Hint("请点击战队徽标")}));
}

TEST_F(BrowserTest, PagingSendsTheComputedPageOrHints) {
  enum Action { kPrevious, kNext, kPageSize, kPage };
  struct Case {
    const char* name;
    Action action;
    int pages;         // items 1 … pages in the page list
    int selected;      // selected page index
    Text totalPages;   // caption of the total-pages label
    int sizeIndex;     // selected page size index (5, 10, 20)
    const char* hint;  // expected hint, or null when a query goes out
    Text page, pagesize;
  };
  const Case cases[] = {
      {"previous on page 1", kPrevious, 3, 0, "3", 0, "已经是第一页", "", ""},
      {"previous on page 3", kPrevious, 3, 2, "3", 0, nullptr, "2", "5"},
      {"previous with none selected", kPrevious, 3, -1, "3", 0, nullptr, "-2", "5"},
      {"previous with an empty list", kPrevious, 0, -1, "\"x\"", 2, nullptr, "-2", "20"},
      {"next on the last page", kNext, 3, 2, "3", 0, "已经是最后一页", "", ""},
      {"next on page 2", kNext, 3, 1, "3", 1, nullptr, "3", "10"},
      {"next with none selected", kNext, 3, -1, "3", 0, nullptr, "0", "5"},
      {"next with none selected and total -1", kNext, 0, -1, "-1", 0, "已经是最后一页", "", ""},
      {"next past a smaller total", kNext, 5, 4, "3", 0, nullptr, "6", "5"},
      {"next with no page size", kNext, 3, 0, "3", -1, nullptr, "2", ""},
      {"page size 20 on page 3", kPageSize, 3, 2, "3", 2, nullptr, "3", "20"},
      {"page 2 chosen", kPage, 3, 1, "3", 1, nullptr, "2", "10"},
      {"page chosen from an empty list", kPage, 0, -1, "", 0, nullptr, "", "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SelectedTeamId() = "41";
    window.pages.Pages(c.pages, c.selected);
    window.totalPages.caption = c.totalPages;
    window.sizes.SetSelectedIndex(c.sizeIndex);
    platform.messages.clear();
    fetcher.urls.clear();
    fetcher.next = Answer("1", "1", "1");
    switch (c.action) {
      case kPrevious:
        browser.PreviousPageClicked();
        break;
      case kNext:
        browser.NextPageClicked();
        break;
      case kPageSize:
        browser.PageSizeSelected();
        break;
      case kPage:
        browser.PageSelected();
        break;
    }
    if (c.hint) {
      EXPECT_EQ(platform.messages, (std::vector<Message>{Hint(c.hint)}));
      EXPECT_TRUE(fetcher.urls.empty());
    } else {
      EXPECT_TRUE(platform.messages.empty());
      EXPECT_EQ(fetcher.urls, (std::vector<Text>{ComposeMatchListUrl("41", c.page, c.pagesize)}));
    }
  }
}

TEST_F(BrowserTest, ListsRequeryEvenWithoutATeam) {
  fetcher.next = Answer("1", "1", "1");
  browser.PageSizeSelected();
  browser.PageSelected();
  EXPECT_EQ(fetcher.urls, (std::vector<Text>(2, ComposeMatchListUrl("", "1", "5"))));
}

TEST_F(BrowserTest, NextPageQueryLeavesTheNewPageSelected) {
  SelectedTeamId() = "8";
  fetcher.next = Answer("12", "3", "3");
  window.pages.Pages(3, 1);
  window.totalPages.caption = "3";
  browser.NextPageClicked();
  EXPECT_EQ(window.pages.SelectedIndex(), 2);
  platform.messages.clear();
  browser.NextPageClicked();
  EXPECT_EQ(platform.messages, (std::vector<Message>{Hint("已经是最后一页")}));
  EXPECT_EQ(fetcher.urls.size(), 1u);
}

// --- Video opener ------------------------------------------------------------------------------

TEST_F(BrowserTest, RightClickOpensTheVideoOrSaysWhyNot) {
  struct Case {
    const char* name;
    int rows;
    int selected;
    Text video;
    const char* hint;  // null: the video cell is opened as it stands
  };
  const Case cases[] = {
      {"empty list", 0, -1, "", "无数据"},
      {"nothing selected", 2, -1, "https://x/es/video_detail.shtml?nid=1", "未选中数据"},
      {"no video yet", 2, 1, Gbk("暂无视频"), "比赛未开始"},
      {"video address", 2, 1, "https://x/es/video_detail.shtml?nid=12345", nullptr},
      {"empty news id", 2, 0, "https://x/es/video_detail.shtml?nid=", nullptr},
      {"anything else is handed on", 2, 0, Gbk("暂无视频 "), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.list.rows.assign(c.rows, {});
    for (auto& row : window.list.rows) row[6] = c.video;
    window.list.selected = c.selected;
    platform.messages.clear();
    platform.opened.clear();
    browser.MatchListRightClicked();
    if (c.hint) {
      EXPECT_EQ(platform.messages, (std::vector<Message>{Hint(c.hint)}));
      EXPECT_TRUE(platform.opened.empty());
    } else {
      EXPECT_TRUE(platform.messages.empty());
      EXPECT_EQ(platform.opened, (std::vector<Text>{c.video}));
    }
  }
  EXPECT_TRUE(fetcher.urls.empty());
}

}  // namespace
}  // namespace kovarra
