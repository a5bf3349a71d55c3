// trelvista.exe on a screen of 150% (144 DPI), which the platform reads when a process starts,
// inspected from this process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "tests/e2e/program.h"
#include "tests/support/place.h"
#include "tests/support/testenv.h"

namespace {

const char kDesktop[] = "Control Panel\\Desktop";

// The screen's DPI for the processes started while this lives (HKCU\Control Panel\Desktop
// value LogPixels); the value that was there, or its absence, is put back at the end, also
// when the test fails.
class ScreenDpi {
  public:
    explicit ScreenDpi(DWORD dpi) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD type = 0, size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, &type, (BYTE*)&old_, &size) ==
                   ERROR_SUCCESS &&
               type == REG_DWORD;
        set_ = RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, (const BYTE*)&dpi, sizeof dpi) ==
               ERROR_SUCCESS;
    }
    ~ScreenDpi() {
        if (!key_) return;
        if (had_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, (const BYTE*)&old_, sizeof old_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    bool set() const { return set_; }

  private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false, set_ = false;
};

}  // namespace

TEST(EndToEnd, AtOneHundredAndFiftyPercentTheWindowIsHalfAsLargeAgain) {
    tv::TempTree tree("dpi");
    tree.file("a.txt", "a");
    tree.file("b.txt", "b");
    ScreenDpi screen(144);
    ASSERT_TRUE(screen.set());
    tv::Program program(tree.root());
    ASSERT_TRUE(program.started);
    HWND main = program.ready();
    ASSERT_NE(main, nullptr);
    HWND list = GetDlgItem(main, ID_LIST), tree_view = GetDlgItem(main, ID_TREE);
    HWND toolbar = GetDlgItem(main, ID_TOOLBAR);
    HWND path_box = GetDlgItem(toolbar, ID_PATHBOX), search_box = GetDlgItem(main, ID_SEARCHBOX);
    HWND attribute_a = GetDlgItem(toolbar, CMD_ATTR_A);
    ASSERT_TRUE(list && tree_view && path_box && search_box && attribute_a);
    ASSERT_TRUE(tv::WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }));

    RECT client = {};
    GetClientRect(main, &client);
    int W = client.right, B = client.bottom;
    // The splitter starts at 300 pixels at 96 DPI: 450 here, and every strip follows.
    tv::ExpectPlace(tree_view, 0, 42, 450, B - 84, "tree");
    tv::ExpectPlace(list, 455, 42, W - 455, B - 63, "list");
    tv::ExpectPlace(toolbar, 0, 0, W, 39, "toolbar");
    tv::ExpectPlace(path_box, 455, 3, W - 455, -1, "path box");
    tv::ExpectPlace(search_box, 45, B - 36, 405, -1, "search box");
    tv::ExpectPlace(attribute_a, 135, 6, 45, 27, "attribute button A");
    const int widths[5] = {300, 150, 180, 150, 150};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0), widths[i]) << "column " << i;
    // With no stored settings the window's first size grows with the DPI: the list shows
    // Name, Size and Type whole, as it does at 100 % on this screen.
    RECT list_client = {};
    GetClientRect(list, &list_client);
    EXPECT_GE(list_client.right, widths[0] + widths[1] + widths[2]);

    // The fonts, seen through what they make (another process cannot read them): the boxes'
    // lines are as tall as their font's cells, 13 pixels at 96 DPI and 20 here, and the
    // tree's rows hold the UI font's cells of 24 pixels (16 at 96 DPI).
    EXPECT_EQ(SendMessageA(path_box, CB_GETITEMHEIGHT, 0, 0), 20);
    EXPECT_EQ(SendMessageA(search_box, CB_GETITEMHEIGHT, 0, 0), 20);
    EXPECT_GE(SendMessageA(tree_view, TVM_GETITEMHEIGHT, 0, 0), 24);

    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    EXPECT_TRUE(program.ended(20000));
}
