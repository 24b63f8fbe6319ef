// kovarra.exe: the window over the league service that the build names.

#include "ui/win32/platform.hpp"
#include "ui/win32/service_browser.hpp"
#include "ui/win32/startup.hpp"

int main() {
  using namespace kovarra;
  win32::Win32PlatformServices services;
  return win32::RunMainWindow(
      services, &win32::MainWindow::Load,
      [](MatchWindow& window, PlatformServices& platform) -> std::unique_ptr<BrowserEvents> {
        return std::make_unique<win32::ServiceBrowser>(window, platform);
      });
}
