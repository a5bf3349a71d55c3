#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <cstring>
#include <string>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "app/wndproc.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "scan/scan.h"
#include "tests/support/app_fixture.h"

namespace {

HMENU MainMenu() { return GetMenu(mwin.hwnd); }
HMENU FileMenu() { return GetSubMenu(MainMenu(), 0); }
bool Checked(int id) { return (GetMenuState(MainMenu(), id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
bool Grayed(int id) { return (GetMenuState(MainMenu(), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

void Tick() { SendMessageA(mwin.hwnd, WM_TIMER, ID_TIMER, 0); }

LRESULT SendNotify(NMHDR& header) {
    return SendMessageA(mwin.hwnd, WM_NOTIFY, header.idFrom, (LPARAM)&header);
}

void SendMouse(UINT message, WPARAM keys, int x, int y) {
    SendMessageA(mwin.hwnd, message, keys, MAKELPARAM(x, y));
}

// The tree holds the root "Drives" with at least one drive below it once navigation has
// built it; until then the test builds the two items itself.
HTREEITEM FirstDrive() {
    if (!mtvw.Root()) {
        HTREEITEM root = mtvw.InsertItem("Drives", 0, nullptr, nullptr);
        mtvw.InsertItem("C:", 1, root, nullptr);
        mtvw.Expand(root, TVE_EXPAND);
    }
    return TreeView_GetChild(mtvw.hwnd, mtvw.Root());
}

// The list has at least `rows` rows: those of the folder read at start, or rows of the
// test's own while the folder reading is not built.
void EnsureRows(int rows) {
    if (ListView_GetItemCount(mlvw.hwnd) < rows) mlvw.SetItemCount(rows);
}

void SelectRow(int row, bool selected) {
    UINT state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    ListView_SetItemState(mlvw.hwnd, row, state, LVIS_SELECTED | LVIS_FOCUSED);
}

RECT WindowPlace(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, mwin.hwnd, (POINT*)&r, 2);
    return r;
}

// The centre of an item's text in tree coordinates.
POINT ItemCentre(HTREEITEM item) {
    RECT r = {};
    memcpy(&r, &item, sizeof item);
    SendMessageA(mtvw.hwnd, TVM_GETITEMRECT, TRUE, (LPARAM)&r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void EmptyClipboardNow() {
    if (OpenClipboard(mwin.hwnd)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

class WindowProcedure : public tv::AppTest {};

}  // namespace

TEST_F(WindowProcedure, ReadRebuildsTheTreeWhileTheRootIsSelectedAndReadsOtherwise) {
    StartApp();
    HTREEITEM drive = FirstDrive();
    mtvw.Select(mtvw.Root());
    int init = tv::CountEntries("Init ()"), read = tv::CountEntries("Read ()");
    SendCommand(CMD_READ);
    EXPECT_EQ(tv::CountEntries("Init ()"), init + 1);
    EXPECT_EQ(tv::CountEntries("Read ()"), read);

    // F5 in the tree arrives through the accelerator table as command 201.
    init = tv::CountEntries("Init ()");
    PostMessageA(mtvw.hwnd, WM_KEYDOWN, VK_F5, 0);
    EXPECT_TRUE(Until([&] { return tv::CountEntries("Init ()") == init + 1; }, 5000));

    drive = FirstDrive();
    mtvw.Select(drive);
    ASSERT_EQ(mtvw.Caret(), drive);
    init = tv::CountEntries("Init ()");
    read = tv::CountEntries("Read ()");
    SendCommand(CMD_READ);
    EXPECT_EQ(tv::CountEntries("Read ()"), read + 1);
    EXPECT_EQ(tv::CountEntries("Init ()"), init);
}

TEST_F(WindowProcedure, FindRunsForAClickMenuOrKeyButNotForTheButtonsFocusNotifications) {
    StartApp();
    FirstDrive();
    mtvw.Select(mtvw.Root());  // with the root selected, Find rebuilds the tree instead
    int init = tv::CountEntries("Init ()");
    SendCommand(CMD_FIND, 0);
    SendCommand(CMD_FIND, 1);
    EXPECT_EQ(tv::CountEntries("Init ()"), init + 2);
    SendCommand(CMD_FIND, BN_SETFOCUS);
    SendCommand(CMD_FIND, BN_KILLFOCUS);
    EXPECT_EQ(tv::CountEntries("Init ()"), init + 2);

    // A real click: the button takes the focus (code 6) and reports the click (code 0).
    FirstDrive();
    mtvw.Select(mtvw.Root());
    init = tv::CountEntries("Init ()");
    SendMessageA(mbtn.hwnd, BM_CLICK, 0, 0);
    tv::PumpMessages(true);
    EXPECT_EQ(tv::CountEntries("Init ()"), init + 1);
    SetFocus(mlvw.hwnd);  // the button's loss of focus (code 7) starts nothing either
    tv::PumpMessages(true);
    EXPECT_EQ(tv::CountEntries("Init ()"), init + 1);
}

TEST_F(WindowProcedure, ReadFolderSizeAndImagePreviewExcludeEachOther) {
    StartApp();
    mcfg.drives_mode = 0;
    SendMessageA(mwin.hwnd, WM_SIZE, 0, 0);
    RECT client;
    GetClientRect(mwin.hwnd, &client);
    int half = (client.bottom - 42) / 2 + 28, full = client.bottom - 42 + 28;
    auto pressed = [] {
        return SendMessageA(mtbr.hwnd, TB_ISBUTTONPRESSED, CMD_READ_SIZE, 0) != 0;
    };

    int scans = tv::CountEntries("Scan ()");
    SendCommand(CMD_READ_SIZE);
    EXPECT_EQ(mcfg.size_mode, 1);
    EXPECT_EQ(mcfg.preview, 0);
    EXPECT_TRUE(pressed());
    EXPECT_EQ(mcfg.chart_top, half);
    EXPECT_EQ(tv::CountEntries("Scan ()"), scans + 1);

    SendCommand(CMD_PREVIEW);
    EXPECT_EQ(mcfg.size_mode, 0);
    EXPECT_EQ(mcfg.preview, 1);
    EXPECT_FALSE(pressed());
    EXPECT_EQ(mcfg.chart_top, half);
    EXPECT_TRUE(Checked(CMD_PREVIEW));

    SendCommand(CMD_READ_SIZE);
    EXPECT_EQ(mcfg.size_mode, 1);
    EXPECT_EQ(mcfg.preview, 0);
    EXPECT_FALSE(Checked(CMD_PREVIEW));

    // Turning the mode off runs the scan routine as well, which stops a running scan.
    SendCommand(CMD_READ_SIZE);
    EXPECT_EQ(mcfg.size_mode, 0);
    EXPECT_FALSE(pressed());
    EXPECT_EQ(mcfg.chart_top, full);
    EXPECT_EQ(tv::CountEntries("Scan ()"), scans + 3);

    SendCommand(CMD_PREVIEW);
    SendCommand(CMD_PREVIEW);
    EXPECT_EQ(mcfg.preview, 0);
    EXPECT_EQ(mcfg.chart_top, full);
}

TEST_F(WindowProcedure, ImagePreviewInTheDriveViewOnlyLaysTheWindowOutAgain) {
    StartApp();
    ASSERT_EQ(mcfg.drives_mode, 1);
    SendCommand(CMD_READ_SIZE);
    ASSERT_EQ(mcfg.size_mode, 1);
    int sizes = tv::CountEntries("Size ()");
    SendCommand(CMD_PREVIEW);
    EXPECT_EQ(mcfg.preview, 0);
    EXPECT_EQ(mcfg.size_mode, 0);
    EXPECT_EQ(SendMessageA(mtbr.hwnd, TB_ISBUTTONPRESSED, CMD_READ_SIZE, 0), 0);
    EXPECT_EQ(tv::CountEntries("Size ()"), sizes + 1);
    EXPECT_EQ(mcfg.chart_top, 28);
    EXPECT_FALSE(Checked(CMD_PREVIEW));
}

TEST_F(WindowProcedure, UnitCommandsMoveTheCheckMarkAndRepaint) {
    StartApp();
    EXPECT_TRUE(Checked(CMD_UNIT_KB));
    for (int id = CMD_UNIT_B; id <= CMD_UNIT_GB; id++) {
        int paints = tv::CountEntries("Paint ()");
        SendCommand(id);
        EXPECT_EQ(mcfg.unit, id - CMD_UNIT_B);
        EXPECT_EQ(tv::CountEntries("Paint ()"), paints + 1) << id;
        for (int other = CMD_UNIT_B; other <= CMD_UNIT_GB; other++)
            EXPECT_EQ(Checked(other), other == id) << id << " " << other;
    }

    // The marks follow the state after any message, whoever changed it.
    mcfg.unit = 2;
    mcfg.preview = 1;
    SendMessageA(mwin.hwnd, WM_NULL, 0, 0);
    EXPECT_TRUE(Checked(CMD_UNIT_MB));
    EXPECT_FALSE(Checked(CMD_UNIT_GB));
    EXPECT_TRUE(Checked(CMD_PREVIEW));
    mcfg.preview = 0;
    SendMessageA(mwin.hwnd, WM_NULL, 0, 0);
    EXPECT_FALSE(Checked(CMD_PREVIEW));
}

TEST_F(WindowProcedure, AttributeButtonsSetTheirAttributeOrClearItWhenChecked) {
    StartApp();
    CBtn* buttons[4] = {&mbta, &mbth, &mbtr, &mbts};
    for (int i = 0; i < 4; i++) {
        ASSERT_NE(buttons[i]->hwnd, nullptr);
        // Unchecked: the click sets the attribute; SetAttr then shows the buttons afresh.
        SendCommand(CMD_ATTR_A + i);
        EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SetAttr (" + std::to_string(i + 1) + ") OK"), 0);
        // Checked: the click clears it.
        buttons[i]->SetCheck(1);
        SendCommand(CMD_ATTR_A + i);
        EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SetAttr (" + std::to_string(-(i + 1)) + ") OK"),
                  0);
        EXPECT_EQ(buttons[i]->GetCheck(), BST_UNCHECKED) << i;
    }
    // The buttons sit on the toolbar, which hands their clicks on to the main window.
    int before = 0;
    for (const std::string& e : tv::LogEntries())
        if (e.rfind("SetAttr (2) OK", 0) == 0) before++;
    SendMessageA(mbth.hwnd, BM_CLICK, 0, 0);
    tv::PumpMessages(true);
    int after = 0;
    for (const std::string& e : tv::LogEntries())
        if (e.rfind("SetAttr (2) OK", 0) == 0) after++;
    EXPECT_EQ(after, before + 1);
}

TEST_F(WindowProcedure, ExitPostsTheQuitMessage) {
    StartApp();
    SendCommand(CMD_HELP);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    SendCommand(CMD_EXIT);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(WindowProcedure, ColumnClicksFlipTheDirectionAlsoWhenTheColumnChanges) {
    StartApp();
    ASSERT_EQ(mcfg.sort_dir, 1);
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = mlvw.hwnd;
    click.hdr.idFrom = ID_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 1;  // Size
    SendNotify(click.hdr);
    EXPECT_EQ(mcfg.sort_column, 1);
    EXPECT_EQ(mcfg.sort_dir, 0);
    SendNotify(click.hdr);
    EXPECT_EQ(mcfg.sort_column, 1);
    EXPECT_EQ(mcfg.sort_dir, 1);
    click.iSubItem = 0;  // Name
    SendNotify(click.hdr);
    EXPECT_EQ(mcfg.sort_column, 0);
    EXPECT_EQ(mcfg.sort_dir, 0);
}

TEST_F(WindowProcedure, TimerCountsTicksRepaintsOnlyDuringAScanAndGraysPasteWithoutFiles) {
    StartApp();
    EmptyClipboardNow();
    unsigned ticks = mcfg.ticks;
    int paints = tv::CountEntries("Paint ()");
    Tick();
    EXPECT_EQ(mcfg.ticks, ticks + 1);
    EXPECT_EQ(tv::CountEntries("Paint ()"), paints);
    mcfg.scanning = 1;
    Tick();
    mcfg.scanning = 0;
    EXPECT_EQ(mcfg.ticks, ticks + 2);
    EXPECT_EQ(tv::CountEntries("Paint ()"), paints + 1);

    // Focus in the path box enables Paste (message loop); the next tick, or the clipboard
    // watcher's answer, grays it again.
    EnableMenuItem(MainMenu(), CMD_PASTE, MF_BYCOMMAND | MF_ENABLED);
    ASSERT_FALSE(Grayed(CMD_PASTE));
    EXPECT_TRUE(Until([] { return Grayed(CMD_PASTE); }, 3000));
}

TEST_F(WindowProcedure, PasteFollowsAFileListOnTheClipboard) {
    StartApp();
    tv::TempTree tree("paste");
    std::string file = tree.file("a.txt", "a");
    // A clipboard file list of one path, as another program would leave it.
    size_t size = sizeof(DROPFILES) + file.size() + 2;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    ASSERT_NE(block, nullptr);
    DROPFILES* drop = (DROPFILES*)GlobalLock(block);
    drop->pFiles = sizeof(DROPFILES);
    memcpy((char*)drop + sizeof(DROPFILES), file.c_str(), file.size());
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(mwin.hwnd));
    EmptyClipboard();
    SetClipboardData(CF_HDROP, block);
    CloseClipboard();

    // The watcher asks on its own thread; the window learns the answer by a message.
    EXPECT_TRUE(Until([this] { Tick(); return !Grayed(CMD_PASTE); }, 5000));
    EmptyClipboardNow();
    EXPECT_TRUE(Until([this] { Tick(); return Grayed(CMD_PASTE); }, 5000));
}

TEST_F(WindowProcedure, RenameAndPropertiesFollowTheSelectionAndTheCountIsKept) {
    tv::TempTree tree("select");
    tree.file("a.txt");
    tree.file("b.txt");
    tree.file("c.txt");
    StartApp(tree.root().c_str());
    EnsureRows(3);
    Tick();
    EXPECT_TRUE(Grayed(CMD_RENAME));
    EXPECT_TRUE(Grayed(CMD_PROPERTIES));

    int paints = tv::CountEntries("Paint ()");
    SelectRow(1, true);
    EXPECT_EQ(panel.selected, 1);
    EXPECT_TRUE(Grayed(CMD_RENAME));  // the change itself leaves the menu alone...
    Tick();                           // ...the next tick updates it
    EXPECT_FALSE(Grayed(CMD_RENAME));
    EXPECT_FALSE(Grayed(CMD_PROPERTIES));
    // The change asked for a repaint of the status line.
    EXPECT_TRUE(Until([&] { return tv::CountEntries("Paint ()") > paints; }, 5000));

    SelectRow(2, true);
    EXPECT_EQ(panel.selected, 2);

    SelectRow(1, false);
    SelectRow(2, false);
    EXPECT_EQ(panel.selected, 0);
    EXPECT_TRUE(Until([] { return Grayed(CMD_RENAME) && Grayed(CMD_PROPERTIES); }, 3000));
}

TEST_F(WindowProcedure, SendToIsInsertedAboveTheWallpaperItemAtTheFirstOpeningOnly) {
    StartApp();
    HMENU file = FileMenu();
    ASSERT_EQ(GetMenuItemCount(file), 21);
    // The View menu opening adds nothing.
    SendMessageA(mwin.hwnd, WM_INITMENUPOPUP, (WPARAM)GetSubMenu(MainMenu(), 1), 1);
    EXPECT_EQ(GetMenuItemCount(file), 21);
    // The first opening of the File menu, as the menu bar opens it.
    SendMessageA(mwin.hwnd, WM_INITMENUPOPUP, (WPARAM)file, 0);
    ASSERT_EQ(GetMenuItemCount(file), 23);
    char text[64] = {};
    GetMenuStringA(file, 11, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Send to");
    EXPECT_NE(GetSubMenu(file, 11), nullptr);
    EXPECT_TRUE(GetMenuState(file, 12, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(file, 13), (UINT)CMD_WALLPAPER);

    // Later openings, also as the context menu, add nothing.
    SendMessageA(mwin.hwnd, WM_INITMENUPOPUP, (WPARAM)file, 0);
    EXPECT_EQ(GetMenuItemCount(file), 23);
    {
        tv::PopupCloser closer(5000);
        SetForegroundWindow(mwin.hwnd);
        ContextMenu(200, 200);
    }
    EXPECT_EQ(GetMenuItemCount(file), 23);
}

TEST_F(WindowProcedure, RightClickSelectsTheTreeItemUnderThePointerAndShowsTheMenu) {
    StartApp();
    HTREEITEM drive = FirstDrive();
    mtvw.Select(mtvw.Root());
    POINT at = ItemCentre(drive);
    ClientToScreen(mtvw.hwnd, &at);
    SetCursorPos(at.x, at.y);
    POINT now = {};
    GetCursorPos(&now);
    if (now.x != at.x || now.y != at.y) GTEST_SKIP() << "the pointer cannot be placed here";

    NMHDR click = {mtvw.hwnd, ID_TREE, (UINT)NM_RCLICK};
    SetFocus(mlvw.hwnd);  // the focus elsewhere: the menu shows, the selection stays
    {
        tv::PopupCloser closer(5000);
        SendNotify(click);
        EXPECT_TRUE(closer.closed());
    }
    EXPECT_EQ(mtvw.Caret(), mtvw.Root());

    drive = FirstDrive();
    at = ItemCentre(drive);
    ClientToScreen(mtvw.hwnd, &at);
    SetCursorPos(at.x, at.y);
    SetFocus(mtvw.hwnd);
    ASSERT_EQ(GetFocus(), mtvw.hwnd);
    {
        tv::PopupCloser closer(5000);
        SendNotify(click);
        EXPECT_TRUE(closer.closed());
    }
    EXPECT_EQ(mtvw.Caret(), drive);

    // At screen row 0 no menu opens.
    SetCursorPos(at.x, 0);
    {
        tv::PopupCloser closer(5000);
        SendNotify(click);
        EXPECT_FALSE(closer.closed());
    }
}

TEST_F(WindowProcedure, WithoutAMenuNoStateChangesAndNoMenuOpens) {
    StartApp();
    HMENU menu = MainMenu();
    SetMenu(mwin.hwnd, nullptr);
    mcfg.unit = 0;
    EnableMenuItem(menu, CMD_PASTE, MF_BYCOMMAND | MF_ENABLED);
    {
        tv::PopupCloser closer(5000);
        SetForegroundWindow(mwin.hwnd);
        ContextMenu(200, 200);
        EXPECT_FALSE(closer.closed());
    }
    Tick();
    EXPECT_FALSE(GetMenuState(menu, CMD_PASTE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, CMD_UNIT_B, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, CMD_UNIT_KB, MF_BYCOMMAND) & MF_CHECKED);
    SetMenu(mwin.hwnd, menu);
    mcfg.unit = 1;
}

TEST_F(WindowProcedure, NotificationWithoutItsRecordIsIgnored) {
    StartApp();
    EXPECT_EQ(SendMessageA(mwin.hwnd, WM_NOTIFY, 0, 0), 0);
}

TEST_F(WindowProcedure, ToolbarTooltipsGetTheirTexts) {
    StartApp();
    struct {
        UINT_PTR id;
        const char* text;
    } cases[] = {{CMD_BACK, "Back to parent drive/folder"},
                 {CMD_READ, "Read current drive/folder"},
                 {CMD_READ_SIZE, "Read size for current drive/folder"},
                 {CMD_FIND, nullptr}};
    for (const auto& c : cases) {
        NMTTDISPINFOA info = {};
        info.hdr.idFrom = c.id;
        info.hdr.code = TTN_GETDISPINFOA;
        SendNotify(info.hdr);
        if (c.text)
            EXPECT_STREQ(info.lpszText, c.text) << c.id;
        else
            EXPECT_EQ(info.lpszText, nullptr) << c.id;
    }
}

TEST_F(WindowProcedure, DraggedRowsMarkTheItemUnderThePointerAndTheDragEndsOnRelease) {
    tv::TempTree tree("drag");
    tree.file("a.txt");
    tree.file("b.txt");
    StartApp(tree.root().c_str());
    EnsureRows(2);
    HTREEITEM drive = FirstDrive();

    NMLISTVIEW begin = {};
    begin.hdr.hwndFrom = mlvw.hwnd;
    begin.hdr.idFrom = ID_LIST;
    begin.hdr.code = LVN_BEGINDRAG;
    SendNotify(begin.hdr);
    EXPECT_EQ(panel.dragging, 0) << "no row is selected";
    EXPECT_NE(GetCapture(), mwin.hwnd);

    SelectRow(0, true);
    SendNotify(begin.hdr);
    ASSERT_EQ(panel.dragging, 1);
    EXPECT_EQ(GetCapture(), mwin.hwnd);

    // The pointer is mapped into the tree: the item under it, also just above its lower edge,
    // is shown as the drop target, and nothing is selected or read meanwhile.
    mtvw.Select(mtvw.Root());
    drive = FirstDrive();
    RECT rect = {};
    ASSERT_TRUE(TreeView_GetItemRect(mtvw.hwnd, drive, &rect, TRUE));
    for (int y : {(int)(rect.top + rect.bottom) / 2, (int)rect.bottom - 2}) {
        POINT at = {(rect.left + rect.right) / 2, y};
        MapWindowPoints(mtvw.hwnd, mwin.hwnd, &at, 1);
        SendMouse(WM_MOUSEMOVE, MK_LBUTTON, at.x, at.y);
        EXPECT_EQ(mtvw.DropTarget(), drive) << "at " << y;
    }
    EXPECT_EQ(mtvw.Caret(), mtvw.Root());
    POINT at = ItemCentre(drive);

    // Released over no item: nothing is moved and the drag ends.
    HTREEITEM before = mtvw.Caret();
    SendMouse(WM_LBUTTONUP, 0, at.x, 60000);
    EXPECT_EQ(panel.dragging, 0);
    EXPECT_EQ(mtvw.Caret(), before);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(mlvw.drag_list);
}

TEST_F(WindowProcedure, SplitterFollowsTheLeftButtonWhileThePointerStaysNear) {
    StartApp();
    RECT client;
    GetClientRect(mwin.hwnd, &client);
    ASSERT_GT(client.right, 600);
    ASSERT_EQ(mcfg.tree_width, 300);

    SendMouse(WM_LBUTTONDOWN, MK_LBUTTON, 310, 100);  // 10 pixels away: not grabbed
    EXPECT_EQ(mcfg.splitting, 0);
    SendMouse(WM_MOUSEMOVE, MK_LBUTTON, 305, 100);
    EXPECT_EQ(mcfg.tree_width, 300);
    SendMouse(WM_LBUTTONUP, 0, 305, 100);

    SendMouse(WM_LBUTTONDOWN, MK_LBUTTON, 309, 100);
    EXPECT_EQ(mcfg.splitting, 1);
    EXPECT_EQ(GetCapture(), mwin.hwnd);
    SendMouse(WM_MOUSEMOVE, MK_LBUTTON, 315, 100);
    EXPECT_EQ(mcfg.tree_width, 315);
    EXPECT_EQ(WindowPlace(mtvw.hwnd).right, 315);
    EXPECT_EQ(WindowPlace(mlvw.hwnd).left, 318);

    SendMouse(WM_MOUSEMOVE, MK_LBUTTON, 340, 100);  // 25 pixels in one step: left behind
    EXPECT_EQ(mcfg.tree_width, 315);

    SendMouse(WM_LBUTTONUP, 0, 340, 100);
    EXPECT_EQ(mcfg.splitting, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    SendMouse(WM_MOUSEMOVE, MK_LBUTTON, 320, 100);
    EXPECT_EQ(mcfg.tree_width, 315);
}

TEST_F(WindowProcedure, ScanDoneMessageSortsAndRepaintsOnTheWindowsThread) {
    StartApp();
    mcfg.drives_mode = 0;
    mcfg.sort_column = 0;
    mcfg.sort_dir = 0;
    int paints = tv::CountEntries("Paint ()"), sorts = tv::CountEntries("Sort ()");

    // A scan of the current generation that measured a view: ordered by size, largest
    // first, then repainted.
    SendMessageA(mwin.hwnd, WM_APP_SCAN_DONE, ScanGeneration(), 1);
    EXPECT_EQ(tv::CountEntries("Sort ()"), sorts + 1);
    EXPECT_EQ(tv::CountEntries("Paint ()"), paints + 1);
    EXPECT_EQ(mcfg.sort_column, 1);
    EXPECT_EQ(mcfg.sort_dir, 1);

    // One that measured nothing only repaints and keeps the order.
    mcfg.sort_column = 0;
    SendMessageA(mwin.hwnd, WM_APP_SCAN_DONE, ScanGeneration(), 0);
    EXPECT_EQ(tv::CountEntries("Sort ()"), sorts + 1);
    EXPECT_EQ(tv::CountEntries("Paint ()"), paints + 2);
    EXPECT_EQ(mcfg.sort_column, 0);

    // In the drive view the list keeps no rows, so there is nothing to order.
    mcfg.drives_mode = 1;
    SendMessageA(mwin.hwnd, WM_APP_SCAN_DONE, ScanGeneration(), 1);
    EXPECT_EQ(tv::CountEntries("Sort ()"), sorts + 1);
    EXPECT_EQ(tv::CountEntries("Paint ()"), paints + 3);
    EXPECT_EQ(mcfg.sort_column, 0);
    mcfg.drives_mode = 0;

    // One from a scan replaced since does nothing at all.
    SendMessageA(mwin.hwnd, WM_APP_SCAN_DONE, ScanGeneration() - 1, 1);
    EXPECT_EQ(tv::CountEntries("Sort ()"), sorts + 1);
    EXPECT_EQ(tv::CountEntries("Paint ()"), paints + 3);
    EXPECT_EQ(mcfg.sort_column, 0);
}

TEST_F(WindowProcedure, DoubleClickPropertiesAndSettingsReachTheirPages) {
    tv::TempTree tree("open");
    tree.dir("Sub");
    tree.file("a.txt", "a");
    StartApp(tree.root().c_str());
    ASSERT_EQ(ListView_GetItemCount(mlvw.hwnd), 2);  // Sub, then a.txt
    std::string temp = tv::LogPath().substr(0, tv::LogPath().rfind('\\'));
    std::string page = temp + "\\file-properties.htm";
    DeleteFileA(page.c_str());

    // Properties of the selected file: the page names its full path.
    SelectRow(1, true);
    SendCommand(CMD_PROPERTIES);
    EXPECT_NE(tv::ReadFile(page).find("Properties: " + tree.path("a.txt")), std::string::npos);
    SelectRow(1, false);

    // A double click anywhere but in the list opens nothing; in the list it steps into the
    // selected folder.
    SelectRow(0, true);
    NMHDR click = {mtvw.hwnd, ID_TREE, (UINT)NM_DBLCLK};
    SendNotify(click);
    EXPECT_EQ(std::string(mcbx.GetText()), tree.root());
    click = {mlvw.hwnd, ID_LIST, (UINT)NM_DBLCLK};
    SendNotify(click);
    EXPECT_EQ(std::string(mcbx.GetText()), tree.path("Sub"));

    std::string settings = temp + "\\Trelvista.hta";
    DeleteFileA(settings.c_str());
    SendCommand(CMD_SETTINGS);
    EXPECT_NE(tv::ReadFile(settings).find("<title>Trelvista Settings</title>"), std::string::npos);
}
