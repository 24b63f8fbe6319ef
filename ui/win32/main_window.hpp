#pragma once

// The program's one window "KovarraV2.0" on Win32, built control by control from the design.

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "matches/ports.hpp"
#include "ui/design.hpp"
#include "ui/strip.hpp"
#include "ui/win32/controls.hpp"

namespace kovarra::win32 {

class MainWindow : public MatchWindow {
 public:
  // Creates the window with every control in its designed state and runs the created handler;
  // null when the window cannot be made (no window, or a picture missing from the program).
  static std::unique_ptr<MainWindow> Load();

  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The handlers of the window's own events.
  void Created();
  void CanBeClosed();

  // Shows the window in its normal state, centred on the primary screen, and activates it.
  void ShowCentred();

  // May be null: the browser's events are then ignored.
  void SetBrowserEvents(BrowserEvents* events) { events_ = events; }

  // Takes the keyboard messages that the dialog manager turns into Tab moves and close
  // requests; true when the message has been handled.
  bool PreTranslate(MSG& message);

  ReportList& MatchList() override { return *list_; }
  ComboBox& PageList() override { return *pageList_; }
  ComboBox& PageSizeList() override { return *pageSizeList_; }
  CaptionControl& TotalPagesLabel() override { return *totalPages_; }
  CaptionControl& TotalCountLabel() override { return *totalCount_; }
  CaptionControl& MatchGroupBox() override { return *matchesBox_; }

  WindowTimer& LeftTimer() { return *leftTimer_; }
  WindowTimer& RightTimer() { return *rightTimer_; }
  PlacedControl& StripPlace() { return *stripPlace_; }
  PlacedControl& TeamsBoxPlace() { return *teamsPlace_; }
  LogoStrip& Strip() { return *strip_; }

  // The top-level window; null once it has been destroyed.
  HWND Handle() const { return window_; }
  // The child window of a design name; null for the timers and unknown names.
  HWND ControlHandle(std::string_view name) const;
  const Scale& Scaling() const { return scale_; }

 private:
  MainWindow();
  bool Create();
  HWND CreateControl(const design::Control& control, std::size_t index);
  void OrderTabStops();
  template <typename F>
  void Raise(F&& call) {
    if (events_) call(*events_);
  }
  void Command(int id, int code);
  void Notify(const NMHDR& header);
  void PickAccepted(int id);
  void LogoPressed(int logo, LPARAM where, WPARAM keys);

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool shown_ = false;
  Scale scale_;
  std::array<HWND, design::kControls.size()> handles_{};
  std::array<HBITMAP, design::kControls.size()> pictures_{};
  std::optional<WindowTimer> leftTimer_;
  std::optional<WindowTimer> rightTimer_;
  std::optional<WindowPlace> stripPlace_;
  std::optional<WindowPlace> teamsPlace_;
  std::optional<LogoStrip> strip_;
  std::optional<RedrawHold> redrawHold_;
  std::optional<ListView> list_;
  std::optional<DropDownList> pageList_;
  std::optional<DropDownList> pageSizeList_;
  std::array<std::optional<CaptionWindow>, design::kControls.size()> captions_;
  CaptionWindow* matchesBox_ = nullptr;
  CaptionWindow* totalPages_ = nullptr;
  CaptionWindow* totalCount_ = nullptr;
  BrowserEvents* events_ = nullptr;
};

// Starts what the window draws its pictures with; idempotent. ReleaseGraphics undoes it.
bool StartGraphics();
void ReleaseGraphics();

}  // namespace kovarra::win32
