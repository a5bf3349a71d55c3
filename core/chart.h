// The geometry of the pane below the list: the drive bars, the size chart's place, slices,
// labels and the angle of a click, from plain inputs.
#pragma once

#include <windows.h>
#include <cstddef>
#include <vector>

#include "core/dpi.h"
#include "core/entry.h"

// The measures of the chart and the drive bars, in pixels at 96 DPI.
constexpr int kMargin = 5;
constexpr int kSmallestRadius = 2 * kMargin;
constexpr int kCentreOffset = 10;
constexpr double kSmallestSlice = 0.02;
constexpr double kLastStart = 6.28;
constexpr int kFirstBarY = 40;
constexpr int kBarGap = 10;
const COLORREF kBarFill = RGB(0, 0, 153);
const COLORREF kGrey = RGB(153, 153, 153);

// The twelve slice colours, chosen by the slot index modulo 12.
extern const COLORREF SliceColors[12];

constexpr double kFullTurn = 6.283185307;
constexpr double kQuarterTurn = 1.57079632675;
constexpr double kThreeQuarterTurn = 4.71238898025;

// One drive's bar: the filled part, the frame and the right end of the size text. `drawn`
// is false (and nothing but the name is drawn) when the list is too narrow for a bar.
struct DriveBar {
    bool drawn;
    RECT fill;
    RECT frame;
    int text_x;
};
// The bar of a drive at row `y` whose used share is `used` percent; cw and ch are the width
// and height of "C: " in the UI font, barmax the list's width less three of them.
DriveBar PlaceDriveBar(int tree_width, int barmax, int cw, int ch, int y, unsigned used,
                       int dpi = kBaseDpi);

// Centre and radius of the chart from the main window's client rectangle and the size of
// the list. `drawn` is false when the area below the list is too small for a radius of 10
// (the margins and that radius are scaled to `dpi`).
struct ChartPlace {
    int cx, cy, r;
    bool drawn;
};
ChartPlace PlaceChart(const RECT& client, int lv_w, int lv_h, int dpi = kBaseDpi);

// The slice of one slot: `logged` when the slot has a size and a total to share it with
// (and so writes its log line), `drawn` when it passes the thresholds; th is its angle and
// start the running angle it starts at (the angle that the log line shows as ph).
struct SlicePlan {
    bool logged;
    bool drawn;
    double th;
    double start;
};
// The slices of slots with the given sizes (0 for a slot without an entry), in slot order.
// A total of 0 or less leaves every slot out.
std::vector<SlicePlan> PlanSlices(const long long* sizes, size_t count, long long total);

// The point on the circle of radius r at `angle`, with y growing downwards on screen;
// `dy` is added to y (the end point of a slice is drawn one pixel higher).
POINT CirclePoint(int cx, int cy, int r, double angle, int dy = 0);

// Where a slice's name goes: its box (the frame), the text's left and top, the start of the
// leader line and the rim point it leads to. tw and tht are the measured name.
struct LabelPlace {
    RECT box;
    int text_x;
    int top;
    POINT leader;
    POINT rim;
};
LabelPlace PlaceLabel(int cx, int cy, int r, double mid, int tw, int tht, int dpi = kBaseDpi);

// Whether the Pie of a slice of angle th from `start` to `end` would be drawn as a sliver
// because rounding put its end point on or past its start point: such a slice (one that
// covers nearly the whole turn) is painted as the full disc instead.
bool SliceWraps(int cx, int cy, POINT start, POINT end, double th);

// Two label boxes overlap when they share any point; boxes that only touch overlap too.
bool BoxesOverlap(const RECT& a, const RECT& b);

// Whether (x, y) lies in the chart's bounding square.
bool InChartSquare(int cx, int cy, int r, int x, int y);
// The angle of a click as the chart measures it: counter-clockwise from three o'clock, in
// 0 .. 2 pi, with the vertical clicks and the centre itself given their exact values.
double ClickAngle(int cx, int cy, int x, int y);
// The first slot whose entry is a folder and whose slice holds `angle` strictly inside,
// or -1 when there is none.
int HitSlot(const ViewSlot* view, double angle);
