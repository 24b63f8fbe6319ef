// The whole road of a query in one process: the real window, WebRequest over libcurl and the
// fake league service on 127.0.0.1.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "kovarra_config.hpp"
#include "matches/browser.hpp"
#include "matches/service.hpp"
#include "tests/fake_league/fake_league.hpp"
#include "tests/support/tls_identity.hpp"
#include "ui/lifecycle.hpp"
#include "ui/qt/busy_fetcher.hpp"
#include "ui/qt/controls.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/platform.hpp"
#include "ui/qt/qt_text.hpp"

namespace kovarra {
namespace {

using testing::FakeLeagueMatches;
using testing::FakeLeagueService;
using testing::FakeMatch;
using testing::TestTlsIdentity;

struct Message {
  QString text;
  int style;
  std::optional<QString> title;
  bool cursorBusy;  // the wait cursor was still up when the box was to be shown
};

// Messages are recorded instead of shown; the desktop's open action is the real one.
class RecordingServices : public PlatformServices {
 public:
  int ShowMessage(const Text& text, int style, const std::optional<Text>& title) override {
    std::optional<QString> shownTitle;
    if (title) shownTitle = ToQt(*title);
    messages.push_back(
        {ToQt(text), style, shownTitle, QGuiApplication::overrideCursor() != nullptr});
    return 1;
  }
  void OpenUrl(const Text& url) override { real.OpenUrl(url); }
  void TerminateProgram(int exitCode) override { exits.push_back(exitCode); }

  QtPlatformServices real;
  std::vector<Message> messages;
  std::vector<int> exits;
};

// Takes the addresses that the desktop would open in the browser.
class UrlSink : public QObject {
  Q_OBJECT
 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString()); }

 public:
  std::vector<QString> urls;
};

// Notes the cursor while the request is under way. The fetch runs on a worker thread, so the
// cursor is read where it lives, on the GUI thread, which keeps running while the fetch waits.
class CursorProbe : public MatchFetcher {
 public:
  explicit CursorProbe(MatchFetcher& inner) : inner_(inner) {}
  Text Fetch(const Text& url) override {
    QMetaObject::invokeMethod(
        qApp,
        [this] {
          const QCursor* cursor = QGuiApplication::overrideCursor();
          busyDuringFetch.push_back(cursor && cursor->shape() == Qt::WaitCursor);
        },
        Qt::BlockingQueuedConnection);
    return inner_.Fetch(url);
  }
  std::vector<bool> busyDuringFetch;

 private:
  MatchFetcher& inner_;
};

ServiceDescription LoopbackService(int port) {
  ServiceDescription service;
  service.dataOrigin = Text("https://127.0.0.1:" + std::to_string(port));
  service.http.extraCaFile = TestTlsIdentity().caCertPath;
  service.http.connectTimeoutMs = 5000;
  service.http.totalTimeoutMs = 10000;
  return service;
}

QString Utf8(const std::string& s) {
  return QString::fromUtf8(s.data(), int(s.size()));
}

// The seven cells a fixture match must show, as the user reads them.
std::vector<QString> ExpectedCells(const FakeMatch& m) {
  const std::string status = m.status == "1"   ? "未开始"
                             : m.status == "2" ? "进行中"
                             : m.status == "3" ? "已结束"
                                               : "";
  std::string narrators = m.narratorA + " - " + m.narratorB;
  if (m.narratorC != "默认") narrators += " - " + m.narratorC;
  const std::string video = m.newsId == "0" ? "暂无视频"
                                            : std::string("https://") + KOVARRA_SITE_HOST +
                                                  "/es/video_detail.shtml?nid=" + m.newsId;
  return {Utf8(status),    Utf8(m.date),    Utf8(m.scoreA + " - " + m.scoreB),
          Utf8(m.pairing), Utf8(narrators), Utf8(m.event),
          Utf8(video)};
}

std::string Query(const char* team, int page, int pagesize) {
  return "r1=MatchList&page=" + std::to_string(page) + "&pagesize=" + std::to_string(pagesize) +
         "&p2=" + team + "&p6=2";
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectedTeamId() = Text();
    ASSERT_TRUE(service.Start(TestTlsIdentity().serverCertPath, TestTlsIdentity().serverKeyPath));
    window = MainWindow::Load();
    ASSERT_NE(window, nullptr);
    window->ShowCentred();
    // The strip's ticks would move the logos under the pointer; this test holds them still.
    window->CanBeClosed();
    fetcher = std::make_unique<ServiceFetcher>(LoopbackService(service.Port()));
    probe = std::make_unique<CursorProbe>(*fetcher);
    busy = std::make_unique<BusyCursorFetcher>(*probe);
    browser = std::make_unique<MatchBrowser>(*window, services, *busy);
    window->SetBrowserEvents(browser.get());
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "Open");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    if (window) window->SetBrowserEvents(nullptr);
    SelectedTeamId() = Text();
  }

  template <typename W>
  W* Control(const char* utf8Name) {
    W* control = window->findChild<W*>(QString::fromUtf8(utf8Name));
    EXPECT_NE(control, nullptr) << utf8Name;
    return control;
  }

  void PressLogo(const char* team) {
    PictureBox* logo = Control<PictureBox>((std::string("图片框_") + team).c_str());
    QTest::mousePress(logo, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::mouseRelease(logo, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
  }
  void Click(const char* button) {
    QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton);
  }
  // As the user picks an item from the list: the event arrives through the event queue.
  void Choose(const char* combo, int index) {
    ComboBoxWidget* box = Control<ComboBoxWidget>(combo);
    box->setCurrentIndex(index);
    emit box->activated(index);
    QCoreApplication::processEvents();
  }
  void RightClickRow(int row) {
    ReportListWidget* list = Control<ReportListWidget>("超级列表框");
    const QPoint at = list->visualItemRect(list->item(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, at);
  }

  // Every cell of the list against the fixture's matches of one page.
  void ExpectRows(const std::string& team, int page, int pagesize) {
    const auto& matches = FakeLeagueMatches(team);
    std::vector<std::vector<QString>> expected;
    for (int i = (page - 1) * pagesize; i < page * pagesize && i < int(matches.size()); ++i) {
      expected.push_back(ExpectedCells(matches[i]));
    }
    std::vector<std::vector<QString>> shown;
    ReportList& list = window->MatchList();
    for (int r = 0; r < list.RowCount(); ++r) {
      shown.emplace_back();
      for (int c = 0; c < 7; ++c) shown.back().push_back(ToQt(list.GetCell(r, c)));
    }
    EXPECT_EQ(shown, expected);
  }

  // Totals, page numbers and the selected page as the answer for team and page left them.
  void ExpectSummary(const std::string& team, int page, int pagesize) {
    const int total = int(FakeLeagueMatches(team).size());
    const int pages = (total + pagesize - 1) / pagesize;
    EXPECT_EQ(window->TotalCountLabel().Caption(), Text(std::to_string(total)));
    EXPECT_EQ(window->TotalPagesLabel().Caption(), Text(std::to_string(pages)));
    ComboBox& list = window->PageList();
    ASSERT_EQ(list.ItemCount(), pages);
    for (int i = 0; i < pages; ++i) {
      EXPECT_EQ(list.ItemText(i), Text(std::to_string(i + 1)));
      EXPECT_EQ(list.ItemValue(i), i + 1);
    }
    EXPECT_EQ(list.SelectedIndex(), page - 1);
  }

  std::vector<std::string> TakeQueries() {
    auto queries = service.Queries();
    service.ClearQueries();
    return queries;
  }

  FakeLeagueService service;
  std::unique_ptr<MainWindow> window;
  RecordingServices services;
  std::unique_ptr<ServiceFetcher> fetcher;
  std::unique_ptr<CursorProbe> probe;
  std::unique_ptr<BusyCursorFetcher> busy;
  std::unique_ptr<MatchBrowser> browser;
  UrlSink sink;
};

TEST_F(EndToEnd, PressingALogoLoadsTheFirstPageOfThatTeam) {
  PressLogo("we");
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("12", 1, 5)}));
  EXPECT_EQ(ToQt(window->MatchGroupBox().Caption()), QString::fromUtf8("WE - 近期比赛"));
  ExpectSummary("12", 1, 5);
  ExpectRows("12", 1, 5);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(probe->busyDuringFetch, std::vector<bool>{true});
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EndToEnd, PagingPageSizeAndPageChoiceLoadWhatTheySay) {
  PressLogo("rng");
  TakeQueries();

  Click("按钮_下一页");
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("8", 2, 5)}));
  ExpectSummary("8", 2, 5);
  ExpectRows("8", 2, 5);

  Click("按钮_上一页");
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("8", 1, 5)}));
  ExpectRows("8", 1, 5);

  Choose("组合框_显示数量", 2);  // 20
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("8", 1, 20)}));
  ExpectSummary("8", 1, 20);
  ExpectRows("8", 1, 20);

  Choose("组合框_当前页", 2);  // page 3, the last at 20 a page
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("8", 3, 20)}));
  ExpectSummary("8", 3, 20);
  ExpectRows("8", 3, 20);

  Click("按钮_下一页");
  EXPECT_TRUE(TakeQueries().empty());
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].text, QString::fromUtf8("已经是最后一页"));

  // Another team keeps the page number.
  PressLogo("tes");
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("42", 3, 20)}));
  ExpectRows("42", 3, 20);
  EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(EndToEnd, RightClickOpensExactlyTheVideoAddress) {
  PressLogo("we");
  const auto& matches = FakeLeagueMatches("12");
  ASSERT_EQ(matches[3].status, "3");
  ASSERT_NE(matches[3].newsId, "0");
  ASSERT_EQ(matches[0].newsId, "0");

  RightClickRow(3);
  EXPECT_EQ(sink.urls, std::vector<QString>{ExpectedCells(matches[3])[6]});
  EXPECT_TRUE(services.messages.empty());

  RightClickRow(0);
  EXPECT_EQ(sink.urls.size(), 1u);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].text, QString::fromUtf8("比赛未开始"));
  EXPECT_EQ(services.messages[0].style, kStylePlain);
  EXPECT_EQ(services.messages[0].title, QString::fromUtf8("温馨提示"));
}

TEST_F(EndToEnd, UnreachableServiceEmptiesTotalsAndPagesAndKeepsTheRows) {
  PressLogo("edg");
  ExpectRows("1", 1, 5);
  service.Stop();

  PressLogo("fpx");
  EXPECT_EQ(window->TotalCountLabel().Caption(), Text());
  EXPECT_EQ(window->TotalPagesLabel().Caption(), Text());
  EXPECT_EQ(window->PageList().ItemCount(), 0);
  EXPECT_EQ(window->PageList().SelectedIndex(), -1);
  ExpectRows("1", 1, 5);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].text, QString::fromUtf8("数据匹配有误"));
  EXPECT_EQ(services.messages[0].style, kStyleCritical);
  EXPECT_EQ(services.messages[0].title, std::nullopt);
  EXPECT_FALSE(services.messages[0].cursorBusy);
  EXPECT_EQ(probe->busyDuringFetch, (std::vector<bool>{true, true}));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EndToEnd, TheProgramsOwnAssemblyReachesTheService) {
  window->SetBrowserEvents(nullptr);
  const std::unique_ptr<BrowserEvents> assembled =
      std::make_unique<ServiceBrowser>(*window, services, LoopbackService(service.Port()));
  window->SetBrowserEvents(assembled.get());
  PressLogo("v5");
  EXPECT_EQ(TakeQueries(), (std::vector<std::string>{Query("587", 1, 5)}));
  ExpectRows("587", 1, 5);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  window->SetBrowserEvents(nullptr);
}

// --- The no-data answer ends the process --------------------------------------------------------

bool g_closeEventSeen = false;
bool g_noDataBoxShown = false;

void ReportAtExit(int /*position*/) {
  std::fprintf(stderr, "exit actions ran; box=%s; close handler=%s\n",
               g_noDataBoxShown ? "no-data" : "none", g_closeEventSeen ? "yes" : "no");
  std::fflush(stderr);
}

class CloseWatcher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) g_closeEventSeen = true;
    return QObject::eventFilter(watched, event);
  }
};

// Closes the message box that is up, as the user would, noting which one it was.
void DismissBoxes() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box) return;
  g_noDataBoxShown = box->text() == QString::fromUtf8("未查询到数据") &&
                     box->windowTitle() == QString::fromUtf8("温馨提示") &&
                     box->icon() == QMessageBox::Information;
  box->button(QMessageBox::Ok)->click();
}

TEST_F(EndToEnd, NoDataAnswerEndsTheProcessWithZeroAfterItsMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // The real services: a real box, then the real end of the process.
        QtPlatformServices real;
        MatchBrowser endingBrowser(*window, real, *busy);
        window->SetBrowserEvents(&endingBrowser);
        CloseWatcher watcher;
        window->installEventFilter(&watcher);
        RegisterExitAction(ReportAtExit);
        QTimer dismiss;
        QObject::connect(&dismiss, &QTimer::timeout, &DismissBoxes);
        dismiss.start(50);
        // No logo pressed yet: the page-size list queries with an empty team, which the
        // service does not know.
        Choose("组合框_显示数量", 1);
        std::fprintf(stderr, "still running\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "exit actions ran; box=no-data; close handler=no");
}

}  // namespace
}  // namespace kovarra

#include "e2e_browser_test.moc"
