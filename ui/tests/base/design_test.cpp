#include "ui/design.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kovarra::design {
namespace {

struct Row {
  const char* name;
  Kind kind;
  const char* parent;
  int left, top, width, height;
  const char* caption;
};

// The window as drawn, control by control, in reading order.
const std::vector<Row> kExpected = {
    {"分组框_lpl战队", Kind::GroupBox, "", 0, 8, 960, 147, "LPL战队"},
    {"时钟_向左滚动", Kind::Timer, "分组框_lpl战队", 104, 117, 26, 26, ""},
    {"时钟_向右滚动", Kind::Timer, "分组框_lpl战队", 136, 120, 26, 26, ""},
    {"外形框_战队", Kind::ShapeBox, "分组框_lpl战队", 2, 23, 1992, 104, ""},
    {"图片框_blg", Kind::PictureBox, "外形框_战队", 0, 2, 100, 100, ""},
    {"图片框_edg", Kind::PictureBox, "外形框_战队", 118, 2, 100, 100, ""},
    {"图片框_fpx", Kind::PictureBox, "外形框_战队", 236, 2, 100, 100, ""},
    {"图片框_ig", Kind::PictureBox, "外形框_战队", 354, 2, 100, 100, ""},
    {"图片框_jdg", Kind::PictureBox, "外形框_战队", 472, 2, 100, 100, ""},
    {"图片框_lgd", Kind::PictureBox, "外形框_战队", 590, 2, 100, 100, ""},
    {"图片框_lng", Kind::PictureBox, "外形框_战队", 708, 2, 100, 100, ""},
    {"图片框_omg", Kind::PictureBox, "外形框_战队", 826, 2, 100, 100, ""},
    {"图片框_ra", Kind::PictureBox, "外形框_战队", 944, 2, 100, 100, ""},
    {"图片框_rng", Kind::PictureBox, "外形框_战队", 1062, 2, 100, 100, ""},
    {"图片框_rw", Kind::PictureBox, "外形框_战队", 1180, 2, 100, 100, ""},
    {"图片框_sn", Kind::PictureBox, "外形框_战队", 1298, 2, 100, 100, ""},
    {"图片框_tes", Kind::PictureBox, "外形框_战队", 1416, 2, 100, 100, ""},
    {"图片框_tt", Kind::PictureBox, "外形框_战队", 1534, 2, 100, 100, ""},
    {"图片框_up", Kind::PictureBox, "外形框_战队", 1652, 2, 100, 100, ""},
    {"图片框_v5", Kind::PictureBox, "外形框_战队", 1770, 2, 100, 100, ""},
    {"图片框_we", Kind::PictureBox, "外形框_战队", 1888, 2, 100, 100, ""},
    {"分组框_近期比赛", Kind::GroupBox, "", 7, 166, 949, 440, "近期比赛"},
    {"超级列表框", Kind::ReportList, "分组框_近期比赛", 8, 17, 934, 383, ""},
    {"标签3", Kind::Label, "分组框_近期比赛", 8, 408, 43, 24, "总页数:"},
    {"标签_总页数", Kind::Label, "分组框_近期比赛", 53, 408, 40, 24, ""},
    {"标签5", Kind::Label, "分组框_近期比赛", 100, 408, 43, 24, "总数量:"},
    {"标签_总数量", Kind::Label, "分组框_近期比赛", 145, 408, 40, 24, ""},
    {"按钮_上一页", Kind::Button, "分组框_近期比赛", 208, 408, 64, 24, "上一页"},
    {"按钮_下一页", Kind::Button, "分组框_近期比赛", 280, 408, 64, 24, "下一页"},
    {"标签1", Kind::Label, "分组框_近期比赛", 353, 408, 43, 24, "当前页:"},
    {"组合框_当前页", Kind::ComboBox, "分组框_近期比赛", 397, 409, 64, 20, ""},
    {"标签2", Kind::Label, "分组框_近期比赛", 467, 408, 54, 24, "显示数量:"},
    {"组合框_显示数量", Kind::ComboBox, "分组框_近期比赛", 527, 409, 64, 20, ""},
};

TEST(DesignTest, EveryControlHasItsDesignedKindParentPlaceSizeAndCaption) {
  ASSERT_EQ(kControls.size(), kExpected.size());
  for (std::size_t i = 0; i < kExpected.size(); ++i) {
    const Row& want = kExpected[i];
    const Control& got = kControls[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.kind, want.kind);
    EXPECT_EQ(got.parent, want.parent);
    EXPECT_EQ((std::vector<int>{got.left, got.top, got.width, got.height}),
              (std::vector<int>{want.left, want.top, want.width, want.height}));
    EXPECT_EQ(got.caption, want.caption);
    // A parent stands before its children, so a shell can make them in table order.
    if (!got.parent.empty()) {
      EXPECT_LT(IndexOf(got.parent), static_cast<int>(i));
    }
  }
}

TEST(DesignTest, WindowTitleAndSizes) {
  EXPECT_EQ(kWindow.title, "KovarraV2.0");
  EXPECT_EQ(kWindow.outerWidth, 968);
  EXPECT_EQ(kWindow.outerHeight, 639);
  EXPECT_EQ(kWindow.clientWidth, 960);
  EXPECT_EQ(kWindow.clientHeight, 606);
  // Every control of the window itself fits in the client area.
  for (const Control& control : kControls) {
    if (!control.parent.empty()) continue;
    EXPECT_LE(control.left + control.width, kWindow.clientWidth) << control.name;
    EXPECT_LE(control.top + control.height, kWindow.clientHeight) << control.name;
  }
}

TEST(DesignTest, ComboBoxItemsAndReportColumns) {
  auto items = [](std::string_view name) {
    std::vector<std::string> texts;
    for (std::string_view item : Find(name)->items) texts.emplace_back(item);
    return texts;
  };
  EXPECT_EQ(items("组合框_当前页"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(items("组合框_显示数量"), (std::vector<std::string>{"5", "10", "20"}));

  const std::vector<std::pair<std::string, int>> columns = {
      {"状态", 70},  {"时间", 140}, {"胜败", 50},     {"对战双方", 100},
      {"解说", 130}, {"赛事", 100}, {"视频地址", 320}};
  ASSERT_EQ(kColumns.size(), columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) {
    EXPECT_EQ(kColumns[c].title, columns[c].first);
    EXPECT_EQ(kColumns[c].width, columns[c].second);
  }
}

TEST(DesignTest, StylesThatDifferPerControl) {
  for (const Control& control : kControls) {
    SCOPED_TRACE(control.name);
    const bool valueLabel = control.name == "标签_总页数" || control.name == "标签_总数量";
    if (control.kind == Kind::Label) {
      EXPECT_EQ(control.styles, valueLabel ? (kBordered | kCentred) : kPlain);
    }
    if (control.kind == Kind::PictureBox) {
      EXPECT_EQ(control.styles, kBordered);
    }
  }
}

TEST(DesignTest, LogosInCatalogueOrderWithTheirPictures) {
  const std::vector<std::string> teams = {"blg", "edg", "fpx", "ig",  "jdg", "lgd",
                                          "lng", "omg", "ra",  "rng", "rw",  "sn",
                                          "tes", "tt",  "up",  "v5",  "we"};
  int seen = 0;
  for (const Control& control : kControls) {
    if (control.kind != Kind::PictureBox) {
      EXPECT_EQ(LogoIndex(control), -1);
      continue;
    }
    ASSERT_LT(seen, static_cast<int>(teams.size()));
    EXPECT_EQ(LogoIndex(control), seen);
    EXPECT_EQ(control.picture, teams[static_cast<std::size_t>(seen)]);
    EXPECT_EQ(control.name, "图片框_" + teams[static_cast<std::size_t>(seen)]);
    ++seen;
  }
  EXPECT_EQ(seen, kLogoCount);
}

TEST(DesignTest, TabStopsInReadingOrderAndNothingElse) {
  const std::vector<std::string_view> order = {"超级列表框", "按钮_上一页", "按钮_下一页",
                                               "组合框_当前页", "组合框_显示数量"};
  const auto stops = TabStops();
  for (std::size_t i = 0; i < order.size(); ++i) {
    ASSERT_NE(stops[i], nullptr);
    EXPECT_EQ(stops[i]->name, order[i]);
  }
  int count = 0;
  for (const Control& control : kControls) count += control.tabOrder >= 0;
  EXPECT_EQ(count, 5);
}

TEST(DesignTest, LookupOfUnknownNames) {
  EXPECT_EQ(Find("按钮_不存在"), nullptr);
  EXPECT_EQ(IndexOf(""), -1);
  EXPECT_EQ(Find("超级列表框"), &kControls[22]);
}

}  // namespace
}  // namespace kovarra::design
