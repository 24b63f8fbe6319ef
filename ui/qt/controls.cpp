#include "ui/qt/controls.hpp"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "core/codepage.hpp"
#include "ui/qt/qt_text.hpp"
#include "ui/qt/query_wait.hpp"

namespace kovarra {

namespace {
constexpr int kRawRole = Qt::UserRole + 1;
constexpr int kValueRole = Qt::UserRole;

int KeyState(Qt::KeyboardModifiers modifiers) {
  int keys = 0;
  if (modifiers & Qt::ControlModifier) keys |= 1;
  if (modifiers & Qt::ShiftModifier) keys |= 2;
  if (modifiers & Qt::AltModifier) keys |= 4;
  return keys;
}
}  // namespace

// --- WidgetPlace ---

int WidgetPlace::Left() const {
  return widget_->x();
}

void WidgetPlace::SetLeft(int left) {
  left = std::clamp(left, -design::kLeftLimit, design::kLeftLimit);
  const QRect before = widget_->geometry();
  widget_->move(left, widget_->y());
  // Shown at the new place right away, not at the next idle paint.
  QWidget* parent = widget_->parentWidget();
  if (parent && parent->isVisible()) {
    parent->repaint(before.united(widget_->geometry()).intersected(parent->rect()));
  }
}

int WidgetPlace::Width() const {
  return widget_->width();
}

// --- TimerControl ---

TimerControl::TimerControl(QObject* parent, const QString& name) : timer_(new QTimer(parent)) {
  timer_->setObjectName(name);
  timer_->setTimerType(Qt::PreciseTimer);
  // A tick that falls due while a query waits is dropped, not made up.
  QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
    if (onTick_ && !QueryWaiting()) onTick_();
  });
}

void TimerControl::SetPeriod(int period) {
  period = std::max(period, 0);
  if (period == period_) return;
  period_ = period;
  timer_->stop();
  if (period > 0) timer_->start(period);
}

// --- ReportListWidget ---

ReportListWidget::ReportListWidget(QWidget* parent) : QTableWidget(parent) {
  setColumnCount(static_cast<int>(design::kColumns.size()));
  for (int c = 0; c < columnCount(); ++c) {
    const design::Column& column = design::kColumns[static_cast<std::size_t>(c)];
    auto* header = new QTableWidgetItem(ToQt(Gbk(column.title)));
    header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalHeaderItem(c, header);
    setColumnWidth(c, column.width);
  }
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  // Tab leaves the list for the next tab stop instead of walking its cells.
  setTabKeyNavigation(false);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void ReportListWidget::ClearRows() {
  clearSelection();
  setRowCount(0);
}

int ReportListWidget::InsertRow() {
  const int row = rowCount();
  if (row == std::numeric_limits<int>::max()) return -1;
  insertRow(row);
  return rowCount() == row + 1 ? row : -1;
}

void ReportListWidget::SetCell(int row, int column, const Text& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  QTableWidgetItem* cell = item(row, column);
  if (!cell) {
    cell = new QTableWidgetItem();
    cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    setItem(row, column, cell);
  }
  cell->setText(ToQt(text));
  cell->setData(kRawRole, RawBytes(text));
}

Text ReportListWidget::GetCell(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return Text();
  const QTableWidgetItem* cell = item(row, column);
  return cell ? FromRaw(cell->data(kRawRole).toByteArray()) : Text();
}

int ReportListWidget::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void ReportListWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QTableWidget::mousePressEvent(event);
    return;
  }
  // The row under the pointer is selected before the right click is reported; below the rows
  // the selection stays as it was.
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0) selectRow(row);
  rightPressed_ = true;
  event->accept();
}

void ReportListWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QTableWidget::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  if (!rightPressed_) return;
  rightPressed_ = false;
  if (onRightClick_) onRightClick_();
}

void ReportListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QTableWidget::mouseDoubleClickEvent(event);
    return;
  }
  // The second click of a right double click is not a right click of its own.
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0) selectRow(row);
  rightPressed_ = false;
  event->accept();
}

// --- ComboBoxWidget ---

ComboBoxWidget::ComboBoxWidget(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(8);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  setPalette(colours);
  // Delivered through the event queue, so the handler runs once the list has closed and the
  // new current item is in place; re-picking the current item counts too.
  connect(
      this, &QComboBox::activated, this,
      [this](int) {
        if (onSelected_) onSelected_();
      },
      Qt::QueuedConnection);
}

void ComboBoxWidget::ClearItems() {
  clear();
}

int ComboBoxWidget::AddItem(const Text& text, int value) {
  const int before = currentIndex();
  const int index = count();
  addItem(ToQt(text));
  if (count() != index + 1) return -1;
  setItemData(index, value, kValueRole);
  setItemData(index, RawBytes(text), kRawRole);
  // Qt makes the first item current; a drop-down list keeps having none.
  if (currentIndex() != before) setCurrentIndex(before);
  return index;
}

Text ComboBoxWidget::ItemText(int index) const {
  if (index < 0 || index >= count()) return Text();
  return FromRaw(itemData(index, kRawRole).toByteArray());
}

int ComboBoxWidget::ItemValue(int index) const {
  if (index < 0 || index >= count()) return -1;
  return itemData(index, kValueRole).toInt();
}

void ComboBoxWidget::SetSelectedIndex(int index) {
  setCurrentIndex(std::clamp(index, -1, count() - 1));
}

// --- LabelWidget, GroupBoxWidget ---

LabelWidget::LabelWidget(QWidget* parent, const Text& caption, unsigned styles) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setAlignment(((styles & design::kCentred) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
  if (styles & design::kBordered) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
  }
  SetCaption(caption);
}

void LabelWidget::SetCaption(const Text& caption) {
  caption_ = caption;
  setText(ToQt(caption));
  repaint();
}

GroupBoxWidget::GroupBoxWidget(QWidget* parent, const Text& caption) : QGroupBox(parent) {
  setFlat(false);
  SetCaption(caption);
}

void GroupBoxWidget::SetCaption(const Text& caption) {
  caption_ = caption;
  // A lone "&" would turn into a shortcut mark; the caption is shown as written.
  setTitle(ToQt(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
  repaint();
}

// --- PictureBox ---

PictureBox::PictureBox(QWidget* parent, const QPixmap& picture)
    : QFrame(parent), picture_(picture) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(contentsRect(), picture_);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && onPress_) {
    const QPoint at = event->position().toPoint() - contentsRect().topLeft();
    onPress_(at.x() & 0xFFFF, at.y() & 0xFFFF, KeyState(event->modifiers()));
  }
  QFrame::mousePressEvent(event);
}

}  // namespace kovarra
