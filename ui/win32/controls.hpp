#pragma once

// The window's controls as Win32 child windows, each carrying the operations the rest of the
// program uses. Places and sizes are design pixels; Scale turns them into the screen's.

#include <windows.h>

#include <array>
#include <functional>
#include <vector>

#include "core/text.hpp"
#include "matches/ports.hpp"
#include "ui/design.hpp"
#include "ui/strip.hpp"

namespace kovarra::win32 {

// Design pixels at the system's DPI.
class Scale {
 public:
  explicit Scale(int dpi = 96) : dpi_(dpi > 0 ? dpi : 96) {}
  int operator()(int designPixels) const { return MulDiv(designPixels, dpi_, 96); }
  int Dpi() const { return dpi_; }

 private:
  int dpi_;
};

// Left and Width of a child window. Left is kept in design pixels, so the strip's arithmetic
// is the same at any DPI.
class WindowPlace : public PlacedControl {
 public:
  WindowPlace(HWND window, const design::Control& control, Scale scale)
      : window_(window), left_(control.left), width_(control.width), scale_(scale) {}
  int Left() const override { return left_; }
  void SetLeft(int left) override;
  int Width() const override { return width_; }

 private:
  HWND window_;
  int left_;
  int width_;
  Scale scale_;
};

// A window timer on the main window: ticks every Period milliseconds while Period is above 0.
class WindowTimer : public PeriodicTimer {
 public:
  WindowTimer(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
  int Period() const override { return period_; }
  void SetPeriod(int period) override;
  UINT_PTR Id() const { return id_; }
  void SetTickHandler(std::function<void()> handler) { onTick_ = std::move(handler); }
  void Tick() const {
    if (onTick_) onTick_();
  }

 private:
  HWND owner_;
  UINT_PTR id_;
  int period_ = 0;
  std::function<void()> onTick_;
};

// The redraws of the controls a query fills, held from their first change until the thread is
// back at its messages: drawn one change at a time, each change costs a round trip to wine's
// server, and filling a page took 7 ms that way. The owner window is sent `message` (posted,
// so that it comes once the changes are done, in any message loop) and calls Release().
class RedrawHold {
 public:
  RedrawHold(HWND owner, UINT message) : owner_(owner), message_(message) {}
  void Hold(HWND control);
  void Release();

 private:
  HWND owner_;
  UINT message_;
  std::vector<HWND> held_;
};

// 超级列表框: a report-view list view. The exact bytes of every cell are kept beside what the
// control shows, so reading back gives what was written.
class ListView : public ReportList {
 public:
  ListView(HWND window, Scale scale, RedrawHold* hold = nullptr);
  void ClearRows() override;
  int InsertRow() override;
  void SetCell(int row, int column, const Text& text) override;
  Text GetCell(int row, int column) const override;
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  int SelectedRow() const override;
  // Selects the row under the given point of the client area, if there is one.
  void SelectRowAt(POINT client);
  HWND Handle() const { return window_; }

 private:
  void Changing() {
    if (hold_) hold_->Hold(window_);
  }
  HWND window_;
  RedrawHold* hold_;
  std::vector<std::array<Text, design::kColumns.size()>> rows_;
};

// A drop-down list: the user can only pick an item; program writes never raise its event.
class DropDownList : public ComboBox {
 public:
  explicit DropDownList(HWND window, RedrawHold* hold = nullptr);
  void ClearItems() override;
  int AddItem(const Text& text, int value = 0) override;
  int ItemCount() const override { return static_cast<int>(items_.size()); }
  Text ItemText(int index) const override;
  int ItemValue(int index) const override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int index) override;
  HWND Handle() const { return window_; }

 private:
  struct Item {
    Text text;
    int value;
  };
  void Changing() {
    if (hold_) hold_->Hold(window_);
  }
  HWND window_;
  RedrawHold* hold_;
  std::vector<Item> items_;
};

// Labels and group boxes.
class CaptionWindow : public CaptionControl {
 public:
  CaptionWindow(HWND window, const Text& caption, bool groupBox)
      : window_(window), caption_(caption), groupBox_(groupBox) {}
  Text Caption() const override { return caption_; }
  void SetCaption(const Text& caption) override;
  // Writes the caption to the control, as SetCaption does, without painting.
  void Show() const;
  HWND Handle() const { return window_; }

 private:
  HWND window_;
  Text caption_;
  bool groupBox_;
};

}  // namespace kovarra::win32
