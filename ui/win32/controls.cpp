#include "ui/win32/controls.hpp"

#include <commctrl.h>

#include <algorithm>
#include <limits>

#include "ui/win32/wide_text.hpp"

namespace kovarra::win32 {

// --- WindowPlace ---

void WindowPlace::SetLeft(int left) {
  left_ = std::clamp(left, -design::kLeftLimit, design::kLeftLimit);
  HWND parent = GetParent(window_);
  RECT box{};
  GetWindowRect(window_, &box);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&box), 2);
  SetWindowPos(window_, nullptr, scale_(left_), box.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Shown at the new place right away, not at the next idle paint.
  if (parent) RedrawWindow(parent, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// --- WindowTimer ---

void WindowTimer::SetPeriod(int period) {
  period = std::max(period, 0);
  if (period == period_) return;
  period_ = period;
  KillTimer(owner_, id_);
  if (period > 0) SetTimer(owner_, id_, static_cast<UINT>(period), nullptr);
}

// --- RedrawHold ---

void RedrawHold::Hold(HWND control) {
  if (std::find(held_.begin(), held_.end(), control) != held_.end()) return;
  if (held_.empty() && !PostMessageW(owner_, message_, 0, 0)) return;  // then drawn at once
  SendMessageW(control, WM_SETREDRAW, FALSE, 0);
  held_.push_back(control);
}

void RedrawHold::Release() {
  for (HWND control : held_) {
    SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(control, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  held_.clear();
}

// --- ListView ---

ListView::ListView(HWND window, Scale scale, RedrawHold* hold) : window_(window), hold_(hold) {
  ListView_SetExtendedListViewStyle(window_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (std::size_t c = 0; c < design::kColumns.size(); ++c) {
    std::wstring title = WideDesign(design::kColumns[c].title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = scale(design::kColumns[c].width);
    column.pszText = title.data();
    column.iSubItem = static_cast<int>(c);
    SendMessageW(window_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
}

void ListView::ClearRows() {
  Changing();
  SendMessageW(window_, LVM_DELETEALLITEMS, 0, 0);
  rows_.clear();
}

int ListView::InsertRow() {
  if (rows_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return -1;
  Changing();
  wchar_t empty[] = L"";
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = RowCount();
  item.pszText = empty;
  const auto index =
      static_cast<int>(SendMessageW(window_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index != RowCount()) {
    if (index >= 0) SendMessageW(window_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    return -1;
  }
  rows_.emplace_back();
  return index;
}

void ListView::SetCell(int row, int column, const Text& text) {
  if (row < 0 || row >= RowCount() || column < 0 ||
      column >= static_cast<int>(design::kColumns.size())) {
    return;
  }
  Changing();
  std::wstring shown = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = shown.data();
  SendMessageW(window_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

Text ListView::GetCell(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 ||
      column >= static_cast<int>(design::kColumns.size())) {
    return Text();
  }
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

int ListView::SelectedRow() const {
  return static_cast<int>(
      SendMessageW(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::SelectRowAt(POINT client) {
  LVHITTESTINFO hit{};
  hit.pt = client;
  const auto row = static_cast<int>(
      SendMessageW(window_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (row < 0 || row >= RowCount()) return;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&state));
}

// --- DropDownList ---

DropDownList::DropDownList(HWND window, RedrawHold* hold) : window_(window), hold_(hold) {}

void DropDownList::ClearItems() {
  Changing();
  SendMessageW(window_, CB_RESETCONTENT, 0, 0);
  items_.clear();
}

int DropDownList::AddItem(const Text& text, int value) {
  Changing();
  const std::wstring shown = Wide(text);
  const auto index = static_cast<int>(
      SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str())));
  if (index != ItemCount()) {
    if (index >= 0) SendMessageW(window_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    return -1;
  }
  items_.push_back({text, value});
  return index;
}

Text DropDownList::ItemText(int index) const {
  if (index < 0 || index >= ItemCount()) return Text();
  return items_[static_cast<std::size_t>(index)].text;
}

int DropDownList::ItemValue(int index) const {
  if (index < 0 || index >= ItemCount()) return -1;
  return items_[static_cast<std::size_t>(index)].value;
}

int DropDownList::SelectedIndex() const {
  const auto index = static_cast<int>(SendMessageW(window_, CB_GETCURSEL, 0, 0));
  return index < 0 ? -1 : index;
}

void DropDownList::SetSelectedIndex(int index) {
  index = std::clamp(index, -1, ItemCount() - 1);
  Changing();
  SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// --- CaptionWindow ---

void CaptionWindow::Show() const {
  std::wstring shown = Wide(caption_);
  if (groupBox_) {
    // A lone "&" would turn into a shortcut mark; the caption is shown as written.
    for (std::size_t at = shown.find(L'&'); at != std::wstring::npos;
         at = shown.find(L'&', at + 2)) {
      shown.insert(at, 1, L'&');
    }
  }
  SetWindowTextW(window_, shown.c_str());
}

void CaptionWindow::SetCaption(const Text& caption) {
  caption_ = caption;
  Show();
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

}  // namespace kovarra::win32
