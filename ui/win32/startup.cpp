#include "ui/win32/startup.hpp"

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/win32/platform.hpp"

namespace kovarra::win32 {

void RunMessageLoop(MainWindow& window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int RunMainWindow(PlatformServices& services, const WindowFactory& makeWindow,
                  const BrowserFactory& makeBrowser) {
  RegisterExitAction(ReleaseSelectedTeamId);
  StartLibraries();

  std::unique_ptr<MainWindow> window = makeWindow();
  if (!window) {
    services.ShowMessage(Gbk("程序启动失败：无法创建主窗口。"), kStyleCritical, std::nullopt);
    DiscardExitActions();
    ReleaseLibraries();
    return -1;
  }
  std::unique_ptr<BrowserEvents> browser = makeBrowser ? makeBrowser(*window, services) : nullptr;
  window->SetBrowserEvents(browser.get());
  window->ShowCentred();

  RunMessageLoop(*window);

  // The team selection goes after the window, and before the process ends.
  window->SetBrowserEvents(nullptr);
  window.reset();
  browser.reset();
  RunExitActions();
  ReleaseLibraries();
  return 0;
}

}  // namespace kovarra::win32
