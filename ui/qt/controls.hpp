#pragma once

// The window's controls: Qt widgets that carry the operations the rest of the program uses.

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QTableWidget>
#include <QTimer>
#include <functional>

#include "core/text.hpp"
#include "matches/ports.hpp"
#include "ui/design.hpp"
#include "ui/strip.hpp"

namespace kovarra {

// Left and Width of any widget.
class WidgetPlace : public PlacedControl {
 public:
  explicit WidgetPlace(QWidget* widget) : widget_(widget) {}
  int Left() const override;
  void SetLeft(int left) override;
  int Width() const override;

 private:
  QWidget* widget_;
};

// A window timer: not visible, ticks every Period milliseconds while Period is above 0, except
// while a query waits.
class TimerControl : public PeriodicTimer {
 public:
  TimerControl(QObject* parent, const QString& name);
  int Period() const override { return period_; }
  void SetPeriod(int period) override;
  void SetTickHandler(std::function<void()> handler) { onTick_ = std::move(handler); }
  QTimer& Timer() { return *timer_; }

 private:
  QTimer* timer_;
  int period_ = 0;
  std::function<void()> onTick_;
};

// 超级列表框: report view with the design's columns, whole-row single selection, grid lines, no
// editing, no sorting.
class ReportListWidget : public QTableWidget, public ReportList {
 public:
  explicit ReportListWidget(QWidget* parent);
  void ClearRows() override;
  int InsertRow() override;
  void SetCell(int row, int column, const Text& text) override;
  Text GetCell(int row, int column) const override;
  int RowCount() const override { return rowCount(); }
  int SelectedRow() const override;
  void SetRightClickHandler(std::function<void()> handler) { onRightClick_ = std::move(handler); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::function<void()> onRightClick_;
  bool rightPressed_ = false;
};

// A drop-down list: the user can only pick an item; program writes never raise the
// list-item-selected event.
class ComboBoxWidget : public QComboBox, public ComboBox {
 public:
  explicit ComboBoxWidget(QWidget* parent);
  void ClearItems() override;
  int AddItem(const Text& text, int value = 0) override;
  int ItemCount() const override { return count(); }
  Text ItemText(int index) const override;
  int ItemValue(int index) const override;
  int SelectedIndex() const override { return currentIndex(); }
  void SetSelectedIndex(int index) override;
  void SetSelectedHandler(std::function<void()> handler) { onSelected_ = std::move(handler); }

 private:
  std::function<void()> onSelected_;
};

// A one-line label; its caption is plain text, cut at the edge.
class LabelWidget : public QLabel, public CaptionControl {
 public:
  // styles: design::Style bits.
  LabelWidget(QWidget* parent, const Text& caption, unsigned styles);
  Text Caption() const override { return caption_; }
  void SetCaption(const Text& caption) override;

 private:
  Text caption_;
};

class GroupBoxWidget : public QGroupBox, public CaptionControl {
 public:
  GroupBoxWidget(QWidget* parent, const Text& caption);
  Text Caption() const override { return caption_; }
  void SetCaption(const Text& caption) override;

 private:
  Text caption_;
};

// A logo: the picture stretched inside a one-pixel border, with the hand pointer.
class PictureBox : public QFrame {
 public:
  // x and y are in the box's client area (inside the border); keys: bit 0 Ctrl, 1 Shift, 2 Alt.
  using PressHandler = std::function<void(int x, int y, int keys)>;
  PictureBox(QWidget* parent, const QPixmap& picture);
  void SetPressHandler(PressHandler handler) { onPress_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QPixmap picture_;
  PressHandler onPress_;
};

}  // namespace kovarra
