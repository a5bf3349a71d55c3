// Times the reading and the ordering of folders of 100,000, 300,000 and 1,000,000 entries and
// the memory each entry costs. The folders (names of 15 characters) are made from the Linux
// side under %TEMP% on the first run and kept for later ones.
//   tests/harness/wine-run build/benchenv build/bin/entries_bench.exe [--quick] [--load]
// Each read is measured in a process of its own, on memory the process has not used before:
// the program started as `entries_bench.exe read N OUT`, which writes its figures into OUT.
// --quick sorts 300,000 rows only and in three rounds; --load keeps every core busy beside it.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "browse/entries.h"
#include "browse/format.h"
#include "controls/ui.h"
#include "core/mcfg.h"
#include "core/panel.h"

namespace {

const int kSizes[3] = {100000, 300000, 1000000};

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

// Bytes in use in every heap of the process (the C runtime keeps one of its own), block
// overheads included.
size_t HeapBytesInUse() {
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; i++) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData + entry.cbOverhead;
        HeapUnlock(heaps[i]);
    }
    return total;
}

using bench::WorkingSetBytes;

std::string FolderOf(int n) {
    return bench::TempFolder() + "\\tv-bench-" + std::to_string(n);
}

// Names of 15 characters, of mixed case and six types, in an order other than the names',
// so that Name and Type have work to do: "a0000007919.txt".
bool EnsureFolder(int n) {
    std::string folder = FolderOf(n);
    if (bench::BareWalk(folder) == n) return true;
    std::string unix_folder = bench::UnixPath(folder);
    if (unix_folder.empty()) return false;
    printf("creating %d files in %s ...\n", n, folder.c_str());
    fflush(stdout);
    std::string count = std::to_string(n);
    bench::RunLinuxAndWait(
        "rm -rf '" + unix_folder + "' && mkdir -p '" + unix_folder + "' && cd '" + unix_folder +
        "' && seq 0 " + std::to_string(n - 1) +
        " | awk '{ i = $1; printf \"%s%010d.%s\\n\", substr(\"aBcDeF\", i % 6 + 1, 1), (i * "
        "7919) % " +
        count + ", substr(\"txtJPGcppLogdatPng\", (i % 6) * 3 + 1, 3) }' | xargs touch");
    return bench::BareWalk(folder) == n;
}

// One read of a folder into panel.entries, as Read does it without a window: the walk
// alone, then ListFolder and Sort, and the memory the entries and the view hold.
void ReadOnce(int n, const char* out) {
    std::string folder = FolderOf(n);
    bench::BareWalk(folder);  // warms the caches of the file system and of the platform
    double t0 = Now();
    int walked = bench::BareWalk(folder);
    double walk = Now() - t0;
    ReleaseEntries();
    // Wine holds its copy of the walk's listing until the process lists a folder again: one
    // look for a single name lets it go, so that it counts neither before nor after.
    WIN32_FIND_DATAA one;
    HANDLE look = FindFirstFileA((folder + "\\a0000000000.txt").c_str(), &one);
    if (look != INVALID_HANDLE_VALUE) FindClose(look);
    size_t heap = HeapBytesInUse(), committed = bench::CommittedPrivateBytes();
    size_t set = WorkingSetBytes();
    SetOrder(0, 1);
    double t1 = Now();
    ListFolder(panel.entries, folder.c_str());
    double t2 = Now();
    size_t set_listed = WorkingSetBytes(), committed_listed = bench::CommittedPrivateBytes();
    Sort();
    double t3 = Now();
    double count = (double)panel.entries.size();
    double per_heap = ((double)HeapBytesInUse() - (double)heap) / count;
    double per_committed = ((double)bench::CommittedPrivateBytes() - (double)committed) / count;
    double per_set = ((double)WorkingSetBytes() - (double)set) / count;
    printf("%8d entries (walk counted %d): bare walk %.2f s, ListFolder %.2f s (%.2f x), Sort by "
           "Name %.3f s\n",
           (int)count, walked, walk, t2 - t1, (t2 - t1) / walk, t3 - t2);
    printf("          bytes an entry (entries, names and view): committed private %.1f, working "
           "set %.1f, heap in use %.1f\n",
           per_committed, per_set, per_heap);
    printf("          of them after the listing, before the sort: committed private %.1f, working "
           "set %.1f\n",
           ((double)committed_listed - (double)committed) / count,
           ((double)set_listed - (double)set) / count);
    fflush(stdout);
    if (FILE* f = out ? fopen(out, "w") : nullptr) {
        fprintf(f, "%.3f %.3f %.6f %.6f\n", per_set, per_committed, walk, t2 - t1);
        fclose(f);
    }
}

// Reads the folder of n entries in a new process of this program; its figures (working set
// and committed bytes an entry) go to *set and *committed, -1 when it wrote none.
void ReadInOwnProcess(int n, double* set, double* committed) {
    *set = *committed = -1;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string out = bench::TempFolder() + "\\entries-bench-read.txt";
    DeleteFileA(out.c_str());
    std::string line =
        "\"" + std::string(self) + "\" read " + std::to_string(n) + " \"" + out + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    fflush(stdout);
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        printf("cannot start %s\n", line.c_str());
        return;
    }
    WaitForSingleObject(pi.hProcess, 10 * 60 * 1000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (FILE* f = fopen(out.c_str(), "r")) {
        if (fscanf(f, "%lf %lf", set, committed) != 2) *set = *committed = -1;
        fclose(f);
    }
}

// The bare walk of a folder in a process of its own (this program started with "walk").
double WalkInOwnProcess(const std::string& folder) {
    std::string out = bench::TempFolder() + "\\entries-bench-walk.txt";
    return bench::SecondsInOwnProcess("walk \"" + folder + "\" \"" + out + "\"", out);
}

// Gives the entries varied sizes and times, as a real folder has; the files on disk are all
// empty and alike. The attribute words stay as listed: all equal.
void VaryEntries() {
    for (size_t i = 0; i < panel.entries.size(); i++) {
        FolderEntry* e = panel.entries[i];
        uint64_t k = (uint64_t)(i * 2654435761u) % 1000003u;
        SetEntrySize(*e, k * 4099 + (i % 3 ? 0 : 5ull << 32));
        e->last_write_time.dwLowDateTime = (DWORD)(k * 977);
        e->last_write_time.dwHighDateTime = 0x01D00000u + (DWORD)(k % 5000);
    }
}

// The keys of a bare sort, as the program's sort takes them: a number, or the first 16
// bytes of the name with the ASCII capitals folded, and the entry's place in the listing.
struct NumberKey {
    uint64_t key;
    uint32_t place;
    bool operator<(const NumberKey& o) const {
        return key < o.key || (key == o.key && place < o.place);
    }
};
struct TextKey {
    uint64_t hi, lo;
    uint32_t place;
    bool operator<(const TextKey& o) const {
        return hi < o.hi || (hi == o.hi && (lo < o.lo || (lo == o.lo && place < o.place)));
    }
};

TextKey FoldedKey(const char* text, size_t length, uint32_t place, bool descending) {
    unsigned char b[16] = {};
    for (size_t i = 0; i < 16 && i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        b[i] = c >= 'A' && c <= 'Z' ? c + 32 : c;
    }
    uint64_t hi = 0, lo = 0;
    for (int i = 0; i < 8; i++) {
        hi = hi << 8 | b[i];
        lo = lo << 8 | b[8 + i];
    }
    uint64_t flip = descending ? ~0ull : 0;
    return {hi ^ flip, lo ^ flip, place};
}

// A bare std::sort of the keys of every entry by one column, in the listing's order; the
// keys are made before the clock starts.
double BareSort(int column, int dir) {
    size_t n = panel.entries.size();
    if (column == 0 || column == 3) {
        std::vector<TextKey> keys(n);
        for (size_t i = 0; i < n; i++) {
            const FolderEntry& e = *panel.entries[i];
            const char* text = e.name();
            size_t length = e.name_length();
            if (column == 3) {
                const char* dot = strrchr(text, '.');
                length = dot ? length - (size_t)(dot - text) : 0;
                text = dot ? dot : "";
            }
            keys[i] = FoldedKey(text, length, (uint32_t)i, dir == 0);
        }
        double t0 = Now();
        std::sort(keys.begin(), keys.end());
        return Now() - t0;
    }
    std::vector<NumberKey> keys(n);
    for (size_t i = 0; i < n; i++) {
        const FolderEntry& e = *panel.entries[i];
        uint64_t key = column == 1   ? EntrySize(e)
                       : column == 2 ? ((uint64_t)e.last_write_time.dwHighDateTime << 32) |
                                           e.last_write_time.dwLowDateTime
                                     : e.attributes;
        keys[i] = {dir ? ~key : key, (uint32_t)i};
    }
    double t0 = Now();
    std::sort(keys.begin(), keys.end());
    return Now() - t0;
}

struct Spread {
    double median, low, high;
};

Spread SpreadOf(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t.front(), t.back()};
}

void PrintSpread(const char* what, const Spread& s) {
    printf("  %-34s %7.1f ms (%.1f-%.1f)\n", what, s.median * 1000, s.low * 1000, s.high * 1000);
}

int display_requests = 0;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY && ((NMHDR*)lparam)->code == LVN_GETDISPINFOA) {
        display_requests++;
        ItemText((NMLVDISPINFOA*)lparam);
        return 0;
    }
    // The selection's changes are noted as the program's window notes them.
    if (message == WM_NOTIFY && ((NMHDR*)lparam)->code == LVN_ITEMCHANGED && !SelectionMoving()) {
        const NMLISTVIEW* change = (const NMLISTVIEW*)lparam;
        bool was = (change->uOldState & LVIS_SELECTED) != 0;
        bool now = (change->uNewState & LVIS_SELECTED) != 0;
        if (change->iItem >= 0 ? was != now : was || now)
            NoteSelectionChange(change->iItem, change->iItem, now);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

// A real virtual list of 800 x 600 pixels for the view, as the window's.
HWND MakeList(const char* folder) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "EntriesBench";
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "EntriesBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               840, 660, nullptr, nullptr, wc.hInstance, nullptr);
    mlvw.Create(wc.hInstance, top, 0x50201241, WS_EX_CLIENTEDGE, 114);
    MoveWindow(mlvw.hwnd, 0, 0, 800, 600, TRUE);
    mcbx.Create(wc.hInstance, top, 0x40800002, 111);
    mcbx.SetText(folder);
    panel.folder = folder;
    SHFILEINFOA info = {};
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    mlvw.SetImageList((HIMAGELIST)SHGetFileInfoA(windows, 0, &info, sizeof info,
                                                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    return top;
}

// Selects a few rows and focuses one, as a user does before a click on a column header: the
// sort keeps them on their entries.
void SelectSome() {
    unsigned rows = ViewCount(panel.view);
    for (unsigned row : {10u, rows / 2, rows - 3}) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | (row == rows / 2 ? LVIS_FOCUSED : 0);
        item.state = item.stateMask;
        SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    }
}

// The list's own part of a Sort, piece by piece, on the list as the last Sort left it: the
// selected and focused rows asked for, the row count set again, three rows selected again
// with the drawing held, and the first paint after it.
std::vector<double> part_keep, part_count, part_restore, part_paint;

void TimeParts() {
    int n = (int)ViewCount(panel.view);
    double t0 = Now();
    int count = mlvw.SelectedCount();
    SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    int found = 0;
    for (int row = mlvw.NextSelected(-1); row >= 0 && row < n;
         row = ++found < count ? mlvw.NextSelected(row) : -1) {
    }
    double t1 = Now();
    mlvw.SetItemCount(n);
    double t2 = Now();
    {
        HeldRedraw held(mlvw.hwnd);
        for (int row : {10, n / 2, n - 3}) {
            LVITEMA item = {};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
        }
    }
    double t3 = Now();
    UpdateWindow(mlvw.hwnd);
    double t4 = Now();
    part_keep.push_back(t1 - t0);
    part_count.push_back(t2 - t1);
    part_restore.push_back(t3 - t2);
    part_paint.push_back(t4 - t3);
}

// Each message of the list's part, one at a time, printed.
void TimeMessages() {
    int n = (int)ViewCount(panel.view);
    auto ms = [](double a, double b) { return (b - a) * 1000; };
    double t[12];
    t[0] = Now();
    int count = mlvw.SelectedCount();
    t[1] = Now();
    SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    t[2] = Now();
    int found = 0;
    for (int row = mlvw.NextSelected(-1); row >= 0 && row < n;
         row = ++found < count ? mlvw.NextSelected(row) : -1) {
    }
    t[3] = Now();
    SendMessageA(mlvw.hwnd, WM_SETREDRAW, FALSE, 0);
    t[4] = Now();
    mlvw.SetItemCount(n);
    t[5] = Now();
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)10, (LPARAM)&item);
    t[6] = Now();
    SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)(n - 3), (LPARAM)&item);
    t[7] = Now();
    SendMessageA(mlvw.hwnd, WM_SETREDRAW, TRUE, 0);
    t[8] = Now();
    InvalidateRect(mlvw.hwnd, nullptr, FALSE);
    t[9] = Now();
    mlvw.SetItemCount(n);
    t[10] = Now();
    UpdateWindow(mlvw.hwnd);
    t[11] = Now();
    printf("  %d rows: selcount %.2f focus %.2f walk %.2f redraw-off %.2f count(held) %.2f "
           "state %.2f state-last %.2f redraw-on %.2f invalidate %.2f count %.2f paint %.2f\n",
           n, ms(t[0], t[1]), ms(t[1], t[2]), ms(t[2], t[3]), ms(t[3], t[4]), ms(t[4], t[5]),
           ms(t[5], t[6]), ms(t[6], t[7]), ms(t[7], t[8]), ms(t[8], t[9]), ms(t[9], t[10]),
           ms(t[10], t[11]));
    fflush(stdout);
}

void PrintParts() {
    if (part_keep.empty()) return;
    PrintSpread("  the selection asked for", SpreadOf(part_keep));
    PrintSpread("  the row count set again", SpreadOf(part_count));
    PrintSpread("  three rows selected, drawing held", SpreadOf(part_restore));
    PrintSpread("  the paint after it", SpreadOf(part_paint));
    part_keep.clear();
    part_count.clear();
    part_restore.clear();
    part_paint.clear();
}

// Each column's sort of the folder's entries, in rounds: a bare std::sort of the same keys,
// the program's ordering alone (OrderEntries into a view), the whole Sort with the list, its
// selection and counts, and the Sort again that changes nothing.
// Each round's whole Sort is put beside the bare sort of the same keys and, for 300,000 rows,
// beside the walk of the folder in a process of its own.
void SortRounds(int rounds, const std::string& folder, bool profile) {
    size_t n = panel.entries.size();
    std::vector<ViewSlot> view(n);
    static const char* const kNames[5] = {"Name", "Size", "Modified", "Type", "Attribute"};
    const int kRounds = rounds;
    bool beside_walk = n <= 300000;
    printf("\nsorts of %u rows: medians of %d rounds (min-max)\n", (unsigned)n, kRounds);
    struct Case {
        int column, dir;
    };
    for (Case c : {Case{0, 1}, Case{0, 0}, Case{1, 1}, Case{2, 1}, Case{3, 1}, Case{4, 1}}) {
        std::vector<double> bare, order, sort, rest, again, painted;
        std::string name =
            "sort " + std::to_string(n) + " " + kNames[c.column] + (c.dir ? " up" : " down");
        bench::Ratios to_bare(name + " / bare sort", n >= 1000000 ? "<=1.5" : "-");
        bench::Ratios to_walk(name + " / walk", "<=0.1");
        for (int r = 0; r < kRounds; r++) {
            double walk = beside_walk ? WalkInOwnProcess(folder) : -1;
            bare.push_back(BareSort(c.column, c.dir));
            double t0 = Now();
            OrderEntries(panel.entries, c.column, c.dir, view.data());
            order.push_back(Now() - t0);
            // From another order, so that this sort has rows to move.
            SetOrder(c.column == 1 ? 2 : 1, 0);
            Sort();
            SelectSome();
            UpdateWindow(mlvw.hwnd);
            SetOrder(c.column, c.dir);
            t0 = Now();
            Sort();
            double took = Now() - t0;
            sort.push_back(took);
            // What the user waits for: the list painted in its new order.
            UpdateWindow(mlvw.hwnd);
            painted.push_back(Now() - t0);
            if (profile) TimeParts();
            rest.push_back(took - order.back());
            t0 = Now();
            Sort();
            again.push_back(Now() - t0);
            to_bare.Add(took / bare.back());
            if (walk > 0) to_walk.Add(took / walk);
        }
        Spread b = SpreadOf(bare), o = SpreadOf(order), s = SpreadOf(sort);
        PrintParts();
        printf("%s, direction %d:\n", kNames[c.column], c.dir);
        PrintSpread("bare std::sort of the same keys", b);
        PrintSpread("OrderEntries (keys, sort, rows)", o);
        PrintSpread("Sort (with list, selection, counts)", s);
        PrintSpread("  of it beyond OrderEntries", SpreadOf(rest));
        PrintSpread("Sort to the list painted", SpreadOf(painted));
        PrintSpread("Sort again, nothing changed", SpreadOf(again));
        printf("  OrderEntries %.2f x the bare sort, Sort %.2f x\n", o.median / b.median,
               s.median / b.median);
        fflush(stdout);
        to_bare.Print();
        to_walk.Print();
    }
}

// Scrolls the list page by page, painting each page at once, as the user's scrolling does.
void ScrollTheList() {
    UpdateWindow(mlvw.hwnd);
    int per_page = (int)SendMessageA(mlvw.hwnd, LVM_GETCOUNTPERPAGE, 0, 0);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageA(mlvw.hwnd, LVM_GETITEMRECT, 0, (LPARAM)&row);
    int page = per_page * (row.bottom - row.top);
    display_requests = 0;
    const int kPages = 20;
    double t0 = Now();
    for (int i = 0; i < kPages; i++) {
        SendMessageA(mlvw.hwnd, LVM_SCROLL, 0, page);
        UpdateWindow(mlvw.hwnd);
    }
    double t1 = Now();
    printf("\nscrolling the list (%d rows a page): %.1f ms per page, %d cell requests a page\n",
           per_page, (t1 - t0) * 1000 / kPages, display_requests / kPages);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !strcmp(argv[1], "read")) {
        ReadOnce(atoi(argv[2]), argv[3]);
        ReleaseEntries();
        return 0;
    }
    if (argc == 4 && !strcmp(argv[1], "walk")) {
        double t0 = Now();
        bench::BareWalk(argv[2]);
        double seconds = Now() - t0;
        if (FILE* f = fopen(argv[3], "w")) {
            fprintf(f, "%.6f\n", seconds);
            fclose(f);
        }
        return 0;
    }
    bench::Options options = bench::ParseOptions(argc, argv);
    bench::BusyLoad busy(options.load);
    std::string load_case = busy.running() ? " busy" : "";
    const int kRounds = options.quick ? 3 : 5;
    for (int n : kSizes) {
        if (options.quick && n > 300000) continue;
        if (!EnsureFolder(n)) {
            printf("cannot make the folder of %d entries\n", n);
            return 1;
        }
    }
    printf("load %.2f%s; sizeof FolderEntry %u, ViewSlot %u; names of 15 characters\n",
           bench::Load(), busy.running() ? ", a busy loop on every core" : "",
           (unsigned)sizeof(FolderEntry), (unsigned)sizeof(ViewSlot));
    // "sorts" leaves out the reads (the memory an entry costs); "parts" times the list's own
    // pieces of each Sort; a number sorts only the folder of that many entries.
    bool sorts_only = false, profile = false, messages = false;
    std::vector<int> sort_sizes;
    for (const std::string& arg : options.rest) {
        if (arg == "sorts") sorts_only = true;
        else if (arg == "parts") profile = true;
        else if (arg == "messages") sorts_only = messages = true;
        else if (atoi(arg.c_str()) > 0) sort_sizes.push_back(atoi(arg.c_str()));
    }
    if (sort_sizes.empty()) sort_sizes = {kSizes[1], kSizes[2]};
    for (int n : {kSizes[0], kSizes[1]}) {
        if (sorts_only) break;
        bench::Ratios set("working set " + std::to_string(n) + load_case + " / 120 B an entry",
                          n == 300000 ? "<=1.0" : "-");
        bench::Ratios committed("committed " + std::to_string(n) + load_case + " / 120 B an entry",
                                "-");
        for (int r = 0; r < kRounds; r++) {
            double per_set = -1, per_committed = -1;
            ReadInOwnProcess(n, &per_set, &per_committed);
            if (per_set < 0) continue;
            set.Add(per_set / 120);
            committed.Add(per_committed / 120);
        }
        set.Print();
        committed.Print();
    }

    HWND top = nullptr;
    for (int n : sort_sizes) {
        if (options.quick && n > 300000) continue;
        std::string folder = FolderOf(n);
        if (!top) top = MakeList(folder.c_str());
        panel.folder = folder;
        ListFolder(panel.entries, folder.c_str());
        VaryEntries();
        if (messages) {
            SetOrder(0, 1);
            Sort();
            SelectSome();
            for (int r = 0; r < kRounds; r++)
                TimeMessages();
            continue;
        }
        SortRounds(kRounds, folder, profile);
    }

    SetOrder(0, 1);
    Sort();
    ScrollTheList();
    DestroyWindow(top);
    mlvw.hwnd = nullptr;
    mcbx.hwnd = nullptr;
    ReleaseEntries();
    return 0;
}
