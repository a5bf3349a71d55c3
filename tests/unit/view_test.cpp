#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scan/view.h"
#include "tests/support/testenv.h"

namespace {

FolderEntry Entry(const char* name, DWORD attributes) { return tv::MakeEntry(name, attributes); }

// A view over `entries` with the given slice ranges (start, sweep) per slot.
std::vector<ViewSlot> MakeView(std::vector<FolderEntry>& entries,
                               const std::vector<std::pair<double, double>>& ranges) {
    std::vector<ViewSlot> view(entries.size());
    for (size_t i = 0; i < entries.size(); i++)
        view[i] = {&entries[i], 0, ranges[i].first, ranges[i].second};
    view[0].count = (unsigned)entries.size();
    return view;
}

}  // namespace

TEST(DriveBars, FillIsScaledToBarmaxSoAFullDriveRunsCwPastTheFrame) {
    // x0 = 305, cw 20, ch 16; barmax 540 for a list 600 wide.
    DriveBar full = PlaceDriveBar(300, 540, 20, 16, 40, 100);
    ASSERT_TRUE(full.drawn);
    EXPECT_EQ(full.frame.left, 325);
    EXPECT_EQ(full.frame.right, 845);
    EXPECT_EQ(full.fill.left, 325);
    EXPECT_EQ(full.fill.right, full.frame.right + 20);
    EXPECT_EQ(full.fill.top, 40);
    EXPECT_EQ(full.fill.bottom, 56);
    // The size text ends at the list's right edge: tree width + barmax + 3 cw.
    EXPECT_EQ(full.text_x, 300 + 600);

    DriveBar empty = PlaceDriveBar(300, 540, 20, 16, 66, 0);
    EXPECT_EQ(empty.fill.left, empty.fill.right);
    EXPECT_EQ(empty.fill.top, 66);
    // Integer arithmetic, truncating: 33 % of 540 is 178.2.
    EXPECT_EQ(PlaceDriveBar(300, 540, 20, 16, 40, 33).fill.right, 325 + 178);
}

TEST(DriveBars, NoBarWhenTheListIsNoWiderThanThreeCharacterCells) {
    EXPECT_FALSE(PlaceDriveBar(300, 0, 20, 16, 40, 50).drawn);
    EXPECT_FALSE(PlaceDriveBar(300, -60, 20, 16, 40, 50).drawn);
    EXPECT_TRUE(PlaceDriveBar(300, 1, 20, 16, 40, 50).drawn);
}

TEST(ChartPlacement, CentreBelowTheListAndTheSmallerRadiusOfTheTwoThirds) {
    RECT client = {0, 0, 900, 700};
    ChartPlace p = PlaceChart(client, 597, 329);
    EXPECT_EQ(p.cx, 900 - 298);
    EXPECT_EQ(p.cy, 700 - 164 - 10);
    ASSERT_TRUE(p.drawn);
    EXPECT_EQ(p.r, 329 / 3 - 5);
    // A wide, flat list: the width decides nothing, the height does; and the other way.
    EXPECT_EQ(PlaceChart(client, 90, 900).r, 25);
}

TEST(ChartPlacement, TooSmallAreaAndTheDriveViewDrawNoChartButStillPlaceTheCentre) {
    RECT client = {0, 0, 900, 700};
    // A radius of exactly 10 is drawn, 9 is not, in either direction.
    EXPECT_TRUE(PlaceChart(client, 45, 45).drawn);
    EXPECT_FALSE(PlaceChart(client, 44, 300).drawn);
    EXPECT_FALSE(PlaceChart(client, 300, 44).drawn);
    // In the drive view the list has no height.
    ChartPlace drives = PlaceChart(client, 597, 0);
    EXPECT_FALSE(drives.drawn);
    EXPECT_EQ(drives.cy, 700 - 10);
}

TEST(SliceAngles, OneFolderTakesTheWholeDiscWithItsLabelOnTheLeft) {
    long long sizes[] = {4096};
    std::vector<SlicePlan> plan = PlanSlices(sizes, 1, 4096);
    ASSERT_TRUE(plan[0].drawn);
    EXPECT_DOUBLE_EQ(plan[0].th, kFullTurn);
    EXPECT_DOUBLE_EQ(plan[0].start, 0);
    double mid = plan[0].th * 0.5 + plan[0].start;
    EXPECT_NEAR(mid, 3.14, 0.005);
    LabelPlace label = PlaceLabel(500, 400, 100, mid, 40, 15);
    // The label ring has radius 125: the anchor sits at x 375, the text ends there.
    EXPECT_EQ(label.text_x, 375 - 40);
    EXPECT_EQ(label.box.right, 375 + 2);
    EXPECT_EQ(label.rim.x, 400);
}

TEST(SliceAngles, TinySlicesAreLeftOutWithoutAdvancingTheRunningAngle) {
    // 2 of 1000 is 0.0126 rad, 3.2 of 1000 about 0.0201: the first is left out, the second
    // is just above the threshold.
    long long sizes[] = {500, 2, 0, 300, 198};
    std::vector<SlicePlan> plan = PlanSlices(sizes, 5, 1000);
    EXPECT_TRUE(plan[0].drawn);
    EXPECT_TRUE(plan[1].logged);
    EXPECT_FALSE(plan[1].drawn);
    EXPECT_FALSE(plan[2].logged) << "a slot of size 0 writes no line";
    EXPECT_DOUBLE_EQ(plan[1].start, plan[0].th);
    EXPECT_DOUBLE_EQ(plan[3].start, plan[0].th)
        << "the next slice starts where the last drawn ended";
    EXPECT_TRUE(plan[3].drawn);
    EXPECT_DOUBLE_EQ(plan[4].start, plan[0].th + plan[3].th);

    long long at_threshold[] = {1000000, 3183};  // 0.01999... of a turn
    EXPECT_FALSE(PlanSlices(at_threshold, 2, 1000000)[1].drawn);
}

TEST(SliceAngles, NoSliceStartsAtOrBeyondTheFullTurn) {
    // Sizes that add up to more than the total (a stale total): the slots past the turn
    // are left out.
    long long sizes[] = {1000, 10, 400};
    std::vector<SlicePlan> plan = PlanSlices(sizes, 3, 1000);
    EXPECT_TRUE(plan[0].drawn);
    EXPECT_FALSE(plan[1].drawn);
    EXPECT_FALSE(plan[2].drawn);
    EXPECT_TRUE(plan[2].logged);
}

TEST(SliceAngles, NoTotalLeavesEverySlotOutWithoutDividing) {
    long long sizes[] = {100, 200};
    for (long long total : {0LL, -5LL}) {
        std::vector<SlicePlan> plan = PlanSlices(sizes, 2, total);
        ASSERT_EQ(plan.size(), 2u);
        for (const SlicePlan& s : plan) {
            EXPECT_FALSE(s.logged);
            EXPECT_FALSE(s.drawn);
        }
    }
    EXPECT_TRUE(PlanSlices(sizes, 0, 300).empty());
}

TEST(SliceLabels, SideFollowsTheMidAngleWithTheQuarterTurnsOnTheRight) {
    int tw = 30, tht = 15;
    LabelPlace right = PlaceLabel(500, 400, 100, 0, tw, tht);
    // Anchor (625, 400); the top a third of the text height above it.
    EXPECT_EQ(right.text_x, 625);
    EXPECT_EQ(right.top, 395);
    EXPECT_EQ(right.box.left, 623);
    EXPECT_EQ(right.box.right, 625 + tw + 2);
    EXPECT_EQ(right.box.bottom, 395 + tht);
    EXPECT_EQ(right.leader.x, 623);
    EXPECT_EQ(right.leader.y, 395 + 7);
    EXPECT_EQ(right.rim.x, 600);
    EXPECT_EQ(right.rim.y, 400);

    for (double boundary : {kQuarterTurn, kThreeQuarterTurn}) {
        LabelPlace l = PlaceLabel(500, 400, 100, boundary, tw, tht);
        EXPECT_EQ(l.text_x, l.box.left + 2) << "boundary " << boundary << " is the right half";
    }
    LabelPlace left = PlaceLabel(500, 400, 100, kQuarterTurn + 0.01, tw, tht);
    EXPECT_EQ(left.box.right - left.box.left, tw + 3);
    EXPECT_EQ(left.leader.x, left.box.right);
}

TEST(SliceLabels, BoxesThatTouchOrCrossOverlapAndSeparateOnesDoNot) {
    RECT a = {100, 100, 150, 115};
    EXPECT_TRUE(BoxesOverlap(a, RECT{140, 110, 200, 125}));
    EXPECT_TRUE(BoxesOverlap(a, RECT{150, 100, 200, 115})) << "touching sides";
    EXPECT_TRUE(BoxesOverlap(a, RECT{100, 115, 150, 130})) << "touching edges";
    EXPECT_FALSE(BoxesOverlap(a, RECT{151, 100, 200, 115}));
    EXPECT_FALSE(BoxesOverlap(a, RECT{100, 116, 150, 130}));
    // Two neighbouring small slices: their labels land close together and the second goes.
    LabelPlace first = PlaceLabel(500, 400, 100, 0.10, 40, 15);
    LabelPlace second = PlaceLabel(500, 400, 100, 0.14, 40, 15);
    EXPECT_TRUE(BoxesOverlap(second.box, first.box));
}

TEST(ChartClick, TheBoundingSquareCountsNotTheCircle) {
    EXPECT_TRUE(InChartSquare(500, 400, 100, 590, 310)) << "corner, outside the circle";
    EXPECT_TRUE(InChartSquare(500, 400, 100, 400, 500));
    EXPECT_FALSE(InChartSquare(500, 400, 100, 601, 400));
    EXPECT_FALSE(InChartSquare(500, 400, 100, 500, 299));
}

TEST(ChartClick, AnglesRunCounterClockwiseFromThreeOclockWithExactVerticals) {
    EXPECT_DOUBLE_EQ(ClickAngle(500, 400, 500, 350), kQuarterTurn);
    EXPECT_DOUBLE_EQ(ClickAngle(500, 400, 500, 450), kThreeQuarterTurn);
    EXPECT_DOUBLE_EQ(ClickAngle(500, 400, 500, 400), 0);
    EXPECT_NEAR(ClickAngle(500, 400, 550, 400), 0, 1e-12);
    EXPECT_NEAR(ClickAngle(500, 400, 450, 400), 3.14159265, 1e-6);
    // Above-right is the first quarter, below-right wraps to just under a full turn.
    EXPECT_NEAR(ClickAngle(500, 400, 550, 350), 0.785398163, 1e-6);
    EXPECT_NEAR(ClickAngle(500, 400, 550, 450), kFullTurn - 0.785398163, 1e-6);
}

TEST(ChartClick, FirstFolderSlotWhoseOpenRangeHoldsTheAngle) {
    std::vector<FolderEntry> entries = {Entry("big", 0x10), Entry("file.bin", 0x20),
                                        Entry("link", 0x410), Entry("small", 0x10),
                                        Entry("unseen", 0x10)};
    // big 0..2, file 2..3, link 3..4, small 4..6; unseen was not drawn and has no range.
    std::vector<ViewSlot> view = MakeView(entries, {{0, 2}, {2, 1}, {3, 1}, {4, 2}, {0, 0}});
    EXPECT_EQ(HitSlot(view.data(), 1.0), 0);
    EXPECT_EQ(HitSlot(view.data(), kQuarterTurn), 0) << "a click exactly above the centre";
    EXPECT_EQ(HitSlot(view.data(), 2.5), -1) << "a file's slice";
    EXPECT_EQ(HitSlot(view.data(), 3.5), -1) << "a linked folder's slice";
    EXPECT_EQ(HitSlot(view.data(), 5.0), 3);
    // Both ends are open: the edge between two slices and the start at 0 hit nothing.
    EXPECT_EQ(HitSlot(view.data(), 0.0), -1);
    EXPECT_EQ(HitSlot(view.data(), 4.0), -1);
    EXPECT_EQ(HitSlot(view.data(), 6.1), -1);

    view[0].entry = nullptr;
    EXPECT_EQ(HitSlot(view.data(), 1.0), -1) << "a slot without an entry";
    EXPECT_EQ(HitSlot(nullptr, 1.0), -1);
}

TEST(ChartClick, CornerOfTheSquareMapsIntoTheSliceAtItsAngle) {
    std::vector<FolderEntry> entries = {Entry("a", 0x10), Entry("b", 0x10)};
    std::vector<ViewSlot> view = MakeView(entries, {{0, 1.0}, {1.0, 5.283185307}});
    // (590, 310) is 45 degrees up-right of (500, 400), beyond the radius 100.
    ASSERT_TRUE(InChartSquare(500, 400, 100, 590, 310));
    EXPECT_EQ(HitSlot(view.data(), ClickAngle(500, 400, 590, 310)), 0);
    EXPECT_EQ(HitSlot(view.data(), ClickAngle(500, 400, 410, 490)), 1);
}

TEST(SliceWraps, OnlyASliceWhoseEndRoundedOntoOrPastItsStartIsAFullDisc) {
    const int cx = 100, cy = 100, r = 50;
    POINT start = {cx + r, cy};
    // Ends a few pixels short of a whole turn: drawn as a Pie.
    POINT short_of = CirclePoint(cx, cy, r, kFullTurn - 0.2, -1);
    EXPECT_FALSE(SliceWraps(cx, cy, start, short_of, kFullTurn - 0.2));
    // Within a pixel of the whole turn, pushed up one pixel: past the start.
    POINT past = CirclePoint(cx, cy, r, kFullTurn - 0.001, -1);
    EXPECT_TRUE(SliceWraps(cx, cy, start, past, kFullTurn - 0.001));
    // A whole turn whose end is the start itself.
    EXPECT_TRUE(SliceWraps(cx, cy, start, start, kFullTurn));
    // Small slices are never a disc, whatever the points.
    POINT small = CirclePoint(cx, cy, r, 0.3, -1);
    EXPECT_FALSE(SliceWraps(cx, cy, start, small, 0.3));
    EXPECT_FALSE(SliceWraps(cx, cy, start, start, 0.001));
    // A half-turn slice that starts elsewhere keeps its Pie.
    POINT top = CirclePoint(cx, cy, r, kQuarterTurn);
    POINT bottom = CirclePoint(cx, cy, r, kThreeQuarterTurn, -1);
    EXPECT_FALSE(SliceWraps(cx, cy, top, bottom, kFullTurn / 2));
}
