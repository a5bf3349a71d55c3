#include <gtest/gtest.h>

#include <vector>

#include "app/window.h"
#include "core/statusline.h"

namespace {

void ExpectPlace(const Placement& p, int x, int y, int w, int h, const char* what) {
    EXPECT_EQ(p.x, x) << what;
    EXPECT_EQ(p.y, y) << what;
    EXPECT_EQ(p.width, w) << what;
    EXPECT_EQ(p.height, h) << what;
}

std::vector<Placement> Places(const Layout& l) {
    return {l.toolbar, l.pathbox, l.searchbox, l.findbutton, l.list,
            l.tree,    l.attr[0], l.attr[1],   l.attr[2],    l.attr[3]};
}

}  // namespace

TEST(Layout, FolderViewGivesTheListTheWholeRightColumn) {
    Layout l = ComputeLayout(1000, 600, 300, false, false);
    EXPECT_EQ(l.list_width, 697);
    EXPECT_EQ(l.chart_top, 586);
    ExpectPlace(l.toolbar, 0, 0, 1000, 26, "toolbar");
    ExpectPlace(l.pathbox, 303, 2, 697, 558, "path box");
    ExpectPlace(l.searchbox, 30, 576, 270, 558, "search box");
    ExpectPlace(l.findbutton, 5, 578, 20, 18, "find button");
    ExpectPlace(l.list, 303, 28, 697, 558, "list");
    ExpectPlace(l.tree, 0, 28, 300, 544, "tree");
    // The attribute buttons are as tall as the path box beside them, so that they show whole.
    for (int i = 0; i < 4; i++)
        ExpectPlace(l.attr[i], 90 + 30 * i, 4, 30, 18, "attribute");
}

TEST(Layout, PreviewAndSizeModesHalveTheList) {
    Layout l = ComputeLayout(400, 100, 300, false, true);
    EXPECT_EQ(l.list.height, 29);  // H = 58
    EXPECT_EQ(l.chart_top, 57);
    l = ComputeLayout(400, 101, 300, false, true);
    EXPECT_EQ(l.list.height, 29);  // H = 59, halved toward zero
}

TEST(Layout, DrivesModeCollapsesTheList) {
    Layout l = ComputeLayout(1000, 600, 300, true, true);
    EXPECT_EQ(l.list.height, 0);
    EXPECT_EQ(l.chart_top, 28);
}

TEST(Layout, TinyWindowsGiveNegativeSizesWithoutFailing) {
    // A window smaller than the fixed strips: the arithmetic goes below zero and the
    // platform treats such sizes as empty.
    Layout l = ComputeLayout(10, 20, 300, false, false);
    EXPECT_EQ(l.list_width, -293);
    EXPECT_EQ(l.list.height, -22);
    EXPECT_EQ(l.tree.height, -36);
    l = ComputeLayout(1000, 600, 0, false, false);
    EXPECT_EQ(l.searchbox.width, -30);
    EXPECT_EQ(l.list.x, 3);
}

TEST(Layout, At144DpiEveryFigureIsHalfAsLargeAgain) {
    // A window and a tree 1.5 times as large as at 96 DPI: each place is 1.5 times the one at
    // 96 DPI, give or take the rounding of an odd figure.
    for (bool drives : {false, true})
        for (bool half : {false, true}) {
            Layout at96 = ComputeLayout(1000, 600, 300, drives, half);
            Layout at144 = ComputeLayout(1500, 900, 450, drives, half, 144);
            std::vector<Placement> a = Places(at96), b = Places(at144);
            for (size_t i = 0; i < a.size(); i++) {
                EXPECT_NEAR(b[i].x, a[i].x * 1.5, 1) << "place " << i;
                EXPECT_NEAR(b[i].y, a[i].y * 1.5, 1) << "place " << i;
                EXPECT_NEAR(b[i].width, a[i].width * 1.5, 1) << "place " << i;
                EXPECT_NEAR(b[i].height, a[i].height * 1.5, 1) << "place " << i;
            }
            EXPECT_NEAR(at144.list_width, at96.list_width * 1.5, 1);
            EXPECT_NEAR(at144.chart_top, at96.chart_top * 1.5, 1);
        }
    Layout l = ComputeLayout(1500, 900, 450, false, false, 144);
    ExpectPlace(l.toolbar, 0, 0, 1500, 39, "toolbar");
    ExpectPlace(l.tree, 0, 42, 450, 816, "tree");
    ExpectPlace(l.attr[1], 180, 6, 45, 27, "H");
}

TEST(Layout, TheStatusLineBeginsBesideTheSearchBoxAtEveryDpi) {
    for (int dpi : {96, 144}) {
        int width = Scale(1000, dpi), height = Scale(600, dpi), tree = Scale(300, dpi);
        Layout l = ComputeLayout(width, height, tree, false, false, dpi);
        StatusLine line = PlaceStatusLine(width, height, tree, true, dpi);
        EXPECT_GT(line.left, l.searchbox.x + l.searchbox.width) << dpi;
        EXPECT_GT(line.left, l.findbutton.x + l.findbutton.width) << dpi;
        EXPECT_LT(line.left, line.right) << dpi;
        EXPECT_LE(line.right, width) << dpi;
        EXPECT_GT(line.baseline, l.searchbox.y) << dpi;
        EXPECT_LT(line.baseline, height) << dpi;
        // Without the find controls (a scan, a long operation) the line takes the whole strip.
        StatusLine whole = PlaceStatusLine(width, height, tree, false, dpi);
        EXPECT_LT(whole.left, l.searchbox.x) << dpi;
        EXPECT_EQ(whole.right, line.right) << dpi;
    }
}
