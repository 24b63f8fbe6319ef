#include "ui/qt/main_window.hpp"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "core/codepage.hpp"
#include "ui/qt/qt_text.hpp"

namespace kovarra {

namespace {

QString Name(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QPixmap Picture(std::string_view name, bool& allFound) {
  QPixmap picture(QStringLiteral(":/kovarra/") + Name(name) + QStringLiteral(".png"));
  if (picture.isNull()) allFound = false;
  return picture;
}

QWidget* MakeWidget(const design::Control& control, QWidget* parent, bool& picturesFound) {
  switch (control.kind) {
    case design::Kind::GroupBox:
      return new GroupBoxWidget(parent, Gbk(control.caption));
    case design::Kind::ShapeBox: {
      auto* box = new QWidget(parent);
      box->setAutoFillBackground(false);
      return box;
    }
    case design::Kind::PictureBox:
      return new PictureBox(parent, Picture(control.picture, picturesFound));
    case design::Kind::ReportList:
      return new ReportListWidget(parent);
    case design::Kind::Label:
      return new LabelWidget(parent, Gbk(control.caption), control.styles);
    case design::Kind::Button: {
      auto* button = new QPushButton(ToQt(Gbk(control.caption)), parent);
      button->setAutoDefault(false);
      button->setDefault(false);
      return button;
    }
    case design::Kind::ComboBox: {
      auto* list = new ComboBoxWidget(parent);
      for (std::string_view item : control.items) list->AddItem(Gbk(item));
      return list;
    }
    case design::Kind::Timer:
      break;
  }
  return nullptr;
}

}  // namespace

MainWindow::Controls MainWindow::Build(MainWindow& window) {
  Controls made;
  for (std::size_t i = 0; i < design::kControls.size(); ++i) {
    const design::Control& control = design::kControls[i];
    // Parents come before their children in the table.
    QObject* parentObject =
        control.parent.empty()
            ? &window
            : made.objects[static_cast<std::size_t>(design::IndexOf(control.parent))];
    auto* parent = static_cast<QWidget*>(parentObject);
    if (control.kind == design::Kind::Timer) {
      made.timers[i] = std::make_unique<TimerControl>(parent, Name(control.name));
      made.objects[i] = &made.timers[i]->Timer();
      continue;
    }
    QWidget* widget = MakeWidget(control, parent, made.picturesFound);
    widget->setObjectName(Name(control.name));
    widget->setGeometry(control.left, control.top, control.width, control.height);
    // Only the tab stops take the focus.
    widget->setFocusPolicy(control.tabOrder >= 0 ? Qt::StrongFocus : Qt::NoFocus);
    made.objects[i] = widget;
  }
  return made;
}

MainWindow::MainWindow()
    : controls_(Build(*this)),
      matchesBox_(&Named<GroupBoxWidget>(design::kMatchesBox)),
      list_(&Named<ReportListWidget>(design::kMatchList)),
      totalPages_(&Named<LabelWidget>(design::kTotalPages)),
      totalCount_(&Named<LabelWidget>(design::kTotalCount)),
      pageList_(&Named<ComboBoxWidget>(design::kPageList)),
      pageSizeList_(&Named<ComboBoxWidget>(design::kPageSizeList)),
      leftTimer_(TimerNamed(design::kLeftTimer)),
      rightTimer_(TimerNamed(design::kRightTimer)),
      stripPlace_(&Named<QWidget>(design::kStrip)),
      teamsPlace_(&Named<QWidget>(design::kTeamsBox)),
      strip_(stripPlace_, teamsPlace_, leftTimer_, rightTimer_) {
  setWindowTitle(Name(design::kWindow.title));
  setObjectName(Name(design::kWindow.title));
  // Caption, system menu, minimise and close; no maximise, and the size is fixed.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(design::kWindow.clientWidth, design::kWindow.clientHeight);
  // Sized like the small default dialog font the design was laid out with.
  QFont dialogFont = font();
  dialogFont.setPixelSize(12);
  setFont(dialogFont);
  setWindowIcon(QIcon(Picture(design::kWindow.icon, controls_.picturesFound)));

  for (const design::Control& control : design::kControls) {
    const int logo = design::LogoIndex(control);
    if (logo < 0) continue;
    Named<PictureBox>(control.name).SetPressHandler([this, logo](int x, int y, int keys) {
      Raise([&](BrowserEvents& e) { e.LogoPressed(logo, x, y, keys); });
    });
  }
  leftTimer_.SetTickHandler([this] { strip_.LeftwardTick(); });
  rightTimer_.SetTickHandler([this] { strip_.RightwardTick(); });

  connect(&Named<QPushButton>(design::kPrevious), &QPushButton::clicked, this,
          [this] { Raise([](BrowserEvents& e) { e.PreviousPageClicked(); }); });
  connect(&Named<QPushButton>(design::kNext), &QPushButton::clicked, this,
          [this] { Raise([](BrowserEvents& e) { e.NextPageClicked(); }); });
  pageList_->SetSelectedHandler([this] { Raise([](BrowserEvents& e) { e.PageSelected(); }); });
  pageSizeList_->SetSelectedHandler(
      [this] { Raise([](BrowserEvents& e) { e.PageSizeSelected(); }); });
  list_->SetRightClickHandler(
      [this] { Raise([](BrowserEvents& e) { e.MatchListRightClicked(); }); });

  const auto stops = design::TabStops();
  for (std::size_t i = 1; i < stops.size(); ++i) {
    setTabOrder(&Named<QWidget>(stops[i - 1]->name), &Named<QWidget>(stops[i]->name));
  }
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
