// What the preview knows of a picture before any decoder sees it, and where it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/dpi.h"

// The width and height a picture file declares in its header: PNG (IHDR), JPEG (the first
// start-of-frame segment), GIF (the logical screen) or BMP (the info header). False for any
// other or a truncated file.
bool PictureSizeFromBytes(const unsigned char* data, size_t size, int* width, int* height);
// The same, read from the file: only the header bytes (for a JPEG, the segment headers up to
// the start of frame) are read.
bool PictureSize(const char* path, int* width, int* height);

// The first frame of a GIF: its place on the logical screen and where its data ends (the
// offset just past its last data block).
struct GifFrame {
    int left, top, width, height;
    size_t end;
};
// Walks a GIF's blocks to its first image: false when the file is no GIF, is cut short
// before the first image ends, or the frame does not lie within the logical screen.
bool GifFirstFrame(const unsigned char* data, size_t size, GifFrame* frame);
// The bytes of a GIF cut after its first frame and closed with the trailer: the decoder then
// makes that frame alone, never the others (which it would decode all at once).
bool GifFirstFrameOnly(const std::vector<unsigned char>& file, std::vector<unsigned char>* out,
                       GifFrame* frame);
// A whole file read into memory, up to `limit` bytes; false when it is larger or unreadable.
bool ReadWholeFile(const char* path, size_t limit, std::vector<unsigned char>* out);

// The most pixels the program decodes: a picture past it is never handed to a decoder (a
// decoder makes the whole picture in memory, four bytes a pixel, before it scales it).
constexpr int64_t kDecodeBudgetPixels = 64LL * 1000 * 1000;
bool WithinDecodeBudget(int width, int height);

// The size a picture of pw by ph is shown at within w by h: scaled down to fit, keeping its
// proportions, never enlarged and never below one pixel.
void FitWithin(int pw, int ph, int w, int h, int* fw, int* fh);

// The preview's fit: from (w, h), while w' > wmax or h' > hlim - 20, lower w' by 10 and make
// h' = h * w' / w. Returns 1 when it took a step (the picture is requested again at the
// fitted size), 0 when none was needed, and -1 when no size fits (the area is too small, or
// the picture has no size): nothing is then requested or drawn.
// The margin of 20 pixels below the picture is given at 96 DPI and scaled to `dpi`.
int FitPreview(int w, int h, int wmax, int hlim, int* fw, int* fh, int dpi = kBaseDpi);

// Where a preview of xs by ys goes below the list.
struct PreviewPlace {
    int x, y;
};
PreviewPlace PlacePreview(int tree_width, int list_width, int chart_top, int xs, int ys,
                          int dpi = kBaseDpi);
