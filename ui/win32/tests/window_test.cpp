#include "ui/win32/main_window.hpp"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/codepage.hpp"
#include "ui/design.hpp"
#include "ui/win32/wide_text.hpp"

namespace kovarra::win32 {
namespace {

struct RecordingBrowser : BrowserEvents {
  std::vector<std::string> log;
  ReportList* list = nullptr;
  void LogoPressed(int logo, int x, int y, int keys) override {
    log.push_back("logo " + std::to_string(logo) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + std::to_string(keys));
  }
  void PreviousPageClicked() override { log.push_back("previous"); }
  void NextPageClicked() override { log.push_back("next"); }
  void PageSizeSelected() override { log.push_back("size"); }
  void PageSelected() override { log.push_back("page"); }
  void MatchListRightClicked() override {
    log.push_back("right " + std::to_string(list ? list->SelectedRow() : -2));
  }
};

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

RECT PlaceInParent(HWND window) {
  RECT box{};
  GetWindowRect(window, &box);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
  return box;
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    window = MainWindow::Load();
    ASSERT_TRUE(window);
    events.list = &window->MatchList();
    window->SetBrowserEvents(&events);
  }
  // Delivers what is waiting, as the message loop would, for about the given time.
  void Pump(DWORD milliseconds = 0) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          quitPosted = true;
          continue;
        }
        if (window->PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
  }
  HWND Control(std::string_view name) {
    HWND found = window->ControlHandle(name);
    EXPECT_TRUE(found) << name;
    return found;
  }
  int Scaled(int pixels) { return window->Scaling()(pixels); }

  std::unique_ptr<MainWindow> window;
  RecordingBrowser events;
  bool quitPosted = false;
};

TEST_F(WindowTest, EveryControlReadsBackItsDesignedParentPlaceSizeAndCaption) {
  for (const design::Control& control : design::kControls) {
    SCOPED_TRACE(control.name);
    if (control.kind == design::Kind::Timer) {
      EXPECT_EQ(window->ControlHandle(control.name), nullptr);
      continue;
    }
    HWND handle = Control(control.name);
    HWND parent = control.parent.empty() ? window->Handle() : Control(control.parent);
    EXPECT_EQ(GetParent(handle), parent);
    const RECT place = PlaceInParent(handle);
    EXPECT_EQ(place.left, Scaled(control.left));
    EXPECT_EQ(place.top, Scaled(control.top));
    EXPECT_EQ(place.right - place.left, Scaled(control.width));
    // A drop-down list reports the height of its selection field, not the designed one.
    if (control.kind != design::Kind::ComboBox) {
      EXPECT_EQ(place.bottom - place.top, Scaled(control.height));
    }
    const bool captioned = control.kind == design::Kind::Label ||
                           control.kind == design::Kind::Button ||
                           control.kind == design::Kind::GroupBox;
    if (captioned) {
      EXPECT_EQ(TextOf(handle), WideDesign(control.caption));
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE));
    EXPECT_EQ((style & WS_TABSTOP) != 0, control.tabOrder >= 0);
    EXPECT_EQ((style & WS_BORDER) != 0, (control.styles & design::kBordered) != 0);
    if (control.kind == design::Kind::Label) {
      EXPECT_EQ(ClassOf(handle), L"Static");
      EXPECT_EQ(style & SS_TYPEMASK,
                static_cast<DWORD>((control.styles & design::kCentred) ? SS_CENTER : SS_LEFT));
    }
  }
}

TEST_F(WindowTest, WindowHasItsTitleFixedFrameAndOuterSizeAndShowsCentred) {
  EXPECT_EQ(TextOf(window->Handle()), L"KovarraV2.0");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window->Handle(), GWL_STYLE));
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  window->ShowCentred();
  Pump(50);
  RECT outer{};
  GetWindowRect(window->Handle(), &outer);
  EXPECT_EQ(outer.right - outer.left, Scaled(968));
  EXPECT_EQ(outer.bottom - outer.top, Scaled(639));
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - Scaled(968)) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - Scaled(639)) / 2);
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
}

TEST_F(WindowTest, LogosInViewArePaintedFromTheirPictures) {
  window->LeftTimer().SetPeriod(0);
  window->ShowCentred();
  Pump(100);
  for (std::string_view name : {"图片框_blg", "图片框_ig", "图片框_omg"}) {
    HWND logo = Control(name);
    RECT client{};
    GetClientRect(logo, &client);
    HDC dc = GetDC(logo);
    // The shields fill the middle of each picture with their team's colour.
    const COLORREF middle = GetPixel(dc, client.right / 2, client.bottom / 2);
    ReleaseDC(logo, dc);
    EXPECT_NE(middle, GetSysColor(COLOR_BTNFACE)) << name;
    EXPECT_NE(middle, CLR_INVALID) << name;
  }
}

TEST_F(WindowTest, CreatedStateOfListsTimersAndLabels) {
  EXPECT_EQ(window->PageList().SelectedIndex(), 0);
  EXPECT_EQ(window->PageList().ItemText(0), Text("1"));
  EXPECT_EQ(window->PageSizeList().SelectedIndex(), 0);
  EXPECT_EQ(window->PageSizeList().ItemCount(), 3);
  EXPECT_EQ(window->PageSizeList().ItemText(2), Text("20"));
  EXPECT_EQ(window->PageSizeList().ItemValue(2), 0);
  EXPECT_EQ(window->LeftTimer().Period(), 100);
  EXPECT_EQ(window->RightTimer().Period(), 0);
  EXPECT_EQ(window->MatchList().RowCount(), 0);
  EXPECT_EQ(window->MatchList().SelectedRow(), -1);
  EXPECT_EQ(window->TotalPagesLabel().Caption(), Text());
  EXPECT_EQ(window->MatchGroupBox().Caption(), Gbk("近期比赛"));
  EXPECT_EQ(window->StripPlace().Left(), 2);
  EXPECT_EQ(window->StripPlace().Width(), 1992);
  EXPECT_EQ(window->TeamsBoxPlace().Width(), 960);
  // Created raised nothing.
  Pump(20);
  EXPECT_TRUE(events.log.empty());
}

TEST_F(WindowTest, ReportListColumnsAndStyles) {
  HWND list = Control(design::kMatchList);
  EXPECT_EQ(ClassOf(list), WC_LISTVIEWW);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(list, GWL_STYLE));
  EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  const auto extended = ListView_GetExtendedListViewStyle(list);
  EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  EXPECT_FALSE(extended & LVS_EX_CHECKBOXES);
  for (std::size_t c = 0; c < design::kColumns.size(); ++c) {
    wchar_t title[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::wstring(title), WideDesign(design::kColumns[c].title));
    EXPECT_EQ(column.cx, Scaled(design::kColumns[c].width));
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 7);
}

TEST_F(WindowTest, ReportListRowsAndCells) {
  ReportList& list = window->MatchList();
  EXPECT_EQ(list.InsertRow(), 0);
  EXPECT_EQ(list.InsertRow(), 1);
  EXPECT_EQ(list.InsertRow(), 2);
  EXPECT_EQ(ListView_GetItemCount(Control(design::kMatchList)), 3);
  const Text long_text(std::string(5000, 'x'));
  list.SetCell(1, 0, Gbk("已结束"));
  list.SetCell(1, 6, long_text);
  list.SetCell(3, 0, Text("ignored"));
  list.SetCell(0, 7, Text("ignored"));
  list.SetCell(-1, 0, Text("ignored"));
  EXPECT_EQ(list.GetCell(1, 0), Gbk("已结束"));
  EXPECT_EQ(list.GetCell(1, 6), long_text);
  EXPECT_EQ(list.GetCell(3, 0), Text());
  EXPECT_EQ(list.GetCell(0, 7), Text());
  EXPECT_EQ(list.GetCell(0, 0), Text());
  wchar_t shown[16] = {};
  LVITEMW cell{};
  cell.pszText = shown;
  cell.cchTextMax = 16;
  SendMessageW(Control(design::kMatchList), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&cell));
  EXPECT_EQ(std::wstring(shown), L"已结束");
  list.ClearRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
  EXPECT_EQ(list.InsertRow(), 0);
}

TEST_F(WindowTest, ComboBoxOperationsClampAndNeverRaiseTheirEvent) {
  ComboBox& pages = window->PageList();
  pages.ClearItems();
  EXPECT_EQ(pages.SelectedIndex(), -1);
  EXPECT_EQ(pages.ItemText(-1), Text());
  EXPECT_EQ(pages.ItemValue(-1), -1);
  pages.SetSelectedIndex(0);
  EXPECT_EQ(pages.SelectedIndex(), -1);
  EXPECT_EQ(pages.AddItem(Text("1")), 0);
  EXPECT_EQ(pages.AddItem(Text("2"), 7), 1);
  EXPECT_EQ(pages.AddItem(Gbk("三")), 2);
  EXPECT_EQ(pages.SelectedIndex(), -1);
  pages.SetSelectedIndex(7);
  EXPECT_EQ(pages.SelectedIndex(), 2);
  pages.SetSelectedIndex(-5);
  EXPECT_EQ(pages.SelectedIndex(), -1);
  pages.SetSelectedIndex(1);
  EXPECT_EQ(pages.ItemValue(1), 7);
  EXPECT_EQ(pages.ItemText(2), Gbk("三"));
  EXPECT_EQ(pages.ItemText(3), Text());
  HWND combo = Control(design::kPageList);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(combo, GWL_STYLE));
  EXPECT_EQ(style & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
  EXPECT_FALSE(style & CBS_SORT);
  Pump(20);
  EXPECT_TRUE(events.log.empty());
}

TEST_F(WindowTest, CaptionsShowAtOnceAndReadBackAsWritten) {
  window->TotalPagesLabel().SetCaption(Text("12"));
  EXPECT_EQ(TextOf(Control(design::kTotalPages)), L"12");
  EXPECT_EQ(window->TotalPagesLabel().Caption(), Text("12"));
  window->MatchGroupBox().SetCaption(Gbk("近期比赛 - R&D"));
  EXPECT_EQ(window->MatchGroupBox().Caption(), Gbk("近期比赛 - R&D"));
  EXPECT_EQ(TextOf(Control(design::kMatchesBox)), L"近期比赛 - R&&D");
}

TEST_F(WindowTest, LeftIsClampedAndMovesTheControl) {
  PlacedControl& strip = window->StripPlace();
  HWND handle = Control(design::kStrip);
  for (auto [written, read] : std::vector<std::pair<int, int>>{
           {-8, -8}, {40000, 32627}, {-40000, -32627}, {32627, 32627}, {2, 2}}) {
    strip.SetLeft(written);
    EXPECT_EQ(strip.Left(), read) << written;
    EXPECT_EQ(PlaceInParent(handle).left, Scaled(read)) << written;
    EXPECT_EQ(PlaceInParent(handle).top, Scaled(23));
  }
  EXPECT_EQ(strip.Width(), 1992);
}

TEST_F(WindowTest, TimerPeriodRules) {
  WindowTimer& left = window->LeftTimer();
  left.SetPeriod(-5);
  EXPECT_EQ(left.Period(), 0);
  const int before = window->StripPlace().Left();
  Pump(250);
  EXPECT_EQ(window->StripPlace().Left(), before);
  left.SetPeriod(50);
  Pump(400);
  EXPECT_LT(window->StripPlace().Left(), before);
  left.SetPeriod(0);
  const int stopped = window->StripPlace().Left();
  Pump(150);
  EXPECT_EQ(window->StripPlace().Left(), stopped);
}

TEST_F(WindowTest, StripSwingsBetweenItsEnds) {
  window->LeftTimer().SetPeriod(0);
  LogoStrip& strip = window->Strip();
  for (int tick = 1; tick <= 105; ++tick) {
    strip.LeftwardTick();
    ASSERT_EQ(window->StripPlace().Left(), 2 - 10 * tick);
    ASSERT_EQ(window->RightTimer().Period(), tick == 105 ? 100 : 0) << tick;
  }
  EXPECT_EQ(window->LeftTimer().Period(), 0);
  EXPECT_EQ(PlaceInParent(Control(design::kStrip)).left, Scaled(-1048));
  for (int tick = 1; tick <= 106; ++tick) strip.RightwardTick();
  EXPECT_EQ(window->StripPlace().Left(), 12);
  EXPECT_EQ(window->LeftTimer().Period(), 100);
  EXPECT_EQ(window->RightTimer().Period(), 0);
}

TEST_F(WindowTest, EventsReachTheBrowser) {
  // A left press on the fourth logo with Ctrl and Shift held: client position and key state.
  HWND logo = Control("图片框_ig");
  SendMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL | MK_SHIFT, MAKELPARAM(5, 7));
  SendMessageW(logo, WM_LBUTTONUP, 0, MAKELPARAM(5, 7));
  SendMessageW(Control(design::kPrevious), BM_CLICK, 0, 0);
  SendMessageW(Control(design::kNext), BM_CLICK, 0, 0);
  // The drop-down lists' own notification that the user's pick was accepted: the event
  // follows once the notification has been delivered and its message processed.
  for (std::string_view name : {design::kPageSizeList, design::kPageList}) {
    HWND combo = Control(name);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
  }
  EXPECT_EQ(events.log.size(), 3u);
  Pump(20);
  EXPECT_EQ(events.log,
            (std::vector<std::string>{"logo 3 5,7 3", "previous", "next", "size", "page"}));
}

TEST_F(WindowTest, RightClickSelectsTheRowUnderThePointerFirst) {
  ReportList& list = window->MatchList();
  for (int i = 0; i < 3; ++i) list.InsertRow();
  HWND handle = Control(design::kMatchList);
  RECT row{};
  ListView_GetItemRect(handle, 1, &row, LVIR_BOUNDS);
  auto rightClick = [&](int x, int y) {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = handle;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(handle));
    click.hdr.code = static_cast<UINT>(NM_RCLICK);
    click.ptAction = {x, y};
    SendMessageW(GetParent(handle), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  };
  rightClick(row.left + 20, (row.top + row.bottom) / 2);
  // Below the last row: still a right click, the selection left as the list keeps it.
  rightClick(20, Scaled(300));
  EXPECT_EQ(events.log, (std::vector<std::string>{"right 1", "right 1"}));
}

TEST_F(WindowTest, TabVisitsTheFiveStopsInDesignOrder) {
  std::vector<HWND> order;
  for (const design::Control* stop : design::TabStops()) order.push_back(Control(stop->name));
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), order[i], FALSE), order[(i + 1) % order.size()])
        << i;
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), order[(i + 1) % order.size()], TRUE), order[i])
        << i;
  }
}

struct CloseCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  friend void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }
};

class WindowCloseTest : public WindowTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(WindowCloseTest, ClosingStopsBothTimersAndDestroysTheWindow) {
  window->ShowCentred();
  window->RightTimer().SetPeriod(100);
  const CloseCase& c = GetParam();
  HWND target = c.message == WM_KEYDOWN ? Control(design::kMatchList) : window->Handle();
  PostMessageW(target, c.message, c.wParam, 0);
  Pump(50);
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(window->LeftTimer().Period(), 0);
  EXPECT_EQ(window->RightTimer().Period(), 0);
  // The program has one window: the loop is told to end.
  EXPECT_TRUE(quitPosted);
}

INSTANTIATE_TEST_SUITE_P(Ways, WindowCloseTest,
                         testing::Values(CloseCase{"Esc", WM_KEYDOWN, VK_ESCAPE},
                                         CloseCase{"CloseBox", WM_SYSCOMMAND, SC_CLOSE},
                                         CloseCase{"CloseRequest", WM_CLOSE, 0}),
                         [](const testing::TestParamInfo<CloseCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace kovarra::win32
