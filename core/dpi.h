// Pixel figures of the window are given for a screen of 96 DPI (100%) and scaled to the DPI
// of the window that shows them.
#pragma once

constexpr int kBaseDpi = 96;

// `value` pixels at 96 DPI in pixels at `dpi`, to the nearest pixel (halves away from zero).
// A dpi of 0 or less, which no screen has, counts as 96.
int Scale(int value, int dpi);

// `value` pixels at `from` DPI in pixels at `to` DPI: a figure that the user set (the
// splitter's place, a column's width) keeps its size on the screen when the DPI changes.
int Rescale(int value, int from, int to);
