// kovarra.exe: the window over the league service that the build names.

#include "matches/browser.hpp"
#include "matches/service.hpp"
#include "ui/win32/busy_fetcher.hpp"
#include "ui/win32/platform.hpp"
#include "ui/win32/startup.hpp"

namespace {

using namespace kovarra;

// The match browser over the league service, owning its fetchers.
class ServiceBrowser : public BrowserEvents {
 public:
  ServiceBrowser(MatchWindow& window, PlatformServices& platform)
      : service_(BuiltInService()), busy_(service_), browser_(window, platform, busy_) {}
  void LogoPressed(int logo, int x, int y, int keyState) override {
    browser_.LogoPressed(logo, x, y, keyState);
  }
  void PreviousPageClicked() override { browser_.PreviousPageClicked(); }
  void NextPageClicked() override { browser_.NextPageClicked(); }
  void PageSizeSelected() override { browser_.PageSizeSelected(); }
  void PageSelected() override { browser_.PageSelected(); }
  void MatchListRightClicked() override { browser_.MatchListRightClicked(); }

 private:
  ServiceFetcher service_;
  win32::BusyFetcher busy_;
  MatchBrowser browser_;
};

}  // namespace

int main() {
  win32::Win32PlatformServices services;
  return win32::RunMainWindow(
      services, &win32::MainWindow::Load,
      [](MatchWindow& window, PlatformServices& platform) -> std::unique_ptr<BrowserEvents> {
        return std::make_unique<ServiceBrowser>(window, platform);
      });
}
