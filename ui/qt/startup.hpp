#pragma once

// The program's whole life: start-up, the message loop and the ordinary end.

#include <functional>
#include <memory>

#include "matches/ports.hpp"

namespace kovarra {

class MainWindow;

// Builds what handles the window's browser events; null leaves them unhandled.
using BrowserFactory =
    std::function<std::unique_ptr<BrowserEvents>(MatchWindow&, PlatformServices&)>;
// Makes the main window, or null when it cannot be made.
using WindowFactory = std::function<std::unique_ptr<MainWindow>()>;

// The program: needs nothing from its command line beyond what Qt takes. Returns the exit code.
int RunProgram(int argc, char** argv);

// The steps after the application object exists, with the parts that tests replace.
// Returns 0 after the window has been closed, -1 when it could not be made.
int RunMainWindow(PlatformServices& services, const WindowFactory& makeWindow,
                  const BrowserFactory& makeBrowser);

}  // namespace kovarra
