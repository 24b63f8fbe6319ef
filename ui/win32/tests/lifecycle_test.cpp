#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/win32/platform.hpp"
#include "ui/win32/startup.hpp"
#include "ui/win32/wide_text.hpp"

namespace kovarra::win32 {
namespace {

struct RecordingServices : PlatformServices {
  std::vector<std::string> log;
  int ShowMessage(const Text& text, int style, const std::optional<Text>&) override {
    log.push_back(GbkToUtf8(text.view()) + " " + std::to_string(style));
    return 1;
  }
  void OpenUrl(const Text&) override {}
  void TerminateProgram(int) override {}
};

std::vector<int> actionsRun;
void RecordAction(int position) {
  actionsRun.push_back(position);
}

TEST(LifecycleTest, WindowThatCannotBeMadeEndsWithMinusOneAndRunsNoExitAction) {
  RecordingServices services;
  actionsRun.clear();
  RegisterExitAction(RecordAction);
  const int code = RunMainWindow(
      services, [] { return std::unique_ptr<MainWindow>(); }, nullptr);
  EXPECT_EQ(code, -1);
  ASSERT_EQ(services.log.size(), 1u);
  EXPECT_NE(services.log[0].find(" 16"), std::string::npos);
  RunExitActions();
  EXPECT_TRUE(actionsRun.empty());
}

TEST(LifecycleTest, ClosedWindowEndsTheLoopWithZeroAfterTheExitActions) {
  RecordingServices services;
  actionsRun.clear();
  RegisterExitAction(RecordAction);
  MainWindow* made = nullptr;
  const int code = RunMainWindow(
      services,
      [&made] {
        auto window = MainWindow::Load();
        made = window.get();
        // The user's close request, waiting for the loop.
        if (window) PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
        return window;
      },
      nullptr);
  EXPECT_NE(made, nullptr);
  EXPECT_EQ(code, 0);
  // Registered here before the program registers its own: run first, at position 0.
  EXPECT_EQ(actionsRun, std::vector<int>{0});
  EXPECT_TRUE(services.log.empty());
}

// Reads the title of the message box that is up, then closes it; runs inside its modal loop.
std::wstring boxTitle;
int ticksDuringBox = 0;
void CALLBACK CloseTheBox(HWND, UINT, UINT_PTR, DWORD) {
  ++ticksDuringBox;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        boxTitle = title;
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return FALSE;
      },
      0);
}

struct TitleCase {
  const char* name;
  std::optional<const char*> title;
  const wchar_t* shown;
  friend void PrintTo(const TitleCase& c, std::ostream* out) { *out << c.name; }
};

class MessageTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(MessageTitleTest, BoxShowsItsTitleAndTimersTickBehindIt) {
  const TitleCase& c = GetParam();
  boxTitle.clear();
  ticksDuringBox = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseTheBox);
  Win32PlatformServices services;
  std::optional<Text> title;
  if (c.title) title = Gbk(*c.title);
  const int pressed = services.ShowMessage(Gbk("没有数据"), kStyleInformation, title);
  KillTimer(nullptr, timer);
  EXPECT_EQ(pressed, IDOK);
  EXPECT_EQ(boxTitle, c.shown);
  EXPECT_GE(ticksDuringBox, 1);
}

INSTANTIATE_TEST_SUITE_P(Titles, MessageTitleTest,
                         testing::Values(TitleCase{"Given", "温馨提示", L"温馨提示"},
                                         TitleCase{"LeftOut", std::nullopt, L"信息："},
                                         TitleCase{"Empty", "", L"信息："}),
                         [](const testing::TestParamInfo<TitleCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace kovarra::win32
