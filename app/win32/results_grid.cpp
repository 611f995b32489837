#include "app/win32/results_grid.h"

#include <algorithm>

#include "app/win32/error_box.h"
#include "app/win32/key_input.h"
#include "app/win32/wide_text.h"

namespace app {
namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

ResultsGrid::~ResultsGrid() {
  if (list_ != nullptr && IsWindow(list_)) RemoveWindowSubclass(list_, ListProc, kSubclassId);
  if (header_ != nullptr && IsWindow(header_)) {
    RemoveWindowSubclass(header_, HeaderProc, kSubclassId);
  }
  // The list view shares the image list (LVS_SHAREIMAGELISTS): it is ours to destroy.
  if (rowSizer_ != nullptr) ImageList_Destroy(rowSizer_);
}

HWND ResultsGrid::Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance, HFONT font) {
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                              LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                          bounds.left, bounds.top, bounds.right - bounds.left,
                          bounds.bottom - bounds.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (list_ == nullptr) return nullptr;
  const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  header_ = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  SetWindowSubclass(list_, ListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (header_ != nullptr) {
    SetWindowSubclass(header_, HeaderProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  SetRowHeight();
  return list_;
}

void ResultsGrid::SetColumns(std::span<const form::TGridColumn> columns) {
  if (list_ == nullptr) return;
  while (SendMessageW(list_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
  }
  int index = 0;
  for (const form::TGridColumn& column : columns) {
    std::wstring text = ToWide(column.header);
    LVCOLUMNW entry{};
    entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    entry.fmt = LVCFMT_LEFT;
    entry.cx = scale_.ToNative(column.width);
    entry.pszText = text.data();
    entry.iSubItem = index;
    SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&entry));
    ++index;
  }
  SetRowHeight();
}

void ResultsGrid::SetRowCount(int dataRows) {
  if (list_ == nullptr) return;
  const int count = dataRows > 0 ? dataRows : 0;
  const int focused = FocusedItem();
  // Without LVSICF_NOINVALIDATEALL: every row shown is repainted from the new result.
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
  // The list view drops a focused item that the new count cuts off: the current row moves to
  // the new last row instead, as the grid's current row does.
  if (focused >= count && count > 0) SetCurrentRow(count);
  InvalidateRect(list_, nullptr, TRUE);
}

int ResultsGrid::FocusedItem() const {
  if (list_ == nullptr) return -1;
  return static_cast<int>(
      SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int ResultsGrid::ColumnCount() const {
  if (header_ == nullptr) return 0;
  return static_cast<int>(SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
}

form::TRowRange ResultsGrid::SelectedRows() const {
  form::TRowRange rows;
  if (list_ == nullptr) return rows;
  int item = -1;
  while ((item = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(item),
                                               LVNI_SELECTED))) >= 0) {
    if (rows.Empty()) rows.first = item + 1;
    rows.last = item + 1;
  }
  return rows;
}

int ResultsGrid::CurrentRow() const {
  const int item = FocusedItem();
  return item >= 0 ? item + 1 : -1;
}

void ResultsGrid::SetCurrentRow(int row) {
  if (list_ == nullptr) return;
  // A row out of range changes nothing, the selection included.
  const int item = row - 1;
  if (item < 0 || item >= ItemCount()) return;
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  LVITEMW current{};
  current.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  current.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(&current));
  SendMessageW(list_, LVM_SETSELECTIONMARK, 0, item);
  SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

void ResultsGrid::Rescale(int oldDpi) {
  if (list_ == nullptr || oldDpi <= 0) return;
  const int columns = ColumnCount();
  for (int column = 0; column < columns; ++column) {
    const int width =
        static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MulDiv(width, scale_.Dpi(), oldDpi));
  }
  SetRowHeight();
}

void ResultsGrid::SetRowHeight() {
  // A report view's rows are as high as the taller of its font and its small images; how much
  // it adds to that differs between comctl32 versions, so the row is measured and the image
  // height corrected once.
  const int target = scale_.ToNative(form::kGridRowHeight);
  const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
  if (count == 0) SendMessageW(list_, LVM_SETITEMCOUNT, 1, LVSICF_NOINVALIDATEALL);
  int imageHeight = target;
  for (int attempt = 0; attempt < 2 && imageHeight > 0; ++attempt) {
    HIMAGELIST sizer = ImageList_Create(1, imageHeight, ILC_COLOR32, 0, 1);
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(sizer));
    if (rowSizer_ != nullptr) ImageList_Destroy(rowSizer_);
    rowSizer_ = sizer;
    RECT row{};
    row.left = LVIR_BOUNDS;
    if (SendMessageW(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)) == FALSE) break;
    const int height = row.bottom - row.top;
    if (height == target) break;
    imageHeight += target - height;
  }
  if (count == 0) SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
}

int ResultsGrid::ItemCount() const {
  return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

void ResultsGrid::SelectRange(int from, int to) {
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  LVITEMW selected{};
  selected.stateMask = LVIS_SELECTED;
  selected.state = LVIS_SELECTED;
  for (int item = std::min(from, to); item <= std::max(from, to); ++item) {
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&selected));
  }
}

void ResultsGrid::PressRow(int item, bool extend) {
  // A plain press makes the row current and the selection; with Shift the selection reaches
  // from the current row to the pressed one and the current row stays.
  const int current = FocusedItem();
  rangeStart_ = extend && current >= 0 ? current : item;
  SelectRange(rangeStart_, item);
  if (!extend || current < 0) {
    LVITEMW focused{};
    focused.stateMask = LVIS_FOCUSED;
    focused.state = LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&focused));
    SendMessageW(list_, LVM_SETSELECTIONMARK, 0, item);
  }
  dragItem_ = item;
  selecting_ = true;
  SetCapture(list_);
}

void ResultsGrid::DragTo(int y) {
  // Dragging with the button held selects the rows from the current row to the one under the
  // mouse, scrolling when the mouse leaves the rows above or below.
  const int count = ItemCount();
  const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (count == 0 || SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(top),
                                 reinterpret_cast<LPARAM>(&row)) == FALSE) {
    return;
  }
  const int height = std::max(1, static_cast<int>(row.bottom - row.top));
  const int offset = y - row.top;
  const int item = std::clamp(top + (offset < 0 ? -1 : offset / height), 0, count - 1);
  if (item == dragItem_) return;
  dragItem_ = item;
  SelectRange(rangeStart_, item);
  SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

void ResultsGrid::EndSelecting() {
  selecting_ = false;
  if (GetCapture() == list_) ReleaseCapture();
}

form::TGridCell ResultsGrid::CellAt(POINT point) const {
  LVHITTESTINFO hit{};
  hit.pt = point;
  SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.iItem < 0 || hit.iSubItem < 0 || (hit.flags & LVHT_ONITEM) == 0 ||
      hit.iSubItem >= ColumnCount()) {
    return form::TGridCell{};
  }
  return form::TGridCell{hit.iSubItem, hit.iItem + 1};
}

LRESULT ResultsGrid::Notify(const NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
      if ((item.mask & LVIF_TEXT) != 0) {
        cellText_ = form_.GridCellText(item.iSubItem, item.iItem + 1);
        item.pszText = AsWide(cellText_);
      }
      if ((item.mask & LVIF_IMAGE) != 0) item.iImage = I_IMAGENONE;
      if ((item.mask & LVIF_INDENT) != 0) item.iIndent = 0;
      return 0;
    }
    case LVN_ODFINDITEMW:
      // Typing letters does not search the rows.
      return -1;
    default:
      return 0;
  }
}

LRESULT CALLBACK ResultsGrid::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
  return GuardedMessage(GetAncestor(window, GA_ROOT), 0, [&] {
    return reinterpret_cast<ResultsGrid*>(self)->HandleList(window, message, wParam, lParam);
  });
}

LRESULT CALLBACK ResultsGrid::HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*id*/, DWORD_PTR self) {
  return GuardedMessage(GetAncestor(window, GA_ROOT), 0, [&] {
    return reinterpret_cast<ResultsGrid*>(self)->HandleHeader(window, message, wParam, lParam);
  });
}

LRESULT ResultsGrid::HandleList(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The grid selects rows itself, at the press: the list view's own press handling waits
      // in a loop for the release (to detect a drag-and-drop), so that the form would hear of
      // the press only after the release, and dragging would not select a range of rows.
      const form::TGridCell cell = CellAt(MousePoint(lParam));
      const form::TShift shift = MouseShiftState(wParam);
      const bool extend = form::Holds(shift, form::TShift::kShift);
      if (!extend && cell.row >= 1) form_.GridSelectCell(cell);
      SetFocus(window);
      if (cell.row >= 1) PressRow(cell.row - 1, extend);
      form_.GridMouseDown(form::TMouseButton::kLeft, shift, cell);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (selecting_) {
        if ((wParam & MK_LBUTTON) == 0) {
          EndSelecting();
        } else {
          DragTo(MousePoint(lParam).y);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (selecting_) {
        EndSelecting();
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      selecting_ = false;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      // Not passed on: the list view would select the row under the mouse.
      SetFocus(window);
      rightPressed_ = message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK;
      form_.GridMouseDown(MouseButtonOf(message), MouseShiftState(wParam),
                          CellAt(MousePoint(lParam)));
      return 0;
    case WM_RBUTTONUP:
      if (rightPressed_) {
        // The list view raises the context menu from its own handling of the press, which it
        // did not see: raise it here, as a window without that handling does on the release.
        rightPressed_ = false;
        POINT screen = MousePoint(lParam);
        ClientToScreen(window, &screen);
        SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(screen.x, screen.y));
        return 0;
      }
      break;
    case WM_CONTEXTMENU: {
      // From the keyboard (-1) on the focused row; from the mouse on the cell under it.
      form::TGridCell cell{0, CurrentRow()};
      if (lParam != -1) {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &point);
        cell = CellAt(point);
      }
      form_.GridContextMenu(cell);
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (consumedKeys_.KeyDown(form_.GridKeyDown(KeyFromVirtualKey(wParam), ShiftState())))
        return 0;
      const int before = FocusedItem();
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      const int after = FocusedItem();
      if (after >= 0 && after != before) form_.GridSelectCell(form::TGridCell{0, after + 1});
      return result;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
      if (consumedKeys_.DropsChar()) return 0;
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT ResultsGrid::HandleHeader(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case HDM_LAYOUT: {
      // The header row is as high as a data row; the list view puts its rows below it.
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      const auto& layout = *reinterpret_cast<const HDLAYOUT*>(lParam);
      layout.pwpos->cy = scale_.ToNative(form::kGridRowHeight);
      layout.prc->top = layout.pwpos->y + layout.pwpos->cy;
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
      HDHITTESTINFO hit{};
      hit.pt = MousePoint(lParam);
      SendMessageW(window, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      const bool onDivider = (hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) != 0;
      if (GetFocus() != list_) SetFocus(list_);
      // The header sizes a column when the press is on a divider; a press elsewhere is a press
      // on the grid's row 0.
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      if (!onDivider) {
        const form::TGridCell cell = (hit.flags & HHT_ONHEADER) != 0 && hit.iItem >= 0
                                         ? form::TGridCell{hit.iItem, 0}
                                         : form::TGridCell{};
        form_.GridMouseDown(MouseButtonOf(message), MouseShiftState(wParam), cell);
      }
      return result;
    }
    default:
      return DefSubclassProc(window, message, wParam, lParam);
  }
}

}  // namespace app
