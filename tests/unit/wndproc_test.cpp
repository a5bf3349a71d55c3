#include <gtest/gtest.h>

#include "app/wndproc.h"

// A client area of 1000 x 600 with the splitter at 300 unless a case says otherwise.
TEST(Splitter, SizingCursorAndDragNeedThePointerWithin19PixelsAboveTheBottomStrip) {
    for (int x : {281, 319}) {
        SplitterMove m = MoveSplitter(x, 100, 0, false, 300, 1000, 600);
        EXPECT_TRUE(m.size_cursor && !m.resize && m.tree_width == 300) << x;
        m = MoveSplitter(x, 100, MK_LBUTTON, true, 300, 1000, 600);
        EXPECT_TRUE(m.resize && m.tree_width == x) << x;
    }
    EXPECT_FALSE(MoveSplitter(280, 100, MK_LBUTTON, true, 300, 1000, 600).size_cursor);
    EXPECT_FALSE(MoveSplitter(320, 100, MK_LBUTTON, true, 300, 1000, 600).resize);
    EXPECT_TRUE(MoveSplitter(300, 583, 0, false, 300, 1000, 600).size_cursor);
    EXPECT_FALSE(MoveSplitter(310, 584, MK_LBUTTON, true, 300, 1000, 600).resize);
    // A pointer that left the client area to the left reads as x near 65535.
    EXPECT_EQ(MoveSplitter(65535, 100, MK_LBUTTON, true, 300, 1000, 600).tree_width, 300);

    // Only the left button alone drags: no other button, Shift or Ctrl with it.
    for (WPARAM keys : {MK_LBUTTON | MK_SHIFT, MK_LBUTTON | MK_CONTROL, MK_LBUTTON | MK_RBUTTON})
        EXPECT_FALSE(MoveSplitter(310, 100, keys, true, 300, 1000, 600).resize) << keys;
}

TEST(Splitter, TreeWidthStaysBelowTheRightEdgeLessTwoHundredAndMayReachZero) {
    EXPECT_EQ(MoveSplitter(799, 100, MK_LBUTTON, true, 790, 1000, 600).tree_width, 799);
    SplitterMove m = MoveSplitter(800, 100, MK_LBUTTON, true, 790, 1000, 600);
    EXPECT_TRUE(m.resize);  // laid out again, but the width stays
    EXPECT_EQ(m.tree_width, 790);
    EXPECT_EQ(MoveSplitter(0, 100, MK_LBUTTON, true, 10, 1000, 600).tree_width, 0);
    EXPECT_EQ(MoveSplitter(65530, 100, MK_LBUTTON, true, 5, 1000, 600).tree_width, 5);
}

TEST(Splitter, PressGrabsWithinNinePixels) {
    EXPECT_TRUE(GrabsSplitter(291, 300));
    EXPECT_TRUE(GrabsSplitter(309, 300));
    EXPECT_FALSE(GrabsSplitter(290, 300));
    EXPECT_FALSE(GrabsSplitter(310, 300));
    EXPECT_FALSE(GrabsSplitter(65535, 300));
}

TEST(Splitter, At144DpiTheDistancesAreHalfAsLargeAgain) {
    // The splitter at 450 of a client area of 1500 x 900: 30 pixels either side, 24 above the
    // bottom, 300 from the right edge; a press within 15.
    EXPECT_TRUE(MoveSplitter(421, 875, 0, false, 450, 1500, 900, 144).size_cursor);
    EXPECT_FALSE(MoveSplitter(420, 100, 0, false, 450, 1500, 900, 144).size_cursor);
    EXPECT_FALSE(MoveSplitter(450, 876, 0, false, 450, 1500, 900, 144).size_cursor);
    EXPECT_EQ(MoveSplitter(1200, 100, MK_LBUTTON, true, 1190, 1500, 900, 144).tree_width, 1190);
    EXPECT_TRUE(GrabsSplitter(436, 450, 144) && !GrabsSplitter(435, 450, 144));
}
