#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "app/window.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/statusline.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "browse/status.h"
#include "app/paint.h"
#include "scan/view.h"
#include "tests/support/app_fixture.h"

namespace {

// The main window's client area as it stands on screen, one 0x00RRGGBB value per pixel.
struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;

    Capture() { pixels = tv::CaptureClient(mwin.hwnd, width, height); }
    // Pixels in the rectangle that are nearly black: the status text.
    int dark(int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++) {
                unsigned p = pixels[(size_t)y * width + x];
                if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 200) n++;
            }
        return n;
    }
};

// Paints and lets every window that the paint invalidated draw itself.
void PaintNow() {
    Paint();
    tv::PumpMessages(true);
}

class StatusPaint : public tv::AppTest {};

}  // namespace

TEST_F(StatusPaint, CountsAtTheRightEndAndDuringAScanItsTextAtTheLeftWithoutFindControls) {
    StartApp();
    panel.folder = "C:\\Data";
    mcbx.SetText("C:\\Data");
    mcfg.drives_mode = 0;
    panel.folders = 3;
    panel.count = 14;
    panel.selected = 2;
    SendMessageA(mwin.hwnd, WM_SIZE, 0, 0);
    PaintNow();
    Capture shot;
    int W = shot.width, H = shot.height;
    EXPECT_GT(shot.dark(W - 200, H - 12, W - 5, H), 20) << "no counts at the right";
    EXPECT_EQ(shot.dark(W - 4, H - 12, W, H), 0) << "the text ends at x W - 5";
    ASSERT_TRUE(IsWindowVisible(mcby.hwnd));
    ASSERT_TRUE(IsWindowVisible(mbtn.hwnd));

    int paints = tv::CountEntries("Paint ()");
    mcfg.scanning = 1;
    mcfg.ticks = 3;
    PaintNow();
    EXPECT_FALSE(IsWindowVisible(mcby.hwnd));
    EXPECT_FALSE(IsWindowVisible(mbtn.hwnd));
    EXPECT_GT(tv::CountEntries("Paint ()"), paints);
    Capture during;
    EXPECT_GT(during.dark(5, H - 12, mcfg.tree_width, H), 20) << "no scan text at the left";
    EXPECT_EQ(during.dark(0, H - 12, 5, H), 0) << "the text begins at x 5";

    mcfg.scanning = 0;
    PaintNow();
    EXPECT_TRUE(IsWindowVisible(mcby.hwnd));
    EXPECT_TRUE(IsWindowVisible(mbtn.hwnd));
}

TEST_F(StatusPaint, TheCountsArePaintedAgainAfterEveryRead) {
    tv::TempTree tree("status");
    tree.file("Few\\a.txt", "a");
    for (int i = 0; i < 25; i++)
        tree.file("Many\\f" + std::to_string(i) + ".txt", "f");
    StartApp(tree.path("Few").c_str());
    tv::PumpMessages(true);
    Capture few;
    int W = few.width, H = few.height;
    // Another folder opened as a double click opens it: the counts line shows its counts once
    // the window has painted what changed, with no other repaint asked for.
    ASSERT_TRUE(Navigate(tree.path("Many").c_str()));
    tv::PumpMessages(true);
    Capture many;
    int differing = 0;
    for (int y = H - 12; y < H; y++)
        for (int x = W - 250; x < W; x++)
            if (few.pixels[(size_t)y * W + x] != many.pixels[(size_t)y * W + x]) differing++;
    EXPECT_GT(differing, 10) << "the status line still shows the first folder's counts";
}

TEST_F(StatusPaint, At144DpiThePicturesGrowAndTheCountsStayClearOfTheSearchBox) {
    StartApp();
    panel.folder = "C:\\Data";
    mcbx.SetText("C:\\Data");
    mcfg.drives_mode = 0;
    panel.folders = 12;
    panel.count = 1400;
    panel.selected = 30;
    DpiChanged(144, nullptr);
    HIMAGELIST images = (HIMAGELIST)SendMessageA(mtbr.hwnd, TB_GETIMAGELIST, 0, 0);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, Scale(16, 144));
    EXPECT_EQ(cy, Scale(16, 144));

    // A window whose list is too narrow for the counts whole.
    RECT frame = {}, client = {};
    GetWindowRect(mwin.hwnd, &frame);
    GetClientRect(mwin.hwnd, &client);
    int extra = (frame.right - frame.left) - client.right;
    SetWindowPos(mwin.hwnd, nullptr, 0, 0, mcfg.tree_width + Scale(200, 144) + extra,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOMOVE);
    PaintNow();
    Capture shot;
    int W = shot.width, H = shot.height;
    RECT box = {}, list = {};
    GetWindowRect(mcby.hwnd, &box);
    GetWindowRect(mlvw.hwnd, &list);
    MapWindowPoints(nullptr, mwin.hwnd, (POINT*)&box, 2);
    MapWindowPoints(nullptr, mwin.hwnd, (POINT*)&list, 2);
    StatusLine line = PlaceStatusLine(W, H, mcfg.tree_width, true, mcfg.dpi);
    ASSERT_GT(line.left, box.right);
    // Counts that ran on under the search box would show between its edge and the line.
    EXPECT_EQ(shot.dark(box.right, list.bottom, line.left, H), 0);
    EXPECT_GT(shot.dark(line.left, list.bottom, W, H), 20) << "no counts at all";
}
