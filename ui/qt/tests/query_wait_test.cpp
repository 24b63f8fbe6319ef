// A query whose answer is slow to come: the window keeps painting, takes no input, the strip
// stands still, and a close request waits for the answer.

#include "ui/qt/query_wait.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/fake_league/fake_league.hpp"
#include "tests/support/loopback_server.hpp"
#include "ui/qt/busy_fetcher.hpp"
#include "ui/qt/main_window.hpp"

namespace kovarra {
namespace {

using testing::FakeLeagueAnswer;
using testing::RawConnection;
using testing::ScriptedServer;

struct SilentServices : PlatformServices {
  std::vector<Text> messages;
  int ShowMessage(const Text& text, int, const std::optional<Text>&) override {
    messages.push_back(text);
    return 1;
  }
  void OpenUrl(const Text&) override {}
  void TerminateProgram(int) override {}
};

// Counts the paint events of one window and its controls.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* window) : window_(window) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
      ++paints;
    }
    return false;
  }
  int paints = 0;

 private:
  QWidget* window_;
};

// Answers the match-list request with the fake league's answer, but only once released.
class StallingService {
 public:
  StallingService()
      : released_(release_.get_future().share()), server_([this](RawConnection& c) { Serve(c); }) {}
  ~StallingService() { Release(); }
  bool Start() { return server_.Start(); }
  void Release() {
    if (!releasedOnce_.exchange(true)) release_.set_value();
  }
  bool RequestArrived() const { return arrived_; }
  int Requests() const { return static_cast<int>(server_.Requests().size()); }
  ServiceDescription Description() const {
    ServiceDescription service;
    service.dataOrigin = Text("http://127.0.0.1:" + std::to_string(server_.port()));
    service.http.connectTimeoutMs = 5000;
    service.http.totalTimeoutMs = 20000;
    return service;
  }

 private:
  void Serve(RawConnection& c) {
    const std::string request = c.ReadRequest();
    arrived_ = true;
    if (released_.wait_for(std::chrono::seconds(20)) != std::future_status::ready) return;
    const std::size_t from = request.find('?') + 1;
    const std::string body = FakeLeagueAnswer(request.substr(from, request.find(' ', from) - from));
    c.Send("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  }

  std::promise<void> release_;
  std::shared_future<void> released_;
  std::atomic<bool> releasedOnce_{false};
  std::atomic<bool> arrived_{false};
  ScriptedServer server_;
};

TEST(QueryWaitTest, WhileTheAnswerIsOutTheWindowPaintsTakesNoInputAndClosesOnlyAfterwards) {
  StallingService service;
  ASSERT_TRUE(service.Start());
  std::unique_ptr<MainWindow> window = MainWindow::Load();
  ASSERT_TRUE(window);
  SilentServices services;
  ServiceBrowser browser(*window, services, service.Description());
  window->SetBrowserEvents(&browser);
  window->ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  PaintCounter counter(window.get());
  qApp->installEventFilter(&counter);

  auto* next = window->findChild<QPushButton*>(QString::fromUtf8("按钮_下一页"));
  auto* sizes = window->findChild<QComboBox*>(QString::fromUtf8("组合框_显示数量"));
  auto* logo = window->findChild<QWidget*>(QString::fromUtf8("图片框_we"));
  ASSERT_TRUE(next && sizes && logo);
  next->setFocus();

  // What happens during the wait, driven from the GUI thread's own loop.
  struct During {
    bool reached = false;
    int stripLeft = 0;
    int paintsBefore = 0, paintsAfter = 0;
    bool stripStill = true;
    bool openAfterClose = false;
    bool focusKept = false;
  } during;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (during.reached || !service.RequestArrived() || !QueryWaiting()) return;
    during.reached = true;
    during.stripLeft = window->StripPlace().Left();
    during.paintsBefore = counter.paints;
    // Uncovered and asked to repaint by the desktop.
    QCoreApplication::postEvent(window->windowHandle(), new QExposeEvent(QRegion(window->rect())));
    window->update();
    // Input of every kind: none of it may start anything.
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mousePress(logo, Qt::LeftButton);
    QTest::keyClick(next, Qt::Key_Space);
    QTest::keyClick(next, Qt::Key_Tab);
    emit sizes->activated(2);  // a pick on its way through the event queue
    // The close box, then Esc: both wait.
    window->close();
    QTest::keyClick(next, Qt::Key_Escape);
    // Several ticks' worth of time.
    QTest::qWait(400);
    during.paintsAfter = counter.paints;
    during.stripStill = window->StripPlace().Left() == during.stripLeft;
    during.openAfterClose = window->isVisible();
    during.focusKept = QApplication::focusWidget() == next;
    service.Release();
  });
  driver.start(20);

  QTest::mousePress(logo, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
  driver.stop();
  qApp->removeEventFilter(&counter);

  ASSERT_TRUE(during.reached);
  EXPECT_GT(during.paintsAfter, during.paintsBefore);
  EXPECT_TRUE(during.stripStill);
  EXPECT_TRUE(during.openAfterClose);
  EXPECT_TRUE(during.focusKept);
  EXPECT_EQ(service.Requests(), 1);
  // The answer was shown, and then the close went ahead.
  EXPECT_EQ(window->MatchList().RowCount(), 5);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->LeftTimer().Period(), 0);
  EXPECT_FALSE(QueryWaiting());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  window->SetBrowserEvents(nullptr);
}

TEST(QueryWaitTest, TheStripMovesAgainAndInputIsTakenOnceTheWaitIsOver) {
  std::unique_ptr<MainWindow> window = MainWindow::Load();
  ASSERT_TRUE(window);
  window->ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  bool ran = false;
  WaitWhileRunning([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ran = true;
  });
  EXPECT_TRUE(ran);
  const int left = window->StripPlace().Left();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->StripPlace().Left() != left; }, 3000));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace kovarra
