#include "core/picture.h"

#include "core/names.h"

#include <windows.h>
#include <cstring>
#include <vector>

namespace {

uint32_t Big32(const unsigned char* p) {
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}
uint32_t Little32(const unsigned char* p) {
    return ((uint32_t)p[3] << 24) | ((uint32_t)p[2] << 16) | ((uint32_t)p[1] << 8) | p[0];
}
int Big16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
int Little16(const unsigned char* p) { return p[0] | (p[1] << 8); }

bool Positive(int64_t w, int64_t h, int* width, int* height) {
    if (w <= 0 || h <= 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
    *width = (int)w;
    *height = (int)h;
    return true;
}

// A start-of-frame marker: C0..CF except the DHT (C4), JPG (C8) and DAC (CC) markers.
bool StartOfFrame(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the JPEG segments through `read(offset, bytes, count)` until the start of frame.
template <typename Read> bool JpegSize(Read read, int* width, int* height) {
    unsigned char b[9];
    uint64_t at = 2;
    for (int segments = 0; segments < 10000; segments++) {
        if (!read(at, b, 4)) return false;
        if (b[0] != 0xFF) return false;
        int marker = b[1];
        if (marker == 0xFF) {  // fill byte
            at++;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // end, or data before any frame
        int length = Big16(b + 2);
        if (length < 2) return false;
        if (StartOfFrame(marker)) {
            if (!read(at + 4, b, 5)) return false;
            return Positive(Big16(b + 3), Big16(b + 1), width, height);
        }
        at += 2 + (uint64_t)length;
    }
    return false;
}

}  // namespace

bool PictureSizeFromBytes(const unsigned char* data, size_t size, int* width, int* height) {
    if (!data || size < 10) return false;
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 24 && !memcmp(data, kPng, 8) && !memcmp(data + 12, "IHDR", 4))
        return Positive(Big32(data + 16), Big32(data + 20), width, height);
    if (!memcmp(data, "GIF87a", 6) || !memcmp(data, "GIF89a", 6))
        return Positive(Little16(data + 6), Little16(data + 8), width, height);
    if (data[0] == 'B' && data[1] == 'M' && size >= 26) {
        uint32_t header = Little32(data + 14);
        if (header == 12) return Positive(Little16(data + 18), Little16(data + 20), width, height);
        if (header >= 40 && size >= 26) {
            int32_t w = (int32_t)Little32(data + 18), h = (int32_t)Little32(data + 22);
            // A negative height is a top-down bitmap of that many rows.
            return Positive(w, h < 0 ? -(int64_t)h : h, width, height);
        }
        return false;
    }
    if (data[0] == 0xFF && data[1] == 0xD8) {
        auto read = [&](uint64_t at, unsigned char* out, size_t n) {
            if (at + n > size) return false;
            memcpy(out, data + at, n);
            return true;
        };
        return JpegSize(read, width, height);
    }
    return false;
}

bool PictureSize(const char* path, int* width, int* height) {
    Handle held = OpenDiskFile(path);
    if (!held) return false;
    HANDLE file = held.get();
    unsigned char head[64] = {};
    DWORD got = 0;
    bool ok = false;
    if (ReadFile(file, head, sizeof head, &got, nullptr) && got >= 10) {
        if (head[0] == 0xFF && head[1] == 0xD8) {
            // A JPEG's frame header may follow large metadata segments: they are skipped by
            // their lengths, not read.
            auto read = [&](uint64_t at, unsigned char* out, size_t n) {
                LARGE_INTEGER to;
                to.QuadPart = (LONGLONG)at;
                DWORD n_read = 0;
                return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) &&
                       ReadFile(file, out, (DWORD)n, &n_read, nullptr) && n_read == n;
            };
            ok = JpegSize(read, width, height);
        } else {
            ok = PictureSizeFromBytes(head, got, width, height);
        }
    }
    return ok;
}

bool WithinDecodeBudget(int width, int height) {
    return width > 0 && height > 0 && (int64_t)width * height <= kDecodeBudgetPixels;
}

void FitWithin(int pw, int ph, int w, int h, int* fw, int* fh) {
    *fw = pw;
    *fh = ph;
    if (pw <= 0 || ph <= 0 || w <= 0 || h <= 0) return;
    if (pw <= w && ph <= h) return;
    // The side that meets its limit first decides; the other follows, rounded.
    if ((int64_t)pw * h >= (int64_t)ph * w) {
        *fw = w;
        *fh = (int)(((int64_t)ph * w + pw / 2) / pw);
    } else {
        *fh = h;
        *fw = (int)(((int64_t)pw * h + ph / 2) / ph);
    }
    if (*fw < 1) *fw = 1;
    if (*fh < 1) *fh = 1;
}

int FitPreview(int w, int h, int wmax, int hlim, int* fw, int* fh, int dpi) {
    *fw = w;
    *fh = h;
    int margin = Scale(20, dpi);
    if (w <= 0 || h <= 0 || wmax <= 0 || hlim - margin <= 0) return -1;
    int steps = 0;
    int x = w, y = h;
    while (x > wmax || y > hlim - margin) {
        x -= 10;
        if (x <= 0) return -1;
        y = (int)((int64_t)h * x / w);
        steps++;
    }
    if (y <= 0) return -1;
    *fw = x;
    *fh = y;
    return steps ? 1 : 0;
}

PreviewPlace PlacePreview(int tree_width, int list_width, int chart_top, int xs, int ys, int dpi) {
    int margin = Scale(20, dpi);
    PreviewPlace p;
    p.x = tree_width + Scale(12, dpi);
    if (xs < list_width - margin) p.x += (list_width - xs - margin) / 2;
    p.y = chart_top + Scale(5, dpi);
    if (ys < chart_top - margin) p.y += (chart_top - ys - margin) / 2;
    return p;
}

bool GifFirstFrame(const unsigned char* data, size_t size, GifFrame* frame) {
    if (!data || size < 13 || (memcmp(data, "GIF87a", 6) && memcmp(data, "GIF89a", 6)))
        return false;
    int screen_w = Little16(data + 6), screen_h = Little16(data + 8);
    size_t at = 13;
    if (data[10] & 0x80) at += 3u << ((data[10] & 7) + 1);
    // Skips data sub-blocks from `at` to the empty one that ends them.
    auto skip_blocks = [&](size_t* p) {
        while (*p < size) {
            size_t n = data[*p];
            *p += 1 + n;
            if (n == 0) return *p <= size;
        }
        return false;
    };
    while (at < size) {
        unsigned char kind = data[at];
        if (kind == 0x21) {  // an extension: its label, then its sub-blocks
            at += 2;
            if (!skip_blocks(&at)) return false;
        } else if (kind == 0x2C) {  // the first image
            if (at + 10 > size) return false;
            GifFrame f;
            f.left = Little16(data + at + 1);
            f.top = Little16(data + at + 3);
            f.width = Little16(data + at + 5);
            f.height = Little16(data + at + 7);
            unsigned char flags = data[at + 9];
            at += 10;
            if (flags & 0x80) at += 3u << ((flags & 7) + 1);
            at += 1;  // the code size
            if (at > size || !skip_blocks(&at)) return false;
            if (f.width <= 0 || f.height <= 0 || f.left + f.width > screen_w ||
                f.top + f.height > screen_h)
                return false;
            f.end = at;
            *frame = f;
            return true;
        } else {
            return false;  // the trailer before any image, or no block at all
        }
    }
    return false;
}

bool GifFirstFrameOnly(const std::vector<unsigned char>& file, std::vector<unsigned char>* out,
                       GifFrame* frame) {
    if (!GifFirstFrame(file.data(), file.size(), frame)) return false;
    out->assign(file.begin(), file.begin() + (ptrdiff_t)frame->end);
    out->push_back(0x3B);
    return true;
}

bool ReadWholeFile(const char* path, size_t limit, std::vector<unsigned char>* out) {
    out->clear();
    Handle held = OpenDiskFile(path);
    if (!held) return false;
    HANDLE file = held.get();
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && (uint64_t)size.QuadPart <= limit;
    if (ok) {
        out->resize((size_t)size.QuadPart);
        DWORD got = 0;
        ok = out->empty() || (ReadFile(file, out->data(), (DWORD)out->size(), &got, nullptr) &&
                              got == out->size());
    }
    held.reset();
    if (!ok) out->clear();
    return ok;
}
