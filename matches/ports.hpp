#pragma once

// What the match browser needs of the window and of the desktop, as small interfaces:
// the Qt window implements them, tests stand in for them.

#include <optional>

#include "core/text.hpp"

namespace kovarra {

// The report list: rows and columns count from 0; out-of-range reads give "" and are ignored
// on write.
class ReportList {
 public:
  virtual ~ReportList() = default;
  virtual void ClearRows() = 0;
  virtual int InsertRow() = 0;
  virtual void SetCell(int row, int column, const Text& text) = 0;
  virtual Text GetCell(int row, int column) const = 0;
  virtual int RowCount() const = 0;
  virtual int SelectedRow() const = 0;
};

// A drop-down list of items, each with a text and an integer value.
class ComboBox {
 public:
  virtual ~ComboBox() = default;
  virtual void ClearItems() = 0;
  virtual int AddItem(const Text& text, int value = 0) = 0;
  virtual int ItemCount() const = 0;
  virtual Text ItemText(int index) const = 0;
  virtual int ItemValue(int index) const = 0;
  virtual int SelectedIndex() const = 0;
  // Clamped to -1 … ItemCount() - 1; never raises the list-item-selected event.
  virtual void SetSelectedIndex(int index) = 0;
};

// Labels and group boxes.
class CaptionControl {
 public:
  virtual ~CaptionControl() = default;
  virtual Text Caption() const = 0;
  virtual void SetCaption(const Text& caption) = 0;
};

// Message-box styles.
inline constexpr int kStylePlain = 0;
inline constexpr int kStyleCritical = 16;
inline constexpr int kStyleInformation = 64;

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;
  // Modal; returns when the user has closed the box. No title: the box reads "信息：".
  virtual int ShowMessage(const Text& text, int style, const std::optional<Text>& title) = 0;
  virtual void OpenUrl(const Text& url) = 0;
  // Runs the exit actions and ends the process. A stand-in in tests may return:
  // callers stop right after it.
  virtual void TerminateProgram(int exitCode) = 0;
};

// The controls of the window that the match browser reads and writes.
class MatchWindow {
 public:
  virtual ~MatchWindow() = default;
  virtual ReportList& MatchList() = 0;            // 超级列表框
  virtual ComboBox& PageList() = 0;               // 组合框_当前页
  virtual ComboBox& PageSizeList() = 0;           // 组合框_显示数量
  virtual CaptionControl& TotalPagesLabel() = 0;  // 标签_总页数
  virtual CaptionControl& TotalCountLabel() = 0;  // 标签_总数量
  virtual CaptionControl& MatchGroupBox() = 0;    // 分组框_近期比赛
};

// The window's events that the match browser handles. logo is the 0-based row of the team
// catalogue (strip order: blg, edg, … we).
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  virtual void LogoPressed(int logo, int x, int y, int keyState) = 0;
  virtual void PreviousPageClicked() = 0;
  virtual void NextPageClicked() = 0;
  virtual void PageSizeSelected() = 0;  // 组合框_显示数量
  virtual void PageSelected() = 0;      // 组合框_当前页
  virtual void MatchListRightClicked() = 0;
};

// The global team selection: the TeamId of the logo pressed last, empty at start.
Text& SelectedTeamId();
// The program's exit action: drops what SelectedTeamId holds. The position is ignored.
void ReleaseSelectedTeamId(int position);

}  // namespace kovarra
