#include "ui/win32/busy_fetcher.hpp"

#include <windows.h>

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

struct Job {
  MatchFetcher& fetcher;
  const Text& url;
  Text answer;
};

DWORD WINAPI RunJob(void* parameter) {
  auto* job = static_cast<Job*>(parameter);
  job->answer = job->fetcher.Fetch(job->url);
  return 0;
}

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

Text BusyFetcher::Fetch(const Text& url) {
  // Back before the browser shows any message, on every way out.
  const WaitCursor wait;
  Job job{inner_, url, Text()};
  HANDLE worker = CreateThread(nullptr, 0, &RunJob, &job, 0, nullptr);
  if (!worker) return inner_.Fetch(url);
  // Messages sent to the window are handled inside the waits and peeks; posted ones wait.
  while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE,
                                   QS_INPUT | QS_PAINT | QS_SENDMESSAGE) != WAIT_OBJECT_0) {
    DropInput();
    Paint();
  }
  CloseHandle(worker);
  // Input that came in at the very end goes too.
  DropInput();
  return job.answer;
}

}  // namespace kovarra::win32
