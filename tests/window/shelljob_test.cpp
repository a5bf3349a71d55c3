// A shell job runs beside the window: while a long copy runs the window paints and answers,
// runs no command and takes no drop, and a close waits until the copy has ended and been
// checked.
#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

unsigned long long SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

class ShellJobs : public tv::AppTest {
  protected:
    tv::TempTree tree_{"job"};
};

}  // namespace

TEST_F(ShellJobs, ALongPasteLeavesTheWindowAnsweringRunsNothingMeanwhileAndThenCloses) {
    // Sparse here, written whole by the copy: long enough under Wine for many pings.
    const unsigned long long size = 1ull << 30;
    tree_.sized_file("From\\big.bin", (long long)size);
    tree_.file("From\\dropped.txt", "d");
    std::string to = tree_.dir("To");
    StartApp(tree_.path("From").c_str());
    tv::SelectNames({"big.bin"});
    SendCommand(CMD_COPY, 1);
    ReadPath(to.c_str());

    HWND window = mwin.hwnd;
    std::atomic<bool> pasted{false};
    int answered = 0, missed = 0;
    bool painted = false;
    // Another thread, as another program would: while the job runs
    // it posts a command, a drop and a close, has the list painted, and pings the window.
    std::thread other([&] {
        if (!tv::WaitUntil([&] { return ShellJobRunning() || pasted; }, 30000)) return;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_NEW_FOLDER, 0), 0);
        PostMessageA(mlvw.hwnd, WM_DROPFILES, (WPARAM)tv::DropOf(tree_.path("From\\dropped.txt")), 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
        InvalidateRect(mlvw.hwnd, nullptr, FALSE);
        while (!pasted && ShellJobRunning()) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result))
                answered++;
            else
                missed++;
            if (ShellJobRunning() && !GetUpdateRect(mlvw.hwnd, nullptr, FALSE)) painted = true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    });
    SendCommand(CMD_PASTE, 1);
    pasted = true;
    other.join();

    EXPECT_GE(answered, 3) << "the job ended before the window could be pinged";
    // A frozen window answers none; the machine's other load may hold back one now and then.
    EXPECT_LE(missed * 50, answered)
        << missed << " pings missed the 100 ms, " << answered << " answered";
    EXPECT_TRUE(painted) << "the list was not painted while the job ran";
    EXPECT_EQ(SizeOf(to + "\\big.bin"), size);
    auto log = tv::LogEntries();
    EXPECT_GE(tv::FindEntry(log, "Paste () " + to + " OK"), 0);
    EXPECT_GE(tv::FindEntry(log, "Command (212) refused"), 0);
    EXPECT_GE(tv::FindEntry(log, "Drop () refused"), 0);
    EXPECT_GE(tv::FindEntry(log, "Close () waits: a job or a dialog is open"), 0);
    EXPECT_FALSE(tv::RowOf("New Folder") >= 0 || tv::RowOf("dropped.txt") >= 0);
    EXPECT_TRUE(IsWindowEnabled(window));
    // The close asked meanwhile comes now that the copy has ended and been checked.
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(Until([&] { return !IsWindow(window); }));
}
