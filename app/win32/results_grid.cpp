#include "app/win32/results_grid.h"

#include <algorithm>

#include "app/win32/key_input.h"
#include "app/win32/wide_text.h"

namespace app {
namespace {

// The space left and right of a cell's text, at 96 dpi, as the list view itself leaves it.
constexpr int kTextLeft = 5;
constexpr int kTextRight = 2;

// The rows from `a` to `b`, in either order.
form::TRowRange Run(int a, int b) {
  return form::TRowRange{std::min(a, b), std::max(a, b)};
}

bool Contains(form::TRowRange rows, int row) {
  return row >= rows.first && row <= rows.last;
}

}  // namespace

ResultsGrid::~ResultsGrid() {
  // The list view shares the image list (LVS_SHAREIMAGELISTS): it is ours to destroy.
  if (rowSizer_ != nullptr) ImageList_Destroy(rowSizer_);
}

HWND ResultsGrid::Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance, HFONT font) {
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                              LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                          bounds.left, bounds.top, bounds.right - bounds.left,
                          bounds.bottom - bounds.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (list_ == nullptr) return nullptr;
  const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  header_ = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  listSubclass_.Install(list_, this, &ListProc);
  if (header_ != nullptr) headerSubclass_.Install(header_, this, &HeaderProc);
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
  rows_ = std::max(dataRows, 0);
  const auto cut = [this](int row) { return row > rows_ ? (rows_ > 0 ? rows_ : -1) : row; };
  current_ = cut(current_);
  anchor_ = cut(anchor_);
  selection_.last = std::min(selection_.last, rows_);
  if (selection_.Empty()) selection_ = form::TRowRange{};
  // Every row shown is repainted from the new result. The same count is not set again: under
  // wine that costs tens of milliseconds at two million rows, and changes nothing.
  if (static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) != rows_) {
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows_), LVSICF_NOINVALIDATEALL);
  }
  InvalidateRect(list_, nullptr, TRUE);
}

int ResultsGrid::ColumnCount() const {
  if (header_ == nullptr) return 0;
  return static_cast<int>(SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
}

void ResultsGrid::SetCurrentRow(int row) {
  if (list_ == nullptr || row < 1 || row > rows_) return;
  Select(row, row, form::TRowRange{row, row}, row);
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

form::TRowRange ResultsGrid::RowsInView() const {
  if (rows_ == 0) return form::TRowRange{};
  const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0)) + 1;
  // LVM_GETCOUNTPERPAGE counts the whole rows; the partly shown one below them is in view too.
  const int shown = static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
  return form::TRowRange{top, std::min(rows_, top + shown)};
}

void ResultsGrid::InvalidateRows(form::TRowRange rows, form::TRowRange inView) const {
  const int first = std::max(rows.first, inView.first);
  const int last = std::min(rows.last, inView.last);
  if (last < first) return;
  RECT top{};
  top.left = LVIR_BOUNDS;
  RECT bottom = top;
  if (SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(first - 1),
                   reinterpret_cast<LPARAM>(&top)) == FALSE ||
      SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(last - 1),
                   reinterpret_cast<LPARAM>(&bottom)) == FALSE) {
    return;
  }
  RECT client{};
  GetClientRect(list_, &client);
  const RECT area{client.left, top.top, client.right, bottom.bottom};
  InvalidateRect(list_, &area, TRUE);
}

void ResultsGrid::Select(int current, int anchor, form::TRowRange selection, int scrollTo) {
  const int oldCurrent = current_;
  const form::TRowRange oldSelection = selection_;
  current_ = current;
  anchor_ = anchor;
  selection_ = selection;
  if (scrollTo >= 1) {
    SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(scrollTo - 1), FALSE);
  }
  // Only the rows whose look changed, and of those only the ones in view (after the scroll, so
  // that the rectangles are where the rows now are).
  const form::TRowRange inView = RowsInView();
  InvalidateRows(oldSelection, inView);
  InvalidateRows(selection_, inView);
  InvalidateRows(form::TRowRange{oldCurrent, oldCurrent}, inView);
  InvalidateRows(form::TRowRange{current_, current_}, inView);
}

bool ResultsGrid::NavigationKey(WPARAM key) {
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
      SendMessageW(list_, WM_HSCROLL, MAKEWPARAM(key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0),
                   0);
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      break;
    default:
      return false;
  }
  if (rows_ == 0) return true;
  // Without a current row, the moves start above the first row.
  const long long from = current_ >= 1 ? current_ : 0;
  const long long page =
      std::max(1, static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0)));
  long long to = from;
  switch (key) {
    case VK_UP:
      to = from - 1;
      break;
    case VK_DOWN:
      to = from + 1;
      break;
    case VK_PRIOR:
      to = from - page;
      break;
    case VK_NEXT:
      to = from + page;
      break;
    case VK_HOME:
      to = 1;
      break;
    default:  // VK_END
      to = rows_;
      break;
  }
  const int row = static_cast<int>(std::clamp<long long>(to, 1, rows_));
  const int anchor = GetKeyState(VK_SHIFT) < 0 && anchor_ >= 1 ? anchor_ : row;
  Select(row, anchor, Run(anchor, row), row);
  if (row != from) form_.GridSelectCell(form::TGridCell{0, row});
  return true;
}

void ResultsGrid::PressRow(int row, bool extend) {
  // A plain press makes the row current, the anchor and the selection; with Shift the selection
  // reaches from the anchor to the pressed row and the current row stays.
  if (extend && current_ >= 1) {
    Select(current_, anchor_, Run(anchor_, row), -1);
  } else {
    Select(row, row, form::TRowRange{row, row}, -1);
  }
  dragRow_ = row;
  selecting_ = true;
  SetCapture(list_);
}

void ResultsGrid::DragTo(int y) {
  // Dragging with the button held selects the rows from the anchor to the one under the mouse,
  // scrolling when the mouse leaves the rows above or below.
  const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (rows_ == 0 || SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(top),
                                 reinterpret_cast<LPARAM>(&row)) == FALSE) {
    return;
  }
  const int height = std::max(1, static_cast<int>(row.bottom - row.top));
  const int offset = y - row.top;
  const int under = std::clamp(top + (offset < 0 ? -1 : offset / height), 0, rows_ - 1) + 1;
  if (under == dragRow_) return;
  dragRow_ = under;
  Select(current_, anchor_, Run(anchor_, under), under);
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
    case NM_CUSTOMDRAW:
      return CustomDraw(
          const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header)));
    default:
      return 0;
  }
}

LRESULT ResultsGrid::CustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: {
      paint_.columnWidths.resize(static_cast<std::size_t>(std::max(0, ColumnCount())));
      for (std::size_t column = 0; column < paint_.columnWidths.size(); ++column) {
        paint_.columnWidths[column] =
            static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0));
      }
      paint_.focused = GetFocus() == list_;
      GetClientRect(list_, &paint_.client);
      return CDRF_NOTIFYITEMDRAW;
    }
    case CDDS_ITEMPREPAINT:
      // The list view's own selection and focus never show, should it ever hold any: the grid
      // draws the whole row and the list view draws nothing of it.
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
      DrawRow(draw.nmcd.hdc, static_cast<int>(draw.nmcd.dwItemSpec) + 1);
      return CDRF_SKIPDEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

void ResultsGrid::DrawRow(HDC dc, int row) {
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1),
                   reinterpret_cast<LPARAM>(&bounds)) == FALSE) {
    return;
  }
  // Selected rows as a report view shows them: the highlight colours while the grid has the
  // focus, the face colours without it.
  const bool selected = Contains(selection_, row);
  int text = COLOR_WINDOWTEXT;
  if (selected) {
    FillRect(dc, &bounds, GetSysColorBrush(paint_.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    text = paint_.focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
  }
  const COLORREF oldColour = SetTextColor(dc, GetSysColor(text));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const int textLeft = scale_.ToNative(kTextLeft);
  const int textRight = scale_.ToNative(kTextRight);
  int left = bounds.left;
  for (std::size_t column = 0; column < paint_.columnWidths.size(); ++column) {
    // Centred in the row above its grid line.
    RECT cell{left + textLeft, bounds.top, left + paint_.columnWidths[column] - textRight,
              bounds.bottom - 1};
    left += paint_.columnWidths[column];
    if (cell.left >= paint_.client.right) break;
    if (cell.right <= std::max(cell.left, paint_.client.left)) continue;
    cellText_ = form_.GridCellText(static_cast<int>(column), row);
    DrawTextW(dc, AsWide(cellText_), static_cast<int>(cellText_.size()), &cell,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColour);
  if (row == current_ && paint_.focused) {
    // Inside the grid lines, which the list view draws over the rows afterwards, on the row's
    // last pixel row and each column's last pixel column.
    const RECT frame{bounds.left, bounds.top, bounds.right - 1, bounds.bottom - 1};
    DrawFocusRect(dc, &frame);
  }
}

LRESULT ResultsGrid::ListProc(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return static_cast<ResultsGrid*>(self)->HandleList(window, message, wParam, lParam);
}

LRESULT ResultsGrid::HeaderProc(void* self, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
  return static_cast<ResultsGrid*>(self)->HandleHeader(window, message, wParam, lParam);
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
      if (cell.row >= 1) PressRow(cell.row, extend);
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
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // Not passed on: the list view would draw a focus of its own, and might pick an item to
      // give it to. The selection's colours and the focus frame follow the grid's focus.
      const form::TRowRange inView = RowsInView();
      InvalidateRows(selection_, inView);
      InvalidateRows(form::TRowRange{current_, current_}, inView);
      return 0;
    }
    case WM_CONTEXTMENU: {
      // From the keyboard (-1) on the current row; from the mouse on the cell under it.
      form::TGridCell cell{0, CurrentRow()};
      if (lParam != -1) {
        const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        POINT point = screen;
        ScreenToClient(window, &point);
        cell = CellAt(point);
        // Over the header: its cells are the grid's row 0.
        POINT onHeader = screen;
        RECT headerClient{};
        if (header_ != nullptr && ScreenToClient(header_, &onHeader) &&
            GetClientRect(header_, &headerClient) && PtInRect(&headerClient, onHeader)) {
          HDHITTESTINFO hit{};
          hit.pt = onHeader;
          SendMessageW(header_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
          cell = (hit.flags & HHT_ONHEADER) != 0 && hit.iItem >= 0 ? form::TGridCell{hit.iItem, 0}
                                                                   : form::TGridCell{};
        }
      }
      form_.GridContextMenu(cell);
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (consumedKeys_.KeyDown(form_.GridKeyDown(KeyFromVirtualKey(wParam), ShiftState())))
        return 0;
      if (message == WM_KEYDOWN) {
        if (NavigationKey(wParam)) return 0;
        // Not passed on either: keys with which the list view would select items of its own.
        if (wParam == VK_SPACE || (wParam == 'A' && GetKeyState(VK_CONTROL) < 0)) return 0;
      }
      break;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
      if (consumedKeys_.DropsChar()) return 0;
      break;
    default:
      break;
  }
  return listSubclass_.CallControl(window, message, wParam, lParam);
}

LRESULT ResultsGrid::HandleHeader(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case HDM_LAYOUT: {
      // The header row is as high as a data row; the list view puts its rows below it.
      const LRESULT result = headerSubclass_.CallControl(window, message, wParam, lParam);
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
      const LRESULT result = headerSubclass_.CallControl(window, message, wParam, lParam);
      if (!onDivider) {
        const form::TGridCell cell = (hit.flags & HHT_ONHEADER) != 0 && hit.iItem >= 0
                                         ? form::TGridCell{hit.iItem, 0}
                                         : form::TGridCell{};
        form_.GridMouseDown(MouseButtonOf(message), MouseShiftState(wParam), cell);
      }
      return result;
    }
    default:
      return headerSubclass_.CallControl(window, message, wParam, lParam);
  }
}

}  // namespace app
