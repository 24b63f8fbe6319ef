#pragma once

// The window as it is designed: every control once, with its parent, place, size, texts and the
// settings that differ from one control to the next. Both shells build their window from this
// table; nothing here knows a toolkit. Names and texts are UTF-8 (captions go through Gbk()).

#include <array>
#include <span>
#include <string_view>

namespace kovarra::design {

enum class Kind { GroupBox, Timer, ShapeBox, PictureBox, ReportList, Label, Button, ComboBox };

// Settings that only some controls of a kind have.
enum Style : unsigned {
  kPlain = 0,
  kBordered = 1u << 0,  // a one-pixel single-line border
  kCentred = 1u << 1,   // caption centred horizontally
};

struct Column {
  std::string_view title;
  int width;
};

struct Control {
  std::string_view name;  // the design name
  Kind kind;
  std::string_view parent;  // empty: the window itself
  int left, top, width, height;
  std::string_view caption = {};
  std::span<const std::string_view> items = {};
  unsigned styles = kPlain;
  std::string_view picture = {};  // logo picture name, without extension
  int tabOrder = -1;              // place in the Tab cycle; -1: not a tab stop
};

struct Window {
  std::string_view title;
  int outerWidth, outerHeight;    // caption and frame included
  int clientWidth, clientHeight;  // what the controls need
  std::string_view icon;          // picture name of the 48 x 48 icon
};

inline constexpr Window kWindow = {"KovarraV2.0", 968, 639, 960, 606, "icon"};

inline constexpr std::array<std::string_view, 1> kPageItems = {"1"};
inline constexpr std::array<std::string_view, 3> kPageSizeItems = {"5", "10", "20"};

inline constexpr std::array<Column, 7> kColumns = {{{"状态", 70},
                                                    {"时间", 140},
                                                    {"胜败", 50},
                                                    {"对战双方", 100},
                                                    {"解说", 130},
                                                    {"赛事", 100},
                                                    {"视频地址", 320}}};

// A drop-down list is made this high, its selection field and open list together.
inline constexpr int kDropDownHeight = 160;
// Left is held within ±kLeftLimit.
inline constexpr int kLeftLimit = 32627;
inline constexpr int kLogoCount = 17;
inline constexpr int kLogoSpacing = 118;

inline constexpr std::string_view kTeamsBox = "分组框_lpl战队";
inline constexpr std::string_view kStrip = "外形框_战队";
inline constexpr std::string_view kLeftTimer = "时钟_向左滚动";
inline constexpr std::string_view kRightTimer = "时钟_向右滚动";
inline constexpr std::string_view kMatchesBox = "分组框_近期比赛";
inline constexpr std::string_view kMatchList = "超级列表框";
inline constexpr std::string_view kTotalPages = "标签_总页数";
inline constexpr std::string_view kTotalCount = "标签_总数量";
inline constexpr std::string_view kPrevious = "按钮_上一页";
inline constexpr std::string_view kNext = "按钮_下一页";
inline constexpr std::string_view kPageList = "组合框_当前页";
inline constexpr std::string_view kPageSizeList = "组合框_显示数量";

namespace detail {
constexpr Control Logo(std::string_view name, std::string_view picture, int index) {
  return {name, Kind::PictureBox, kStrip, index * kLogoSpacing, 2, 100, 100, {},
          {},   kBordered,        picture};
}
constexpr Control FixedLabel(std::string_view name, int left, int width, std::string_view caption) {
  return {name, Kind::Label, kMatchesBox, left, 408, width, 24, caption};
}
constexpr Control ValueLabel(std::string_view name, int left) {
  return {name, Kind::Label, kMatchesBox, left, 408, 40, 24, {}, {}, kBordered | kCentred};
}
}  // namespace detail

// Reading order: top to bottom, left to right within each parent; parents before children.
inline constexpr std::array<Control, 33> kControls = {{
    {kTeamsBox, Kind::GroupBox, {}, 0, 8, 960, 147, "LPL战队"},
    {kLeftTimer, Kind::Timer, kTeamsBox, 104, 117, 26, 26},
    {kRightTimer, Kind::Timer, kTeamsBox, 136, 120, 26, 26},
    {kStrip, Kind::ShapeBox, kTeamsBox, 2, 23, 1992, 104},
    detail::Logo("图片框_blg", "blg", 0),
    detail::Logo("图片框_edg", "edg", 1),
    detail::Logo("图片框_fpx", "fpx", 2),
    detail::Logo("图片框_ig", "ig", 3),
    detail::Logo("图片框_jdg", "jdg", 4),
    detail::Logo("图片框_lgd", "lgd", 5),
    detail::Logo("图片框_lng", "lng", 6),
    detail::Logo("图片框_omg", "omg", 7),
    detail::Logo("图片框_ra", "ra", 8),
    detail::Logo("图片框_rng", "rng", 9),
    detail::Logo("图片框_rw", "rw", 10),
    detail::Logo("图片框_sn", "sn", 11),
    detail::Logo("图片框_tes", "tes", 12),
    detail::Logo("图片框_tt", "tt", 13),
    detail::Logo("图片框_up", "up", 14),
    detail::Logo("图片框_v5", "v5", 15),
    detail::Logo("图片框_we", "we", 16),
    {kMatchesBox, Kind::GroupBox, {}, 7, 166, 949, 440, "近期比赛"},
    {kMatchList, Kind::ReportList, kMatchesBox, 8, 17, 934, 383, {}, {}, kPlain, {}, 0},
    detail::FixedLabel("标签3", 8, 43, "总页数:"),
    detail::ValueLabel(kTotalPages, 53),
    detail::FixedLabel("标签5", 100, 43, "总数量:"),
    detail::ValueLabel(kTotalCount, 145),
    {kPrevious, Kind::Button, kMatchesBox, 208, 408, 64, 24, "上一页", {}, kCentred, {}, 1},
    {kNext, Kind::Button, kMatchesBox, 280, 408, 64, 24, "下一页", {}, kCentred, {}, 2},
    detail::FixedLabel("标签1", 353, 43, "当前页:"),
    {kPageList, Kind::ComboBox, kMatchesBox, 397, 409, 64, 20, {}, kPageItems, kPlain, {}, 3},
    detail::FixedLabel("标签2", 467, 54, "显示数量:"),
    {kPageSizeList,
     Kind::ComboBox,
     kMatchesBox,
     527,
     409,
     64,
     20,
     {},
     kPageSizeItems,
     kPlain,
     {},
     4},
}};

// The control of that design name; null when there is none.
const Control* Find(std::string_view name);
// Its position in kControls; -1 when there is none.
int IndexOf(std::string_view name);
// The index of a logo in the strip (the team catalogue's order); -1 for any other control.
int LogoIndex(const Control& control);
// The tab stops in the order Tab visits them.
std::array<const Control*, 5> TabStops();

}  // namespace kovarra::design
