#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/support/testenv.h"

namespace {

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.rfind('\\'));
}

// trelvista.exe, started as a user starts it, with a tail on its command line.
struct Program {
    PROCESS_INFORMATION pi = {};
    bool started = false;

    explicit Program(const std::string& tail) {
        std::string command = "\"" + ExeFolder() + "\\trelvista.exe\"";
        if (!tail.empty()) command += " " + tail;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi) != 0;
    }
    ~Program() {
        if (!started) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    HWND window(DWORD timeout_ms = 20000) const {
        return tv::WaitForWindow("CWin", "Trelvista", timeout_ms, pi.dwProcessId);
    }
    bool ended(DWORD timeout_ms) const {
        return WaitForSingleObject(pi.hProcess, timeout_ms) == WAIT_OBJECT_0;
    }
};

}  // namespace

TEST(EndToEnd, StartsWithAFolderLogsItsStartAndEndsOnExit) {
    tv::TempTree tree("e2e");
    tree.file("a.txt", "alpha");
    tree.dir("sub");
    Program program(tree.root());
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
        Program first("");
        ASSERT_TRUE(first.started);
        HWND main = first.window();
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
        ASSERT_TRUE(first.ended(20000));
    }
    Program second("");
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
