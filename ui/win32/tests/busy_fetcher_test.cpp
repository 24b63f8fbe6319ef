#include "ui/win32/busy_fetcher.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "ui/win32/main_window.hpp"

namespace kovarra::win32 {
namespace {

struct CountingBrowser : BrowserEvents {
  int events = 0;
  void LogoPressed(int, int, int, int) override { ++events; }
  void PreviousPageClicked() override { ++events; }
  void NextPageClicked() override { ++events; }
  void PageSizeSelected() override { ++events; }
  void PageSelected() override { ++events; }
  void MatchListRightClicked() override { ++events; }
};

// Stands in for the league service: while it "waits for the answer" the user clicks, the
// window needs painting and a close request comes in.
struct SlowService : MatchFetcher {
  MainWindow* window = nullptr;
  bool paintedWhileWaiting = false;
  Text Fetch(const Text& url) override {
    HWND logo = window->ControlHandle("图片框_blg");
    HWND label = window->ControlHandle(design::kTotalPages);
    PostMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(window->ControlHandle(design::kNext), WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
    InvalidateRect(label, nullptr, TRUE);
    Sleep(400);
    RECT left{};
    paintedWhileWaiting = !GetUpdateRect(label, &left, FALSE);
    return url;
  }
};

TEST(BusyFetcherTest, WindowPaintsButTakesNoInputAndNoTickWhileTheAnswerIsAwaited) {
  auto window = MainWindow::Load();
  ASSERT_TRUE(window);
  window->ShowCentred();
  CountingBrowser browser;
  window->SetBrowserEvents(&browser);
  SlowService service;
  service.window = window.get();
  BusyFetcher busy(service);
  const int before = window->StripPlace().Left();

  EXPECT_EQ(busy.Fetch(Text("answer")), Text("answer"));
  EXPECT_TRUE(service.paintedWhileWaiting);
  EXPECT_EQ(window->StripPlace().Left(), before);
  EXPECT_NE(window->Handle(), nullptr);

  // Afterwards the close request is handled; the click was never delivered.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
    if (window->PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  EXPECT_EQ(browser.events, 0);
  EXPECT_EQ(window->Handle(), nullptr);
}

}  // namespace
}  // namespace kovarra::win32
