#include <gtest/gtest.h>

#include <windows.h>
#include <cmath>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "app/window.h"
#include "browse/status.h"
#include "scan/scan.h"
#include "scan/view.h"
#include "tests/support/app_fixture.h"

namespace {

struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;

    Capture() { pixels = tv::CaptureClient(mwin.hwnd, width, height); }
    unsigned at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return pixels[(size_t)y * width + x];
    }
    int count(COLORREF colour, int left, int top, int right, int bottom) const {
        unsigned want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                if (at(x, y) == want) n++;
        return n;
    }
};

unsigned Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

void PaintNow() {
    Paint();
    tv::PumpMessages(true);
}

class ChartView : public tv::AppTest {};

}  // namespace

TEST_F(ChartView, DriveViewPaintsTheBarFillInTheRightPane) {
    StartApp();
    ASSERT_TRUE(mcfg.drives_mode);
    ASSERT_NE(mcfg.drives[0].name[0], '\0');
    PaintNow();
    Capture shot;
    EXPECT_GT(shot.count(RGB(0, 0, 153), mcfg.tree_width, 0, shot.width, shot.height), 0);
    EXPECT_EQ(shot.count(RGB(0, 0, 153), 0, 0, mcfg.tree_width, shot.height), 0);
}

TEST_F(ChartView, SizeModePaintsSlicesAndAClickOnAFolderSliceOpensIt) {
    tv::TempTree tree("chart");
    tree.dir("alpha");
    tree.dir("beta");
    tree.file("notes.txt", "x");
    StartApp(tree.path().c_str());
    ASSERT_TRUE(Until([] { return ViewCount(panel.view) == 3; }));
    ASSERT_FALSE(mcfg.drives_mode);

    // Sizes set here stand in for a finished scan: alpha 3/5, beta 1/5, the file 1/5.
    long long total = 0;
    for (unsigned i = 0; i < ViewCount(panel.view); i++) {
        FolderEntry& e = *panel.view[i].entry;
        long long n = std::string(e.name()) == "alpha" ? 3000000 : 1000000;
        SetEntrySize(e, (uint64_t)n);
        total += n;
    }
    mcfg.size = total;
    mcfg.size_mode = 1;
    Size(0, 0);
    PaintNow();

    ASSERT_GT(mcfg.chart_radius, 10);
    int cx = mcfg.chart_x, cy = mcfg.chart_y, r = mcfg.chart_radius;
    Capture shot;
    int alpha = -1;
    double turn = 0;
    for (unsigned i = 0; i < ViewCount(panel.view); i++) {
        const ViewSlot& slot = panel.view[i];
        EXPECT_GT(slot.sweep, 0) << slot.entry->name();
        turn += slot.sweep;
        double mid = slot.start + slot.sweep / 2;
        int x = cx + (int)(std::cos(mid) * r / 2), y = cy - (int)(std::sin(mid) * r / 2);
        EXPECT_EQ(shot.at(x, y), Rgb(SliceColors[i % 12])) << slot.entry->name();
        if (std::string(slot.entry->name()) == "alpha") alpha = (int)i;
    }
    EXPECT_NEAR(turn, kFullTurn, 1e-9);
    ASSERT_GE(alpha, 0);

    const ViewSlot& a = panel.view[alpha];
    double mid = a.start + a.sweep / 2;
    int x = cx + (int)(std::cos(mid) * r / 2), y = cy - (int)(std::sin(mid) * r / 2);
    std::string expected = tree.path() + "\\alpha";
    int scans = tv::CountEntries("Scan () OK");
    SendMessageA(mwin.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_TRUE(Until([&] { return std::string(mcbx.GetText()) == expected; }));
    EXPECT_STREQ(mtvw.ItemText(mtvw.Caret()), "alpha");
    EXPECT_EQ(tv::CountEntries("Scan () OK"), scans + 1) << "one slice, one scan";

    mcfg.size_mode = 0;
    StopScan();
}

TEST_F(ChartView, ClickOnAFileSliceOrOutsideTheSquareOpensNothing) {
    tv::TempTree tree("chartfile");
    tree.dir("only");
    tree.file("big.bin", "x");
    StartApp(tree.path().c_str());
    ASSERT_TRUE(Until([] { return ViewCount(panel.view) == 2; }));
    for (unsigned i = 0; i < ViewCount(panel.view); i++) {
        FolderEntry& e = *panel.view[i].entry;
        SetEntrySize(e, std::string(e.name()) == "big.bin" ? 900 : 100);
    }
    mcfg.size = 1000;
    mcfg.size_mode = 1;
    Size(0, 0);
    PaintNow();
    ASSERT_GT(mcfg.chart_radius, 10);
    int cx = mcfg.chart_x, cy = mcfg.chart_y, r = mcfg.chart_radius;
    std::string before = mcbx.GetText();
    for (unsigned i = 0; i < ViewCount(panel.view); i++) {
        const ViewSlot& slot = panel.view[i];
        if (std::string(slot.entry->name()) != "big.bin") continue;
        double mid = slot.start + slot.sweep / 2;
        SendMessageA(
            mwin.hwnd, WM_LBUTTONUP, 0,
            MAKELPARAM(cx + (int)(std::cos(mid) * r / 2), cy - (int)(std::sin(mid) * r / 2)));
    }
    SendMessageA(mwin.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(cx + r + 1, cy));
    tv::PumpMessages(true);
    EXPECT_EQ(std::string(mcbx.GetText()), before);
    mcfg.size_mode = 0;
    StopScan();
}

TEST_F(ChartView, ASliceOfNearlyOrExactlyAFullTurnCoversTheDisc) {
    tv::TempTree tree("chartfull");
    tree.dir("huge");
    tree.file("tiny.txt", "x");
    StartApp(tree.path().c_str());
    ASSERT_TRUE(Until([] { return ViewCount(panel.view) == 2; }));
    mcfg.size_mode = 1;
    Size(0, 0);
    // 99.9 % (the end lands within a pixel of the start), then all of it beside an empty file.
    for (long long tiny : {1LL, 0LL}) {
        for (unsigned i = 0; i < ViewCount(panel.view); i++) {
            FolderEntry& e = *panel.view[i].entry;
            SetEntrySize(e, std::string(e.name()) == "huge" ? 1000 - tiny : tiny);
        }
        mcfg.size = 1000;
        PaintNow();
        ASSERT_GT(mcfg.chart_radius, 10);
        int cx = mcfg.chart_x, cy = mcfg.chart_y, r = mcfg.chart_radius;
        Capture shot;
        // The four quarters of the disc show the large slice's colour, not the grey disc.
        const int points[4][2] = {
            {cx - r / 2, cy}, {cx, cy - r / 2}, {cx, cy + r / 2}, {cx + r / 2, cy + 3}};
        for (const auto& p : points)
            EXPECT_EQ(shot.at(p[0], p[1]), Rgb(SliceColors[0]))
                << "tiny " << tiny << " at " << p[0] - cx << "," << p[1] - cy;
    }
    mcfg.size_mode = 0;
}
