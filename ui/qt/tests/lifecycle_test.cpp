#include "ui/lifecycle.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <optional>
#include <vector>

#include "core/codepage.hpp"
#include "matches/ports.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/platform.hpp"
#include "ui/qt/startup.hpp"

namespace kovarra {
namespace {

std::vector<int> g_calls;
void First(int position) {
  g_calls.push_back(100 + position);
}
void Second(int position) {
  g_calls.push_back(200 + position);
}

class ExitActionsTest : public testing::Test {
 protected:
  void SetUp() override {
    DiscardExitActions();
    g_calls.clear();
  }
  void TearDown() override { DiscardExitActions(); }
};

TEST_F(ExitActionsTest, RunOnceInOrderOfRegistrationWithTheirPositions) {
  RegisterExitAction(First);
  RegisterExitAction(Second);
  RegisterExitAction(First);  // already there: nothing changes
  RegisterExitAction(nullptr);
  RunExitActions();
  EXPECT_EQ(g_calls, (std::vector<int>{100, 201}));
  RunExitActions();
  EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(ExitActionsTest, DiscardedActionsNeverRun) {
  RegisterExitAction(First);
  DiscardExitActions();
  RunExitActions();
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(ExitActionsTest, ReleasingAnEmptySelectionIsHarmless) {
  ReleaseSelectedTeamId(0);
  ReleaseSelectedTeamId(0);
  EXPECT_TRUE(SelectedTeamId().empty());
}

void SayReleased(int) {
  std::fputs("released\n", stderr);
}

TEST_F(ExitActionsTest, TerminateProgramRunsTheExitActionsAndEndsWithTheCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QtPlatformServices services;
  RegisterExitAction(SayReleased);
  EXPECT_EXIT(services.TerminateProgram(0), testing::ExitedWithCode(0), "released");
  EXPECT_EXIT(services.TerminateProgram(3), testing::ExitedWithCode(3), "released");
}

struct RecordingServices : PlatformServices {
  std::vector<std::pair<int, std::optional<Text>>> messages;
  int ShowMessage(const Text&, int style, const std::optional<Text>& title) override {
    messages.emplace_back(style, title);
    return 1;
  }
  void OpenUrl(const Text&) override {}
  void TerminateProgram(int) override {}
};

TEST_F(ExitActionsTest, FatalStartUpErrorIsReportedAndEndsWithMinusOne) {
  RecordingServices services;
  RegisterExitAction(First);
  const int code = RunMainWindow(
      services, [] { return std::unique_ptr<MainWindow>(); }, nullptr);
  EXPECT_EQ(code, -1);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].first, kStyleCritical);
  RunExitActions();
  EXPECT_TRUE(g_calls.empty());
}

struct CountingBrowser : BrowserEvents {
  explicit CountingBrowser(int& n) : next(n) {}
  int& next;
  void LogoPressed(int, int, int, int) override {}
  void PreviousPageClicked() override {}
  void NextPageClicked() override { ++next; }
  void PageSizeSelected() override {}
  void PageSelected() override {}
  void MatchListRightClicked() override {}
};

bool g_windowGoneAtExit = false;
void CheckWindowGone(int) {
  g_windowGoneAtExit = true;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String("KovarraV2.0")) g_windowGoneAtExit = false;
  }
}

TEST_F(ExitActionsTest, OrdinaryEndRunsTheBrowserThenReleasesAfterTheWindowIsGone) {
  RecordingServices services;
  RegisterExitAction(CheckWindowGone);
  SelectedTeamId() = Text("587");
  int nextClicks = 0;
  QTimer::singleShot(50, [] {
    QWidget* window = QApplication::activeWindow();
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == QLatin1String("KovarraV2.0")) window = w;
    }
    ASSERT_TRUE(window);
    QTest::mouseClick(window->findChild<QPushButton*>(QString::fromUtf8("按钮_下一页")),
                      Qt::LeftButton);
    QTest::keyClick(window, Qt::Key_Escape);
  });
  const int code = RunMainWindow(services, &MainWindow::Load, [&](MatchWindow&, PlatformServices&) {
    return std::make_unique<CountingBrowser>(nextClicks);
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(g_windowGoneAtExit);
  EXPECT_TRUE(SelectedTeamId().empty());
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(nextClicks, 1);
}

}  // namespace
}  // namespace kovarra
