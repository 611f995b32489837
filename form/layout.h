#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "form/geometry.h"

namespace form {

// The window's components, named as the form names them. The order is the order of creation:
// every parent comes before its children.
enum class TControl : std::uint8_t {
  Panel2,
  edtPath,
  btnSelectPath,
  btnLoadSearch,
  btnHelp,
  lblStatus,
  lblColumn1,
  cboColumn1,
  edtKeyword1,
  chkExact1,
  lblColumn2,
  cboColumn2,
  edtKeyword2,
  chkExact2,
  lblCodePage,
  cboCodePage,
  btnReadNew,
  chkFollow,
  lblStartTime,
  edtStartTime,
  lblEndTime,
  edtEndTime,
  pnlLeft,
  lblDateFolder,
  lstDateFolders,
  btnRefreshDates,
  btnSelectAll,
  btnDeselectAll,
  lblActionFilter,
  lstActions,
  btnSelectAllActions,
  btnClearAllActions,
  Splitter1,
  StringGrid1,
  StatusBar1,
  ProgressBar1,
};
inline constexpr std::size_t kControlCount = 36;

// The component's name as the form spells it ("edtPath"), for the toolkit's object names and
// for readable test transcripts.
std::string_view ControlName(TControl control);

// What a toolkit creates for a component.
enum class TControlKind : std::uint8_t {
  kPanel,        // a plain container
  kEdit,         // single-line edit box with a change notification and a grey placeholder
  kButton,       // push button with a click notification
  kLabel,        // static text that sizes itself to its text
  kComboBox,     // list-only drop-down
  kCheckBox,     // check box with its caption
  kDateList,     // multi-select list box, sorted once asked, with a selection notification
  kCheckList,    // owner-drawn list box of fixed item height, single selection
  kSplitter,     // a vertical bar that the operator drags to resize the panel left of it
  kGrid,         // the results grid: a header row over virtual data rows
  kStatusBar,    // status bar with fixed-width panels
  kProgressBar,  // horizontal progress bar, minimum 0
};

// How the window's own children follow its client area (the form computes their bounds).
enum class TDock : std::uint8_t { kNone, kTop, kLeft, kFill, kBottom };

// No parent: the control sits directly in the window's client area.
inline constexpr std::uint8_t kNoParent = 0xFF;

// One row of the layout table.
struct TControlLayout {
  TControl id;
  TControlKind kind;
  std::uint8_t parent;  // a TControl, or kNoParent
  TRect bounds;         // designed placement inside the parent; labels: width and height 0
  std::u16string_view text;
  std::u16string_view placeholder;  // edit boxes: grey text shown while empty and unfocused
  int tabOrder;                     // within the parent; -1 for controls not reached by Tab
  TDock dock;
  int itemHeight;  // list boxes: the fixed item height; 0 otherwise

  TControl Parent() const { return static_cast<TControl>(parent); }
  bool HasParent() const { return parent != kNoParent; }
};

// The layout table, in TControl order.
const std::array<TControlLayout, kControlCount>& LayoutTable();
const TControlLayout& LayoutOf(TControl control);
constexpr std::size_t Index(TControl control) {
  return static_cast<std::size_t>(control);
}

// The window itself.
struct TWindowLayout {
  std::u16string_view caption;
  TSize clientSize;
  std::u16string_view fontFace;
  int fontHeight;  // negative: character height in pixels at 96 dpi (-12 is 9 points)
};
const TWindowLayout& WindowLayout();

// The status bar's panels: widths in pixels and texts at start.
struct TStatusPanelLayout {
  int width;
  std::u16string_view text;
};
std::span<const TStatusPanelLayout> StatusPanels();

// The entries of the code page box, in the order of core::TCodePageChoice: the system's ANSI
// code page, GBK, GB18030, UTF-8, and per file (UTF-8 when well-formed, the ANSI code page
// otherwise).
std::span<const std::u16string_view> CodePageTexts();

// The results grid's fixed row height.
inline constexpr int kGridRowHeight = 20;

// The bounds of the window's docked children for a client area of `client`: `Panel2` along the
// top, `StatusBar1` and, when visible, `ProgressBar1` along the bottom (the status bar above the
// progress bar), `pnlLeft` of width `leftWidth` on the left between them, `Splitter1` right of
// it, and `StringGrid1` filling the rest. No size is below 0.
struct TDockedBounds {
  TRect panel2, pnlLeft, splitter1, stringGrid1, statusBar1, progressBar1;
};
TDockedBounds DockChildren(TSize client, int leftWidth, bool progressVisible);

// The narrowest the splitter lets the left panel and the grid become.
inline constexpr int kMinDockedWidth = 30;
// The left panel's width for a splitter dragged to put the panel's right edge at `requested`,
// keeping both sides at least kMinDockedWidth wide within a client area `clientWidth` wide.
int ClampLeftWidth(int requested, int clientWidth);

// The action list's height and the action buttons' top for a left panel `panelHeight` high:
// the list ends 60 pixels above the panel's lower edge but is never below 100 high, and the
// buttons sit 10 pixels below it.
struct TActionArea {
  int listHeight;
  int buttonsTop;
};
TActionArea ActionArea(int panelHeight);

}  // namespace form
