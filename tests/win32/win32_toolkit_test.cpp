// The Win32 front-end's toolkit operations: that each does what form::IToolkit says, on the real
// controls with the real form on them, read back through the toolkit and the Win32 API. The
// window's behaviour itself is tested once, headless, in tests/form.
//
// Wine creates windows only on a display: the test runs on a virtual X display of its own
// (on-xvfb.sh), without a window manager. The window is built but, except where the first
// showing is tested, not shown (without a window manager wine waits two seconds for every shown
// window to go). The operator's input is given as the messages the system would post (a press
// and a release, a key), through the toolkit's yield as the message loop handles them.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/wide_text.h"
#include "app/win32/win32_toolkit.h"
#include "app/win32/win_api.h"
#include "core/log_analyzer.h"
#include "core/log_record.h"
#include "form/Unit1.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/unicode.h"
#include "support/temp_tree.h"

namespace {

using form::TControl;
using korlo_test::TempTree;

// The real toolkit, with the modal dialogs and the popup menu answered by the test instead of
// an operator, and a hook that runs inside the next yield.
class TestToolkit : public app::Win32Toolkit {
 public:
  TestToolkit() : Win32Toolkit(GetModuleHandleW(nullptr)) {}

  using Win32Toolkit::CountList;
  using Win32Toolkit::CountWindowHandle;
  using Win32Toolkit::Handle;
  HWND Window() const {
    HWND panel = Handle(TControl::Panel2);
    return panel != nullptr ? GetAncestor(panel, GA_ROOT) : nullptr;
  }

  std::optional<int> ShowPopupMenu(std::span<const form::TMenuItem> items) override {
    std::vector<form::TMenuItem> shown(items.begin(), items.end());
    menus.push_back(std::move(shown));
    return menuChoice;
  }
  std::optional<std::u16string> ChooseDirectory(std::u16string_view, std::u16string_view) override {
    return std::nullopt;
  }
  std::optional<form::TSaveTarget> ChooseSaveFile(std::u16string_view, std::u16string_view,
                                                  std::span<const form::TFileType>) override {
    return std::nullopt;
  }
  void ShowInformation(std::u16string_view, std::u16string_view text) override {
    boxes.emplace_back(text);
  }
  void ShowError(std::u16string_view, std::u16string_view message) override {
    boxes.emplace_back(message);
  }
  // Unpaced, so that every yield of a test handles what the test posted before it.
  void ProcessPendingEvents() override {
    HandlePendingMessages();
    if (onYield) std::exchange(onYield, nullptr)();
  }

  std::vector<std::vector<form::TMenuItem>> menus;  // every popup menu asked for, as shown
  std::optional<int> menuChoice;                    // what the operator picks from it
  std::vector<std::u16string> boxes;                // information and error boxes shown
  std::function<void()> onYield;                    // runs once, after the next yield's pumping
};

std::wstring Wide(std::u16string_view text) {
  return app::ToWide(text);
}

LPARAM PointParam(POINT point) {
  return MAKELPARAM(point.x, point.y);
}

POINT Centre(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::string Narrow(std::u16string_view text) {
  return platform::Utf16ToUtf8(text);
}

// The day folder `day` of the server root `root` (relative to the tree), with `records` records.
void WriteDay(const TempTree& tree, const std::string& root, const std::string& day, int records) {
  std::string bytes;
  for (int i = 1; i <= records; ++i)
    bytes += "0\tacc" + std::to_string(i) + "\t2\tname\r\n";
  tree.WriteFile(root + "/LogServer/BaseDir/" + day + "/a.log", bytes);
}

class Win32ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DropQuit();
    ClearClipboard();
    form_.emplace(toolkit_, platform::NativeFileSystem(), platform::kCodePageGbk,
                  tree_.WindowsStylePath());
    toolkit_.Attach(*form_);
    form_->Create();  // the window is built but not shown, as before the program's Show
    ASSERT_NE(toolkit_.Window(), nullptr);
    toolkit_.ProcessPendingEvents();
  }

  void TearDown() override {
    // An exception that escaped an event handler shows in a box: none may have.
    std::vector<std::string> shown;
    for (const std::u16string& box : toolkit_.boxes)
      shown.push_back(Narrow(box));
    EXPECT_TRUE(toolkit_.boxes.empty()) << ::testing::PrintToString(shown);
  }

  // A window destroyed before (by the previous test's toolkit, or by a close) leaves its WM_QUIT
  // behind: a yield returns at it, and would dispatch no timer.
  static void DropQuit() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  static void ClearClipboard() {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }

  HWND Get(TControl control) const { return toolkit_.Handle(control); }
  form::TForm1& Form() { return *form_; }
  std::u16string Status() const { return toolkit_.Text(TControl::lblStatus); }
  int ToNative(int value) const {
    return MulDiv(value, static_cast<int>(GetDpiForWindow(toolkit_.Window())), 96);
  }

  // Pumps the window's messages until `done` holds, or gives up after a generous deadline.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      toolkit_.ProcessPendingEvents();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }

  // A press and release of the left (or right) button at a point of `window`'s client area, as
  // the system posts them, handled as the message loop handles them.
  void Click(HWND window, POINT point, WPARAM keys = 0, bool right = false) {
    PostMessageW(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
                 keys | (right ? MK_RBUTTON : MK_LBUTTON), PointParam(point));
    PostMessageW(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, keys, PointParam(point));
    toolkit_.ProcessPendingEvents();
  }

  // A key pressed in the grid as the system posts it, with Shift and Ctrl held as `shift` says
  // in the thread's keyboard state, handled as the message loop handles it.
  void PressKey(WPARAM key, form::TShift shift = form::TShift::kNone) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE shiftWas = keys[VK_SHIFT];
    const BYTE controlWas = keys[VK_CONTROL];
    keys[VK_SHIFT] = form::Holds(shift, form::TShift::kShift) ? 0x80 : 0;
    keys[VK_CONTROL] = form::Holds(shift, form::TShift::kCtrl) ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(Get(TControl::StringGrid1), WM_KEYDOWN, key, 1);
    toolkit_.ProcessPendingEvents();
    keys[VK_SHIFT] = shiftWas;
    keys[VK_CONTROL] = controlWas;
    SetKeyboardState(keys);
  }

  // A press of the left (or right) button on a grid cell with `keys` held, as the system posts
  // it; `whileHeld` runs after the press has been handled and before the release is posted.
  void PressCell(form::TGridCell cell, WPARAM keys, bool right = false,
                 const std::function<void()>& whileHeld = {}) {
    HWND grid = Get(TControl::StringGrid1);
    const LPARAM point = PointParam(CellCentre(cell.column, cell.row));
    PostMessageW(grid, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
                 keys | (right ? MK_RBUTTON : MK_LBUTTON), point);
    toolkit_.ProcessPendingEvents();
    if (whileHeld) whileHeld();
    PostMessageW(grid, right ? WM_RBUTTONUP : WM_LBUTTONUP, keys, point);
    toolkit_.ProcessPendingEvents();
  }

  // What the grid and the form hold about the grid's rows.
  struct GridState {
    int current = -1;
    form::TRowRange selected;
    form::TGridCell stored;  // the form's stored cell, which Ctrl+C copies
    friend bool operator==(const GridState&, const GridState&) = default;
    friend std::ostream& operator<<(std::ostream& out, const GridState& state) {
      return out << "current " << state.current << ", selected " << state.selected.first << ".."
                 << state.selected.last << ", stored cell (" << state.stored.column << ", "
                 << state.stored.row << ")";
    }
  };
  GridState Grid() {
    return GridState{
        toolkit_.GridCurrentRow(), toolkit_.GridSelectedRows(),
        form::TGridCell{Form().State().FLastClickedCol, Form().State().FLastClickedRow}};
  }
  void StoreCell(form::TGridCell cell) {
    Form().State().FLastClickedCol = cell.column;
    Form().State().FLastClickedRow = cell.row;
  }

  // The grid with `rows` data rows and nothing current, selected or stored.
  void StartGrid(int rows) {
    toolkit_.SetGridRowCount(0);
    toolkit_.SetGridRowCount(rows);
    StoreCell({});
  }

  // The list view itself never holds a selected or a focused item: the grid keeps its own.
  void ExpectListViewHoldsNoSelection() const {
    HWND grid = Get(TControl::StringGrid1);
    EXPECT_EQ(SendMessageW(grid, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(grid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
  }

  // The first and the last data row that the grid shows whole.
  form::TRowRange RowsInView() const {
    HWND grid = Get(TControl::StringGrid1);
    const int top = static_cast<int>(SendMessageW(grid, LVM_GETTOPINDEX, 0, 0)) + 1;
    const int page = static_cast<int>(SendMessageW(grid, LVM_GETCOUNTPERPAGE, 0, 0));
    return form::TRowRange{top, top + page - 1};
  }

  // The form shows `count` records "acc1".."accN" in its grid.
  void ShowRecords(int count) {
    form_->State().FFilteredLogs.clear();
    for (int i = 1; i <= count; ++i) {
      form_->State().FFilteredLogs.push_back(
          core::ParseLogLine(u"0\tacc" + app::FromWide(std::to_wstring(i))));
    }
    form_->RenderGrid();
  }

  // The centre of a grid cell in the list view's client coordinates (grid coordinates: data rows
  // from 1).
  POINT CellCentre(int column, int gridRow) const {
    HWND grid = Get(TControl::StringGrid1);
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(grid, LVM_GETITEMRECT, static_cast<WPARAM>(gridRow - 1),
                 reinterpret_cast<LPARAM>(&row));
    int left = row.left;
    for (int c = 0; c < column; ++c)
      left += static_cast<int>(SendMessageW(grid, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    const int width =
        static_cast<int>(SendMessageW(grid, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    return POINT{left + width / 2, (row.top + row.bottom) / 2};
  }

  std::u16string ListViewText(int column, int gridRow) const {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    const LRESULT length =
        SendMessageW(Get(TControl::StringGrid1), LVM_GETITEMTEXTW, static_cast<WPARAM>(gridRow - 1),
                     reinterpret_cast<LPARAM>(&item));
    return app::FromWide(std::wstring_view(item.pszText, static_cast<std::size_t>(length)));
  }

  TempTree tree_;
  TestToolkit toolkit_;
  std::optional<form::TForm1> form_;
};

TEST_F(Win32ToolkitTest, CreatesEachControlOfTheLayoutTableAsItsNativeKind) {
  EXPECT_EQ(toolkit_.Caption(), form::kFormCaption);
  for (const form::TControlLayout& entry : form::LayoutTable()) {
    SCOPED_TRACE(std::string(form::ControlName(entry.id)));
    ASSERT_NE(Get(entry.id), nullptr);
    EXPECT_TRUE(IsChild(toolkit_.Window(), Get(entry.id)));
  }
  const struct {
    TControl control;
    const wchar_t* windowClass;
  } cases[] = {
      {TControl::edtPath, WC_EDITW},
      {TControl::btnLoadSearch, WC_BUTTONW},
      {TControl::lblStatus, WC_STATICW},
      {TControl::cboCodePage, WC_COMBOBOXW},
      {TControl::lstDateFolders, WC_LISTBOXW},
      {TControl::lstActions, WC_LISTBOXW},
      {TControl::StringGrid1, WC_LISTVIEWW},
      {TControl::StatusBar1, STATUSCLASSNAMEW},
      {TControl::ProgressBar1, PROGRESS_CLASSW},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(form::ControlName(c.control)));
    wchar_t name[64] = {};
    GetClassNameW(Get(c.control), name, 64);
    EXPECT_EQ(lstrcmpiW(name, c.windowClass), 0);
  }
  EXPECT_EQ(toolkit_.PanelCount(), static_cast<int>(form::StatusPanels().size()));
  EXPECT_EQ(toolkit_.ItemCount(TControl::lstActions), 33);
}

TEST_F(Win32ToolkitTest, TheWindowShowsTheProgramsOwnIconInBothSizes) {
  // The module's own icon at the system's sizes, not the system's application icon that a module
  // without one falls back to.
  const HICON systemIcon = LoadIconW(nullptr, IDI_APPLICATION);
  const struct {
    int classIndex;
    int sizeMetric;
  } cases[] = {{GCLP_HICON, SM_CXICON}, {GCLP_HICONSM, SM_CXSMICON}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sizeMetric);
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(toolkit_.Window(), c.classIndex));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, systemIcon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(mask.bmWidth, GetSystemMetrics(c.sizeMetric));
  }
}

TEST_F(Win32ToolkitTest, AnEditNotifiesEveryChangeAndOnlyAChange) {
  toolkit_.SetText(TControl::edtPath, u"Q:\\nowhere");
  EXPECT_EQ(Status(), u"状态：路径无效");  // synchronously
  Form().SetStatus(u"marker");
  // The edit box sends EN_CHANGE for every WM_SETTEXT, the same text included: no change.
  toolkit_.SetText(TControl::edtPath, u"Q:\\nowhere");
  EXPECT_EQ(Status(), u"状态：marker");
  // The operator's typing notifies.
  HWND path = Get(TControl::edtPath);
  SendMessageW(path, EM_SETSEL, 0, -1);
  PostMessageW(path, WM_CHAR, L'x', 1);
  toolkit_.ProcessPendingEvents();
  EXPECT_EQ(toolkit_.Text(TControl::edtPath), u"x");
  EXPECT_EQ(Status(), u"状态：路径无效");
}

TEST_F(Win32ToolkitTest, ALabelSizesItselfToItsText) {
  const std::u16string_view texts[] = {u"短", u"状态：已选择新的日期文件夹，请点击加载按钮", u"abc",
                                       u"a much longer text of Latin letters only"};
  HWND label = Get(TControl::lblStatus);
  for (const std::u16string_view text : texts) {
    SCOPED_TRACE(Narrow(text));
    toolkit_.SetText(TControl::lblStatus, text);
    EXPECT_EQ(toolkit_.Text(TControl::lblStatus), text);
    HDC dc = GetDC(label);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring wide = Wide(text);
    SIZE extent{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    RECT client{};
    GetClientRect(label, &client);
    EXPECT_EQ(client.right, extent.cx);
    EXPECT_GE(client.bottom, extent.cy);
    const int dpi = static_cast<int>(GetDpiForWindow(label));
    EXPECT_EQ(toolkit_.Bounds(TControl::lblStatus).width, MulDiv(extent.cx, 96, dpi));
  }
}

TEST_F(Win32ToolkitTest, TheDateListNotifiesTheOperatorsSelectionOnly) {
  WriteDay(tree_, "server", "2024-03-01", 1);
  WriteDay(tree_, "server", "2024-03-02", 1);
  toolkit_.SetText(TControl::edtPath, tree_.WindowsStylePath("server"));
  ASSERT_EQ(toolkit_.ItemCount(TControl::lstDateFolders), 2);
  Form().State().FIsDataLoaded = true;
  toolkit_.SetItemSelected(TControl::lstDateFolders, 1, true);
  toolkit_.ProcessPendingEvents();
  EXPECT_TRUE(toolkit_.IsItemSelected(TControl::lstDateFolders, 1));
  EXPECT_TRUE(Form().State().FIsDataLoaded);  // the program's selection is silent
  toolkit_.SetItemSelected(TControl::lstDateFolders, 1, false);
  toolkit_.ProcessPendingEvents();
  EXPECT_FALSE(toolkit_.IsItemSelected(TControl::lstDateFolders, 1));
  EXPECT_TRUE(Form().State().FIsDataLoaded);

  HWND list = Get(TControl::lstDateFolders);
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  Click(list, Centre(item));
  EXPECT_TRUE(toolkit_.IsItemSelected(TControl::lstDateFolders, 0));
  EXPECT_FALSE(Form().State().FIsDataLoaded);
  EXPECT_EQ(Status(), u"状态：已选择新的日期文件夹，请点击加载按钮");
}

TEST_F(Win32ToolkitTest, TheDateListKeepsTheAddOrderUntilSortedAndThenInsertsInOrder) {
  const TControl list = TControl::lstDateFolders;
  const auto items = [&] {
    std::vector<std::u16string> texts;
    for (int i = 0; i < toolkit_.ItemCount(list); ++i)
      texts.push_back(toolkit_.ItemText(list, i));
    return texts;
  };
  toolkit_.ClearItems(list);
  for (const std::u16string_view day : {u"2024-03-02", u"2024-03-10", u"2024-03-01"})
    toolkit_.AddItem(list, day);
  EXPECT_EQ(items(), (std::vector<std::u16string>{u"2024-03-02", u"2024-03-10", u"2024-03-01"}));

  toolkit_.SetSorted(list);
  EXPECT_EQ(items(), (std::vector<std::u16string>{u"2024-03-01", u"2024-03-02", u"2024-03-10"}));
  const struct {
    std::u16string_view day;
    int index;
  } cases[] = {{u"2024-02-29", 0}, {u"2024-03-11", 4}, {u"2024-03-05", 3}, {u"2024-03-01", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.day));
    toolkit_.AddItem(list, c.day);
    const std::vector<std::u16string> now = items();
    ASSERT_GT(now.size(), static_cast<std::size_t>(c.index));
    EXPECT_EQ(now[static_cast<std::size_t>(c.index)], c.day);
    EXPECT_TRUE(std::is_sorted(now.begin(), now.end()));
  }
  // Cleared, it stays sorted.
  toolkit_.ClearItems(list);
  for (const std::u16string_view day : {u"2024-05-02", u"2024-05-01"})
    toolkit_.AddItem(list, day);
  EXPECT_EQ(items(), (std::vector<std::u16string>{u"2024-05-01", u"2024-05-02"}));
}

TEST_F(Win32ToolkitTest, AComboNotifiesTheOperatorsChoiceOnly) {
  toolkit_.SetCurrentItem(TControl::cboCodePage, 4);  // the program: silent
  toolkit_.ProcessPendingEvents();
  EXPECT_EQ(toolkit_.CurrentItem(TControl::cboCodePage), 4);
  EXPECT_EQ(Form().Core().CodePageChoice(), core::TCodePageChoice::kSystem);
  // The operator: Up in the closed box, from 自动 to UTF-8.
  PostMessageW(Get(TControl::cboCodePage), WM_KEYDOWN, VK_UP, 1);
  toolkit_.ProcessPendingEvents();
  EXPECT_EQ(toolkit_.CurrentItem(TControl::cboCodePage), 3);
  EXPECT_EQ(Form().Core().CodePageChoice(), core::TCodePageChoice::kUtf8);
}

TEST_F(Win32ToolkitTest, TheGridsCurrentRowRoundTripsAndStaysWithinTheRows) {
  ShowRecords(50);
  toolkit_.SetGridCurrentRow(40);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 40);
  EXPECT_EQ(toolkit_.GridSelectedRows(), (form::TRowRange{40, 40}));
  toolkit_.SetGridCurrentRow(7);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 7);
  EXPECT_EQ(toolkit_.GridSelectedRows(), (form::TRowRange{7, 7}));
  // Rows out of range do nothing.
  for (const int row : {0, 51, 1000}) {
    SCOPED_TRACE(row);
    toolkit_.SetGridCurrentRow(row);
    EXPECT_EQ(toolkit_.GridCurrentRow(), 7);
    EXPECT_EQ(toolkit_.GridSelectedRows(), (form::TRowRange{7, 7}));
  }

  // Through the form: a shorter result.
  ShowRecords(50);
  toolkit_.SetGridCurrentRow(45);
  ShowRecords(4);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 4);
  EXPECT_EQ(toolkit_.GridSelectedRows(), (form::TRowRange{4, 4}));
}

TEST_F(Win32ToolkitTest, ANewRowCountCutsTheCurrentRowAndTheSelectionToTheRowsThatRemain) {
  ShowRecords(8);
  const struct {
    const char* name;
    int rows;
    GridState after;  // the stored cell is not the grid's: it stays
  } cases[] = {
      {"more rows: nothing changes", 60, {6, {3, 6}, {}}},
      {"the same rows", 8, {6, {3, 6}, {}}},
      {"cut inside the run", 5, {5, {3, 5}, {}}},
      {"cut at the run's first row", 3, {3, {3, 3}, {}}},
      {"cut above the run", 2, {2, {}, {}}},
      {"no rows", 0, {-1, {}, {}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartGrid(8);
    toolkit_.SetGridCurrentRow(3);
    for (int i = 0; i < 3; ++i)
      PressKey(VK_DOWN, form::TShift::kShift);
    ASSERT_EQ(Grid(), (GridState{6, {3, 6}, {0, 6}}));
    StoreCell({});
    toolkit_.SetGridRowCount(c.rows);
    EXPECT_EQ(Grid(), c.after);
    ExpectListViewHoldsNoSelection();
  }
  // The anchor is cut with the rows: Shift+Up after a cut to 5 runs from row 3 again.
  StartGrid(8);
  toolkit_.SetGridCurrentRow(3);
  for (int i = 0; i < 3; ++i)
    PressKey(VK_DOWN, form::TShift::kShift);
  toolkit_.SetGridRowCount(5);
  PressKey(VK_UP, form::TShift::kShift);
  EXPECT_EQ(Grid(), (GridState{4, {3, 4}, {0, 4}}));
}

TEST_F(Win32ToolkitTest, APressMakesItsRowCurrentAndShiftSelectsFromTheAnchor) {
  ShowRecords(8);
  struct Press {
    form::TGridCell cell;
    WPARAM keys = 0;
    bool right = false;
  };
  const struct {
    const char* name;
    std::vector<Press> presses;
    GridState after;
  } cases[] = {
      {"a press", {{{2, 4}}}, {4, {4, 4}, {2, 4}}},
      {"a second press moves the row", {{{2, 4}}, {{1, 6}}}, {6, {6, 6}, {1, 6}}},
      {"Shift+press below", {{{2, 4}}, {{1, 7}, MK_SHIFT}}, {4, {4, 7}, {1, 7}}},
      {"Shift+press above", {{{2, 4}}, {{3, 2}, MK_SHIFT}}, {4, {2, 4}, {3, 2}}},
      {"a second Shift+press keeps the anchor",
       {{{2, 4}}, {{1, 7}, MK_SHIFT}, {{1, 1}, MK_SHIFT}},
       {4, {1, 4}, {1, 1}}},
      {"Shift+press with no current row selects the pressed row",
       {{{1, 3}, MK_SHIFT}},
       {3, {3, 3}, {1, 3}}},
      {"Ctrl+press is a plain press", {{{2, 4}}, {{1, 6}, MK_CONTROL}}, {6, {6, 6}, {1, 6}}},
      {"a right press selects nothing", {{{2, 4}}, {{1, 6}, 0, true}}, {4, {4, 4}, {1, 6}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit_.menuChoice = std::nullopt;
    StartGrid(8);
    for (std::size_t i = 0; i < c.presses.size(); ++i) {
      const Press& press = c.presses[i];
      // The last press has done everything before its button is released.
      const bool last = i + 1 == c.presses.size();
      PressCell(press.cell, press.keys, press.right, [&] {
        if (last) {
          EXPECT_EQ(Grid(), c.after) << "before the release";
        }
      });
    }
    EXPECT_EQ(Grid(), c.after);
    ExpectListViewHoldsNoSelection();
  }
}

TEST_F(Win32ToolkitTest, ADragExtendsTheSelectionFromTheAnchorAndScrolls) {
  ShowRecords(300);
  toolkit_.SetGridCurrentRow(1);
  HWND grid = Get(TControl::StringGrid1);
  const auto move = [&](LONG y) {
    PostMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, PointParam(POINT{CellCentre(1, 1).x, y}));
    toolkit_.ProcessPendingEvents();
  };
  PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(CellCentre(1, 3)));
  toolkit_.ProcessPendingEvents();
  move(CellCentre(1, 6).y);
  EXPECT_EQ(Grid(), (GridState{3, {3, 6}, {1, 3}}));
  move(CellCentre(1, 2).y);  // back past the pressed row
  EXPECT_EQ(Grid(), (GridState{3, {2, 3}, {1, 3}}));

  // Below the rows: each move selects one row further and scrolls it into view.
  RECT client{};
  GetClientRect(grid, &client);
  const int page = RowsInView().last;
  for (int i = 0; i < 2 * page; ++i)
    move(client.bottom + 5);
  const form::TRowRange reached = toolkit_.GridSelectedRows();
  EXPECT_EQ(reached.first, 3);
  EXPECT_GT(reached.last, 2 * page);
  EXPECT_EQ(RowsInView().last, reached.last);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);

  // Released, the mouse selects nothing more.
  PostMessageW(grid, WM_LBUTTONUP, 0, PointParam(POINT{CellCentre(1, 1).x, client.bottom + 5}));
  toolkit_.ProcessPendingEvents();
  move(client.bottom + 5);
  EXPECT_EQ(toolkit_.GridSelectedRows(), reached);
  ExpectListViewHoldsNoSelection();
}

TEST_F(Win32ToolkitTest, NavigationKeysMoveTheCurrentRowAndShiftExtendsFromTheAnchor) {
  ShowRecords(5);  // the form's cells; the row counts below are the grid's alone
  using form::TShift;
  constexpr TShift kShift = TShift::kShift;
  constexpr TShift kCtrl = TShift::kCtrl;
  struct Key {
    WPARAM key;
    TShift shift = TShift::kNone;
  };
  for (const int rows : {60, 2'000'000}) {
    SCOPED_TRACE(::testing::Message() << rows << " rows");
    StartGrid(rows);
    const int page = RowsInView().last;  // the rows shown whole, from the top
    ASSERT_GT(page, 5);
    const int mid = rows / 2;
    const struct {
      const char* name;
      int start;  // made current, the anchor and the selection first
      std::vector<Key> keys;
      int current;
      form::TRowRange selected;
    } cases[] = {
        {"Down", 10, {{VK_DOWN}}, 11, {11, 11}},
        {"Up", 10, {{VK_UP}}, 9, {9, 9}},
        {"Up on the first row", 1, {{VK_UP}}, 1, {1, 1}},
        {"Down on the last row", rows, {{VK_DOWN}}, rows, {rows, rows}},
        {"Page Down", 10, {{VK_NEXT}}, 10 + page, {10 + page, 10 + page}},
        {"Page Up", mid, {{VK_PRIOR}}, mid - page, {mid - page, mid - page}},
        {"Page Up near the top", 3, {{VK_PRIOR}}, 1, {1, 1}},
        {"Page Down near the end", rows - 2, {{VK_NEXT}}, rows, {rows, rows}},
        {"Home", mid, {{VK_HOME}}, 1, {1, 1}},
        {"End", mid, {{VK_END}}, rows, {rows, rows}},
        {"Ctrl+Home", mid, {{VK_HOME, kCtrl}}, 1, {1, 1}},
        {"Ctrl+End", 1, {{VK_END, kCtrl}}, rows, {rows, rows}},
        {"Shift+Down", 10, {{VK_DOWN, kShift}}, 11, {10, 11}},
        {"Shift+Up", 10, {{VK_UP, kShift}}, 9, {9, 10}},
        {"Shift+Page Down", 10, {{VK_NEXT, kShift}}, 10 + page, {10, 10 + page}},
        {"Shift+Page Up", mid, {{VK_PRIOR, kShift}}, mid - page, {mid - page, mid}},
        {"Shift+Home", mid, {{VK_HOME, kShift}}, 1, {1, mid}},
        {"Shift+End", mid, {{VK_END, kShift}}, rows, {mid, rows}},
        {"Ctrl+End, then Shift+Ctrl+Home selects every row",
         mid,
         {{VK_END, kCtrl}, {VK_HOME, kShift | kCtrl}},
         1,
         {1, rows}},
        {"Shift+Ctrl+End", 1, {{VK_END, kShift | kCtrl}}, rows, {1, rows}},
        {"Shift+Down twice, then Shift+Up",
         10,
         {{VK_DOWN, kShift}, {VK_DOWN, kShift}, {VK_UP, kShift}},
         11,
         {10, 11}},
        {"Shift+Down, then Shift+Up past the anchor",
         10,
         {{VK_DOWN, kShift}, {VK_UP, kShift}, {VK_UP, kShift}},
         9,
         {9, 10}},
        {"Shift+Down, then Down drops the run", 10, {{VK_DOWN, kShift}, {VK_DOWN}}, 12, {12, 12}},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      toolkit_.SetGridCurrentRow(c.start);
      ASSERT_EQ(toolkit_.GridCurrentRow(), c.start);
      const form::TGridCell unmoved{5, 5};
      StoreCell(unmoved);
      for (const Key& key : c.keys)
        PressKey(key.key, key.shift);
      // A move selects column 0 of the new row in the form; a key that moves nothing, nothing.
      const form::TGridCell stored = c.current != c.start ? form::TGridCell{0, c.current} : unmoved;
      EXPECT_EQ(Grid(), (GridState{c.current, c.selected, stored}));
      const form::TRowRange inView = RowsInView();
      EXPECT_TRUE(c.current >= inView.first && c.current <= inView.last)
          << "rows " << inView.first << ".." << inView.last << " in view";
      ExpectListViewHoldsNoSelection();
    }
    // With no current row, the keys start above the first row.
    StartGrid(rows);
    PressKey(VK_DOWN);
    EXPECT_EQ(Grid(), (GridState{1, {1, 1}, {0, 1}}));
  }
}

TEST_F(Win32ToolkitTest, LeftAndRightScrollTheColumnsAndLeaveTheRows) {
  ShowRecords(8);
  HWND grid = Get(TControl::StringGrid1);
  RECT client{};
  GetClientRect(grid, &client);
  int columns = 0;
  for (int c = 0; c < 15; ++c)
    columns += static_cast<int>(SendMessageW(grid, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
  ASSERT_GT(columns, client.right) << "the columns must be wider than the grid";
  toolkit_.SetGridCurrentRow(4);
  StoreCell({});
  const GridState before = Grid();
  const auto scrolled = [&] { return GetScrollPos(grid, SB_HORZ); };
  EXPECT_EQ(scrolled(), 0);
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);
  const int right = scrolled();
  EXPECT_GT(right, 0);
  PressKey(VK_LEFT);
  EXPECT_LT(scrolled(), right);
  EXPECT_EQ(Grid(), before);
  ExpectListViewHoldsNoSelection();
}

// The grid draws its rows itself: the selected ones in the highlight colours across the whole
// row, the others as the window, whatever the list view itself holds.
TEST_F(Win32ToolkitTest, TheGridDrawsTheSelectionAcrossWholeRowsAndNothingOfTheListViews) {
  ShowRecords(8);
  HWND grid = Get(TControl::StringGrid1);
  RECT client{};
  GetClientRect(grid, &client);
  // The client area drawn as the list view paints it, into a bitmap of ours.
  const auto draw = [&] {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    // The background as the list view's own paint erases it (printing does not erase).
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    SendMessageW(grid, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> copy(pixels, pixels + client.right * client.bottom);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return copy;
  };
  // A pixel's colour as a COLORREF (the bitmap holds 0x00RRGGBB).
  const auto colourAt = [&](const std::vector<std::uint32_t>& pixels, LONG x, LONG y) {
    const std::uint32_t pixel = pixels[static_cast<std::size_t>(y * client.right + x)];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  };

  PressCell({1, 3}, 0);
  PressCell({1, 5}, MK_SHIFT);
  ASSERT_EQ(toolkit_.GridSelectedRows(), (form::TRowRange{3, 5}));
  // Should the list view ever hold a selection and a focus of its own, they do not show.
  LVITEMW own{};
  own.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  own.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(grid, LVM_SETITEMSTATE, 6, reinterpret_cast<LPARAM>(&own));  // row 7

  const bool focused = GetFocus() == grid;
  const COLORREF highlight = GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const std::vector<std::uint32_t> pixels = draw();
  // An empty cell in the middle of the grid, and the last pixels of the client area's width.
  const LONG xs[] = {CellCentre(4, 1).x, client.right - 3};
  for (int row = 1; row <= 8; ++row) {
    SCOPED_TRACE(::testing::Message() << "row " << row);
    const LONG y = CellCentre(0, row).y;
    for (const LONG x : xs)
      EXPECT_EQ(colourAt(pixels, x, y), row >= 3 && row <= 5 ? highlight : window) << "x " << x;
  }
  // The focus frame, on the current row only, while the grid has the focus: its top edge differs
  // from the row's colour somewhere, other rows' tops do not.
  const auto topEdgeMarked = [&](int row, COLORREF fill) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(grid, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1),
                 reinterpret_cast<LPARAM>(&bounds));
    for (LONG x = CellCentre(4, row).x - 10; x < CellCentre(4, row).x + 10; ++x)
      if (colourAt(pixels, x, bounds.top) != fill) return true;
    return false;
  };
  EXPECT_EQ(topEdgeMarked(3, highlight), focused);
  EXPECT_FALSE(topEdgeMarked(4, highlight));
  EXPECT_FALSE(topEdgeMarked(7, window));
  own.state = 0;
  SendMessageW(grid, LVM_SETITEMSTATE, 6, reinterpret_cast<LPARAM>(&own));
}

TEST_F(Win32ToolkitTest, TheGridShowsTheFormsCellTexts) {
  ShowRecords(5);
  const struct {
    int column;
    int row;
  } cells[] = {{0, 1}, {1, 1}, {0, 3}, {1, 3}, {1, 5}, {2, 2}, {9, 4}};
  for (const auto& cell : cells) {
    SCOPED_TRACE(::testing::Message() << "column " << cell.column << ", row " << cell.row);
    EXPECT_EQ(ListViewText(cell.column, cell.row), Form().GridCellText(cell.column, cell.row));
  }
  EXPECT_EQ(ListViewText(1, 3), u"acc3");
  EXPECT_EQ(ListViewText(0, 5), u"5");
  // Row 0 is the header.
  HWND header =
      reinterpret_cast<HWND>(SendMessageW(Get(TControl::StringGrid1), LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  for (const int column : {0, 1, 9}) {
    SCOPED_TRACE(column);
    wchar_t buffer[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 64;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(app::FromWide(buffer), Form().GridCellText(column, 0));
  }
  // A new result shows at once.
  ShowRecords(2);
  EXPECT_EQ(SendMessageW(Get(TControl::StringGrid1), LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(ListViewText(1, 2), u"acc2");
}

TEST_F(Win32ToolkitTest, TheGridsContextMenuReachesTheFormWithItsCell) {
  ShowRecords(6);
  HWND grid = Get(TControl::StringGrid1);
  toolkit_.menuChoice = 2;  // 按此值查询: the cell's value goes into 关键词1

  // WM_CONTEXTMENU from the mouse, at a point in screen coordinates.
  POINT onThree = CellCentre(1, 3);
  ClientToScreen(grid, &onThree);
  SendMessageW(grid, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid), PointParam(onThree));
  ASSERT_EQ(toolkit_.menus.size(), 1U);
  std::vector<std::u16string> texts;
  for (const form::TMenuItem& item : toolkit_.menus.back())
    texts.emplace_back(item.text);
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"导出结果...", u"复制选中行", u"按此值查询",
                                                u"按此列升序排序", u"按此列降序排序", u"原始顺序",
                                                u"统计此列"}));
  EXPECT_EQ(toolkit_.Text(TControl::edtKeyword1), u"acc3");

  // The right button's release, as the system posts it.
  Click(grid, CellCentre(1, 5), 0, /*right=*/true);
  ASSERT_EQ(toolkit_.menus.size(), 2U);
  EXPECT_EQ(toolkit_.Text(TControl::edtKeyword1), u"acc5");
  EXPECT_EQ(toolkit_.GridSelectedRows(), form::TRowRange{});  // the right button selects nothing

  // From the keyboard (the coordinates are -1): on the focused row's first cell, which has no
  // value to query by (column 0 is the row number).
  toolkit_.SetGridCurrentRow(2);
  toolkit_.menuChoice = std::nullopt;
  SendMessageW(grid, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid), static_cast<LPARAM>(-1));
  ASSERT_EQ(toolkit_.menus.size(), 3U);
  EXPECT_TRUE(toolkit_.menus.back()[1].enabled);   // the selected row 2 can be copied
  EXPECT_FALSE(toolkit_.menus.back()[2].enabled);  // column 0 of row 2
}

TEST_F(Win32ToolkitTest, TheActionListsItemsAre17HighAndItemAtFindsThem) {
  HWND list = Get(TControl::lstActions);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), ToNative(17));
  const form::TRect bounds = toolkit_.Bounds(TControl::lstActions);
  ASSERT_GT(bounds.height, 5 * 17);
  const struct {
    form::TPoint point;
    int item;
  } cases[] = {{{5, 0}, 0},
               {{5, 16}, 0},
               {{5, 17}, 1},
               {{100, 5 * 17 + 8}, 5},
               {{5, -1}, -1},
               {{-1, 5}, -1},
               {{bounds.width + 10, 5}, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.point.x << "," << c.point.y);
    EXPECT_EQ(toolkit_.ItemAt(TControl::lstActions, c.point), c.item);
  }
  // Below the last item: none, not the nearest.
  toolkit_.ClearItems(TControl::lstActions);
  for (const std::u16string_view text : {u"一", u"二", u"三"})
    toolkit_.AddItem(TControl::lstActions, text);
  EXPECT_EQ(toolkit_.ItemAt(TControl::lstActions, {5, 2 * 17 + 3}), 2);
  EXPECT_EQ(toolkit_.ItemAt(TControl::lstActions, {5, 3 * 17 + 3}), -1);
  toolkit_.ClearItems(TControl::lstActions);
  EXPECT_EQ(toolkit_.ItemAt(TControl::lstActions, {5, 3}), -1);
}

TEST_F(Win32ToolkitTest, TheCopyNoticeTimerTicksOnce) {
  ShowRecords(3);
  HWND grid = Get(TControl::StringGrid1);
  Click(grid, CellCentre(1, 3));
  PressKey('C', form::TShift::kCtrl);
  ASSERT_EQ(toolkit_.Caption(), u"已复制: acc3");

  EXPECT_TRUE(PumpUntil([&] { return toolkit_.Caption() == form::kRestoredCaption; }))
      << Narrow(toolkit_.Caption());
  // Once: the timer is gone, so no further tick is due after its interval has passed again.
  MSG tick{};
  Sleep(1200);
  EXPECT_FALSE(PeekMessageW(&tick, toolkit_.Window(), WM_TIMER, WM_TIMER, PM_NOREMOVE));
  // Each timer gets an identifier of its own.
  EXPECT_NE(toolkit_.StartTimer(10000), toolkit_.StartTimer(10000));
}

TEST_F(Win32ToolkitTest, TheHourglassCoversEveryControlWhileBusy) {
  HWND edit = Get(TControl::edtKeyword1);
  const HCURSOR hourglass = LoadCursorW(nullptr, IDC_WAIT);
  const auto cursorOver = [&](HWND window) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  toolkit_.SetScreenCursor(form::TScreenCursor::kHourglass);
  EXPECT_EQ(GetCursor(), hourglass);
  for (const TControl control : {TControl::edtKeyword1, TControl::StringGrid1, TControl::lstActions,
                                 TControl::btnLoadSearch}) {
    SCOPED_TRACE(std::string(form::ControlName(control)));
    EXPECT_EQ(cursorOver(Get(control)), hourglass);
  }
  toolkit_.SetScreenCursor(form::TScreenCursor::kDefault);
  EXPECT_NE(GetCursor(), hourglass);
  EXPECT_EQ(cursorOver(edit), LoadCursorW(nullptr, IDC_IBEAM));
}

TEST_F(Win32ToolkitTest, TheClipboardHoldsTheTextAsUnicode) {
  const std::u16string_view texts[] = {u"acc3", u"物品名称", u"序号\t帐号\r\n1\tacc1\r\n", u""};
  for (const std::u16string_view text : texts) {
    SCOPED_TRACE(Narrow(text));
    toolkit_.SetClipboardText(text);
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::u16string read;
    bool present = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      present = true;
      read = app::FromWide(static_cast<const wchar_t*>(GlobalLock(data)));
      GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_TRUE(present);
    EXPECT_EQ(read, text);
  }
}

TEST_F(Win32ToolkitTest, TheWindowFitsTheWorkAreaAndItsBoundsAgree) {
  // Shown, the form places the window again, now that its frame is known.
  toolkit_.Show(SW_SHOWNORMAL);
  toolkit_.ProcessPendingEvents();
  const form::TRect work = toolkit_.WorkArea();
  ASSERT_GT(work.width, 0);
  ASSERT_GT(work.height, 0);
  const int dpi = static_cast<int>(GetDpiForWindow(toolkit_.Window()));
  const auto fromNative = [dpi](int value) { return MulDiv(value, 96, dpi); };
  RECT frame{};
  GetWindowRect(toolkit_.Window(), &frame);
  EXPECT_GE(fromNative(frame.left), work.left);
  EXPECT_GE(fromNative(frame.top), work.top);
  EXPECT_LE(fromNative(frame.right), work.Right());
  EXPECT_LE(fromNative(frame.bottom), work.Bottom());

  const form::TSize clients[] = {{400, 300}, {640, 480}, {std::min(work.width - 40, 1000), 500}};
  for (const form::TSize client : clients) {
    SCOPED_TRACE(::testing::Message() << client.width << "x" << client.height);
    const form::TSize outer = toolkit_.OuterSize(client);
    EXPECT_GT(outer.width, client.width);
    EXPECT_GT(outer.height, client.height);
    toolkit_.SetWindowBounds({work.left + 10, work.top + 10, outer.width, outer.height});
    toolkit_.ProcessPendingEvents();
    RECT placed{};
    GetWindowRect(toolkit_.Window(), &placed);
    EXPECT_EQ(fromNative(placed.left), work.left + 10);
    EXPECT_EQ(fromNative(placed.top), work.top + 10);
    EXPECT_EQ(fromNative(placed.right - placed.left), outer.width);
    EXPECT_EQ(fromNative(placed.bottom - placed.top), outer.height);
    RECT inside{};
    GetClientRect(toolkit_.Window(), &inside);
    EXPECT_EQ(fromNative(inside.right), client.width);
    EXPECT_EQ(fromNative(inside.bottom), client.height);
  }
}

TEST_F(Win32ToolkitTest, AClosingRequestedDuringALoadWaitsForTheLoad) {
  WriteDay(tree_, "server", "2024-03-01", 3);
  toolkit_.SetText(TControl::edtPath, tree_.WindowsStylePath("server"));
  toolkit_.SetItemSelected(TControl::lstDateFolders, 0, true);
  HWND window = toolkit_.Window();
  bool asked = false;
  toolkit_.onYield = [&] {
    asked = true;
    EXPECT_FALSE(toolkit_.IsEnabled(TControl::btnLoadSearch));  // the load is running
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));  // not yet
  };
  SendMessageW(Get(TControl::btnLoadSearch), BM_CLICK, 0, 0);
  EXPECT_TRUE(asked);
  EXPECT_EQ(Form().State().FAllLogs.size(), 3U);  // the load went on to its end
  EXPECT_TRUE(IsWindow(window));                  // the close comes after the event
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  DropQuit();
}

TEST_F(Win32ToolkitTest, TheProgressBarEndsAtTheMaximum) {
  HWND bar = Get(TControl::ProgressBar1);
  for (const int rows : {1, 99, 250, 5000}) {
    SCOPED_TRACE(rows);
    ShowRecords(rows);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), rows);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), rows);
  }
  // Positions set in quick succession may be held back; 0 and the maximum never are, and a
  // held-back position is shown by a later yield once its time has come.
  const struct {
    const char* name;
    int maximum;
    std::vector<int> positions;
    int shown;
  } cases[] = {
      {"back to 0 right after a position", 2'000'000, {5, 0}, 0},
      {"the maximum right after another position", 2'000'000, {1'999'999, 2'000'000}, 2'000'000},
      {"the maximum twice", 1000, {1000, 1000}, 1000},
      {"0 after the maximum", 1000, {1000, 0}, 0},
      {"a position right after the first", 1000, {0, 500}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit_.SetProgressMax(c.maximum);
    for (const int position : c.positions)
      toolkit_.SetProgressPosition(position);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), c.shown);
  }
  Sleep(60);
  toolkit_.Win32Toolkit::ProcessPendingEvents();  // the paced yield, as a command calls it
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 500);
}

// A long command yields thousands of times; the paced yield handles the pending input and
// paints only every few milliseconds, but handles them.
TEST_F(Win32ToolkitTest, ALongCommandStillHandlesInputAndPaints) {
  HWND edit = Get(TControl::edtKeyword1);
  ShowWindow(toolkit_.Window(), SW_SHOWNA);
  toolkit_.HandlePendingMessages();
  PostMessageW(edit, WM_CHAR, L'k', 1);
  InvalidateRect(edit, nullptr, TRUE);
  const form::TPaceCounts before = toolkit_.PaceCounts();
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200))
    toolkit_.Win32Toolkit::ProcessPendingEvents();
  const form::TPaceCounts paced = toolkit_.PaceCounts() - before;
  EXPECT_EQ(toolkit_.Text(TControl::edtKeyword1), u"k");
  RECT unpainted{};
  EXPECT_FALSE(GetUpdateRect(edit, &unpainted, FALSE));
  EXPECT_GE(paced.pumps, 1);
  EXPECT_LT(paced.pumps, paced.yields);
  ShowWindow(toolkit_.Window(), SW_HIDE);
}

TEST_F(Win32ToolkitTest, TheStatusBarsPanelsAreAsWideAsDesigned) {
  HWND statusBar = Get(TControl::StatusBar1);
  int edges[3] = {};
  ASSERT_EQ(SendMessageW(statusBar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(edges[0], 150);
  EXPECT_EQ(edges[1], 300);
  EXPECT_EQ(edges[2], 350);  // the third panel 50 wide, not stretched to the bar's right edge
}

}  // namespace

namespace {

// The count window: a window of its own with the form's count table; a double click or Enter on
// a row reaches the form, which queries by that value.
TEST_F(Win32ToolkitTest, TheCountWindowShowsTheCountsAndQueriesByAValue) {
  ShowRecords(4);
  form_->State().FFilteredLogs.push_back(core::ParseLogLine(u"0\tacc2"));
  form_->RenderGrid();
  form_->CountByColumn(1);
  HWND list = toolkit_.CountList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  wchar_t text[64] = {};
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(app::FromWide(text), u"acc2");  // twice: the most frequent first
  item.iSubItem = 1;
  SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(app::FromWide(text), u"2");

  // A double click on the third row: acc3 goes into 关键词1, exact, on 帐号.
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
  const POINT centre{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(centre));
  PostMessageW(list, WM_LBUTTONUP, 0, PointParam(centre));
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(centre));
  PostMessageW(list, WM_LBUTTONUP, 0, PointParam(centre));
  toolkit_.HandlePendingMessages();
  EXPECT_EQ(toolkit_.Text(TControl::edtKeyword1), u"acc3");
  ShowWindow(toolkit_.CountWindowHandle(), SW_HIDE);
}

}  // namespace
