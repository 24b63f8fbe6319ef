#include "ui/win32/platform.hpp"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/web_address.hpp"
#include "ui/win32/main_window.hpp"
#include "ui/win32/wide_text.hpp"

namespace kovarra::win32 {

namespace {
bool comStarted = false;
}  // namespace

int Win32PlatformServices::ShowMessage(const Text& text, int style,
                                       const std::optional<Text>& title) {
  const Text shownTitle = title && !title->empty() ? *title : Gbk("信息：");
  return MessageBoxW(nullptr, Wide(text).c_str(), Wide(shownTitle).c_str(),
                     static_cast<UINT>(style) | MB_TASKMODAL);
}

void Win32PlatformServices::OpenUrl(const Text& url) {
  const std::optional<std::string> address = WebAddress(url);
  if (!address) return;
  // The address is plain ASCII by now.
  const std::wstring wide(address->begin(), address->end());
  ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32PlatformServices::TerminateProgram(int exitCode) {
  RunExitActions();
  ReleaseLibraries();
  ExitProcess(static_cast<UINT>(exitCode));
}

void StartLibraries() {
  if (!comStarted) {
    comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }
}

void ReleaseLibraries() {
  ReleaseGraphics();
  if (comStarted) {
    CoUninitialize();
    comStarted = false;
  }
}

}  // namespace kovarra::win32
