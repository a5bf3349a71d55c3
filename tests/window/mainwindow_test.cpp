#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"
#include "tests/support/place.h"

namespace {

std::string ClassOf(HWND h) {
    char name[256] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

std::string TextOf(HWND h) {
    char text[512] = {};
    GetWindowTextA(h, text, sizeof text);
    return text;
}

using tv::ExpectPlace;
using tv::PlaceOf;

std::string MenuText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// What each window was created with, seen by a hook before the control could adjust its
// own style (list, tree and combo boxes manage their scroll bars and border themselves).
struct Created {
    HWND hwnd;
    HWND parent;
    DWORD style;
    DWORD ex_style;
};
std::vector<Created> created;

LRESULT CALLBACK RecordCreation(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = ((CBT_CREATEWNDA*)lparam)->lpcs;
        created.push_back({(HWND)wparam, cs->hwndParent, (DWORD)cs->style, cs->dwExStyle});
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

const Created* CreationOf(HWND h) {
    for (const Created& c : created)
        if (c.hwnd == h) return &c;
    return nullptr;
}

// Resizes the main window so that its client area is width x height.
void SetClientSize(int width, int height) {
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, GetWindowLongA(mwin.hwnd, GWL_STYLE), TRUE,
                       GetWindowLongA(mwin.hwnd, GWL_EXSTYLE));
    SetWindowPos(mwin.hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(mwin.hwnd, &client);
    // A menu bar that wraps changes the client height; size once more by the difference.
    if (client.bottom != height) {
        GetWindowRect(mwin.hwnd, &r);
        SetWindowPos(mwin.hwnd, nullptr, 0, 0, r.right - r.left,
                     r.bottom - r.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
}

// The cell height of a control's font (its description's lfHeight); 0 without one.
int FontHeight(HWND h) {
    LOGFONTA lf = {};
    HFONT font = (HFONT)SendMessageA(h, WM_GETFONT, 0, 0);
    return font && GetObjectA(font, sizeof lf, &lf) ? lf.lfHeight : 0;
}

int WindowHeight(HWND h) {
    RECT r = {};
    GetWindowRect(h, &r);
    return r.bottom - r.top;
}

class MainWindow : public tv::AppTest {};

}  // namespace

TEST_F(MainWindow, HasItsClassCaptionAndElevenControls) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
    StartApp();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(ClassOf(mwin.hwnd), "CWin");
    EXPECT_EQ(TextOf(mwin.hwnd), "Trelvista");
    EXPECT_EQ(GetWindowLongA(mwin.hwnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);

    struct Expected {
        HWND hwnd;
        const char* cls;
        int id;
        HWND parent;
        DWORD style;
        DWORD ex_style;
    } controls[] = {
        {mtbr.hwnd, "ToolbarWindow32", ID_TOOLBAR, mwin.hwnd, 0x50000910, 0},
        {mbta.hwnd, "Button", CMD_ATTR_A, mtbr.hwnd, 0x50000002, 0},
        {mbth.hwnd, "Button", CMD_ATTR_H, mtbr.hwnd, 0x50000002, 0},
        {mbtr.hwnd, "Button", CMD_ATTR_R, mtbr.hwnd, 0x50000002, 0},
        {mbts.hwnd, "Button", CMD_ATTR_S, mtbr.hwnd, 0x50000002, 0},
        {mcbx.hwnd, "ComboBox", ID_PATHBOX, mtbr.hwnd, 0x50800042, 0},
        {mcby.hwnd, "ComboBox", ID_SEARCHBOX, mwin.hwnd, 0x50800002, 0},
        {mbtn.hwnd, "Button", ID_FINDBUTTON, mwin.hwnd, 0x5000C080, 0},
        {mtvw.hwnd, "SysTreeView32", ID_TREE, mwin.hwnd, 0x50200027, WS_EX_CLIENTEDGE},
        {mlvw.hwnd, "SysListView32", ID_LIST, mwin.hwnd, 0x50201241, WS_EX_CLIENTEDGE},
    };
    for (const Expected& c : controls) {
        ASSERT_NE(c.hwnd, nullptr) << c.cls << " " << c.id;
        EXPECT_STRCASEEQ(ClassOf(c.hwnd).c_str(), c.cls) << c.id;
        EXPECT_EQ(GetDlgCtrlID(c.hwnd), c.id) << c.cls;
        EXPECT_EQ(GetParent(c.hwnd), c.parent) << c.cls << " " << c.id;
        const Created* made = CreationOf(c.hwnd);
        ASSERT_NE(made, nullptr) << c.cls;
        EXPECT_EQ(made->style, c.style) << c.cls << " " << c.id << std::hex << " " << made->style;
        EXPECT_EQ(made->ex_style, c.ex_style) << c.cls << " " << c.id;
    }
    ASSERT_NE(mtip.hwnd, nullptr);
    EXPECT_STRCASEEQ(ClassOf(mtip.hwnd).c_str(), "tooltips_class32");
    const Created* tip = CreationOf(mtip.hwnd);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->parent, mbtn.hwnd);
    EXPECT_EQ(tip->style, 0x80000043u);
    EXPECT_STREQ(mtip.text, "Enter filename with optional {text} to find. Then press this button.");
    EXPECT_EQ(SendMessageA(mtip.hwnd, TTM_GETTOOLCOUNT, 0, 0), 1);

    EXPECT_EQ(TextOf(mbta.hwnd), "A");
    EXPECT_EQ(TextOf(mbth.hwnd), "H");
    EXPECT_EQ(TextOf(mbtr.hwnd), "R");
    EXPECT_EQ(TextOf(mbts.hwnd), "S");
    EXPECT_EQ(TextOf(mcbx.hwnd), "C:");

    // Toolbar: Back, Read, separator, Read Folder Size, separator.
    ASSERT_EQ(SendMessageA(mtbr.hwnd, TB_BUTTONCOUNT, 0, 0), 5);
    const int commands[5] = {CMD_BACK, CMD_READ, 0, CMD_READ_SIZE, 0};
    const int images[5] = {0, 1, -1, 2, -1};
    for (int i = 0; i < 5; i++) {
        TBBUTTON b = {};
        SendMessageA(mtbr.hwnd, TB_GETBUTTON, i, (LPARAM)&b);
        EXPECT_EQ(b.idCommand, commands[i]) << i;
        if (images[i] >= 0) {
            EXPECT_EQ(b.iBitmap, images[i]) << i;
            EXPECT_TRUE(b.fsState & TBSTATE_ENABLED) << i;
        } else {
            EXPECT_TRUE(b.fsStyle & BTNS_SEP) << i;
        }
    }
    HIMAGELIST toolbar_images = (HIMAGELIST)SendMessageA(mtbr.hwnd, TB_GETIMAGELIST, 0, 0);
    EXPECT_EQ(ImageList_GetImageCount(toolbar_images), 3);
    HIMAGELIST tree_images = (HIMAGELIST)SendMessageA(mtvw.hwnd, TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
    EXPECT_EQ(ImageList_GetImageCount(tree_images), 6);
    EXPECT_GE(SendMessageA(mtvw.hwnd, TVM_GETITEMHEIGHT, 0, 0), 18);
    EXPECT_NE(SendMessageA(mbtn.hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ((HFONT)SendMessageA(mtvw.hwnd, WM_GETFONT, 0, 0), mcfg.font.get());
    EXPECT_EQ((HFONT)SendMessageA(mlvw.hwnd, WM_GETFONT, 0, 0), mcfg.font.get());
    EXPECT_TRUE(GetWindowLongA(mlvw.hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(MainWindow, MenuHoldsEveryItemWithItsInitialState) {
    StartApp();
    HMENU bar = GetMenu(mwin.hwnd);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(MenuText(bar, 0), "&File");
    EXPECT_EQ(MenuText(bar, 1), "&View");
    EXPECT_EQ(MenuText(bar, 2), "&?");

    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 23);
    struct Item {
        int id;  // 0: separator
        const char* text;
        UINT state;
    } items[] = {{CMD_UNDO, "Undo\tStrg+Z", MF_GRAYED},
                 {0, "", 0},
                 {CMD_FIND, "Find\tStrg+F", 0},
                 {0, "", 0},
                 {CMD_CUT, "Cut\tStrg+X", 0},
                 {CMD_COPY, "Copy\tStrg+C", 0},
                 {CMD_PASTE, "Paste\tStrg+V", MF_GRAYED},
                 {CMD_DELETE, "Delete\tDel", 0},
                 {0, "", 0},
                 {CMD_RENAME, "Rename", MF_GRAYED},
                 {0, "", 0},
                 {CMD_PROPERTIES, "Properties\tStrg+P", MF_GRAYED},
                 {0, "", 0},
                 {CMD_WALLPAPER, "Set as Wallpaper", 0},
                 {0, "", 0},
                 {CMD_READ_SIZE, "Read Folder Size", 0},
                 {0, "", 0},
                 {CMD_NEW_CMD, "New Cmd Window here", 0},
                 {0, "", 0},
                 {CMD_NEW_FILE, "New File", 0},
                 {CMD_NEW_FOLDER, "New Folder", 0},
                 {0, "", 0},
                 {CMD_EXIT, "Exit", 0}};
    for (int i = 0; i < 21; i++) {
        UINT state = GetMenuState(file, i, MF_BYPOSITION);
        if (items[i].id == 0) {
            EXPECT_TRUE(state & MF_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ((int)GetMenuItemID(file, i), items[i].id) << i;
        EXPECT_EQ(MenuText(file, i), items[i].text) << i;
        EXPECT_EQ(state & MF_GRAYED, items[i].state) << i;
    }

    HMENU view = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(view), 8);
    const int view_ids[8] = {CMD_UNIT_B, CMD_UNIT_KB, CMD_UNIT_MB, CMD_UNIT_GB,
                             0,          CMD_PREVIEW, 0,           CMD_SETTINGS};
    const char* view_texts[8] = {"Size in B",  "Size in KB", "Size in MB",
                                 "Size in GB", "",           "Image Preview\tStrg+I",
                                 "",           "Settings"};
    for (int i = 0; i < 8; i++) {
        if (!view_ids[i]) continue;
        EXPECT_EQ((int)GetMenuItemID(view, i), view_ids[i]) << i;
        EXPECT_EQ(MenuText(view, i), view_texts[i]) << i;
    }
    EXPECT_TRUE(GetMenuState(view, CMD_UNIT_KB, MF_BYCOMMAND) & MF_CHECKED);

    HMENU help = GetSubMenu(bar, 2);
    ASSERT_EQ(GetMenuItemCount(help), 2);
    EXPECT_EQ((int)GetMenuItemID(help, 0), CMD_HELP);
    EXPECT_EQ(MenuText(help, 0), "Help");
    EXPECT_EQ((int)GetMenuItemID(help, 1), CMD_INFO);
    EXPECT_EQ(MenuText(help, 1), "Info");
}

TEST_F(MainWindow, LayoutFollowsTheClientSizeAndTheModes) {
    StartApp();
    SetClientSize(1000, 600);
    EXPECT_EQ(mcfg.list_width, 697);
    // The toolbar keeps its own height and spans its parent's width.
    ExpectPlace(mtbr.hwnd, 0, 0, 1000, -1, "toolbar");
    ExpectPlace(mcbx.hwnd, 303, 2, 697, -1, "path box");
    ExpectPlace(mcby.hwnd, 30, 576, 270, -1, "search box");
    ExpectPlace(mbtn.hwnd, 5, 578, 20, 18, "find button");
    ExpectPlace(mtvw.hwnd, 0, 28, 300, 544, "tree");
    ExpectPlace(mbta.hwnd, 90, 4, 30, 18, "A");
    ExpectPlace(mbts.hwnd, 180, 4, 30, 18, "S");

    // At start the drive view is on: the list has no height.
    ASSERT_EQ(mcfg.drives_mode, 1);
    ExpectPlace(mlvw.hwnd, 303, 28, 697, 0, "list in drives mode");
    EXPECT_EQ(mcfg.chart_top, 28);

    mcfg.drives_mode = 0;
    SendMessageA(mwin.hwnd, WM_SIZE, 0, 0);
    ExpectPlace(mlvw.hwnd, 303, 28, 697, 558, "list");
    EXPECT_EQ(mcfg.chart_top, 586);
    // A repaint of the status line leaves the controls beside it alone.
    RedrawWindow(mwin.hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    AskPaint();
    EXPECT_FALSE(GetUpdateRect(mlvw.hwnd, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(mtvw.hwnd, nullptr, FALSE));

    mcfg.preview = 1;
    SendMessageA(mwin.hwnd, WM_SIZE, 0, 0);
    ExpectPlace(mlvw.hwnd, 303, 28, 697, 279, "list in preview mode");
    EXPECT_EQ(mcfg.chart_top, 307);
    mcfg.preview = 0;
}

TEST_F(MainWindow, WritesTheFontBackAndLogsStartUpInOrder) {
    StartApp();
    EXPECT_EQ(reg_.get_string("fn"), "Tahoma");
    EXPECT_EQ(reg_.get_string("fs"), "16");
    EXPECT_STREQ(mcfg.logfont.lfFaceName, "Tahoma");
    EXPECT_EQ(mcfg.logfont.lfHeight, 16);
    EXPECT_NE(mcfg.font.get(), nullptr);
    EXPECT_NE(mcfg.size_cursor, nullptr);

    std::string log = tv::ReadLog();
    EXPECT_EQ(log.rfind("Logfile created by trelvista.exe:\nWindows Version: ", 0), 0u);
    auto entries = tv::LogEntries();
    int at = 0;
    for (const char* line : {"WinMain () RUN ...", "mtbr () OK ...", "mcbx () OK ...",
                             "mcby () OK ...", "mbtn () OK ...", "mtvw () OK ...", "mlvw () OK ...",
                             "Init () OK ...", "WinMain () MSG ..."}) {
        int found = tv::FindEntry(entries, line, at);
        EXPECT_GE(found, at) << line;
        if (found >= 0) at = found + 1;
    }
}

TEST_F(MainWindow, StoredWindowPlaceIsUsed) {
    reg_.set_dword("xo", 20);
    reg_.set_dword("yo", 30);
    reg_.set_dword("xs", 640);
    reg_.set_dword("ys", 480);
    StartApp();
    RECT r;
    GetWindowRect(mwin.hwnd, &r);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
}

TEST_F(MainWindow, AMoveToAScreenOf144DpiScalesTheWindowAndAMoveBackUndoesIt) {
    tv::TempTree tree("dpi");
    tree.file("a.txt", "a");
    StartApp(tree.root().c_str());
    ASSERT_EQ(mcfg.dpi, 96);
    ASSERT_EQ(mlvw.columns, 5);
    const int widths[5] = {200, 100, 120, 100, 100};
    int toolbar_height = WindowHeight(mtbr.hwnd), row_height = mtvw.ItemHeight();
    HFONT ui_font = mcfg.font.get(), box_font = (HFONT)SendMessageA(mcbx.hwnd, WM_GETFONT, 0, 0);

    // What the system sends: the new DPI in both halves and the rectangle it suggests.
    RECT suggested = {40, 30, 40 + 1200, 30 + 800};
    SendMessageA(mwin.hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), (LPARAM)&suggested);
    RECT r = {};
    GetWindowRect(mwin.hwnd, &r);
    EXPECT_TRUE(EqualRect(&r, &suggested));
    EXPECT_EQ(mcfg.dpi, 144);
    EXPECT_EQ(mcfg.tree_width, 450);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(mlvw.ColumnWidth(i), widths[i] * 3 / 2) << "column " << i;
    EXPECT_EQ(FontHeight(mtvw.hwnd), 24);
    EXPECT_EQ(FontHeight(mlvw.hwnd), 24);
    for (HWND small : {mbta.hwnd, mbts.hwnd, mcbx.hwnd, mcby.hwnd})
        EXPECT_EQ(FontHeight(small), 20);
    // The fonts replaced are gone, not left behind at every change.
    LOGFONTA lf = {};
    EXPECT_EQ(GetObjectA(ui_font, sizeof lf, &lf), 0);
    EXPECT_EQ(GetObjectA(box_font, sizeof lf, &lf), 0);
    EXPECT_EQ(WindowHeight(mtbr.hwnd), 39);
    EXPECT_GT(mtvw.ItemHeight(), row_height);
    RECT client = {};
    GetClientRect(mwin.hwnd, &client);
    ExpectPlace(mtvw.hwnd, 0, 42, 450, client.bottom - 84, "tree at 144");
    ExpectPlace(mlvw.hwnd, 455, 42, client.right - 455, client.bottom - 63, "list at 144");
    ExpectPlace(mcbx.hwnd, 455, 3, client.right - 455, -1, "path box at 144");
    ExpectPlace(mbth.hwnd, 180, 6, 45, 27, "H at 144");

    // Back on a screen of 96 DPI everything is as it was.
    suggested = {40, 30, 40 + 800, 30 + 600};
    SendMessageA(mwin.hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), (LPARAM)&suggested);
    EXPECT_EQ(mcfg.dpi, 96);
    EXPECT_EQ(mcfg.tree_width, 300);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(mlvw.ColumnWidth(i), widths[i]) << "column " << i;
    EXPECT_EQ(FontHeight(mlvw.hwnd), 16);
    EXPECT_EQ(FontHeight(mcby.hwnd), 13);
    EXPECT_EQ(WindowHeight(mtbr.hwnd), toolbar_height);
    EXPECT_EQ(mtvw.ItemHeight(), row_height);
    GetClientRect(mwin.hwnd, &client);
    ExpectPlace(mtvw.hwnd, 0, 28, 300, client.bottom - 56, "tree");
    ExpectPlace(mlvw.hwnd, 303, 28, client.right - 303, client.bottom - 42, "list");
    ExpectPlace(mbta.hwnd, 90, 4, 30, 18, "A");
}
