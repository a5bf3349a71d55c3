// Times the image preview against the platform's own decode-and-scale of the same file:
// a 6000 by 4000 JPEG (first preview, repaint, memory kept), a PNG that declares 30000 by
// 30000 pixels (refused from its header) and a 1000 by 500 PNG. The platform's decode runs in
// this process, just before each preview.
//   preview_bench.exe [--quick] [--load]   (--quick: two rounds; --load: every core kept busy)
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "bench/bench_util.h"
#include "scan/cimg.h"
#include "scan/view.h"
#include "tests/support/picture_file.h"

namespace {

// A picture with some texture, so that the codec has real work.
bool Write(const std::string& path, int w, int h, bool jpeg) {
    return tv::WritePictureFile(path, w, h, jpeg, [w, h](int x, int y) {
        return (unsigned)(((x * 255 / w) << 16) | ((y * 255 / h) << 8) | ((x ^ y) & 0xFF));
    });
}

double Private() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&counters, sizeof counters);
    return counters.PrivateUsage / 1048576.0;
}

EntryList names;
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
    entry = bench::NamedEntry(names, name);
    slot = {&entry, 1, 0, 0};
    panel.view = &slot;
    panel.folder = folder.c_str();
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options = bench::ParseOptions(argc, argv);
    bench::BusyLoad busy(options.load);
    const int rounds = options.quick ? 2 : 3;
    std::string load_case = busy.running() ? " busy" : "";
    bench::Ratios jpeg("preview 6000x4000 JPEG" + load_case + " / WIC decode", "-");
    bench::Ratios png("preview 1000x500 PNG" + load_case + " / WIC decode", "-");
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
    mcfg.tree_width = 300;
    mcfg.list_width = 300;
    mcfg.chart_top = 300;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 1280, 1024);
    SelectObject(dc, target);

    for (int round = 0; round < rounds; round++) {
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
        jpeg.Add(first / bench::Seconds(a, b));
    }
    for (int round = 0; round < rounds; round++) {
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
        png.Add(small / bench::Seconds(a, b));
    }
    jpeg.Print();
    png.Print();
    panel.view = nullptr;
    DeleteDC(dc);
    DeleteObject(target);
    ReleaseDC(nullptr, screen);
    bench::Remove(root);
    return 0;
}
