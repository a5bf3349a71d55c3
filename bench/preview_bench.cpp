// Times the image preview against the platform's own decode-and-scale of the same file:
// a 6000 by 4000 JPEG (first preview, repaint, memory kept), a PNG that declares 30000 by
// 30000 pixels (refused from its header) and a 1000 by 500 PNG.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/mcfg.h"
#include "bench/bench_util.h"
#include "scan/cimg.h"
#include "scan/view.h"

namespace {

const GUID kFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const GUID kPng = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
const GUID kJpeg = {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};
const GUID kBGR24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

// A picture with some texture, so that the codec has real work.
bool Write(const std::string& path, int w, int h, bool jpeg) {
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    bool ok = false;
    if (SUCCEEDED(CoCreateInstance(kFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(IWICImagingFactory), (void**)&factory)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(wide, GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(jpeg ? kJpeg : kPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize((UINT)w, (UINT)h))) {
        WICPixelFormatGUID format = kBGR24;
        frame->SetPixelFormat(&format);
        UINT stride = (UINT)(w * 3 + 3) & ~3u;
        std::vector<BYTE> row(stride);
        ok = true;
        for (int y = 0; y < h && ok; y++) {
            for (int x = 0; x < w; x++) {
                row[x * 3] = (BYTE)(x * 255 / w);
                row[x * 3 + 1] = (BYTE)(y * 255 / h);
                row[x * 3 + 2] = (BYTE)((x ^ y) & 0xFF);
            }
            ok = SUCCEEDED(frame->WritePixels(1, stride, stride, row.data()));
        }
        ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    return ok;
}

double Private() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&counters, sizeof counters);
    return counters.PrivateUsage / 1048576.0;
}

FolderEntry entry;
ViewSlot slot;

// One preview paint of folder\name into a memory DC, as the window's paint runs it.
double PreviewOnce(HDC dc) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    Preview(dc);
    QueryPerformanceCounter(&b);
    return bench::Seconds(a, b);
}

void Show(const std::string& folder, const char* name) {
    memset(&entry, 0, sizeof entry);
    lstrcpynA(entry.name, name, sizeof entry.name);
    slot = {&entry, 1, 0, 0};
    mcfg.view = &slot;
    lstrcpynA(mcfg.folder, folder.c_str(), sizeof mcfg.folder);
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\preview-bench";
    bench::Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    if (!Write(root + "\\big.jpg", 6000, 4000, true) ||
        !Write(root + "\\small.png", 1000, 500, false)) {
        printf("cannot write the pictures\n");
        return 1;
    }
    std::string crafted = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                          std::string("\0\0\x75\x30\0\0\x75\x30\x08\0\0\0\0", 13) + "IDATxxxx";
    FILE* f = fopen((root + "\\crafted.png").c_str(), "wb");
    fwrite(crafted.data(), 1, crafted.size(), f);
    fclose(f);

    // The list pane of a 1280 by 1024 screen's window: 480 wide, the preview area below 300.
    mcfg.win_major = 6;
    mcfg.tree_width = 300;
    mcfg.list_width = 300;
    mcfg.chart_top = 300;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 1280, 1024);
    SelectObject(dc, target);

    for (int round = 0; round < 3; round++) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        HRESULT hr;
        HBITMAP bare = DecodeFitted((root + "\\big.jpg").c_str(), 280, 187, &hr);
        QueryPerformanceCounter(&b);
        DeleteObject(bare);
        double before = Private();
        Show(root, round % 2 ? "big.jpg" : "BIG.JPG");  // a new selection each round
        double first = PreviewOnce(dc);
        double kept = Private() - before;
        double repaint = PreviewOnce(dc);
        printf("6000x4000 JPEG: bare WIC decode+scale %.0f ms; first preview %.0f ms (%.2fx); "
               "repaint %.2f ms; memory kept %.1f MB; shown %d x %d\n",
               bench::Seconds(a, b) * 1000, first * 1000, first / bench::Seconds(a, b),
               repaint * 1000, kept, mcfg.image_w, mcfg.image_h);
    }
    for (int round = 0; round < 3; round++) {
        Show(root, round % 2 ? "crafted.png" : "CRAFTED.PNG");
        double refused = PreviewOnce(dc);
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        HRESULT hr;
        HBITMAP bare = DecodeFitted((root + "\\small.png").c_str(), 280, 140, &hr);
        QueryPerformanceCounter(&b);
        DeleteObject(bare);
        Show(root, round % 2 ? "small.png" : "SMALL.PNG");
        double small = PreviewOnce(dc);
        printf("30000x30000 PNG refused in %.2f ms (shown %d x %d); 1000x500 PNG: preview %.1f ms, "
               "bare decode+scale %.1f ms\n",
               refused * 1000, 30000, 30000, small * 1000, bench::Seconds(a, b) * 1000);
    }
    mcfg.view = nullptr;
    DeleteDC(dc);
    DeleteObject(target);
    ReleaseDC(nullptr, screen);
    bench::Remove(root);
    return 0;
}
