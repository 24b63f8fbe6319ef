#pragma once

// The program's one window "KovarraV2.0" and its thirty-three controls.

#include <QWidget>
#include <array>
#include <memory>
#include <string_view>

#include "matches/ports.hpp"
#include "ui/design.hpp"
#include "ui/qt/centring.hpp"
#include "ui/qt/controls.hpp"
#include "ui/qt/query_wait.hpp"
#include "ui/strip.hpp"

namespace kovarra {

class MainWindow : public QWidget, public MatchWindow {
 public:
  // Creates the window with every control in its designed state and runs the created handler;
  // null when the window cannot be made (its pictures are missing).
  static std::unique_ptr<MainWindow> Load();

  MainWindow();

  // The handlers of the window's own events.
  void Created();
  void CanBeClosed();

  // Shows the window in its normal state, centred on the primary screen, and activates it. It is
  // centred again when the window manager gives the frame later, until the user moves it.
  void ShowCentred();

  // May be null: the browser's events are then ignored.
  void SetBrowserEvents(BrowserEvents* events) { events_ = events; }

  ReportList& MatchList() override { return *list_; }
  ComboBox& PageList() override { return *pageList_; }
  ComboBox& PageSizeList() override { return *pageSizeList_; }
  CaptionControl& TotalPagesLabel() override { return *totalPages_; }
  CaptionControl& TotalCountLabel() override { return *totalCount_; }
  CaptionControl& MatchGroupBox() override { return *matchesBox_; }

  TimerControl& LeftTimer() { return leftTimer_; }
  TimerControl& RightTimer() { return rightTimer_; }
  PlacedControl& StripPlace() { return stripPlace_; }
  PlacedControl& TeamsBoxPlace() { return teamsPlace_; }
  LogoStrip& Strip() { return strip_; }

  // True when every picture of the design was found.
  bool PicturesLoaded() const { return controls_.picturesFound; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Runs a handler of the browser; input that reaches the window while a query waits (a pick
  // delivered late through the event queue) is not taken. A close request made while the handler
  // runs is carried out once it is over.
  template <typename F>
  void Raise(F&& call) {
    if (!events_ || QueryWaiting()) return;
    ++handling_;
    call(*events_);
    if (--handling_ == 0 && closeRequested_) {
      closeRequested_ = false;
      close();
    }
  }
  void KeepFrameCentred();

  // Every control of the design, at its index in design::kControls.
  struct Controls {
    std::array<QObject*, design::kControls.size()> objects{};
    std::array<std::unique_ptr<TimerControl>, design::kControls.size()> timers{};
    bool picturesFound = true;
  };
  static Controls Build(MainWindow& window);
  template <typename T>
  T& Named(std::string_view name) const {
    return dynamic_cast<T&>(*controls_.objects[static_cast<std::size_t>(design::IndexOf(name))]);
  }
  TimerControl& TimerNamed(std::string_view name) const {
    return *controls_.timers[static_cast<std::size_t>(design::IndexOf(name))];
  }

  Controls controls_;
  GroupBoxWidget* matchesBox_;
  ReportListWidget* list_;
  LabelWidget* totalPages_;
  LabelWidget* totalCount_;
  ComboBoxWidget* pageList_;
  ComboBoxWidget* pageSizeList_;
  TimerControl& leftTimer_;
  TimerControl& rightTimer_;
  WidgetPlace stripPlace_;
  WidgetPlace teamsPlace_;
  LogoStrip strip_;
  BrowserEvents* events_ = nullptr;
  KeepCentred centring_;
  int handling_ = 0;
  bool closeRequested_ = false;
};

}  // namespace kovarra
