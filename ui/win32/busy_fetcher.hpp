#pragma once

// A fetch as the window lives it: the request runs on a worker thread while this thread keeps
// the window painted and drops the user's input, so the window stays drawn but takes nothing
// until the answer is in; no timer tick runs meanwhile, and other messages (a close request)
// wait their turn.

#include "matches/browser.hpp"

namespace kovarra::win32 {

class BusyFetcher : public MatchFetcher {
 public:
  explicit BusyFetcher(MatchFetcher& inner) : inner_(inner) {}
  Text Fetch(const Text& url) override;

 private:
  MatchFetcher& inner_;
};

}  // namespace kovarra::win32
