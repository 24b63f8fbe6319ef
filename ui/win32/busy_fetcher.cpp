#include "ui/win32/busy_fetcher.hpp"

namespace kovarra::win32 {

namespace {
class WaitCursor {
 public:
  WaitCursor() : before_(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))) {}
  ~WaitCursor() { SetCursor(before_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR before_;
};
}  // namespace

Text BusyFetcher::Fetch(const Text& url) {
  // Returns before the browser shows any message, so the cursor is back by then.
  const WaitCursor wait;
  return inner_.Fetch(url);
}

}  // namespace kovarra::win32
