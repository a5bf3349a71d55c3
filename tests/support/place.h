// Where a control stands, for tests that check a layout on the screen.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

namespace tv {

// The control's rectangle in the client coordinates of its parent.
inline RECT PlaceOf(HWND h) {
    RECT r = {};
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), (POINT*)&r, 2);
    return r;
}

// Expects the control at x, y with that width and, unless `height` is negative (a control
// that keeps its own height), that height.
inline void ExpectPlace(HWND h, int x, int y, int width, int height, const char* what) {
    RECT r = PlaceOf(h);
    EXPECT_EQ(r.left, x) << what;
    EXPECT_EQ(r.top, y) << what;
    EXPECT_EQ(r.right - r.left, width) << what;
    if (height >= 0) {
        EXPECT_EQ(r.bottom - r.top, height) << what;
    }
}

}  // namespace tv
