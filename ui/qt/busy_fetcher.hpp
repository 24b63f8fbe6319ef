#pragma once

// The match browser as the program runs it: its requests go to the league service, and the
// window shows the wait cursor while one is under way.

#include <QGuiApplication>
#include <memory>

#include "matches/browser.hpp"
#include "matches/ports.hpp"
#include "matches/service.hpp"
#include "ui/qt/query_wait.hpp"
#include "ui/service_browser.hpp"

namespace kovarra {

// Runs each fetch on a worker thread while the window waits (see query_wait.hpp), with the
// platform's wait cursor up. The fetch returns before the browser shows any message, so the
// cursor is back by then, on every way out. The inner fetcher must be self-contained: it runs
// off the GUI thread and touches nothing of the window.
class BusyCursorFetcher : public MatchFetcher {
 public:
  explicit BusyCursorFetcher(MatchFetcher& inner) : inner_(inner) {}
  Text Fetch(const Text& url) override {
    const WaitCursor wait;
    Text answer;
    WaitWhileRunning([&] { answer = inner_.Fetch(url); });
    return answer;
  }

 private:
  class WaitCursor {
   public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
  };

  MatchFetcher& inner_;
};

// A MatchBrowser over a ServiceFetcher behind a BusyCursorFetcher, owning both.
using ServiceBrowser = ServiceBrowserOver<BusyCursorFetcher>;

}  // namespace kovarra
