#pragma once

// The match browser over the league service that the build names, owning its fetchers: what
// kovarra.exe runs behind its window.

#include "matches/browser.hpp"
#include "matches/service.hpp"
#include "ui/win32/busy_fetcher.hpp"

namespace kovarra::win32 {

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
  BusyFetcher busy_;
  MatchBrowser browser_;
};

}  // namespace kovarra::win32
