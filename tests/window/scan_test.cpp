#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "app/wndproc.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "res/resource.h"
#include "scan/scan.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::MakeFolderLink;
using tv::UnixPath;

// Runs a Linux shell script and waits, with a bound, until `done` holds.
bool RunShell(const std::string& script, const std::function<bool()>& done) {
    return tv::RunLinux("/bin/sh -c \"" + script + "\"", done);
}

using tv::Exists;

// The scan's own log lines, "TOP: size:0" and so on, in order.
std::vector<std::string> ThreadLines() {
    std::vector<std::string> lines;
    const std::string prefix = "Thread () ";
    for (const std::string& e : tv::LogEntries())
        if (e.compare(0, prefix.size(), prefix) == 0) lines.push_back(e.substr(prefix.size()));
    return lines;
}

FolderEntry* Entry(const char* name) {
    for (size_t i = 0; i < panel.entries.size(); i++)
        if (!strcmp(panel.entries[i]->name(), name)) return panel.entries[i];
    return nullptr;
}

long long SizeOf(const char* name) {
    FolderEntry* e = Entry(name);
    return e ? (long long)EntrySize(*e) : -1;
}

std::vector<std::string> ViewNames() {
    std::vector<std::string> names;
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        names.push_back(panel.view[i].entry->name());
    return names;
}

// Ends the test program with a message when a call that must return has not returned in
// time: a deadlock becomes a failure instead of a hang.
class Watchdog {
  public:
    Watchdog(const char* what, int seconds) {
        std::string text = what;
        thread_ = std::thread([this, text, seconds] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!done_cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
                fprintf(stderr, "%s did not return within %d s\n", text.c_str(), seconds);
                fflush(stderr);
                ExitProcess(3);
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_all();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    std::thread thread_;
};

class SizeScan : public tv::AppTest {
  protected:
    void TearDown() override {
        // No scan may outlive the test's folders.
        StopScan();
        // Linux removes the many folders far faster than the tree's own removal would.
        if (!slow_unix_.empty())
            RunShell("rm -rf '" + slow_unix_ + "'", [&] { return !Exists(slow_path_); });
        slow_tree_.reset();
    }

    // A tree with a folder "A" of 11 bytes, a folder "B" of many empty subfolders and 13
    // bytes, which takes the scan a while, and a folder "C" of 17 bytes; none when the
    // Linux side cannot make it.
    const tv::TempTree* MakeSlowTree() {
        slow_tree_.reset(new tv::TempTree("scan"));
        const tv::TempTree& tree = *slow_tree_;
        tree.file("A\\a.dat", std::string(11, 'a'));
        tree.file("B\\b.dat", std::string(13, 'b'));
        tree.file("C\\c.dat", std::string(17, 'c'));
        std::string b = UnixPath(tree.path("B"));
        if (b.empty()) return nullptr;
        slow_path_ = tree.path("B\\many");
        slow_unix_ = b + "/many";
        std::string marker = tree.path("B\\many\\made");
        if (!RunShell("mkdir '" + slow_unix_ + "' && cd '" + slow_unix_ +
                          "' && seq 1 4000 | xargs mkdir && : > made",
                      [&] { return Exists(marker); }))
            return nullptr;
        return &tree;
    }

    bool ScanFinished(int oks) {
        return mcfg.scanning == 0 && tv::CountEntries("Thread () OK") >= oks;
    }

    std::unique_ptr<tv::TempTree> slow_tree_;
    std::string slow_unix_, slow_path_;
};

}  // namespace

TEST_F(SizeScan, MeasuresEveryFolderSumsTheViewAndOrdersBySizeLargestFirst) {
    tv::TempTree tree("scan");
    tree.file("small.txt", std::string(10, 's'));
    tree.file("large.bin", std::string(3000, 'l'));
    tree.sized_file("Big\\four.dat", 4294967296LL);
    tree.file("Mid\\m.txt", std::string(7, 'm'));
    tree.file("Mid\\x\\y\\z.dat", std::string(5000, 'z'));
    tree.dir("Empty");
    bool linked = MakeFolderLink(tree.path("Big"), tree.path("Link"));
    if (!linked) printf("no linked folder can be made here; that case is left out\n");
    StartApp(tree.root().c_str());
    ASSERT_EQ(ViewCount(panel.view), linked ? 6u : 5u);
    long long link_own = linked ? SizeOf("Link") : 0;
    mcfg.size = 99;

    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([&] { return ScanFinished(1) && mcfg.sort_column == 1; }));

    // A total of 4 GiB is high 1, low 0; the linked folder keeps its own record.
    ASSERT_NE(Entry("Big"), nullptr);
    EXPECT_EQ(EntrySize(*Entry("Big")), 1ULL << 32);
    EXPECT_EQ(SizeOf("Mid"), 5007);
    EXPECT_EQ(SizeOf("Empty"), 0);
    if (linked) {
        EXPECT_EQ(SizeOf("Link"), link_own) << "the linked folder was followed";
    }
    long long total = 4294967296LL + 5007 + 10 + 3000 + link_own;
    EXPECT_EQ(mcfg.size, total);

    // Folders (linked ones among them) first, then files, each by size, largest first.
    std::vector<std::string> names = ViewNames();
    ASSERT_EQ(names.size(), linked ? 6u : 5u);
    EXPECT_EQ(names[0], "Big");
    EXPECT_EQ(names[1], "Mid");
    size_t folders = linked ? 4 : 3;
    EXPECT_EQ(names[folders], "large.bin");
    EXPECT_EQ(names[folders + 1], "small.txt");
    for (size_t i = 2; i < folders; i++) {
        EXPECT_NE(Entry(names[i].c_str())->attributes & 0x10, 0u) << names[i];
        EXPECT_GE(SizeOf(names[i - 1].c_str()), SizeOf(names[i].c_str())) << names[i];
    }
    EXPECT_EQ(mcfg.sort_dir, 1);
    EXPECT_EQ(ListView_GetItemCount(mlvw.hwnd), (int)names.size());

    std::vector<std::string> lines = ThreadLines();
    std::vector<std::string> expected = {"TOP: size:0", "END: size:" + std::to_string(total),
                                         "OK ..."};
    EXPECT_EQ(lines, expected);
    std::vector<std::string> entries = tv::LogEntries();
    int scan = tv::FindEntry(entries, "Scan () OK");
    EXPECT_GE(scan, 0);
    EXPECT_GT(tv::FindEntry(entries, "Thread () TOP", scan), scan);

    // The scan is over: the status line shows the find controls again.
    Until([] { return IsWindowVisible(mbtn.hwnd) != 0; }, 2000);
    EXPECT_TRUE(IsWindowVisible(mbtn.hwnd));
    EXPECT_TRUE(IsWindowVisible(mcby.hwnd));

    // The tree's own removal cannot take a Linux link away; Linux removes the link alone.
    if (linked) {
        std::string link = UnixPath(tree.path("Link"));
        RunShell("rm -f '" + link + "'", [&] { return !Exists(tree.path("Link")); });
    }
}

TEST_F(SizeScan, AnEmptyViewOrTheModeTurnedOffMeasuresNothingAndKeepsTheOrder) {
    tv::TempTree tree("scan");
    StartApp(tree.root().c_str());
    ASSERT_EQ(ViewCount(panel.view), 0u);
    mcfg.size = 99;

    SendCommand(CMD_READ_SIZE);
    ASSERT_EQ(mcfg.size_mode, 1);
    ASSERT_TRUE(Until([&] { return ScanFinished(1); }));
    std::vector<std::string> expected = {"TOP: size:0", "OK ..."};
    EXPECT_EQ(ThreadLines(), expected);
    EXPECT_EQ(mcfg.size, 0);

    // With rows but the mode turned off, the new scan ends at once as well.
    tree.file("f.txt", "12345");
    Read();
    ASSERT_EQ(ViewCount(panel.view), 1u);
    ASSERT_TRUE(Until([&] { return ScanFinished(2) && mcfg.sort_column == 1; }));
    int sorts = tv::CountEntries("Sort ()");
    SendCommand(CMD_READ_SIZE);
    ASSERT_EQ(mcfg.size_mode, 0);
    ASSERT_TRUE(Until([&] { return ScanFinished(3); }));
    tv::PumpMessages(true);
    expected.insert(expected.end(),
                    {"TOP: size:0", "END: size:5", "OK ...", "TOP: size:0", "OK ..."});
    EXPECT_EQ(ThreadLines(), expected);
    EXPECT_EQ(tv::CountEntries("Sort ()"), sorts) << "a scan that measured nothing re-sorted";
}

TEST_F(SizeScan, TurningTheModeOffStopsTheScanAtOnceAndKeepsOnlyWholeTotals) {
    const tv::TempTree* slow = MakeSlowTree();
    ASSERT_NE(slow, nullptr);
    const tv::TempTree& tree = *slow;
    StartApp(tree.root().c_str());
    ASSERT_EQ(ViewNames(), (std::vector<std::string>{"A", "B", "C"}));

    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return SizeOf("A") == 11; }));
    ASSERT_EQ(mcfg.scanning, 1) << "the scan ended before the test could stop it";

    // While it runs, the timer's repaint hides the find controls for the progress text.
    int paints = tv::CountEntries("Paint ()");
    SendMessageA(mwin.hwnd, WM_TIMER, ID_TIMER, 0);
    EXPECT_GT(tv::CountEntries("Paint ()"), paints);
    EXPECT_FALSE(IsWindowVisible(mbtn.hwnd));
    EXPECT_FALSE(IsWindowVisible(mcby.hwnd));

    // The stop serves no message: a quit and a Read that wait in the queue stay there.
    int reads = tv::CountEntries("Read () OK");
    PostMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(CMD_READ, 0), 0);
    PostQuitMessage(7);
    {
        Watchdog watchdog("turning size mode off", 60);
        SendCommand(CMD_READ_SIZE);
    }
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads) << "the stop dispatched a queued command";
    MSG quit = {};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    // B was being measured (thousands of folders) or just done: its total is whole or
    // none, never a part; C is never begun.
    EXPECT_TRUE(SizeOf("B") == 0 || SizeOf("B") == 13) << SizeOf("B");
    EXPECT_EQ(SizeOf("A"), 11);
    EXPECT_EQ(SizeOf("C"), 0);
    EXPECT_EQ(mcfg.size, 0) << "the new scan starts from 0";
    // The queued Read now runs, and with it the mode's end.
    ASSERT_TRUE(
        Until([&] { return ScanFinished(1) && tv::CountEntries("Read () OK") == reads + 1; }));
    std::vector<std::string> expected = {"TOP: size:0", "TOP: size:0", "OK ..."};
    EXPECT_EQ(ThreadLines(), expected);
    EXPECT_EQ(mcfg.sort_column, 0) << "a stopped scan re-sorted";
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(SizeScan, ReadingAnotherFolderDuringALongScanStopsItAndScansTheNewOne) {
    const tv::TempTree* slow = MakeSlowTree();
    ASSERT_NE(slow, nullptr);
    const tv::TempTree& tree = *slow;
    tree.file("C\\more.dat", std::string(1000, 'm'));
    tree.file("C\\Sub\\s.dat", std::string(20000, 's'));
    StartApp(tree.root().c_str());

    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return SizeOf("A") == 11; }));
    ASSERT_EQ(mcfg.scanning, 1) << "the scan ended before the test could read elsewhere";

    {
        Watchdog watchdog("Read during a scan", 60);
        ReadPath(tree.path("C").c_str());
    }
    EXPECT_EQ(panel.entries.size(), 3u);
    ASSERT_TRUE(Until([&] { return ScanFinished(1) && mcfg.sort_column == 1; }));
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"Sub", "more.dat", "c.dat"}));
    EXPECT_EQ(SizeOf("Sub"), 20000);
    EXPECT_EQ(mcfg.size, 21017);
    std::vector<std::string> expected = {"TOP: size:0", "TOP: size:0", "END: size:21017", "OK ..."};
    EXPECT_EQ(ThreadLines(), expected);
}

TEST_F(SizeScan, TheThreadReadsNoControlAndAStaleResultWritesNothing) {
    tv::TempTree tree("scan");
    tree.file("F\\f.dat", "12345");
    StartApp(tree.root().c_str());

    // The thread works from its own copy: it never asks this thread for anything, so it
    // ends while this thread serves nothing at all.
    mcbx.SetText("C:\\somewhere else");
    SendCommand(CMD_READ_SIZE);
    DWORD start = GetTickCount();
    while (tv::CountEntries("Thread () OK") == 0 && GetTickCount() - start < 10000)
        Sleep(5);
    ASSERT_EQ(tv::CountEntries("Thread () OK"), 1)
        << "the scan did not end while this thread served nothing";
    EXPECT_FALSE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE);
    // Its results wait in the queue; a stop now makes them stale, and they change nothing.
    StopScan();
    tv::PumpMessages(true);
    EXPECT_EQ(SizeOf("F"), 0) << "a stale result was written";
    EXPECT_NE(mcfg.sort_column, 1) << "a stale end re-sorted";
    std::vector<std::string> expected = {"TOP: size:0", "END: size:5", "OK ..."};
    EXPECT_EQ(ThreadLines(), expected);
}

TEST_F(SizeScan, TreeSelectionsQueuedDuringAHugeScanEachReadTheirOwnFolder) {
    slow_tree_.reset(new tv::TempTree("huge"));
    const tv::TempTree& tree = *slow_tree_;
    tree.file("X\\x.txt", "x");
    tree.file("Y\\y1.txt", "y");
    tree.file("Y\\y2.txt", "yy");
    tree.dir("Huge");
    slow_path_ = tree.path("Huge");
    slow_unix_ = UnixPath(slow_path_);
    ASSERT_FALSE(slow_unix_.empty());
    // The marker goes beside the huge folder: a look-up inside it costs a listing.
    std::string marker = tree.path("made");
    ASSERT_TRUE(tv::RunLinux(
        "/bin/sh -c \"cd '" + slow_unix_ + "' && seq 1 200000 | xargs touch && : > ../made\"",
        [&] { return Exists(marker); }, 180000));
    StartApp(tree.root().c_str());
    HTREEITEM shown = mtvw.Caret();
    HTREEITEM x = mtvw.FindChild(shown, "X"), y = mtvw.FindChild(shown, "Y");
    ASSERT_TRUE(x && y);

    SendCommand(CMD_READ_SIZE);
    ASSERT_EQ(mcfg.scanning, 1);
    // Two quick clicks, queued as the platform queues them; each is served in its turn.
    PostMessageA(mtvw.hwnd, TVM_SELECTITEM, TVGN_CARET, (LPARAM)x);
    PostMessageA(mtvw.hwnd, TVM_SELECTITEM, TVGN_CARET, (LPARAM)y);
    std::string y_path = tree.path("Y");
    ASSERT_TRUE(
        Until([&] { return std::string(panel.folder) == y_path && mcfg.scanning == 0; }, 60000));
    tv::PumpMessages(true);
    EXPECT_EQ(std::string(mcbx.GetText()), y_path);
    EXPECT_EQ(std::string(mtvw.ItemPath(mtvw.Caret())), y_path);
    std::vector<std::string> names = ViewNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"y1.txt", "y2.txt"}));
    EXPECT_EQ(mcfg.size, 3);
    EXPECT_FALSE(mcfg.find_mode);
    // The huge folder's scan was stopped inside its walk: no total and no END line for it.
    std::vector<std::string> lines = ThreadLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "TOP: size:0");
    EXPECT_EQ(lines[1], "TOP: size:0") << "the first scan ran to its end";
    mcfg.size_mode = 0;
}

TEST_F(SizeScan, AHeaderClickKeepsTheScanAndTheDriveViewOrAFindMeasuresNothingLeftBehind) {
    const tv::TempTree* slow = MakeSlowTree();
    ASSERT_NE(slow, nullptr);
    const tv::TempTree& tree = *slow;
    StartApp(tree.root().c_str());
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return SizeOf("A") == 11; }));
    ASSERT_EQ(mcfg.scanning, 1) << "the scan ended before the test could click";
    // A click on the Name header orders the view anew; the scan goes on to its total.
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = mlvw.hwnd;
    click.hdr.idFrom = GetDlgCtrlID(mlvw.hwnd);
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 0;
    SendMessageA(mwin.hwnd, WM_NOTIFY, click.hdr.idFrom, (LPARAM)&click);
    ASSERT_TRUE(Until([&] { return ScanFinished(1) && mcfg.sort_column == 1; }, 60000));
    EXPECT_EQ(mcfg.size, 41);
    EXPECT_TRUE(mcfg.size_mode);

    // The drive view shows no folder: Read Folder Size there measures nothing.
    SendCommand(CMD_READ_SIZE);  // off
    mtvw.Select(mtvw.Root());
    tv::PumpMessages(true);
    int ends = tv::CountEntries("Thread () END");
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([&] { return ScanFinished(2); }));
    EXPECT_EQ(tv::CountEntries("Thread () END"), ends) << "the folder left behind was measured";
    EXPECT_EQ(mcfg.size, 0);

    // Find leaves size mode, and the button follows.
    ASSERT_TRUE(Navigate(tree.path("A").c_str()));
    ASSERT_TRUE(Until([&] { return mcfg.scanning == 0; }));
    EXPECT_TRUE(SendMessageA(mtbr.hwnd, TB_ISBUTTONPRESSED, CMD_READ_SIZE, 0));
    mcby.SetText("a.dat");
    ASSERT_TRUE(tv::FindAndWait());
    EXPECT_FALSE(mcfg.size_mode);
    EXPECT_FALSE(SendMessageA(mtbr.hwnd, TB_ISBUTTONPRESSED, CMD_READ_SIZE, 0));
}
