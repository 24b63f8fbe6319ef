#pragma once

// Message boxes, the shell's open action and the end of the process, on Win32.

#include <optional>

#include "core/text.hpp"
#include "matches/ports.hpp"

namespace kovarra::win32 {

class Win32PlatformServices : public PlatformServices {
 public:
  // Task-modal, no owner: the window takes no input while it is up, its timers keep ticking.
  // No title (or an empty one): the box reads "信息：". Returns the button pressed.
  int ShowMessage(const Text& text, int style, const std::optional<Text>& title) override;
  // Only web addresses (http, https) are handed to the shell's "open" action.
  void OpenUrl(const Text& url) override;
  // Runs the exit actions, releases the libraries and ends the process with the code.
  [[noreturn]] void TerminateProgram(int exitCode) override;
};

// Starts COM for the shell's open action; ReleaseLibraries undoes it and the drawing library.
void StartLibraries();
void ReleaseLibraries();

}  // namespace kovarra::win32
