#include "core/chart.h"

#include <cmath>
#include <cstdlib>

const COLORREF SliceColors[12] = {RGB(255, 0, 0),   RGB(255, 0, 128), RGB(255, 0, 255),
                                  RGB(128, 0, 255), RGB(0, 0, 255),   RGB(0, 128, 255),
                                  RGB(0, 255, 255), RGB(0, 255, 128), RGB(0, 255, 0),
                                  RGB(128, 255, 0), RGB(255, 255, 0), RGB(255, 128, 0)};

DriveBar PlaceDriveBar(int tree_width, int barmax, int cw, int ch, int y, unsigned used, int dpi) {
    DriveBar bar = {};
    if (barmax <= 0) return bar;
    int x0 = tree_width + Scale(kMargin, dpi);
    bar.drawn = true;
    // The fill is scaled to barmax from the frame's left edge, so a full drive runs cw
    // pixels past the frame's right edge, which stands at x0 + barmax.
    bar.fill = {x0 + cw, y, x0 + cw + (int)((long long)used * barmax / 100), y + ch};
    bar.frame = {x0 + cw, y, x0 + barmax, y + ch};
    bar.text_x = tree_width + barmax + 3 * cw;
    return bar;
}

ChartPlace PlaceChart(const RECT& client, int lv_w, int lv_h, int dpi) {
    ChartPlace place = {};
    int margin = Scale(kMargin, dpi), smallest = Scale(kSmallestRadius, dpi);
    place.cx = client.right - lv_w / 2;
    place.cy = client.bottom - lv_h / 2 - Scale(kCentreOffset, dpi);
    int rx = lv_w / 3 - margin, ry = lv_h / 3 - margin;
    if (rx < smallest || ry < smallest) return place;
    place.r = rx < ry ? rx : ry;
    place.drawn = true;
    return place;
}

std::vector<SlicePlan> PlanSlices(const long long* sizes, size_t count, long long total) {
    std::vector<SlicePlan> plan(count, SlicePlan{false, false, 0, 0});
    if (total <= 0 || !sizes) return plan;
    double ph = 0;
    for (size_t i = 0; i < count; i++) {
        if (sizes[i] == 0) continue;
        SlicePlan& slice = plan[i];
        slice.logged = true;
        slice.th = (double)sizes[i] / (double)total * kFullTurn;
        slice.start = ph;
        slice.drawn = slice.th > kSmallestSlice && ph < kLastStart;
        if (slice.drawn) ph += slice.th;
    }
    return plan;
}

POINT CirclePoint(int cx, int cy, int r, double angle, int dy) {
    POINT p;
    p.x = cx + (int)(std::cos(angle) * r);
    p.y = cy - (int)(std::sin(angle) * r) + dy;
    return p;
}

LabelPlace PlaceLabel(int cx, int cy, int r, double mid, int tw, int tht, int dpi) {
    LabelPlace label = {};
    int one = Scale(1, dpi), two = Scale(2, dpi);
    POINT L = CirclePoint(cx, cy, r + r / 4, mid);
    label.rim = CirclePoint(cx, cy, r, mid);
    label.top = L.y - tht / 3;
    int bottom = label.top + tht;
    if (kQuarterTurn < mid && mid < kThreeQuarterTurn) {
        label.box = {L.x - tw - one, label.top, L.x + two, bottom};
        label.text_x = L.x - tw;
        label.leader = {L.x + two, label.top + tht / 2};
    } else {
        label.box = {L.x - two, label.top, L.x + tw + two, bottom};
        label.text_x = L.x;
        label.leader = {L.x - two, label.top + tht / 2};
    }
    return label;
}

bool SliceWraps(int cx, int cy, POINT start, POINT end, double th) {
    if (start.x == end.x && start.y == end.y) return th > kQuarterTurn;
    if (th <= kFullTurn / 2) return false;
    // The arc that Pie draws runs counter-clockwise from the start point to the end point;
    // when the end landed on or past the start, that arc is short while the slice is not.
    double a0 = std::atan2((double)(cy - start.y), (double)(start.x - cx));
    double a1 = std::atan2((double)(cy - end.y), (double)(end.x - cx));
    double drawn = a1 - a0;
    while (drawn < 0)
        drawn += kFullTurn;
    return drawn < kFullTurn / 2;
}

bool BoxesOverlap(const RECT& a, const RECT& b) {
    return a.left <= b.right && a.right >= b.left && a.top <= b.bottom && a.bottom >= b.top;
}

bool InChartSquare(int cx, int cy, int r, int x, int y) {
    return std::abs(cx - x) <= r && std::abs(cy - y) <= r;
}

double ClickAngle(int cx, int cy, int x, int y) {
    if (x == cx) {
        if (y < cy) return kQuarterTurn;
        if (y > cy) return kThreeQuarterTurn;
        return 0;
    }
    double angle = std::atan2((double)(cy - y), (double)(x - cx));
    if (angle < 0) angle += kFullTurn;
    return angle;
}

int HitSlot(const ViewSlot* view, double angle) {
    unsigned count = ViewCount(view);
    for (unsigned i = 0; i < count; i++) {
        const ViewSlot& slot = view[i];
        if (!slot.entry || !IsFolder(*slot.entry)) continue;
        if (slot.start < angle && angle < slot.start + slot.sweep) return (int)i;
    }
    return -1;
}
