// kovarra.exe as main.cpp makes it, built against the fake league service, that also prints how
// long each logo press took from the press to the last row written: the end-to-end test's figure.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>

#include "ui/win32/platform.hpp"
#include "ui/win32/service_browser.hpp"
#include "ui/win32/startup.hpp"

namespace {

using namespace kovarra;

class TimedPresses : public win32::ServiceBrowser {
 public:
  using win32::ServiceBrowser::ServiceBrowser;
  void LogoPressed(int logo, int x, int y, int keyState) override {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    win32::ServiceBrowser::LogoPressed(logo, x, y, keyState);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    std::printf("press to rows: %.2f ms\n", ms);
    std::fflush(stdout);
  }
};

}  // namespace

int main() {
  win32::Win32PlatformServices services;
  return win32::RunMainWindow(
      services, &win32::MainWindow::Load,
      [](MatchWindow& window, PlatformServices& platform) -> std::unique_ptr<BrowserEvents> {
        return std::make_unique<TimedPresses>(window, platform);
      });
}
