#include "ui/win32/main_window.hpp"

#include <commctrl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <string>

#include "core/codepage.hpp"
#include "ui/win32/wide_text.hpp"

namespace kovarra::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"KovarraV2.0";
constexpr wchar_t kStripClass[] = L"KovarraStrip";
constexpr wchar_t kPictureClass[] = L"KovarraPicture";
// Posted by a drop-down list to the window once the user's pick is in place.
constexpr UINT kPickAccepted = WM_APP + 1;
constexpr UINT kReleaseRedraws = WM_APP + 2;
// Control ids: clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int kFirstId = 100;
// The design's pixel size of the dialog font.
constexpr int kFontPixels = 12;

ULONG_PTR graphicsToken = 0;

int IdOf(std::size_t index) {
  return kFirstId + static_cast<int>(index);
}

const design::Control* ControlOfId(int id) {
  const int index = id - kFirstId;
  if (index < 0 || index >= static_cast<int>(design::kControls.size())) return nullptr;
  return &design::kControls[static_cast<std::size_t>(index)];
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi;
}

bool HasFace(const wchar_t* face, BYTE charset) {
  LOGFONTW wanted{};
  wanted.lfCharSet = charset;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  HDC screen = GetDC(nullptr);
  bool found = false;
  EnumFontFamiliesExW(
      screen, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

// The system's dialog font at the design's size, in a face that holds the Chinese captions:
// the dialog font's own face when it does, else a Chinese face of the system.
HFONT MakeDialogFont(int pixels) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = metrics.lfMessageFont;
  }
  font.lfHeight = -pixels;
  font.lfWidth = 0;
  if (!HasFace(font.lfFaceName, GB2312_CHARSET)) {
    for (const wchar_t* face : {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun",
                                L"Noto Sans CJK SC", L"WenQuanYi Micro Hei", L"Noto Sans SC"}) {
      if (HasFace(face, GB2312_CHARSET)) {
        lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
        break;
      }
    }
  }
  return CreateFontIndirectW(&font);
}

// The containers hand their children's notifications and colour requests on to the window.
LRESULT CALLBACK ForwardToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR topLevel) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(reinterpret_cast<HWND>(topLevel), message, wParam, lParam);
    case WM_ERASEBKGND: {
      // A group frame draws only its line and caption; what lies inside is the default colour.
      RECT inside{};
      GetClientRect(window, &inside);
      FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return DefSubclassProc(window, message, wParam, lParam);
  }
}

bool RegisterClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC pictureProc) {
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = DefWindowProcW;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  WNDCLASSEXW strip = main;
  WNDCLASSEXW picture = main;
  main.lpszClassName = kWindowClass;
  main.lpfnWndProc = windowProc;
  picture.lpfnWndProc = pictureProc;
  strip.lpszClassName = kStripClass;
  picture.lpszClassName = kPictureClass;
  picture.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
  for (WNDCLASSEXW* wanted : {&main, &strip, &picture}) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, wanted->lpszClassName, &existing)) continue;
    if (!RegisterClassExW(wanted)) return false;
  }
  return true;
}

// The PNG of that picture name carried by the program; null when it has none.
HRSRC FindPicture(std::string_view name) {
  const std::wstring resourceName(name.begin(), name.end());
  return FindResourceW(GetModuleHandleW(nullptr), resourceName.c_str(),
                       MAKEINTRESOURCEW(10));  // RT_RCDATA
}

// A PNG carried by the program, drawn stretched to width x height over the default colour,
// ready to be copied to the screen.
HBITMAP RenderPicture(std::string_view name, int width, int height) {
  using namespace Gdiplus;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindPicture(name);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || width <= 0 || height <= 0) return nullptr;
  IStream* stream =
      SHCreateMemStream(static_cast<const BYTE*>(bytes), SizeofResource(module, found));
  if (!stream) return nullptr;
  GpBitmap* image = nullptr;
  const bool decoded = DllExports::GdipCreateBitmapFromStream(stream, &image) == Ok;
  stream->Release();
  if (!decoded) return nullptr;

  HDC screen = GetDC(nullptr);
  HDC target = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HGDIOBJ before = SelectObject(target, picture);
  const RECT all{0, 0, width, height};
  FillRect(target, &all, GetSysColorBrush(COLOR_BTNFACE));
  GpGraphics* graphics = nullptr;
  bool drawn = false;
  if (DllExports::GdipCreateFromHDC(target, &graphics) == Ok) {
    DllExports::GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    DllExports::GdipSetPixelOffsetMode(graphics, PixelOffsetModeHighQuality);
    drawn = DllExports::GdipDrawImageRectI(graphics, image, 0, 0, width, height) == Ok;
    DllExports::GdipDeleteGraphics(graphics);
  }
  DllExports::GdipDisposeImage(image);
  SelectObject(target, before);
  DeleteDC(target);
  if (!drawn) {
    DeleteObject(picture);
    return nullptr;
  }
  return picture;
}

}  // namespace

bool StartGraphics() {
  if (graphicsToken) return true;
  Gdiplus::GdiplusStartupInput input;
  return Gdiplus::GdiplusStartup(&graphicsToken, &input, nullptr) == Gdiplus::Ok;
}

void ReleaseGraphics() {
  if (!graphicsToken) return;
  Gdiplus::GdiplusShutdown(graphicsToken);
  graphicsToken = 0;
}

MainWindow::MainWindow() : scale_(SystemDpi()) {}

MainWindow::~MainWindow() {
  if (window_) {
    shown_ = false;
    DestroyWindow(window_);
  }
  for (HBITMAP picture : pictures_) {
    if (picture) DeleteObject(picture);
  }
  if (font_) DeleteObject(font_);
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

std::unique_ptr<MainWindow> MainWindow::Load() {
  std::unique_ptr<MainWindow> window(new MainWindow());
  if (!window->Create()) return nullptr;
  window->Created();
  return window;
}

bool MainWindow::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!StartGraphics() || !RegisterClasses(instance, &WindowProc, &PictureProc)) return false;

  // Caption, system menu, minimise and close; no maximise, and the size is fixed.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const std::wstring title = WideDesign(design::kWindow.title);
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, title.c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, scale_(design::kWindow.outerWidth),
                            scale_(design::kWindow.outerHeight), nullptr, nullptr, instance, this);
  if (!window_) return false;
  redrawHold_.emplace(window_, kReleaseRedraws);

  font_ = MakeDialogFont(scale_(kFontPixels));

  for (std::size_t i = 0; i < design::kControls.size(); ++i) {
    const design::Control& control = design::kControls[i];
    if (control.kind == design::Kind::Timer) continue;
    handles_[i] = CreateControl(control, i);
    if (!handles_[i]) return false;
    if (font_) SendMessageW(handles_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  auto place = [this](std::string_view name) {
    const auto i = static_cast<std::size_t>(design::IndexOf(name));
    return WindowPlace(handles_[i], design::kControls[i], scale_);
  };
  leftTimer_.emplace(
      window_,
      static_cast<UINT_PTR>(IdOf(static_cast<std::size_t>(design::IndexOf(design::kLeftTimer)))));
  rightTimer_.emplace(
      window_,
      static_cast<UINT_PTR>(IdOf(static_cast<std::size_t>(design::IndexOf(design::kRightTimer)))));
  stripPlace_.emplace(place(design::kStrip));
  teamsPlace_.emplace(place(design::kTeamsBox));
  strip_.emplace(*stripPlace_, *teamsPlace_, *leftTimer_, *rightTimer_);
  leftTimer_->SetTickHandler([this] { strip_->LeftwardTick(); });
  rightTimer_->SetTickHandler([this] { strip_->RightwardTick(); });
  auto caption = [this](std::string_view name) {
    return &*captions_[static_cast<std::size_t>(design::IndexOf(name))];
  };
  matchesBox_ = caption(design::kMatchesBox);
  totalPages_ = caption(design::kTotalPages);
  totalCount_ = caption(design::kTotalCount);
  OrderTabStops();

  const int big = scale_(48);
  bigIcon_ = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, big, big, LR_DEFAULTCOLOR));
  smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  if (bigIcon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  if (smallIcon_) {
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  }
  return true;
}

HWND MainWindow::CreateControl(const design::Control& control, std::size_t index) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND parent = control.parent.empty()
                    ? window_
                    : handles_[static_cast<std::size_t>(design::IndexOf(control.parent))];
  if (!parent) return nullptr;
  const bool bordered = (control.styles & design::kBordered) != 0;
  const bool centred = (control.styles & design::kCentred) != 0;
  const wchar_t* windowClass = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD extended = 0;
  int height = control.height;
  switch (control.kind) {
    case design::Kind::GroupBox:
      windowClass = L"BUTTON";
      style |= BS_GROUPBOX | WS_CLIPCHILDREN;
      extended = WS_EX_CONTROLPARENT;
      break;
    case design::Kind::ShapeBox:
      windowClass = kStripClass;
      style |= WS_CLIPCHILDREN;
      extended = WS_EX_CONTROLPARENT;
      break;
    case design::Kind::PictureBox:
      windowClass = kPictureClass;
      if (bordered) style |= WS_BORDER;
      break;
    case design::Kind::ReportList:
      windowClass = WC_LISTVIEWW;
      style |= WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
      extended = WS_EX_CLIENTEDGE;
      break;
    case design::Kind::Label:
      style |= SS_NOPREFIX | SS_CENTERIMAGE | (centred ? SS_CENTER : SS_LEFT);
      if (bordered) style |= WS_BORDER;
      break;
    case design::Kind::Button:
      windowClass = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
      break;
    case design::Kind::ComboBox:
      windowClass = WC_COMBOBOXW;
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
      height = design::kDropDownHeight;
      break;
    case design::Kind::Timer:
      return nullptr;
  }
  const Text caption = Gbk(control.caption);
  HWND made = CreateWindowExW(extended, windowClass, L"", style, scale_(control.left),
                              scale_(control.top), scale_(control.width), scale_(height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(index))), instance,
                              nullptr);
  if (!made) return nullptr;

  switch (control.kind) {
    case design::Kind::GroupBox:
    case design::Kind::ShapeBox:
      SetWindowSubclass(made, ForwardToWindow, 1, reinterpret_cast<DWORD_PTR>(window_));
      if (control.kind == design::Kind::GroupBox) {
        captions_[index].emplace(made, caption, true);
        captions_[index]->Show();
      }
      break;
    case design::Kind::PictureBox:
      // Drawn at its first paint, so that start-up decodes only the logos in view.
      if (!FindPicture(control.picture)) return nullptr;
      SetWindowLongPtrW(made, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      break;
    case design::Kind::ReportList:
      list_.emplace(made, scale_, &*redrawHold_);
      break;
    case design::Kind::Label:
      captions_[index].emplace(made, caption, false);
      captions_[index]->Show();
      break;
    case design::Kind::Button:
      SetWindowTextW(made, Wide(caption).c_str());
      break;
    case design::Kind::ComboBox: {
      auto& list = control.name == design::kPageList ? pageList_ : pageSizeList_;
      list.emplace(made, &*redrawHold_);
      for (std::string_view item : control.items) list->AddItem(Gbk(item));
      // Items one pixel taller than the platform's own.
      const LRESULT itemHeight = SendMessageW(made, CB_GETITEMHEIGHT, 0, 0);
      if (itemHeight > 0) SendMessageW(made, CB_SETITEMHEIGHT, 0, itemHeight + 1);
      break;
    }
    case design::Kind::Timer:
      break;
  }
  return made;
}

void MainWindow::OrderTabStops() {
  // The dialog manager visits siblings in their z-order.
  HWND previous = nullptr;
  for (const design::Control* stop : design::TabStops()) {
    HWND handle = stop ? ControlHandle(stop->name) : nullptr;
    if (!handle) continue;
    if (previous && GetParent(previous) == GetParent(handle)) {
      SetWindowPos(handle, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    previous = handle;
  }
}

HWND MainWindow::ControlHandle(std::string_view name) const {
  const int index = design::IndexOf(name);
  return index < 0 ? nullptr : handles_[static_cast<std::size_t>(index)];
}

void MainWindow::Created() {
  pageList_->SetSelectedIndex(0);
  pageSizeList_->SetSelectedIndex(0);
  leftTimer_->SetPeriod(kStripPeriod);
  rightTimer_->SetPeriod(0);
}

void MainWindow::CanBeClosed() {
  leftTimer_->SetPeriod(0);
  rightTimer_->SetPeriod(0);
}

void MainWindow::ShowCentred() {
  RECT outer{};
  GetWindowRect(window_, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  shown_ = true;
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  if (HWND first = ControlHandle(design::TabStops()[0]->name)) SetFocus(first);
}

bool MainWindow::PreTranslate(MSG& message) {
  return window_ && IsDialogMessageW(window_, &message);
}

void MainWindow::Command(int id, int code) {
  if (id == IDCANCEL) {
    // Esc, when the control with the focus did not use it: the same request as the close box.
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return;
  }
  const design::Control* control = ControlOfId(id);
  if (!control) return;
  if (control->kind == design::Kind::Button && code == BN_CLICKED) {
    if (control->name == design::kPrevious)
      Raise([](BrowserEvents& e) { e.PreviousPageClicked(); });
    if (control->name == design::kNext) Raise([](BrowserEvents& e) { e.NextPageClicked(); });
  }
  if (control->kind == design::Kind::ComboBox && code == CBN_SELENDOK) {
    // Raised once the list has closed and the new current item is in place.
    PostMessageW(window_, kPickAccepted, static_cast<WPARAM>(id), 0);
  }
}

void MainWindow::PickAccepted(int id) {
  const design::Control* control = ControlOfId(id);
  if (!control) return;
  if (control->name == design::kPageList) Raise([](BrowserEvents& e) { e.PageSelected(); });
  if (control->name == design::kPageSizeList) Raise([](BrowserEvents& e) { e.PageSizeSelected(); });
}

void MainWindow::Notify(const NMHDR& header) {
  if (header.code != static_cast<UINT>(NM_RCLICK) || !list_ || header.hwndFrom != list_->Handle()) {
    return;
  }
  // The row under the pointer is selected before the right click is reported.
  list_->SelectRowAt(reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction);
  Raise([](BrowserEvents& e) { e.MatchListRightClicked(); });
}

void MainWindow::LogoPressed(int logo, LPARAM where, WPARAM keys) {
  int state = 0;
  if (keys & MK_CONTROL) state |= 1;
  if (keys & MK_SHIFT) state |= 2;
  if (GetKeyState(VK_MENU) < 0) state |= 4;
  const int x = LOWORD(where);
  const int y = HIWORD(where);
  Raise([&](BrowserEvents& e) { e.LogoPressed(logo, x, y, state); });
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case kPickAccepted:
      PickAccepted(static_cast<int>(wParam));
      return 0;
    case kReleaseRedraws:
      redrawHold_->Release();
      return 0;
    case WM_NOTIFY:
      Notify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_TIMER:
      for (WindowTimer* timer : {&*leftTimer_, &*rightTimer_}) {
        if (timer->Id() == wParam && timer->Period() > 0) timer->Tick();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
      // The focus comes back to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = GetFocus();
      } else if (lastFocus_ && IsChild(window_, lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      CanBeClosed();
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      for (WindowTimer* timer : {&*leftTimer_, &*rightTimer_}) timer->SetPeriod(0);
      break;
    case WM_NCDESTROY:
      window_ = nullptr;
      // The program has one window: when it is gone, the message loop ends.
      if (shown_) PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* made = static_cast<MainWindow*>(create->lpCreateParams);
    made->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const LRESULT result = self->Handle(message, wParam, lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return result;
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const int index = GetDlgCtrlID(window) - kFirstId;
  if (!self || index < 0 || index >= static_cast<int>(design::kControls.size())) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client{};
      GetClientRect(window, &client);
      HBITMAP& picture = self->pictures_[static_cast<std::size_t>(index)];
      if (!picture) {
        picture = RenderPicture(design::kControls[static_cast<std::size_t>(index)].picture,
                                client.right, client.bottom);
      }
      if (picture) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ before = SelectObject(source, picture);
        BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        SelectObject(source, before);
        DeleteDC(source);
      } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
      self->LogoPressed(design::LogoIndex(design::kControls[static_cast<std::size_t>(index)]),
                        lParam, wParam);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kovarra::win32
