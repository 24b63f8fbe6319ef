#pragma once

// The match browser over the league service that the build names, owning its fetchers: what
// kovarra.exe runs behind its window.

#include "ui/service_browser.hpp"
#include "ui/win32/busy_fetcher.hpp"

namespace kovarra::win32 {

using ServiceBrowser = ServiceBrowserOver<BusyFetcher>;

}  // namespace kovarra::win32
