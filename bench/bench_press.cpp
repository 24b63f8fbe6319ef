// From the press on a logo to the last row written: one page of 20 matches from the fake league
// service on 127.0.0.1, through the real window, WebRequest and libcurl.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>
#include <string>

#include "bench/qt_application.hpp"
#include "matches/browser.hpp"
#include "matches/service.hpp"
#include "tests/fake_league/fake_league.hpp"
#include "tests/support/tls_identity.hpp"
#include "ui/qt/busy_fetcher.hpp"
#include "ui/qt/controls.hpp"
#include "ui/qt/main_window.hpp"

namespace kovarra {
namespace {

// A press that shows a message would wait for the user; here it is counted instead.
class SilentServices : public PlatformServices {
 public:
  int ShowMessage(const Text&, int, const std::optional<Text>&) override {
    ++messages;
    return 1;
  }
  void OpenUrl(const Text&) override {}
  void TerminateProgram(int) override { ++messages; }
  int messages = 0;
};

struct PressRig {
  PressRig() {
    bench::Application();
    const auto& identity = testing::TestTlsIdentity();
    started = service.Start(identity.serverCertPath, identity.serverKeyPath);
    window = MainWindow::Load();
    if (!started || !window) return;
    window->ShowCentred();
    window->CanBeClosed();                       // the strip stands still
    window->PageSizeList().SetSelectedIndex(2);  // 20 a page
    ServiceDescription description;
    description.dataOrigin = Text("https://127.0.0.1:" + std::to_string(service.Port()));
    description.http.extraCaFile = identity.caCertPath;
    browser = std::make_unique<ServiceBrowser>(*window, services, description);
    window->SetBrowserEvents(browser.get());
    logo = window->findChild<PictureBox*>(QString::fromUtf8("图片框_we"));
  }

  void Press() {
    const QPointF at(50, 50);
    QMouseEvent press(QEvent::MouseButtonPress, at, logo->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(logo, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, logo->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(logo, &release);
  }

  testing::FakeLeagueService service;
  bool started = false;
  std::unique_ptr<MainWindow> window;
  SilentServices services;
  std::unique_ptr<BrowserEvents> browser;
  PictureBox* logo = nullptr;
};

void BM_PressToRows(benchmark::State& state) {
  // Kept between runs, so that only the first press pays for the first connection.
  static PressRig& rig = []() -> PressRig& {
    auto* made = new PressRig;
    bench::AtEnd([made] { delete made; });
    return *made;
  }();
  if (!rig.started || !rig.window || !rig.logo) {
    state.SkipWithError("no window or no fake league service");
    return;
  }
  for (auto _ : state) {
    rig.Press();
    if (rig.window->MatchList().RowCount() != 20 || rig.services.messages != 0) {
      state.SkipWithError("the press did not bring 20 rows");
      break;
    }
  }
}
BENCHMARK(BM_PressToRows)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kovarra
