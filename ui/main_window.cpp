#include "ui/main_window.hpp"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include "core/codepage.hpp"
#include "ui/qt_text.hpp"

namespace kovarra {

namespace {

template <typename W>
W* Named(W* widget, const char* utf8Name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromUtf8(utf8Name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

LabelWidget* MakeLabel(QWidget* parent, const char* name, int left, int width, const char* caption,
                       bool valueLabel) {
  return Named(new LabelWidget(parent, Gbk(caption), valueLabel), name, left, 408, width, 24);
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, const char* caption) {
  auto* button = Named(new QPushButton(ToQt(Gbk(caption)), parent), name, left, 408, 64, 24);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

QPixmap Picture(const QString& path, bool& allFound) {
  QPixmap picture(path);
  if (picture.isNull()) allFound = false;
  return picture;
}

}  // namespace

MainWindow::MainWindow()
    : teamsBox_(Named(new GroupBoxWidget(this, Gbk("LPL战队")), "分组框_lpl战队", 0, 8, 960, 147)),
      stripBox_(Named(new QWidget(teamsBox_), "外形框_战队", 2, 23, 1992, 104)),
      leftTimer_(teamsBox_, QString::fromUtf8("时钟_向左滚动")),
      rightTimer_(teamsBox_, QString::fromUtf8("时钟_向右滚动")),
      matchesBox_(
          Named(new GroupBoxWidget(this, Gbk("近期比赛")), "分组框_近期比赛", 7, 166, 949, 440)),
      list_(Named(new ReportListWidget(matchesBox_), "超级列表框", 8, 17, 934, 383)),
      totalPages_(nullptr),
      totalCount_(nullptr),
      previous_(nullptr),
      next_(nullptr),
      pageList_(nullptr),
      pageSizeList_(nullptr),
      stripPlace_(stripBox_),
      teamsPlace_(teamsBox_),
      strip_(stripPlace_, teamsPlace_, leftTimer_, rightTimer_) {
  setWindowTitle(QStringLiteral("KovarraV2.0"));
  setObjectName(QStringLiteral("KovarraV2.0"));
  // Caption, system menu, minimise and close; no maximise, and the size is fixed.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  // Sized like the small default dialog font the design was laid out with.
  QFont dialogFont = font();
  dialogFont.setPixelSize(12);
  setFont(dialogFont);

  bool found = true;
  QIcon icon(Picture(QStringLiteral(":/kovarra/icon.png"), found));
  setWindowIcon(icon);

  stripBox_->setAutoFillBackground(false);
  for (int i = 0; i < kLogoCount; ++i) {
    const QString team = QString::fromLatin1(kLogoNames[i]);
    auto* logo = new PictureBox(stripBox_, Picture(":/kovarra/" + team + ".png", found));
    logo->setObjectName(QString::fromUtf8("图片框_") + team);
    logo->setGeometry(i * kLogoSpacing, 2, 100, 100);
    logo->SetPressHandler([this, i](int x, int y, int keys) {
      Raise([&](BrowserEvents& e) { e.LogoPressed(i, x, y, keys); });
    });
    logos_[i] = logo;
  }
  picturesLoaded_ = found;
  leftTimer_.SetTickHandler([this] { strip_.LeftwardTick(); });
  rightTimer_.SetTickHandler([this] { strip_.RightwardTick(); });

  MakeLabel(matchesBox_, "标签3", 8, 43, "总页数:", false);
  totalPages_ = MakeLabel(matchesBox_, "标签_总页数", 53, 40, "", true);
  MakeLabel(matchesBox_, "标签5", 100, 43, "总数量:", false);
  totalCount_ = MakeLabel(matchesBox_, "标签_总数量", 145, 40, "", true);
  previous_ = MakeButton(matchesBox_, "按钮_上一页", 208, "上一页");
  next_ = MakeButton(matchesBox_, "按钮_下一页", 280, "下一页");
  MakeLabel(matchesBox_, "标签1", 353, 43, "当前页:", false);
  pageList_ = Named(new ComboBoxWidget(matchesBox_), "组合框_当前页", 397, 409, 64, 20);
  pageList_->AddItem(Text("1"));
  MakeLabel(matchesBox_, "标签2", 467, 54, "显示数量:", false);
  pageSizeList_ = Named(new ComboBoxWidget(matchesBox_), "组合框_显示数量", 527, 409, 64, 20);
  for (const char* size : {"5", "10", "20"}) pageSizeList_->AddItem(Text(size));

  connect(previous_, &QPushButton::clicked, this,
          [this] { Raise([](BrowserEvents& e) { e.PreviousPageClicked(); }); });
  connect(next_, &QPushButton::clicked, this,
          [this] { Raise([](BrowserEvents& e) { e.NextPageClicked(); }); });
  pageList_->SetSelectedHandler([this] { Raise([](BrowserEvents& e) { e.PageSelected(); }); });
  pageSizeList_->SetSelectedHandler(
      [this] { Raise([](BrowserEvents& e) { e.PageSizeSelected(); }); });
  list_->SetRightClickHandler(
      [this] { Raise([](BrowserEvents& e) { e.MatchListRightClicked(); }); });

  // Tab visits the five tab stops in reading order; nothing else takes the focus.
  setTabOrder(list_, previous_);
  setTabOrder(previous_, next_);
  setTabOrder(next_, pageList_);
  setTabOrder(pageList_, pageSizeList_);
}

std::unique_ptr<MainWindow> MainWindow::Load() {
  auto window = std::make_unique<MainWindow>();
  if (!window->PicturesLoaded() || !QGuiApplication::primaryScreen()) return nullptr;
  window->Created();
  return window;
}

void MainWindow::Created() {
  pageList_->SetSelectedIndex(0);
  pageSizeList_->SetSelectedIndex(0);
  leftTimer_.SetPeriod(kStripPeriod);
  rightTimer_.SetPeriod(0);
}

void MainWindow::CanBeClosed() {
  leftTimer_.SetPeriod(0);
  rightTimer_.SetPeriod(0);
}

void MainWindow::ShowCentred() {
  // Made now, so that a frame known before showing is part of the first place.
  create();
  windowHandle()->installEventFilter(this);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    // The client area's place: the frame the window system adds goes around it.
    setGeometry(
        QRect(centring_.Start(screen->geometry(), size(), windowHandle()->frameMargins()), size()));
  }
  showNormal();
  KeepFrameCentred();
  raise();
  activateWindow();
}

void MainWindow::KeepFrameCentred() {
  if (const auto place = centring_.Update(geometry().topLeft(), windowHandle()->frameMargins())) {
    setGeometry(QRect(*place, size()));
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // The window manager's frame shows up in one of these, shortly after the window is shown.
  if (watched == windowHandle() &&
      (event->type() == QEvent::Expose || event->type() == QEvent::Move ||
       event->type() == QEvent::Resize)) {
    KeepFrameCentred();
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Made while a handler runs (a query waiting for its answer): it waits for the handler.
  if (handling_ > 0) {
    closeRequested_ = true;
    event->ignore();
    return;
  }
  CanBeClosed();
  event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Reaches the window only when the focused control did not use the key itself.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace kovarra
