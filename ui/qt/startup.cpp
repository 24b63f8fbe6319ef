#include "ui/qt/startup.hpp"

#include <QApplication>

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/qt/busy_fetcher.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/platform.hpp"

namespace kovarra {

namespace {

// The match browser that handles the logo presses, the paging controls and the right click,
// talking to the service that the build names.
std::unique_ptr<BrowserEvents> MakeMatchBrowser(MatchWindow& window, PlatformServices& services) {
  return std::make_unique<ServiceBrowser>(window, services, BuiltInService());
}

}  // namespace

int RunMainWindow(PlatformServices& services, const WindowFactory& makeWindow,
                  const BrowserFactory& makeBrowser) {
  RegisterExitAction(ReleaseSelectedTeamId);

  std::unique_ptr<MainWindow> window = makeWindow();
  if (!window) {
    services.ShowMessage(Gbk("程序启动失败：无法创建主窗口。"), kStyleCritical, std::nullopt);
    DiscardExitActions();
    return -1;
  }
  std::unique_ptr<BrowserEvents> browser = makeBrowser ? makeBrowser(*window, services) : nullptr;
  window->SetBrowserEvents(browser.get());
  window->ShowCentred();

  QApplication::exec();

  // The team selection goes after the window, and before the process ends.
  window->SetBrowserEvents(nullptr);
  window.reset();
  browser.reset();
  RunExitActions();
  return 0;
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kovarra"));
  QApplication::setQuitOnLastWindowClosed(true);
  QtPlatformServices services;
  return RunMainWindow(services, &MainWindow::Load, &MakeMatchBrowser);
}

}  // namespace kovarra
