#pragma once

// A fetch as the window lives it: the wait cursor for its length.

#include <windows.h>

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
