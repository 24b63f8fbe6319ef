#pragma once

// The match browser as the program runs it behind either shell's window: its requests go to
// the league service through the shell's busy fetcher (`Busy`, made over the service's fetcher),
// and it owns both.

#include "matches/browser.hpp"
#include "matches/service.hpp"

namespace kovarra {

template <typename Busy>
class ServiceBrowserOver : public BrowserEvents {
 public:
  ServiceBrowserOver(MatchWindow& window, PlatformServices& platform,
                     const ServiceDescription& service = BuiltInService())
      : service_(service), busy_(service_), browser_(window, platform, busy_) {}

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
  Busy busy_;
  MatchBrowser browser_;
};

}  // namespace kovarra
