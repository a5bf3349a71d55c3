#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>

#include "res/resource.h"
#include "tests/e2e/program.h"
#include "tests/support/testenv.h"

namespace {

std::string TextOf(HWND h) {
    char text[MAX_PATH] = {};
    SendMessageA(h, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

std::string TempFolder() {
    std::string log = tv::LogPath();
    return log.substr(0, log.rfind('\\'));
}

void Exit(HWND main, const tv::Program& program) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
}

}  // namespace

TEST(EndToEnd, APathTypedIntoThePathBoxOpensOnEnter) {
    tv::TempTree tree("typed");
    tree.dir("Letters\\Old");
    tree.file("Letters\\to-anna.txt", "Dear Anna");
    tv::Program program("");
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);
    HWND toolbar = GetDlgItem(main, ID_TOOLBAR);
    HWND path_box = GetDlgItem(toolbar, ID_PATHBOX);
    HWND edit = FindWindowExA(path_box, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(TextOf(path_box), "C:");

    // The keys arrive as a user's would: through the program's message loop.
    std::string typed = tree.path("Letters") + "\\";
    SendMessageA(path_box, WM_SETTEXT, 0, (LPARAM)typed.c_str());
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(edit, WM_CHAR, VK_RETURN, 1);
    std::string folder = tree.path("Letters");
    EXPECT_TRUE(tv::WaitUntil([&] { return TextOf(path_box) == folder; }, 20000))
        << TextOf(path_box);
    HWND list = GetDlgItem(main, ID_LIST);
    EXPECT_TRUE(
        tv::WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, 20000));
    Exit(main, program);
}

TEST(EndToEnd, TheFindButtonListsMatchesAndWritesFindTxt) {
    tv::TempTree tree("findbutton");
    tree.file("notes.txt", "the grand total is 42\n");
    tree.file("sub\\report.txt", "total: 7\n");
    tree.file("sub\\other.txt", "nothing here\n");
    std::string result = TempFolder() + "\\find.txt";
    DeleteFileA(result.c_str());

    tv::Program program(tree.root());
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);
    HWND search_box = GetDlgItem(main, ID_SEARCHBOX);
    HWND button = GetDlgItem(main, ID_FINDBUTTON);
    ASSERT_NE(search_box, nullptr);
    ASSERT_NE(button, nullptr);
    SendMessageA(search_box, WM_SETTEXT, 0, (LPARAM) "{total}");
    SendMessageA(button, BM_CLICK, 0, 0);

    EXPECT_TRUE(tv::WaitUntil([&] { return !tv::ReadFile(result).empty(); }, 20000));
    std::string text = tv::ReadFile(result);
    std::string lines;
    for (char c : text)
        if (c != '\r') lines.push_back(c);
    // Full paths, in the list's order by name.
    EXPECT_EQ(lines, tree.path("notes.txt") + "\n" + tree.path("sub\\report.txt") + "\n");
    HWND list = GetDlgItem(main, ID_LIST);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Find (" + tree.root() + ",,total) OK"), 0);
    Exit(main, program);
}
