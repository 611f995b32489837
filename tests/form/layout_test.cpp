#include <gtest/gtest.h>

#include <string>

#include "form_fixture.h"

namespace korlo_test {
namespace {

using enum form::TControl;
using form::TRect;
using form::TSize;

// The left panel is the client area less the top panel (137, with the time range's row) and the
// status bar (19).
constexpr int kTop = 137;
constexpr int kAroundLeftPanel = kTop + 19;

TEST_F(FormTest, ResizingPlacesTheActionListAndItsButtonsByTheLeftPanelHeight) {
  struct Case {
    const char* name;
    int panelHeight;
    int listHeight;
    int buttonsTop;
  };
  const Case cases[] = {
      {"designed", 600, 250, 550},
      {"minimum list, buttons at the lower edge", 400, 100, 400},
      {"just the minimum", 450, 100, 400},
      {"one above the minimum", 451, 101, 401},
      {"tall", 800, 450, 750},
      {"no room at all", 0, 100, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.ClearTranscript();
    toolkit.Resize({1200, c.panelHeight + kAroundLeftPanel});
    EXPECT_EQ(toolkit.Bounds(pnlLeft), (TRect{0, kTop, 280, c.panelHeight}));
    EXPECT_EQ(toolkit.Bounds(lstActions), (TRect{10, 290, 260, c.listHeight}));
    EXPECT_EQ(toolkit.Bounds(btnSelectAllActions), (TRect{10, c.buttonsTop, 80, 25}));
    EXPECT_EQ(toolkit.Bounds(btnClearAllActions), (TRect{100, c.buttonsTop, 80, 25}));
    EXPECT_EQ(toolkit.Bounds(StringGrid1), (TRect{285, kTop, 915, c.panelHeight}));
    EXPECT_EQ(toolkit.Bounds(StatusBar1), (TRect{0, kTop + c.panelHeight, 1200, 19}));
    EXPECT_EQ(toolkit.Count("invalidate lstActions"), 1u);
  }
}

TEST_F(FormTest, FromAPanel450HighTheListEnds60AndTheButtons25AboveItsLowerEdge) {
  for (int panelHeight = 450; panelHeight <= 1400; panelHeight += 37) {
    SCOPED_TRACE(panelHeight);
    toolkit.Resize({1000, panelHeight + kAroundLeftPanel});
    EXPECT_EQ(toolkit.Bounds(lstActions).Bottom(), panelHeight - 60);
    EXPECT_EQ(toolkit.Bounds(btnSelectAllActions).Bottom(), panelHeight - 25);
    EXPECT_EQ(toolkit.Bounds(btnClearAllActions).Bottom(), panelHeight - 25);
  }
}

// The bar takes its 19 pixels from the left panel and the grid; the window's size is the same,
// so the action list keeps its height and is not repainted.
TEST_F(FormTest, ShowingAndHidingTheProgressBarRedocksWithoutResizingTheActionList) {
  const TRect list = toolkit.Bounds(lstActions);
  form.SetProgressVisible(true);
  EXPECT_TRUE(toolkit.IsVisible(ProgressBar1));
  EXPECT_EQ(toolkit.Bounds(pnlLeft), (TRect{0, kTop, 280, 525}));
  EXPECT_EQ(toolkit.Bounds(Splitter1), (TRect{280, kTop, 5, 525}));
  EXPECT_EQ(toolkit.Bounds(StringGrid1), (TRect{285, kTop, 915, 525}));
  EXPECT_EQ(toolkit.Bounds(StatusBar1), (TRect{0, 662, 1200, 19}));
  EXPECT_EQ(toolkit.Bounds(ProgressBar1), (TRect{0, 681, 1200, 19}));
  form.SetProgressVisible(false);
  EXPECT_FALSE(toolkit.IsVisible(ProgressBar1));
  EXPECT_EQ(toolkit.Bounds(pnlLeft), (TRect{0, kTop, 280, 544}));
  EXPECT_EQ(toolkit.Bounds(StatusBar1), (TRect{0, 681, 1200, 19}));
  EXPECT_EQ(toolkit.Bounds(lstActions), list);
  EXPECT_TRUE(toolkit.Lines({"bounds lstActions", "bounds btn", "invalidate"}).empty());
}

TEST_F(FormTest, TheSplitterResizesTheLeftPanelWithinItsLimits) {
  struct Case {
    const char* name;
    int draggedTo;
    int leftWidth;
  };
  // The client area is 1200 wide; the splitter is 5 wide and both sides stay 30 or more.
  const Case cases[] = {
      {"wider", 400, 400},
      {"narrower", 150, 150},
      {"at the left limit", 30, 30},
      {"past the left limit", 10, 30},
      {"at the right limit", 1165, 1165},
      {"past the right limit", 1190, 1165},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    toolkit.ClearTranscript();
    toolkit.DragSplitter(c.draggedTo);
    EXPECT_EQ(toolkit.Bounds(pnlLeft), (TRect{0, kTop, c.leftWidth, 544}));
    EXPECT_EQ(toolkit.Bounds(Splitter1), (TRect{c.leftWidth, kTop, 5, 544}));
    EXPECT_EQ(toolkit.Bounds(StringGrid1),
              (TRect{c.leftWidth + 5, kTop, 1200 - c.leftWidth - 5, 544}));
    // Only the width changes: the left panel's contents keep their places.
    EXPECT_TRUE(toolkit.Lines({"bounds lstActions", "bounds btn"}).empty());
  }
}

// The left panel's width changes only by the splitter: a window narrowed below it and widened
// again shows the panel as wide as before.
TEST_F(FormTest, NarrowingTheWindowKeepsTheLeftPanelsWidth) {
  toolkit.DragSplitter(350);
  toolkit.Resize({200, 700});
  EXPECT_EQ(toolkit.Bounds(pnlLeft).width, 200);
  toolkit.Resize({1200, 700});
  EXPECT_EQ(toolkit.Bounds(pnlLeft), (TRect{0, kTop, 350, 544}));
  EXPECT_EQ(toolkit.Bounds(StringGrid1), (TRect{355, kTop, 845, 544}));
}

TEST(DockChildrenTest, DocksTopBottomLeftAndFill) {
  struct Case {
    const char* name;
    TSize client;
    int leftWidth;
    bool progress;
    form::TDockedBounds docked;
  };
  const Case cases[] = {
      {"designed",
       {1200, 700},
       280,
       false,
       {{0, 0, 1200, kTop},
        {0, kTop, 280, 544},
        {280, kTop, 5, 544},
        {285, kTop, 915, 544},
        {0, 681, 1200, 19},
        {0, 700, 1200, 0}}},
      {"progress bar under the status bar",
       {1200, 700},
       280,
       true,
       {{0, 0, 1200, kTop},
        {0, kTop, 280, 525},
        {280, kTop, 5, 525},
        {285, kTop, 915, 525},
        {0, 662, 1200, 19},
        {0, 681, 1200, 19}}},
      {"wider left panel",
       {800, 500},
       400,
       false,
       {{0, 0, 800, kTop},
        {0, kTop, 400, 344},
        {400, kTop, 5, 344},
        {405, kTop, 395, 344},
        {0, 481, 800, 19},
        {0, 500, 800, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const form::TDockedBounds docked = form::DockChildren(c.client, c.leftWidth, c.progress);
    EXPECT_EQ(docked.panel2, c.docked.panel2);
    EXPECT_EQ(docked.pnlLeft, c.docked.pnlLeft);
    EXPECT_EQ(docked.splitter1, c.docked.splitter1);
    EXPECT_EQ(docked.stringGrid1, c.docked.stringGrid1);
    EXPECT_EQ(docked.statusBar1, c.docked.statusBar1);
    EXPECT_EQ(docked.progressBar1, c.docked.progressBar1);
  }
}

// However small the client area, no docked control gets a negative size or leaves the client
// area.
TEST(DockChildrenTest, NoSizeBelowZeroInATinyClientArea) {
  for (int width : {0, 3, 20, 284, 290}) {
    for (int height : {0, 10, 100, 110, 130, 140}) {
      for (bool progress : {false, true}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) +
                     (progress ? " with progress" : ""));
        const form::TDockedBounds d = form::DockChildren({width, height}, 280, progress);
        for (const TRect& r :
             {d.panel2, d.pnlLeft, d.splitter1, d.stringGrid1, d.statusBar1, d.progressBar1}) {
          EXPECT_GE(r.width, 0);
          EXPECT_GE(r.height, 0);
          EXPECT_LE(r.Right(), width);
          EXPECT_LE(r.Bottom(), height);
        }
      }
    }
  }
}

}  // namespace
}  // namespace korlo_test
