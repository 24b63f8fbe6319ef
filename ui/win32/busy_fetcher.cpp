#include "ui/win32/busy_fetcher.hpp"

#include <windows.h>

#include <utility>

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

void DropInput() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
  }
}

void Paint() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

// One fetch at a time: the window waits for each answer before it can ask again.
class BusyFetcher::Worker {
 public:
  explicit Worker(MatchFetcher& fetcher) : fetcher_(fetcher) {}
  ~Worker() {
    if (thread_) {
      quit_ = true;
      SetEvent(start_);
      // An idle thread ends at once; one still in a request is not waited for past its bounds.
      WaitForSingleObject(thread_, 30000);
      CloseHandle(thread_);
    }
    if (start_) CloseHandle(start_);
    if (done_) CloseHandle(done_);
  }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  bool Start() {
    start_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (start_ && done_) thread_ = CreateThread(nullptr, 0, &Worker::Run, this, 0, nullptr);
    return thread_ != nullptr;
  }

  // Hands the address over; `Done()` is signalled when `Answer()` holds the answer.
  void Begin(const Text& url) {
    url_ = &url;
    SetEvent(start_);
  }
  HANDLE Done() const { return done_; }
  Text Answer() { return std::move(answer_); }

 private:
  static DWORD WINAPI Run(void* self) {
    auto& worker = *static_cast<Worker*>(self);
    while (WaitForSingleObject(worker.start_, INFINITE) == WAIT_OBJECT_0 && !worker.quit_) {
      worker.answer_ = worker.fetcher_.Fetch(*worker.url_);
      SetEvent(worker.done_);
    }
    return 0;
  }

  MatchFetcher& fetcher_;
  HANDLE thread_ = nullptr;
  HANDLE start_ = nullptr;
  HANDLE done_ = nullptr;
  const Text* url_ = nullptr;
  Text answer_;
  bool quit_ = false;
};

BusyFetcher::BusyFetcher(MatchFetcher& inner) : inner_(inner) {}

BusyFetcher::~BusyFetcher() = default;

Text BusyFetcher::Fetch(const Text& url) {
  // Back before the browser shows any message, on every way out.
  const WaitCursor wait;
  if (!worker_) {
    auto worker = std::make_unique<Worker>(inner_);
    if (!worker->Start()) return inner_.Fetch(url);
    worker_ = std::move(worker);
  }
  worker_->Begin(url);
  HANDLE done = worker_->Done();
  // Messages sent to the window are handled inside the waits and peeks; posted ones wait.
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE,
                                   QS_INPUT | QS_PAINT | QS_SENDMESSAGE) != WAIT_OBJECT_0) {
    DropInput();
    Paint();
  }
  // Input that came in at the very end goes too.
  DropInput();
  return worker_->Answer();
}

}  // namespace kovarra::win32
