#pragma once

// The program's whole life on Win32: start-up, the message loop and the ordinary end.

#include <functional>
#include <memory>

#include "matches/ports.hpp"
#include "ui/win32/main_window.hpp"

namespace kovarra::win32 {

// Builds what handles the window's browser events; null leaves them unhandled.
using BrowserFactory =
    std::function<std::unique_ptr<BrowserEvents>(MatchWindow&, PlatformServices&)>;
// Makes the main window, or null when it cannot be made.
using WindowFactory = std::function<std::unique_ptr<MainWindow>()>;

// The steps with the parts that tests replace. Returns 0 after the window has been closed,
// -1 when it could not be made.
int RunMainWindow(PlatformServices& services, const WindowFactory& makeWindow,
                  const BrowserFactory& makeBrowser);

// Delivers the thread's messages, with the window's keyboard rules, until the window is gone.
void RunMessageLoop(MainWindow& window);

}  // namespace kovarra::win32
