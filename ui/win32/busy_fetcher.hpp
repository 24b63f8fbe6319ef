#pragma once

// A fetch as the window lives it: the request runs on a worker thread while this thread keeps
// the window painted and drops the user's input, so the window stays drawn but takes nothing
// until the answer is in; no timer tick runs meanwhile, and other messages (a close request)
// wait their turn.

#include <memory>

#include "matches/browser.hpp"

namespace kovarra::win32 {

class BusyFetcher : public MatchFetcher {
 public:
  explicit BusyFetcher(MatchFetcher& inner);
  ~BusyFetcher() override;
  BusyFetcher(const BusyFetcher&) = delete;
  BusyFetcher& operator=(const BusyFetcher&) = delete;
  Text Fetch(const Text& url) override;

 private:
  // The thread that runs the fetches, started at the first and kept: starting a thread costs
  // about 4 ms under wine, as much as the request itself.
  class Worker;
  MatchFetcher& inner_;
  std::unique_ptr<Worker> worker_;
};

}  // namespace kovarra::win32
