#pragma once

// Message boxes, the desktop's open action and the end of the process, for the Qt desktop.

#include <optional>

#include "core/text.hpp"
#include "matches/ports.hpp"

namespace kovarra {

class QtPlatformServices : public PlatformServices {
 public:
  // A box with no owner, modal to the whole program; timers keep ticking behind it.
  // Styles 0, 16 and 64: no icon, the stop icon, the information icon. An absent or empty
  // title shows DefaultMessageTitle. Returns 1 (OK).
  int ShowMessage(const Text& text, int style, const std::optional<Text>& title) override;
  // Every web address (http, https) is handed on, with what a URL cannot hold as it stands
  // percent-encoded; addresses of any other scheme are dropped.
  void OpenUrl(const Text& url) override;
  // Runs the exit actions and ends the process with the code; the window is not asked.
  [[noreturn]] void TerminateProgram(int exitCode) override;
};

// The title of a message box whose title was left out.
Text DefaultMessageTitle();

}  // namespace kovarra
