#include "ui/qt/main_window.hpp"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>
#include <array>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "ui/qt/qt_text.hpp"

namespace kovarra {
namespace {

// Written out here, not read from the design table that builds the window.
constexpr int kClientWidth = 960;
constexpr int kClientHeight = 606;
constexpr int kLogoCount = 17;
constexpr std::array<const char*, kLogoCount> kLogoNames = {
    "blg", "edg", "fpx", "ig",  "jdg", "lgd", "lng", "omg", "ra",
    "rng", "rw",  "sn",  "tes", "tt",  "up",  "v5",  "we"};

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

struct RecordingBrowser : BrowserEvents {
  std::vector<std::string> log;
  ReportList* list = nullptr;
  void LogoPressed(int logo, int x, int y, int keys) override {
    log.push_back("logo " + std::to_string(logo) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + std::to_string(keys));
  }
  void PreviousPageClicked() override { log.push_back("previous"); }
  void NextPageClicked() override { log.push_back("next"); }
  void PageSizeSelected() override { log.push_back("size"); }
  void PageSelected() override { log.push_back("page"); }
  void MatchListRightClicked() override {
    log.push_back("right " + std::to_string(list ? list->SelectedRow() : -2));
  }
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    window = MainWindow::Load();
    ASSERT_TRUE(window);
    events.list = &window->MatchList();
    window->SetBrowserEvents(&events);
  }
  void Show() {
    window->ShowCentred();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  template <typename T = QWidget>
  T* Find(const char* name) {
    T* found = window->findChild<T*>(U(name));
    EXPECT_TRUE(found) << name;
    return found;
  }
  QTableWidget* Table() { return Find<QTableWidget>("超级列表框"); }

  std::unique_ptr<MainWindow> window;
  RecordingBrowser events;
};

TEST_F(WindowTest, EveryControlHasItsDesignedParentPlaceAndSize) {
  struct Place {
    const char* name;
    const char* parent;
    int left, top, width, height;
  };
  const std::vector<Place> places = {
      {"分组框_lpl战队", "KovarraV2.0", 0, 8, 960, 147},
      {"外形框_战队", "分组框_lpl战队", 2, 23, 1992, 104},
      {"分组框_近期比赛", "KovarraV2.0", 7, 166, 949, 440},
      {"超级列表框", "分组框_近期比赛", 8, 17, 934, 383},
      {"标签3", "分组框_近期比赛", 8, 408, 43, 24},
      {"标签_总页数", "分组框_近期比赛", 53, 408, 40, 24},
      {"标签5", "分组框_近期比赛", 100, 408, 43, 24},
      {"标签_总数量", "分组框_近期比赛", 145, 408, 40, 24},
      {"按钮_上一页", "分组框_近期比赛", 208, 408, 64, 24},
      {"按钮_下一页", "分组框_近期比赛", 280, 408, 64, 24},
      {"标签1", "分组框_近期比赛", 353, 408, 43, 24},
      {"组合框_当前页", "分组框_近期比赛", 397, 409, 64, 20},
      {"标签2", "分组框_近期比赛", 467, 408, 54, 24},
      {"组合框_显示数量", "分组框_近期比赛", 527, 409, 64, 20},
  };
  int checked = 0;
  for (const Place& p : places) {
    QWidget* w = Find(p.name);
    if (!w) continue;
    EXPECT_EQ(w->parentWidget()->objectName(), U(p.parent)) << p.name;
    EXPECT_EQ(w->geometry(), QRect(p.left, p.top, p.width, p.height)) << p.name;
    ++checked;
  }
  for (int i = 0; i < kLogoCount; ++i) {
    const std::string name = std::string("图片框_") + kLogoNames[i];
    QWidget* logo = Find(name.c_str());
    if (!logo) continue;
    EXPECT_EQ(logo->parentWidget()->objectName(), U("外形框_战队"));
    EXPECT_EQ(logo->geometry(), QRect(118 * i, 2, 100, 100)) << name;
    EXPECT_EQ(logo->cursor().shape(), Qt::PointingHandCursor);
    ++checked;
  }
  for (const char* timer : {"时钟_向左滚动", "时钟_向右滚动"}) {
    QTimer* t = window->findChild<QTimer*>(U(timer));
    ASSERT_TRUE(t) << timer;
    EXPECT_EQ(t->parent()->objectName(), U("分组框_lpl战队"));
    ++checked;
  }
  EXPECT_EQ(checked, 33);
  EXPECT_EQ(window->size(), QSize(kClientWidth, kClientHeight));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(window->windowTitle(), U("KovarraV2.0"));
  EXPECT_EQ(window->windowIcon().pixmap(48, 48).size(), QSize(48, 48));
}

TEST_F(WindowTest, CaptionsColumnsAndItemsAsDesigned) {
  const std::vector<std::pair<const char*, const char*>> captions = {
      {"标签3", "总页数:"},   {"标签5", "总数量:"}, {"标签1", "当前页:"},
      {"标签2", "显示数量:"}, {"标签_总页数", ""},  {"标签_总数量", ""}};
  for (const auto& [name, caption] : captions) {
    if (QLabel* label = Find<QLabel>(name)) {
      EXPECT_EQ(label->text(), U(caption)) << name;
    }
  }
  EXPECT_EQ(Find<QGroupBox>("分组框_lpl战队")->title(), U("LPL战队"));
  EXPECT_EQ(Find<QGroupBox>("分组框_近期比赛")->title(), U("近期比赛"));
  EXPECT_EQ(Find<QPushButton>("按钮_上一页")->text(), U("上一页"));
  EXPECT_EQ(Find<QPushButton>("按钮_下一页")->text(), U("下一页"));

  const std::vector<std::pair<const char*, int>> columns = {
      {"状态", 70},  {"时间", 140}, {"胜败", 50},     {"对战双方", 100},
      {"解说", 130}, {"赛事", 100}, {"视频地址", 320}};
  QTableWidget* table = Table();
  ASSERT_EQ(table->columnCount(), 7);
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(table->horizontalHeaderItem(c)->text(), U(columns[c].first));
    EXPECT_EQ(table->columnWidth(c), columns[c].second);
  }
  EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(table->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(table->isSortingEnabled());
  EXPECT_TRUE(table->showGrid());

  ComboBox& sizes = window->PageSizeList();
  ASSERT_EQ(sizes.ItemCount(), 3);
  EXPECT_EQ(sizes.ItemText(2), Text("20"));
  EXPECT_EQ(sizes.ItemValue(1), 0);
  EXPECT_FALSE(Find<QComboBox>("组合框_显示数量")->isEditable());

  // Tab stops: the list, the two buttons and the two combo boxes, nothing else.
  int tabStops = 0;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(window.get()) &&
        !w->objectName().isEmpty()) {
      ++tabStops;
    }
  }
  EXPECT_EQ(tabStops, 5);
}

TEST_F(WindowTest, FirstShowIsCentredWithPageOneSizeFiveAndAMovingStrip) {
  Show();
  // The offscreen platform, like a window manager, gives the frame only once the window is up.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  // Read from the platform window: the widget keeps the first frame it saw.
  const QRect frame = window->windowHandle()->frameGeometry();
  const QMargins margins = window->windowHandle()->frameMargins();
  ASSERT_FALSE(margins.isNull());
  EXPECT_EQ(frame.top(), screen.top() + (screen.height() - frame.height()) / 2);
  // Its 800-pixel screen is narrower than the window, and it pushes a window that starts left
  // of the screen right by the frame's margin.
  EXPECT_NEAR(frame.left(), screen.left() + (screen.width() - frame.width()) / 2, margins.left());

  EXPECT_EQ(window->PageList().SelectedIndex(), 0);
  EXPECT_EQ(window->PageList().ItemText(0), Text("1"));
  EXPECT_EQ(window->PageSizeList().SelectedIndex(), 0);
  EXPECT_EQ(Find<QComboBox>("组合框_显示数量")->currentText(), U("5"));
  EXPECT_EQ(window->MatchList().RowCount(), 0);
  EXPECT_EQ(window->MatchList().SelectedRow(), -1);
  EXPECT_TRUE(window->TotalPagesLabel().Caption().empty());
  EXPECT_TRUE(window->TotalCountLabel().Caption().empty());
  EXPECT_EQ(window->LeftTimer().Period(), 100);
  EXPECT_TRUE(window->LeftTimer().Timer().isActive());
  EXPECT_EQ(window->RightTimer().Period(), 0);
  EXPECT_FALSE(window->RightTimer().Timer().isActive());
  EXPECT_EQ(window->StripPlace().Left(), 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->StripPlace().Left() <= -8; }, 3000));
  EXPECT_EQ((window->StripPlace().Left() - 2) % 10, 0);
  EXPECT_TRUE(events.log.empty());
}

TEST_F(WindowTest, TabAndShiftTabVisitTheFiveStopsInReadingOrderWithRowsOrWithout) {
  Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const std::vector<const char*> order = {"超级列表框", "按钮_上一页", "按钮_下一页",
                                          "组合框_当前页", "组合框_显示数量"};
  auto focusName = [] {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName().toStdString() : std::string("(none)");
  };
  for (int rows : {0, 3}) {
    window->MatchList().ClearRows();
    for (int r = 0; r < rows; ++r)
      window->MatchList().SetCell(window->MatchList().InsertRow(), 0, Text("row"));
    Find(order[0])->setFocus(Qt::OtherFocusReason);
    // Twice round in each direction, so the wrap from the last stop to the first is seen too.
    for (std::size_t step = 1; step <= 2 * order.size(); ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(focusName(), order[step % order.size()]) << rows << " rows, Tab " << step;
    }
    for (std::size_t step = 1; step <= 2 * order.size(); ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      EXPECT_EQ(focusName(), order[(2 * order.size() - step) % order.size()])
          << rows << " rows, Shift+Tab " << step;
    }
  }
}

TEST_F(WindowTest, DesignedComboBoxesStartWithNoCurrentItem) {
  MainWindow bare;  // created, but its created handler not run
  EXPECT_EQ(bare.PageList().SelectedIndex(), -1);
  EXPECT_EQ(bare.PageSizeList().SelectedIndex(), -1);
  EXPECT_EQ(bare.LeftTimer().Period(), 0);
}

TEST_F(WindowTest, ReportListOperations) {
  ReportList& list = window->MatchList();
  EXPECT_EQ(list.InsertRow(), 0);
  EXPECT_EQ(list.InsertRow(), 1);
  EXPECT_EQ(list.InsertRow(), 2);
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.GetCell(1, 3), Text());

  const Text pairing = Gbk("RNG vs EDG");
  const Text longText(std::string(5000, 'x'));
  const Text oddBytes("\x81\x30 \xff");  // not valid GBK: kept byte for byte
  list.SetCell(1, 3, pairing);
  list.SetCell(2, 6, longText);
  list.SetCell(0, 0, oddBytes);
  list.SetCell(3, 0, Text("no such row"));
  list.SetCell(0, 7, Text("no such column"));
  list.SetCell(-1, 0, Text("no such row"));
  EXPECT_EQ(list.GetCell(1, 3), pairing);
  EXPECT_EQ(list.GetCell(2, 6), longText);
  EXPECT_EQ(list.GetCell(0, 0), oddBytes);
  EXPECT_EQ(Table()->item(1, 3)->text(), U("RNG vs EDG"));
  list.SetCell(1, 4, Gbk("解说甲"));
  EXPECT_EQ(Table()->item(1, 4)->text(), U("解说甲"));
  for (auto [row, column] : {std::pair{3, 0}, {0, 7}, {-1, 0}, {0, -1}}) {
    EXPECT_EQ(list.GetCell(row, column), Text()) << row << "," << column;
  }
  EXPECT_FALSE(Table()->item(1, 3)->flags() & Qt::ItemIsEditable);

  Table()->selectRow(2);
  EXPECT_EQ(list.SelectedRow(), 2);
  list.ClearRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
  EXPECT_EQ(list.InsertRow(), 0);
}

TEST_F(WindowTest, ComboBoxOperationsClampAndNeverRaiseTheEvent) {
  ComboBox& pages = window->PageList();
  pages.ClearItems();
  EXPECT_EQ(pages.ItemCount(), 0);
  EXPECT_EQ(pages.SelectedIndex(), -1);
  pages.SetSelectedIndex(0);
  EXPECT_EQ(pages.SelectedIndex(), -1);
  EXPECT_EQ(pages.ItemText(-1), Text());
  EXPECT_EQ(pages.ItemValue(-1), -1);

  EXPECT_EQ(pages.AddItem(Text("1")), 0);
  EXPECT_EQ(pages.SelectedIndex(), -1);  // adding makes nothing current
  EXPECT_EQ(pages.AddItem(Text("2"), 42), 1);
  EXPECT_EQ(pages.AddItem(Gbk("第三")), 2);
  EXPECT_EQ(pages.ItemValue(1), 42);
  EXPECT_EQ(pages.ItemValue(0), 0);
  EXPECT_EQ(pages.ItemText(2), Gbk("第三"));
  EXPECT_EQ(pages.ItemText(3), Text());
  EXPECT_EQ(pages.ItemValue(3), -1);

  struct Write {
    int value;
    int readBack;
  };
  for (Write w : {Write{7, 2}, {1, 1}, {-1, -1}, {-5, -1}, {0, 0}, {2, 2}}) {
    pages.SetSelectedIndex(w.value);
    EXPECT_EQ(pages.SelectedIndex(), w.readBack) << w.value;
  }
  pages.ClearItems();
  EXPECT_EQ(pages.SelectedIndex(), -1);
  QApplication::processEvents();
  EXPECT_TRUE(events.log.empty());
}

TEST_F(WindowTest, UserPickRaisesListItemSelectedAfterTheListClosed) {
  Show();
  auto* sizes = Find<QComboBox>("组合框_显示数量");
  auto pick = [&](int row) {
    sizes->showPopup();
    QAbstractItemView* view = sizes->view();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    // The pointer on the item, then Enter: the list's own way of accepting a choice.
    view->setCurrentIndex(view->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
  };
  pick(2);
  // Raised through the event queue, not from inside the list's own notification.
  EXPECT_TRUE(events.log.empty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !events.log.empty(); }, 2000));
  EXPECT_EQ(events.log, (std::vector<std::string>{"size"}));
  EXPECT_EQ(window->PageSizeList().SelectedIndex(), 2);
  EXPECT_FALSE(sizes->view()->isVisible());

  pick(2);  // the item that is already current
  EXPECT_TRUE(QTest::qWaitFor([&] { return events.log.size() == 2; }, 2000));
  EXPECT_EQ(events.log.back(), "size");
}

TEST_F(WindowTest, LogoPressesButtonsAndRightClickReachTheBrowser) {
  Show();
  for (auto [logo, modifiers, keys] : {std::tuple{0, Qt::KeyboardModifiers(), 0},
                                       {16, Qt::ControlModifier | Qt::ShiftModifier, 3},
                                       {5, Qt::KeyboardModifiers(Qt::AltModifier), 4}}) {
    const std::string name = std::string("图片框_") + kLogoNames[logo];
    QTest::mousePress(Find(name.c_str()), Qt::LeftButton, modifiers, QPoint(11, 21));
    EXPECT_EQ(events.log.back(), "logo " + std::to_string(logo) + " 10,20 " + std::to_string(keys));
  }
  QTest::mousePress(Find("图片框_rng"), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(events.log.size(), 3u);

  QTest::mouseClick(Find("按钮_上一页"), Qt::LeftButton);
  QTest::mouseClick(Find("按钮_下一页"), Qt::LeftButton);
  EXPECT_EQ(events.log.back(), "next");
  EXPECT_EQ(events.log[events.log.size() - 2], "previous");

  events.log.clear();
  ReportList& list = window->MatchList();
  for (int i = 0; i < 3; ++i) list.SetCell(list.InsertRow(), 0, Text("row"));
  QWidget* viewport = Table()->viewport();
  const QPoint row1 = Table()->visualItemRect(Table()->item(1, 0)).center();
  QTest::mouseClick(viewport, Qt::RightButton, {}, row1);
  QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(20, viewport->height() - 5));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, row1);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, row1);
  QApplication::processEvents();
  // The clicked row is selected before the handler runs; below the rows it stays.
  EXPECT_EQ(events.log, (std::vector<std::string>{"right 1", "right 1"}));
}

TEST_F(WindowTest, WithoutBrowserEventsAreIgnored) {
  window->SetBrowserEvents(nullptr);
  Show();
  QTest::mousePress(Find("图片框_we"), Qt::LeftButton);
  QTest::mouseClick(Find("按钮_下一页"), Qt::LeftButton);
  QTest::mouseClick(Table()->viewport(), Qt::RightButton);
  QApplication::processEvents();
  EXPECT_TRUE(events.log.empty());
}

TEST_F(WindowTest, CaptionsAreShownAsPlainTextAndReadBackExactly) {
  CaptionControl& total = window->TotalCountLabel();
  total.SetCaption(Text("<b>57</b>"));
  EXPECT_EQ(Find<QLabel>("标签_总数量")->text(), U("<b>57</b>"));
  EXPECT_EQ(Find<QLabel>("标签_总数量")->textFormat(), Qt::PlainText);
  EXPECT_EQ(total.Caption(), Text("<b>57</b>"));
  window->MatchGroupBox().SetCaption(Gbk("近期比赛 - RNG & EDG"));
  EXPECT_EQ(window->MatchGroupBox().Caption(), Gbk("近期比赛 - RNG & EDG"));
  window->TotalPagesLabel().SetCaption(Text("\x81"));
  EXPECT_EQ(window->TotalPagesLabel().Caption(), Text("\x81"));
}

TEST_F(WindowTest, LeftIsHeldWithinItsRangeAndWidthIsTheOuterWidth) {
  PlacedControl& strip = window->StripPlace();
  for (auto [written, read] : {std::pair{-1048, -1048},
                               {32627, 32627},
                               {40000, 32627},
                               {-32628, -32627},
                               {-100000, -32627},
                               {12, 12}}) {
    strip.SetLeft(written);
    EXPECT_EQ(strip.Left(), read) << written;
  }
  EXPECT_EQ(Find("外形框_战队")->y(), 23);
  EXPECT_EQ(strip.Width(), 1992);
  EXPECT_EQ(window->TeamsBoxPlace().Width(), 960);
}

TEST(TimerControlTest, PeriodWritesRestartOnlyOnChange) {
  QObject owner;
  TimerControl timer(&owner, QStringLiteral("t"));
  int ticks = 0;
  timer.SetTickHandler([&] { ++ticks; });
  timer.SetPeriod(100);
  QTest::qWait(60);
  timer.SetPeriod(100);  // same value: the next tick is not put off
  EXPECT_LE(timer.Timer().remainingTime(), 45);
  timer.SetPeriod(250);
  EXPECT_GT(timer.Timer().remainingTime(), 150);
  EXPECT_EQ(timer.Period(), 250);
  timer.SetPeriod(-5);
  EXPECT_EQ(timer.Period(), 0);
  EXPECT_FALSE(timer.Timer().isActive());
  timer.SetPeriod(20);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 2000));
  timer.SetPeriod(0);
  EXPECT_FALSE(timer.Timer().isActive());
}

TEST_F(WindowTest, EscAndTheCloseBoxCloseWithBothTimersStopped) {
  struct Way {
    const char* focus;
    bool openPopup;
  };
  for (Way way : {Way{"超级列表框", false},
                  {"按钮_下一页", false},
                  {"组合框_当前页", false},
                  {"组合框_显示数量", true}}) {
    SetUp();
    Show();
    window->RightTimer().SetPeriod(100);
    QWidget* focus = Find(way.focus);
    focus->setFocus();
    if (way.openPopup) {
      auto* combo = static_cast<QComboBox*>(focus);
      combo->showPopup();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(combo->view()->window()));
      // An open drop-down list uses Esc itself: it closes, the window stays.
      QTest::keyClick(combo->view(), Qt::Key_Escape);
      EXPECT_FALSE(combo->view()->isVisible());
      EXPECT_TRUE(window->isVisible()) << way.focus;
      focus->setFocus();
    }
    QTest::keyClick(focus, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible()) << way.focus;
    EXPECT_EQ(window->LeftTimer().Period(), 0);
    EXPECT_EQ(window->RightTimer().Period(), 0);
    EXPECT_FALSE(window->LeftTimer().Timer().isActive());
    EXPECT_FALSE(window->RightTimer().Timer().isActive());
  }

  SetUp();
  Show();
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->LeftTimer().Period(), 0);
  EXPECT_FALSE(window->LeftTimer().Timer().isActive());
  EXPECT_TRUE(events.log.empty());
}

}  // namespace
}  // namespace kovarra
