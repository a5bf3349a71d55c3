#include "core/dpi.h"

int Rescale(int value, int from, int to) {
    if (from <= 0) from = kBaseDpi;
    if (to <= 0) to = kBaseDpi;
    long long scaled = (long long)value * to;
    long long half = from / 2;
    long long result = scaled >= 0 ? (scaled + half) / from : -((-scaled + half) / from);
    return (int)result;
}

int Scale(int value, int dpi) { return Rescale(value, kBaseDpi, dpi); }
