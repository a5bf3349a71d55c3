#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/e2e/program.h"
#include "tests/support/testenv.h"

TEST(EndToEnd, StartsWithAFolderLogsItsStartAndEndsOnExit) {
    tv::TempTree tree("e2e");
    tree.file("a.txt", "alpha");
    tree.dir("sub");
    tv::Program program(tree.root());
    ASSERT_TRUE(program.started);
    HWND main = program.window();
    ASSERT_NE(main, nullptr);

    // The log is complete up to the message loop once the window answers messages.
    ASSERT_TRUE(tv::WaitUntil([] { return tv::FindEntry(tv::LogEntries(), "WinMain () MSG") >= 0; },
                              20000));
    std::string log = tv::ReadLog();
    EXPECT_EQ(log.rfind("Logfile created by trelvista.exe:\nWindows Version: ", 0), 0u);
    auto entries = tv::LogEntries();
    int at = 0;
    // The start folder is read while the tree is built: the sort's layout, Show and Sort
    // lines, then Read's, then Init's own.
    for (const char* line : {"WinMain () RUN", "mtbr () OK", "mcbx () OK", "mcby () OK",
                             "mbtn () OK", "mtvw () OK", "mlvw () OK", "Size () OK", "Show () OK",
                             "Sort () OK", "Read () OK", "Init () OK", "WinMain () MSG"}) {
        int found = tv::FindEntry(entries, line, at);
        EXPECT_GE(found, at) << line;
        if (found >= 0) at = found + 1;
    }

    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
    DWORD code = 1;
    GetExitCodeProcess(program.pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "WinMain () END"), 0);
}

TEST(EndToEnd, ASecondStartReplacesTheLog) {
    {
        tv::Program first("");
        ASSERT_TRUE(first.started);
        HWND main = first.window();
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
        ASSERT_TRUE(first.ended(20000));
    }
    tv::Program second("");
    ASSERT_TRUE(second.started);
    HWND main = second.window();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(tv::WaitUntil([] { return tv::FindEntry(tv::LogEntries(), "WinMain () MSG") >= 0; },
                              20000));
    auto entries = tv::LogEntries();
    int runs = 0;
    for (const std::string& e : entries)
        runs += e.rfind("WinMain () RUN", 0) == 0;
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(tv::FindEntry(entries, "WinMain () END"), -1);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(second.ended(20000));
}
