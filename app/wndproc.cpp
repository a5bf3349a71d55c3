#include "app/wndproc.h"

#include <shellapi.h>
#include <windowsx.h>
#include <cstdio>
#include <cstdlib>

#include "app/info.h"
#include "core/log.h"
#include "core/mcfg.h"
#include "core/messages.h"
#include "core/panel.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
#include "app/window.h"
#include "browse/entries.h"
#include "browse/format.h"
#include "browse/navigate.h"
#include "browse/status.h"
#include "fileops/fileops.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "scan/find.h"
#include "scan/scan.h"
#include "app/paint.h"
#include "scan/view.h"

SplitterMove MoveSplitter(int x, int y, WPARAM keys, bool splitting, int tree_width,
                          int client_right, int client_bottom, int dpi) {
    SplitterMove move = {false, false, tree_width};
    if (abs(x - tree_width) >= Scale(20, dpi) || y >= client_bottom - Scale(16, dpi)) return move;
    move.size_cursor = true;
    // Only the left button alone drags; a movement of 20 pixels (at 96 DPI) or more in one
    // step leaves the splitter behind until the pointer comes back near it.
    if (keys == MK_LBUTTON && splitting) {
        if (x < client_right - Scale(200, dpi)) move.tree_width = x;
        move.resize = true;
    }
    return move;
}

bool GrabsSplitter(int x, int tree_width, int dpi) { return abs(x - tree_width) < Scale(10, dpi); }

const char* ToolbarTip(UINT_PTR id) {
    switch (id) {
    case CMD_BACK: return "Back to parent drive/folder";
    case CMD_READ: return "Read current drive/folder";
    case CMD_READ_SIZE: return "Read size for current drive/folder";
    }
    return nullptr;
}

void CancelDrag() {
    if (!panel.dragging) return;
    panel.dragging = 0;
    mlvw.EndDrag();
    mtvw.DropHighlight(nullptr);
    // Releasing the capture sends WM_CAPTURECHANGED, which finds the drag over already.
    ReleaseCapture();
}

namespace {

RECT ClientRect() {
    RECT client = {};
    GetClientRect(mwin.hwnd, &client);
    return client;
}

// The Read Folder Size button shows size mode pressed, whichever routine changed the mode.
void MirrorSizeButton() {
    if (!mtbr.hwnd) return;
    bool pressed = SendMessageA(mtbr.hwnd, TB_ISBUTTONPRESSED, CMD_READ_SIZE, 0) != 0;
    if (pressed != (mcfg.size_mode != 0))
        SendMessageA(mtbr.hwnd, TB_PRESSBUTTON, CMD_READ_SIZE, MAKELONG(mcfg.size_mode ? TRUE : FALSE, 0));
}

// The View menu mirrors the size unit and the preview mode after every message, and the
// toolbar the size mode.
void UpdateCheckMarks(HWND hwnd) {
    MirrorSizeButton();
    HMENU menu = GetMenu(hwnd);
    if (!menu) return;
    for (int unit = 0; unit < 4; unit++)
        CheckMenuItem(menu, CMD_UNIT_B + unit,
                      MF_BYCOMMAND | (mcfg.unit == unit ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, CMD_PREVIEW, MF_BYCOMMAND | (mcfg.preview ? MF_CHECKED : MF_UNCHECKED));
}

// The File menu's items as loaded; the "Send to" popup and a separator make two more.
const int kFileMenuItems = 23;

// The "Send to" submenu goes into the File menu at its first opening. The File menu
// holds 23 items as loaded and 25 afterwards, so this runs once per run.
void InsertSendTo(HWND hwnd, HMENU opening) {
    HMENU menu = GetMenu(hwnd);
    if (!menu || opening != GetSubMenu(menu, 0) || GetMenuItemCount(opening) > kFileMenuItems)
        return;
    HMENU send_to = CreatePopupMenu();
    if (!send_to) return;
    InsertMenuA(opening, CMD_WALLPAPER, MF_BYCOMMAND | MF_POPUP | MF_STRING, (UINT_PTR)send_to,
                "Send to");
    InsertMenuA(opening, CMD_WALLPAPER, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    SendTo(send_to, 0);
}

void OnTimer(HWND hwnd) {
    ScanTick();
    // A running search shows its results so far; the status line its progress.
    if (FindRunning()) FindShowSoFar();
    if (mcfg.scanning || FindRunning() || ReadRunning()) Paint();
    AskClipboard(hwnd);
    ContextMenu(0, 0);
    // The folder follows the disk, but never under an operation that is about to change it.
    bool busy = FindRunning() || mcfg.scanning;
    RereadIfChanged(busy);
}

// The commands that act on the folder that was read, or on its rows: while a read runs they
// would act on the folder shown before, which the user has already left.
bool ActsOnTheFolder(int id) {
    switch (id) {
    case CMD_FIND:
    case CMD_CUT:
    case CMD_COPY:
    case CMD_PASTE:
    case CMD_DELETE:
    case CMD_DELETE_FOREVER:
    case CMD_RENAME:
    case CMD_PROPERTIES:
    case CMD_READ_SIZE:
    case CMD_WALLPAPER:
    case CMD_NEW_CMD:
    case CMD_NEW_FOLDER:
    case CMD_NEW_FILE:
    case CMD_ATTR_A:
    case CMD_ATTR_H:
    case CMD_ATTR_R:
    case CMD_ATTR_S:
    case CMD_UNDO: return true;
    }
    return id >= CMD_SENDTO_FIRST && id <= CMD_SENDTO_LAST;
}

// Ends a drag of rows: the flag goes, and the drag image and the drop target's mark with it.
void EndRowDrag() {
    panel.dragging = 0;
    mlvw.EndDrag();
    mtvw.DropHighlight(nullptr);
}

// The tree item under a point of the main window's client area. Positions are taken as
// signed here: a captured pointer left of or above the window is on no item.
HTREEITEM TreeItemUnder(HWND hwnd, LPARAM lparam) {
    return mtvw.ItemAt(hwnd, (short)LOWORD(lparam), (short)HIWORD(lparam));
}

void OnMouseMove(HWND hwnd, WPARAM keys, int x, int y, LPARAM lparam) {
    if (panel.dragging) {
        // The item under the pointer is shown as the drop target; nothing is read until the
        // rows are dropped.
        HTREEITEM target = TreeItemUnder(hwnd, lparam);
        POINT at = {(short)LOWORD(lparam), (short)HIWORD(lparam)};
        ClientToScreen(hwnd, &at);
        if (target != mtvw.DropTarget()) {
            ImageList_DragShowNolock(FALSE);
            mtvw.DropHighlight(target);
            UpdateWindow(mtvw.hwnd);
            ImageList_DragShowNolock(TRUE);
        }
        ImageList_DragMove(at.x, at.y);
        return;
    }
    RECT client = ClientRect();
    SplitterMove move = MoveSplitter(x, y, keys, mcfg.splitting != 0, mcfg.tree_width, client.right,
                                     client.bottom, mcfg.dpi);
    if (move.size_cursor) SetCursor(mcfg.size_cursor);
    if (move.resize) {
        mcfg.tree_width = move.tree_width;
        Size(0, 0);
    }
}

void OnLeftButtonDown(HWND hwnd, int x) {
    if (panel.dragging || !GrabsSplitter(x, mcfg.tree_width, mcfg.dpi)) return;
    SetCursor(mcfg.size_cursor);
    mcfg.splitting = 1;
    SetCapture(hwnd);
}

void OnLeftButtonUp(HWND hwnd, int x, int y, LPARAM lparam) {
    if (mcfg.size_mode && !panel.dragging && !RefusedWhileReading("ChartHit ()")) ChartHit(x, y);
    bool dragging = panel.dragging != 0;
    HTREEITEM target = dragging ? TreeItemUnder(hwnd, lparam) : nullptr;
    // The drag is over before the capture goes, so its release does not read as a lost
    // drag, and before the move, whose dialogs take the mouse.
    if (dragging) EndRowDrag();
    mcfg.splitting = 0;
    ReleaseCapture();
    // Releasing over no tree item moves nothing; over one, its folder is read and the rows
    // go there once it is listed.
    if (target && target != mtvw.Root()) MoveDraggedTo(mtvw.ItemPath(target));
}

void OnBeginDrag() {
    if (mlvw.NextSelected(-1) < 0 || !CaptureDragged()) return;
    if (mlvw.BeginDrag() != 0) return;  // no row selected
    panel.dragging = 1;
    SetCapture(mwin.hwnd);
}

void OnItemChanged(const NMLISTVIEW* change) {
    if (SelectionMoving()) return;
    if (mcfg.preview) SendMessageA(mwin.hwnd, WM_SIZE, 0, 0);
    bool was = (change->uOldState & LVIS_SELECTED) != 0;
    bool now = (change->uNewState & LVIS_SELECTED) != 0;
    if (change->iItem < 0 || was != now) {
        // A change of every row that leaves them unselected clears the guess; one that
        // selects them gives it up.
        if (change->iItem >= 0 || now || was)
            NoteSelectionChange(change->iItem, change->iItem, now);
        SelectionAttributes(change->iItem, change->iItem, now);
    }
    // A row that keeps its selection while the focus moves on to another row reports the
    // selected state alone; the report of the row that takes the focus updates the count.
    // A change of every row (-1) is the one report there is.
    if (change->iItem >= 0 && change->uNewState == LVIS_SELECTED) return;
    CountSelected();
}

// A range of rows changed its selection at once (a Shift+click in the virtual list).
void OnRangeChanged(const NMLVODSTATECHANGE* change) {
    if (SelectionMoving()) return;
    bool was = (change->uOldState & LVIS_SELECTED) != 0;
    bool now = (change->uNewState & LVIS_SELECTED) != 0;
    if (was != now) {
        NoteSelectionChange(change->iFrom, change->iTo, now);
        SelectionAttributes(change->iFrom, change->iTo, now);
    }
    CountSelected();
}

void OnRightClick() {
    if (RefusedWhileReading("ContextMenu ()")) return;
    POINT at = {};
    GetCursorPos(&at);
    if (GetFocus() == mtvw.hwnd) {
        POINT in_tree = at;
        ScreenToClient(mtvw.hwnd, &in_tree);
        if (HTREEITEM item = mtvw.HitTest(in_tree.x, in_tree.y)) mtvw.Select(item);
    }
    ContextMenu(at.x, at.y);
}

// The menu bar with the File menu's states made current: Paste follows the clipboard, Rename
// and Properties the selection. None when the window has no menu.
HMENU UpdateMenuStates() {
    UINT count = mcfg.clipboard_names;
    int row = mlvw.NextSelected(-1);
    HMENU menu = GetMenu(mwin.hwnd);
    if (!menu) return nullptr;
    EnableMenuItem(menu, CMD_PASTE, MF_BYCOMMAND | (count ? MF_ENABLED : MF_GRAYED));
    UINT rows = MF_BYCOMMAND | (row < 0 ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu, CMD_RENAME, rows);
    EnableMenuItem(menu, CMD_PROPERTIES, rows);
    // The Undo item names the operation it takes back.
    std::string undo = UndoMenuText();
    ModifyMenuA(menu, CMD_UNDO, MF_BYCOMMAND | MF_STRING, CMD_UNDO, undo.c_str());
    EnableMenuItem(menu, CMD_UNDO, MF_BYCOMMAND | (UndoAvailable() ? MF_ENABLED : MF_GRAYED));
    return menu;
}

void ShowFileMenu(HMENU menu, POINT at) {
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, at.x, at.y, 0, mwin.hwnd, nullptr);
}

// Where the menu of Shift+F10 or the Menu key opens, in screen coordinates: below the tree's
// selected item when the tree has the keys, else below the list's row with the focus (the
// first selected one when no row has it), each first scrolled into view; at the control's
// upper left corner when it has no such item.
POINT KeyboardMenuPoint(HWND from) {
    RECT r = {};
    HWND control = from == mtvw.hwnd ? mtvw.hwnd : mlvw.hwnd;
    if (control == mtvw.hwnd) {
        if (HTREEITEM item = mtvw.Caret()) {
            TreeView_EnsureVisible(mtvw.hwnd, item);
            TreeView_GetItemRect(mtvw.hwnd, item, &r, TRUE);
        }
    } else {
        int row = (int)SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
        if (row < 0) row = mlvw.NextSelected(-1);
        if (row >= 0) {
            ListView_EnsureVisible(mlvw.hwnd, row, FALSE);
            ListView_GetItemRect(mlvw.hwnd, row, &r, LVIR_LABEL);
        }
    }
    // A point outside the control's own area (a row below a list cut short) is drawn in.
    RECT client = {};
    GetClientRect(control, &client);
    POINT at = {r.left, r.bottom};
    if (at.x < client.left || at.x >= client.right) at.x = client.left;
    if (at.y < client.top || at.y >= client.bottom) at.y = client.top;
    ClientToScreen(control, &at);
    return at;
}

// WM_CONTEXTMENU: the menu of the keyboard, whose position is -1, -1. A right click has shown
// the menu already (NM_RCLICK) when the list or the tree reports it here with the pointer's
// position, so that report shows nothing more.
void OnContextMenu(HWND from, LPARAM position) {
    if (GET_X_LPARAM(position) != -1 || GET_Y_LPARAM(position) != -1) return;
    if (RefusedWhileReading("ContextMenu ()")) return;
    POINT at = KeyboardMenuPoint(from);
    if (HMENU menu = UpdateMenuStates()) ShowFileMenu(menu, at);
}

void OnAttributeButton(int id) {
    CBtn* buttons[4] = {&mbta, &mbth, &mbtr, &mbts};
    int index = id - CMD_ATTR_A;
    CBtn& button = *buttons[index];
    if (button.GetCheck() == BST_CHECKED) {
        button.SetCheck(0);
        SetAttr(-(index + 1));
    } else {
        button.SetCheck(1);
        SetAttr(index + 1);
    }
}

}  // namespace

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Positions are read as unsigned: a captured pointer left of or above the client
    // area reads as a number near 65535, far from the splitter.
    int x = LOWORD(lparam), y = HIWORD(lparam);
    // Inside a message box or a shell job of the program's own, no command and no tick runs:
    // each would act on the folder that the routine which opened it is about to change.
    if ((message == WM_COMMAND || message == WM_TIMER) && ModalScope::Active()) {
        if (message == WM_COMMAND && HIWORD(wparam) <= 1)
            log_line("%s\tCommand (%d) refused: a dialog is open ...\n", time_stamp(),
                     (int)LOWORD(wparam));
        return 0;
    }
    // A job's result waits for the end of any modal loop (a message box, a menu, a dialog, a
    // job's own wait), so that no step under it finds its entries or tree items changed.
    if (IsJobResult(message) && ModalScope::Active()) {
        ModalScope::Hold(hwnd, message, wparam, lparam);
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        mcfg.size_cursor = LoadCursorA(nullptr, IDC_SIZEWE);
        // Each change of the clipboard asks the watcher at once, besides the timer's asking.
        AddClipboardFormatListener(hwnd);
        break;
    case WM_CLIPBOARDUPDATE: AskClipboard(hwnd); break;
    case WM_CLOSE:
        // The window outlives a copy or a move that runs, and a message box that tells what
        // one did: it closes once they have ended.
        if (ModalScope::Active()) {
            log_line("%s\tClose () waits: a job or a dialog is open ...\n", time_stamp());
            ModalScope::CloseWhenDone();
            return 0;
        }
        break;
    // The session does not end under a running job.
    case WM_QUERYENDSESSION: return ShellJobRunning() ? FALSE : TRUE;
    case WM_DESTROY: PostQuitMessage(0); break;
    case WM_SIZE: Size(x, y); break;
    case WM_PAINT: Paint(); break;
    case WM_NOTIFY:
        // The list's search for a typed name is answered with the row found: the one
        // notification whose result is not DefWindowProcA's.
        if (lparam && (((NMHDR*)lparam)->code == LVN_ODFINDITEMA ||
                       ((NMHDR*)lparam)->code == LVN_ODFINDITEMW))
            return FindRowAsked((NMHDR*)lparam);
        // A label edit that the list itself begins (a second click on a selected row) is the
        // same rename as F2, or none at all.
        if (lparam && ((NMHDR*)lparam)->code == LVN_BEGINLABELEDITA)
            return RenameBegins(((NMLVDISPINFOA*)lparam)->item.iItem) ? FALSE : TRUE;
        Notify((NMHDR*)lparam);
        break;
    case WM_COMMAND: Command(wparam); break;
    case WM_TIMER: OnTimer(hwnd); break;
    case WM_APP_CLIPBOARD:
        mcfg.clipboard_names = (unsigned)wparam;
        ContextMenu(0, 0);
        break;
    // A key of the accelerator table opens the menu bar for its item's state first: the
    // states are made current then, so that F2 renames a row selected a moment ago.
    case WM_INITMENU: ContextMenu(0, 0); break;
    case WM_INITMENUPOPUP: InsertSendTo(hwnd, (HMENU)wparam); break;
    case WM_ENTERMENULOOP: ModalScope::EnterMenu(); break;
    case WM_EXITMENULOOP: ModalScope::LeaveMenu(); break;
    case WM_CONTEXTMENU: OnContextMenu((HWND)wparam, lparam); break;
    // The mouse's back and forward buttons, and the keyboard's browser keys.
    case WM_APPCOMMAND:
        switch (GET_APPCOMMAND_LPARAM(lparam)) {
        case APPCOMMAND_BROWSER_BACKWARD: StepThroughHistory(true); return TRUE;
        case APPCOMMAND_BROWSER_FORWARD: StepThroughHistory(false); return TRUE;
        }
        break;
    case WM_DPICHANGED: DpiChanged(HIWORD(wparam), (const RECT*)lparam); break;
    case WM_MOUSEMOVE: OnMouseMove(hwnd, wparam, x, y, lparam); break;
    case WM_LBUTTONDOWN: OnLeftButtonDown(hwnd, x); break;
    case WM_LBUTTONUP: OnLeftButtonUp(hwnd, x, y, lparam); break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a dialog, a task switch): the drag ends with
        // nothing moved.
        if (panel.dragging) EndRowDrag();
        mcfg.splitting = 0;
        break;
    case WM_APP_FIND_DONE: FindFinished((unsigned)wparam); break;
    case WM_APP_READ_DONE: ReadFinished((unsigned)wparam); break;
    case WM_APP_FOLDER_CHANGED: FolderChanged((unsigned)wparam); break;
    case WM_APP_FOLDER_READ:
        if (mcfg.size_mode) Scan();
        if (!panel.move_target.empty()) PostMessageA(hwnd, WM_APP_MOVE_DROPPED, 0, 0);
        break;
    case WM_APP_MOVE_DROPPED: MovePendingDrop(); break;
    case WM_APP_SCAN_SIZE: ScanFolderMeasured((unsigned)wparam, (size_t)lparam); break;
    case WM_APP_SCAN_DONE: ScanFinished((unsigned)wparam, lparam != 0); break;
    }
    UpdateCheckMarks(hwnd);
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

int Command(WPARAM wparam) {
    int id = LOWORD(wparam);
    int code = HIWORD(wparam);
    if (ActsOnTheFolder(id) && code <= 1 && ReadRunning()) {
        char routine[32];
        snprintf(routine, sizeof routine, "Command (%d)", id);
        RefusedWhileReading(routine);
        return 0;
    }
    switch (id) {
    case CMD_HELP: break;
    case CMD_INFO: ShowInfo(); break;
    case CMD_SETTINGS: Settings(); break;
    case CMD_BACK: Back(); break;
    case CMD_UNDO: Undo(); break;
    case CMD_GO_BACK: StepThroughHistory(true); break;
    case CMD_GO_FORWARD: StepThroughHistory(false); break;
    case CMD_READ:
        // A path typed into the path box and not entered yet is opened as Enter opens it;
        // otherwise the folder that was read is read again.
        if (TreeRootSelected())
            Init();
        else if (PathBoxEdited())
            PathEntered();
        else
            Read();
        break;
    case CMD_FIND:
        // 0 is a click or a menu choice, 1 an accelerator; the find button's focus
        // notifications arrive under the same id and start nothing.
        if (code != 0 && code != 1) break;
        if (TreeRootSelected())
            Init();
        else
            Find();
        break;
    case CMD_CUT: Cut(); break;
    case CMD_COPY: Copy(); break;
    case CMD_PASTE: PasteClipboard(); break;
    case CMD_DELETE: Delete(true); break;
    case CMD_DELETE_FOREVER: Delete(false); break;
    case CMD_RENAME: Rename(); break;
    case CMD_SELECT_ALL:
        if (ViewCount(panel.view)) mlvw.SetAllRows(LVIS_SELECTED, LVIS_SELECTED);
        break;
    case CMD_PROPERTIES: {
        int row = mlvw.NextSelected(-1);
        if (row >= 0) Open((unsigned)row, 1);
        break;
    }
    case CMD_READ_SIZE:
        SetMode(kToggleSize);
        Size(0, 0);
        Scan();
        break;
    case CMD_WALLPAPER: Wallpaper(); break;
    case CMD_NEW_CMD: NewCmd(); break;
    case CMD_NEW_FOLDER: NewFolder(); break;
    case CMD_NEW_FILE: NewFile(); break;
    case CMD_PREVIEW:
        SetMode(kTogglePreview);
        SendMessageA(mwin.hwnd, WM_SIZE, 0, 0);
        // From the size mode the list keeps its half height, so the layout moves nothing and
        // repaints nothing: the pane under it changes from the chart to the picture here.
        Paint();
        break;
    case CMD_ATTR_A:
    case CMD_ATTR_H:
    case CMD_ATTR_R:
    case CMD_ATTR_S: OnAttributeButton(id); break;
    case CMD_EXIT: PostQuitMessage(0); break;
    case CMD_UNIT_B:
    case CMD_UNIT_KB:
    case CMD_UNIT_MB:
    case CMD_UNIT_GB:
        mcfg.unit = id - CMD_UNIT_B;
        Paint();
        break;
    default:
        if (id >= CMD_SENDTO_FIRST && id <= CMD_SENDTO_LAST) SendTo(nullptr, id - CMD_SENDTO_FIRST);
        break;
    }
    return 0;
}

int Notify(NMHDR* header) {
    // WM_NOTIFY can be sent by anyone; one without its record is ignored.
    if (!header) return 0;
    switch (header->code) {
    case TTN_GETDISPINFOA: {
        const char* tip = ToolbarTip(header->idFrom);
        // The toolbar only reads the text it is pointed at.
        if (tip) ((NMTTDISPINFOA*)header)->lpszText = const_cast<char*>(tip);
        break;
    }
    case TVN_SELCHANGEDA: SelectionChanged(); break;
    case LVN_GETDISPINFOA: ItemText((NMLVDISPINFOA*)header); break;
    case LVN_BEGINDRAG:
        if (!RefusedWhileReading("MoveDragged ()")) OnBeginDrag();
        break;
    case LVN_COLUMNCLICK:
        // The direction flips on every click, also when the column changes.
        SetOrder(((NMLISTVIEW*)header)->iSubItem, !mcfg.sort_dir);
        Sort();
        break;
    case LVN_ITEMCHANGED: OnItemChanged((NMLISTVIEW*)header); break;
    case LVN_ODSTATECHANGED: OnRangeChanged((NMLVODSTATECHANGE*)header); break;
    case LVN_ENDLABELEDITA:
        // The edit is over, whichever way it ended: the name typed is carried out (or refused
        // with a message) by the window's loop once the list has let the edit go. The list
        // keeps its old label; the rename reads the folder again.
        RenameEditEnded(((NMLVDISPINFOA*)header)->item.pszText);
        break;
    case NM_RCLICK: OnRightClick(); break;
    case NM_DBLCLK:
        if (header->idFrom == ID_LIST && !RefusedWhileReading("Open ()")) {
            int row = mlvw.NextSelected(-1);
            if (row >= 0) Open((unsigned)row, 0);
        }
        break;
    }
    return 0;
}

int ContextMenu(int x, int y) {
    HMENU menu = UpdateMenuStates();
    if (menu && x != 0 && y != 0) ShowFileMenu(menu, POINT{x, y});
    return 0;
}
