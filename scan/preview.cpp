#include <windows.h>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/gdi.h"
#include "controls/ui.h"
#include "core/paths.h"
#include "scan/cimg.h"
#include "core/picture.h"
#include "scan/view.h"
#include "core/handles.h"

namespace {

// What the preview knows of the file last selected: its size as a picture and its last
// fitted bitmap. A repaint of the same file (same path, size and write time) reads nothing
// and decodes nothing, and a file that is no picture, or fails to load, is not tried again
// at every paint.
struct Shown {
    std::string path;
    uint64_t size = 0;
    FILETIME written = {};
    bool known = false;     // the entries below describe this file
    bool measured = false;  // pic_w and pic_h were looked for
    int pic_w = 0, pic_h = 0;
    bool loaded = false;  // bitmap (none when the load failed) answers the request
    int request_w = 0, request_h = 0;
    Bitmap bitmap;

    void Forget() {
        bitmap.reset();
        loaded = false;
    }
    // Makes this the file described, forgetting what was known of another.
    void Select(const std::string& p, const WIN32_FILE_ATTRIBUTE_DATA& data) {
        uint64_t s = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        if (known && p == path && s == size &&
            CompareFileTime(&written, &data.ftLastWriteTime) == 0)
            return;
        Forget();
        path = p;
        size = s;
        written = data.ftLastWriteTime;
        known = true;
        measured = false;
        pic_w = pic_h = 0;
    }
    // The fitted bitmap for the request, loaded once.
    HBITMAP Fitted(const char* folder, const char* file, int w, int h);
};
Shown shown;

// The files (path, size and write time) that failed to give a picture or were refused: none
// is tried again until it changes. Bounded, since a long browse meets many of them.
std::set<std::string> failed;

std::string FileKey(const std::string& path, const WIN32_FILE_ATTRIBUTE_DATA& data) {
    char key[80];
    snprintf(key, sizeof key, "|%lu|%lu|%lu|%lu", data.nFileSizeHigh, data.nFileSizeLow,
             data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    return path + key;
}

void Failed(const std::string& key) {
    if (failed.size() >= 4096) failed.clear();
    failed.insert(key);
}

// Loads folder\file at the requested size through a loader of its own and keeps the bitmap.
HBITMAP LoadFitted(const char* folder, const char* file, int w, int h) {
    CImg loader(mcfg.log);
    loader.load_img(folder, file, w, h);
    return loader.bitmap.release();
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP b = {};
    GetObjectA(bitmap, sizeof b, &b);
    return {b.bmWidth, b.bmHeight};
}

HBITMAP Shown::Fitted(const char* folder, const char* file, int w, int h) {
    if (!loaded || w != request_w || h != request_h) {
        Forget();
        bitmap.reset(LoadFitted(folder, file, w, h));
        request_w = w;
        request_h = h;
        loaded = true;
    }
    return bitmap.get();
}

void NoImage() { mcfg.image_w = mcfg.image_h = -1; }

}  // namespace

void Preview(HDC dc) {
    unsigned rows = ViewCount(panel.view);
    int row = mlvw.NextSelected(-1);
    if (row < 0 || (unsigned)row >= rows) row = 0;
    const FolderEntry* e = rows ? panel.view[row].entry : nullptr;
    if (!e) return;
    if (e->attributes & FILE_ATTRIBUTE_DIRECTORY) {
        NoImage();
        return;
    }
    // The path comes from the one place that composes them; the loader takes its folder and
    // its name apart.
    std::string whole, folder, file;
    size_t cut = EntryPath(*e, &whole) ? whole.rfind('\\') : std::string::npos;
    if (cut != std::string::npos) {
        folder = whole.substr(0, cut);
        file = whole.substr(cut + 1);
    }
    const char* path = whole.c_str();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (folder.empty() || file.empty() ||
        !GetFileAttributesExW(LongPath(whole).c_str(), GetFileExInfoStandard, &data)) {
        NoImage();
        return;
    }
    std::string key = FileKey(path, data);
    if (failed.count(key)) {
        NoImage();
        return;
    }
    // Only a file on a disk is handed to a decoder: a device or a pipe under a picture's name
    // would hold the window in its first read.
    if (!shown.known || shown.path != path) {
        if (!IsDiskFile(path)) {
            Failed(key);
            NoImage();
            return;
        }
    }
    shown.Select(path, data);
    // The area's margins are 20 pixels at 96 DPI.
    int margin = Scale(20, mcfg.dpi);
    int wmax = mcfg.list_width - margin, hlim = mcfg.chart_top - margin;
    int request_w = 0, request_h = 0;
    // The picture's own size, from its header when it has one of the four kinds; else
    // from a first load at the preview area's size, as the shell's extractor gives it.
    if (!shown.measured) {
        shown.measured = true;
        if (!PictureSize(path, &shown.pic_w, &shown.pic_h)) {
            shown.pic_w = shown.pic_h = 0;
            // Too small an area asks the extractor for nothing yet; a larger one will.
            if (wmax <= 0 || hlim - margin <= 0) {
                shown.measured = false;
                NoImage();
                return;
            }
            Bitmap first(LoadFitted(folder.c_str(), file.c_str(), wmax, hlim - margin));
            if (first) {
                SIZE s = BitmapSize(first.get());
                shown.pic_w = s.cx;
                shown.pic_h = s.cy;
            }
        }
    }
    int w = shown.pic_w, h = shown.pic_h;
    if (w <= 0 || h <= 0) {
        Failed(key);
        NoImage();
        return;
    }
    mcfg.image_w = w;
    mcfg.image_h = h;
    // Too large to decode, or too large for the area: its size shows, nothing is drawn.
    if (!WithinDecodeBudget(w, h)) return;
    int fw = 0, fh = 0;
    if (FitPreview(w, h, wmax, hlim, &fw, &fh, mcfg.dpi) < 0) return;
    request_w = fw;
    request_h = fh;

    if (!shown.Fitted(folder.c_str(), file.c_str(), request_w, request_h)) {
        Failed(key);
        NoImage();
        return;
    }
    SIZE s = BitmapSize(shown.bitmap.get());
    log_line("%s\txs = %d\n", time_stamp(), (int)s.cx);
    log_line("%s\tys = %d\n", time_stamp(), (int)s.cy);
    PreviewPlace at =
        PlacePreview(mcfg.tree_width, mcfg.list_width, mcfg.chart_top, s.cx, s.cy, mcfg.dpi);
    MemoryDC memory(dc);
    if (!memory.get()) return;
    Selection picture(memory.get(), shown.bitmap.get());
    BitBlt(dc, at.x, at.y, s.cx, s.cy, memory.get(), 0, 0, SRCCOPY);
}
