#include <windows.h>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/log.h"
#include "app/mcfg.h"
#include "app/ui.h"
#include "browse/paths.h"
#include "scan/cimg.h"
#include "scan/picture.h"
#include "scan/view.h"

namespace {

// The last picture shown, fitted: a repaint of the same selection (same file, size, write
// time and requested size) shows it again without loading anything. A load that failed is
// kept too, so a broken file is not decoded again at every paint.
struct Shown {
    std::string path;
    uint64_t size = 0;
    FILETIME written = {};
    int request_w = 0, request_h = 0;
    HBITMAP bitmap = nullptr;
    bool valid = false;

    ~Shown() { Forget(); }
    void Forget() {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
        valid = false;
    }
    bool Same(const std::string& p, const WIN32_FILE_ATTRIBUTE_DATA& data, int w, int h) const {
        uint64_t s = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        return valid && p == path && s == size &&
               CompareFileTime(&written, &data.ftLastWriteTime) == 0 && w == request_w &&
               h == request_h;
    }
};
Shown shown;

// Loads folder\file at the requested size through a loader of its own and keeps the bitmap.
HBITMAP LoadFitted(const char* folder, const char* file, int w, int h) {
    CImg loader(mcfg.log);
    loader.load_img(folder, file, w, h);
    HBITMAP bitmap = loader.bitmap;
    loader.bitmap = nullptr;
    return bitmap;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP b = {};
    GetObjectA(bitmap, sizeof b, &b);
    return {b.bmWidth, b.bmHeight};
}

void NoImage() { mcfg.image_w = mcfg.image_h = -1; }

}  // namespace

void Preview(HDC dc) {
    unsigned rows = ViewCount(mcfg.view);
    int row = mlvw.NextSelected(-1);
    if (row < 0 || (unsigned)row >= rows) row = 0;
    const FolderEntry* e = rows ? mcfg.view[row].entry : nullptr;
    if (!e) return;
    if (e->attributes & FILE_ATTRIBUTE_DIRECTORY) {
        NoImage();
        return;
    }
    char folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    if (mcfg.find_mode) {
        const char* cut = strrchr(e->name, '\\');
        if (cut) {
            snprintf(folder, sizeof folder, "%.*s", (int)(cut - e->name), e->name);
            const char* name = PathName(cut + 1, e->short_name);
            lstrcpynA(file, name ? name : "", sizeof file);
        }
    } else {
        lstrcpynA(folder, mcfg.folder, sizeof folder);
        const char* name = PathName(e->name, e->short_name);
        lstrcpynA(file, name ? name : "", sizeof file);
    }
    char path[MAX_PATH];
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!folder[0] || !file[0] || !JoinPath(folder, file, path, sizeof path) ||
        !GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        NoImage();
        return;
    }
    int wmax = mcfg.list_width - 20, hlim = mcfg.chart_top - 20;
    int request_w = 0, request_h = 0;
    if (mcfg.win_major >= 6) {
        // The picture's own size, from its header when it has one of the four kinds; else
        // from a first load at the largest size, as the shell's extractor gives it.
        int w = 0, h = 0;
        if (!PictureSize(path, &w, &h)) {
            HBITMAP first = LoadFitted(folder, file, 10000, 10000);
            if (first) {
                SIZE s = BitmapSize(first);
                w = s.cx;
                h = s.cy;
                DeleteObject(first);
            }
        }
        if (w <= 0 || h <= 0) {
            NoImage();
            return;
        }
        mcfg.image_w = w;
        mcfg.image_h = h;
        // Too large to decode, or too large for the area: its size shows, nothing is drawn.
        if (!WithinDecodeBudget(w, h)) return;
        int fw = 0, fh = 0;
        if (FitPreview(w, h, wmax, hlim, &fw, &fh) < 0) return;
        request_w = fw;
        request_h = fh;
    } else {
        int s = wmax < hlim ? wmax : hlim;
        if (s <= 0) return;
        request_w = request_h = s;
    }

    if (!shown.Same(path, data, request_w, request_h)) {
        shown.Forget();
        shown.bitmap = LoadFitted(folder, file, request_w, request_h);
        shown.path = path;
        shown.size = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        shown.written = data.ftLastWriteTime;
        shown.request_w = request_w;
        shown.request_h = request_h;
        shown.valid = true;
    }
    if (!shown.bitmap) {
        NoImage();
        return;
    }
    SIZE s = BitmapSize(shown.bitmap);
    if (mcfg.win_major < 6) {
        mcfg.image_w = s.cx;
        mcfg.image_h = s.cy;
    }
    log_line("%s\txs = %d\n", time_stamp(), (int)s.cx);
    log_line("%s\tys = %d\n", time_stamp(), (int)s.cy);
    PreviewPlace at = PlacePreview(mcfg.tree_width, mcfg.list_width, mcfg.chart_top, s.cx, s.cy);
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, shown.bitmap);
    BitBlt(dc, at.x, at.y, s.cx, s.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}
