// trelvista.exe driven from another process: one Enter is one read, typed text redirects
// nothing, a file list pasted from another program is copied, and the tree's folder goes
// to the recycle bin after the shell's own confirmation.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "fileops/cshl.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "tests/e2e/program.h"
#include "tests/support/testenv.h"

namespace {

std::string TextOf(HWND h) {
    char text[MAX_PATH] = {};
    SendMessageA(h, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

int Reads() {
    int n = 0;
    for (const std::string& e : tv::LogEntries())
        if (e.rfind("Read () OK", 0) == 0) n++;
    return n;
}

using tv::Exists;

}  // namespace

TEST(EndToEndFiles, OneEnterIsOneReadOfTheFolderThatWasRead) {
    tv::TempTree tree("e2eenter");
    tree.file("A\\a1.txt", "1");
    tree.file("A\\a2.txt", "2");
    tree.file("B\\b.txt", "b");
    tv::Program program(tree.path("A"));
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);
    HWND path_box = GetDlgItem(GetDlgItem(main, ID_TOOLBAR), ID_PATHBOX);
    HWND list = GetDlgItem(main, ID_LIST);
    ASSERT_TRUE(tv::WaitUntil([&] { return Reads() >= 1; }, 20000));
    int reads = Reads();

    // B typed but not entered; one Enter in the list re-reads A, once.
    SendMessageA(path_box, WM_SETTEXT, 0, (LPARAM)tree.path("B").c_str());
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(list, WM_CHAR, VK_RETURN, 1);
    PostMessageA(list, WM_KEYUP, VK_RETURN, 0xC0000001);
    ASSERT_TRUE(tv::WaitUntil([&] { return Reads() == reads + 1; }, 20000));
    // The three messages are served by now: a WM_NULL sent after them returns after them.
    SendMessageA(main, WM_NULL, 0, 0);
    EXPECT_EQ(Reads(), reads + 1);
    EXPECT_EQ(TextOf(path_box), tree.path("A"));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
}

TEST(EndToEndFiles, PastesAnotherProgramsFileListAndBinsTheTreesFolder) {
    const char* xdg = getenv("XDG_DATA_HOME");
    ASSERT_TRUE(xdg && *xdg);
    std::string trash = std::string("Z:") + xdg + "/Trash/files";
    std::replace(trash.begin(), trash.end(), '/', '\\');
    tv::TempTree tree("e2epaste");
    std::string source = tree.file("from\\report.txt", "the report");
    tree.file("Doomed\\inside.txt", "i");
    tv::Program program(tree.path("Doomed"));
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(tv::PutFilesOnClipboard({source}));

    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_PASTE, 0), 0);
    std::string pasted = tree.path("Doomed\\report.txt");
    ASSERT_TRUE(tv::WaitUntil([&] { return tv::ReadFile(pasted) == "the report"; }, 20000));
    EXPECT_EQ(tv::ReadFile(source), "the report");
    // The window takes commands again once the paste has ended and been checked.
    std::string done = "Paste () " + tree.path("Doomed") + " OK";
    ASSERT_TRUE(tv::WaitUntil([&] { return tv::FindEntry(tv::LogEntries(), done) >= 0; }, 20000));

    // The pasted row is selected, as in the desktop shell. A click on the list's empty part
    // leaves no row selected: Delete then takes the folder of the tree, after the shell asks.
    HWND list = FindWindowExA(main, nullptr, "SysListView32", nullptr);
    ASSERT_NE(list, nullptr);
    RECT inside = {};
    GetClientRect(list, &inside);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, inside.bottom - 5));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, inside.bottom - 5));
    {
        tv::DialogPresser yes("Confirm folder deletion", 6, 20000);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_DELETE, 0), 0);
        EXPECT_TRUE(tv::WaitUntil([&] { return yes.pressed(); }, 20000));
    }
    ASSERT_TRUE(tv::WaitUntil([&] { return !Exists(tree.path("Doomed")); }, 20000));
    EXPECT_EQ(tv::ReadFile(trash + "\\Doomed\\report.txt"), "the report");
    HWND path_box = GetDlgItem(GetDlgItem(main, ID_TOOLBAR), ID_PATHBOX);
    EXPECT_TRUE(tv::WaitUntil([&] { return TextOf(path_box) == tree.root(); }, 20000));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
}

TEST(EndToEndFiles, NewCmdOpensAConsoleWindow) {
    // Started with no console, as the desktop starts it, so that the interpreter it starts
    // opens a window of its own. (The working folder is checked in the window tests, with a
    // stand-in for the interpreter that records it.)
    tv::TempTree tree("e2ecmd");
    tree.dir("Work");
    tv::Program program(tree.path("Work"), DETACHED_PROCESS);
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_NEW_CMD, 0), 0);
    HWND console = tv::WaitForWindow("WineConsoleClass", nullptr, 20000);
    if (!console) GTEST_SKIP() << "no console window class on this platform";
    EXPECT_TRUE(tv::WaitUntil([&] { return IsWindowVisible(console) != 0; }, 10000));
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Init () OK"), 0);
    // The interpreter and its console host end with the test: every child of the program,
    // and the owner of the window.
    DWORD host = 0;
    GetWindowThreadProcessId(console, &host);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != program.pi.dwProcessId && entry.th32ProcessID != host)
            continue;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(p, 0);
            CloseHandle(p);
        }
    }
    CloseHandle(snapshot);
    tv::WaitUntil([&] { return !IsWindow(console); }, 10000);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
}

namespace {

// The window answers a message sent from this process within half a second.
bool Answers(HWND main) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &result) != 0;
}

bool Logged(const std::string& prefix) {
    return tv::FindEntry(tv::LogEntries(), prefix) >= 0;
}

}  // namespace

TEST(EndToEndFiles, HostileClipboardListsPasteNothingAndNeverHoldTheWindow) {
    tv::TempTree tree("e2ehostile");
    std::string into = tree.dir("Into");
    std::string source = tree.file("from\\a.txt", "a");
    tv::Program program(into);
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);

    // Names outside the block, and a last name without its closing zero. The window reads
    // them with every tick and must keep answering; Paste refuses them and says why.
    DROPFILES header = {};
    header.pFiles = 0x7FFFFFF0;
    std::string outside((const char*)&header, sizeof header);
    outside += std::string(12, '\0');
    header.pFiles = sizeof header;
    std::string unended = std::string((const char*)&header, sizeof header) + source;
    for (const std::string& block : {outside, unended}) {
        ASSERT_TRUE(tv::PutClipboardBlock(block));
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_PASTE, 0), 0);
        EXPECT_TRUE(tv::WaitUntil([] { return Logged("Paste () refused"); }, 10000));
        EXPECT_TRUE(Answers(main));
    }

    // An owner that promises a list and never renders it: Paste gives up within a second.
    std::string said = tv::HelperOutput(tree.path("late.txt"));
    SetEnvironmentVariableA("TV_HELPER_LATE_CLIPBOARD", "30000");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + tv::HelperExe() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    SetEnvironmentVariableA("TV_HELPER_LATE_CLIPBOARD", nullptr);
    ASSERT_TRUE(tv::WaitUntil([&] { return !tv::ReadFile(said).empty(); }, 20000));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_PASTE, 0), 0);
    EXPECT_TRUE(tv::WaitUntil([] { return Logged("Paste () failed: the clipboard's owner"); },
                              10000));
    EXPECT_TRUE(Answers(main));
    // The user is told; while the given-up reader still holds the clipboard, another Paste
    // says the clipboard is busy and starts no reader.
    auto press_message = [&] {
        HWND box = tv::WaitForWindow("#32770", "Trelvista", 10000, program.pi.dwProcessId);
        if (box) PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return box != nullptr;
    };
    EXPECT_TRUE(press_message());
    EXPECT_TRUE(tv::WaitUntil([&] { return !tv::WaitForWindow("#32770", "Trelvista", 0, program.pi.dwProcessId); }, 10000));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_PASTE, 0), 0);
    EXPECT_TRUE(tv::WaitUntil([] { return Logged("Paste () refused: the clipboard is busy"); },
                              10000));
    EXPECT_TRUE(press_message());
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    EXPECT_TRUE(tv::WaitUntil([&] { return Answers(main); }, 10000));
    EXPECT_EQ(tv::ReadFile(tree.path("Into\\a.txt")), "") << "nothing was pasted";
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
}
