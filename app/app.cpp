#include "app/app.h"

#include <commctrl.h>
#include <cstring>

#include "core/log.h"
#include "core/paths.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/dpi.h"
#include "controls/ui.h"
#include "app/window.h"
#include "app/wndproc.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "scan/find.h"

HACCEL accelerators = nullptr;

std::string StartDirFromCommandLine(const char* tail) {
    // A tail longer than any path is no folder, and is never cut down to one.
    if (!tail || PathUnits(tail) > kLongestPathUnits) return std::string();
    return tail;
}

HWND AppStart(HINSTANCE instance, const char* command_line, int show) {
    // A drive without a medium (an empty card reader) answers a listing with an error, not
    // with the system's critical-error box.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    DWORD version = GetVersion();
    log_open(version);
    log_line("%s\tWinMain () RUN ...\n", time_stamp());

    mcfg.font.reset();
    SetMode(kShowDrives);
    mcfg.make_notepad_link = 1;
    mcfg.sort_dir = 1;
    mcfg.tree_width = 300;
    mcfg.unit = 1;
    mcfg.start_dir = StartDirFromCommandLine(command_line);

    RECT work = {0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // The window does not exist yet: the screen's DPI is the system's.
    WindowGeometry g = DefaultWindowGeometry(work, WindowDpi(nullptr));
    mcfg.window = g;
    mwin.x = g.x;
    mwin.y = g.y;
    mwin.width = g.width;
    mwin.height = g.height;

    mwin.instance = instance;
    mwin.procedure = WndProc;
    mwin.icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    mwin.menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU));
    lstrcpynA(mwin.caption, "Trelvista", sizeof mwin.caption);
    // The window paints only its own parts (the status line, the chart, the preview): the
    // controls paint themselves, and a repaint of the status line leaves them alone. Without
    // this every status update drew over the list and the tree and had both repaint whole.
    mwin.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES |
                                                ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    mwin.create(show);
    CreateControls();
    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    log_line("%s\tWinMain () MSG ...\n", time_stamp());
    return mwin.hwnd;
}

namespace {

// The keys whose command is all they do: F2, Backspace, Alt+Up, Ctrl+A and Ctrl+X. The tree
// and the list would act on them again (the tree's own Backspace and Up move its selection
// after Back has moved it), so they are not passed on once their command has run.
bool EndsAtItsCommand(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    switch (msg.wParam) {
    case VK_F2:
    case VK_BACK:
    case VK_UP:
    case VK_LEFT:
    case VK_RIGHT:
    case 'A':
    case 'X':
    case 'Z': return true;
    }
    return false;
}

// The panes that Tab and Shift+Tab move between, in their order: the tree, the list, the path
// box and the search box. A combo box keeps the focus in its edit child.
HWND Pane(int i) {
    HWND panes[4] = {mtvw.hwnd, mlvw.hwnd, mcbx.hwnd, mcby.hwnd};
    return panes[i];
}

int PaneOf(HWND focus) {
    if (!focus) return -1;
    for (int i = 0; i < 4; i++) {
        HWND pane = Pane(i);
        if (!pane) continue;
        if (focus == pane || (i >= 2 && GetParent(focus) == pane)) return i;
    }
    return -1;
}

// A pane takes the focus only while it shows: a list without height in the drive view, or
// the search box hidden during a scan, is passed over.
bool Usable(HWND pane) {
    RECT r = {};
    return pane && IsWindowVisible(pane) && IsWindowEnabled(pane) && GetClientRect(pane, &r) &&
           r.right > r.left && r.bottom > r.top;
}

void FocusPane(int i) {
    HWND pane = Pane(i);
    if (i < 2) {
        SetFocus(pane);
        return;
    }
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    HWND edit = GetComboBoxInfo(pane, &info) && info.hwndItem ? info.hwndItem : pane;
    SetFocus(edit);
    // As in a dialog, the text of a box reached by Tab is selected whole, ready to be typed over.
    SendMessageA(pane, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

// Tab and Shift+Tab go round the four panes; F6 goes from the tree to the list and from
// anywhere else to the tree. True when the key moved the focus, and so is done with.
bool MoveFocus(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_TAB && msg.wParam != VK_F6)) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    int from = PaneOf(msg.hwnd);
    // Keys in other windows (the edit of a rename, a dialog) are theirs.
    if (from < 0 && msg.hwnd != mwin.hwnd) return false;
    if (msg.wParam == VK_F6) {
        int to = from == 0 ? 1 : 0;
        if (!Usable(Pane(to))) return false;
        FocusPane(to);
        return true;
    }
    int step = GetKeyState(VK_SHIFT) < 0 ? 3 : 1;
    int at = from < 0 ? (step == 1 ? 3 : 0) : from;
    for (int tries = 0; tries < 4; tries++) {
        at = (at + step) % 4;
        if (at == from) return true;
        if (Usable(Pane(at))) {
            FocusPane(at);
            return true;
        }
    }
    return true;
}

// Shift+F10 and the Menu key open the context menu of the tree or the list (WM_CONTEXTMENU at
// -1, -1). The platform's own handling reports them from the list but not from the tree, and
// would report the Menu key once more on its release, so both keys end here, and so do their
// releases (an F10 released after the menu would otherwise open the menu bar).
bool KeyboardMenu(const MSG& msg) {
    static bool f10_down = false;
    if (!msg.hwnd || (msg.hwnd != mtvw.hwnd && msg.hwnd != mlvw.hwnd)) return false;
    bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    if (!down && !up) return false;
    if (msg.wParam == VK_F10) {
        if (up) {
            bool ours = f10_down;
            f10_down = false;
            return ours;
        }
        if (GetKeyState(VK_SHIFT) >= 0) return false;
        f10_down = true;
    } else if (msg.wParam != VK_APPS) {
        return false;
    }
    if (down) SendMessageA(mwin.hwnd, WM_CONTEXTMENU, (WPARAM)msg.hwnd, (LPARAM)-1);
    return true;
}

// Set when an accelerator with Alt has run its command: the window never saw the key that
// came with Alt, and would take the Alt key's release for a press of Alt alone, which opens the
// menu bar (the next Enter would then run the File menu's first item).
bool alt_command_ran = false;

}  // namespace

void LoopStep(MSG& msg) {
    if (mcbx.hwnd && GetFocus() == mcbx.hwnd)
        EnableMenuItem(GetMenu(mwin.hwnd), CMD_PASTE, MF_BYCOMMAND | MF_ENABLED);

    if (MoveFocus(msg) || KeyboardMenu(msg)) return;

    if (msg.hwnd && (msg.hwnd == mtvw.hwnd || msg.hwnd == mlvw.hwnd || msg.hwnd == mbtn.hwnd) &&
        TranslateAcceleratorA(mwin.hwnd, accelerators, &msg) && EndsAtItsCommand(msg)) {
        if (msg.message == WM_SYSKEYDOWN) alt_command_ran = true;
        return;
    }
    if (alt_command_ran && (msg.message == WM_SYSKEYUP || msg.message == WM_KEYUP) &&
        msg.wParam == VK_MENU) {
        alt_command_ran = false;
        return;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        // Another key in between: the release of Alt is an ordinary one again.
        if (msg.wParam != VK_MENU) alt_command_ran = false;
    }

    // Enter and F5 act on the key-down message only: one press also sends a character and
    // a key-up message (and a mouse message's button flags may read 13 or 116), and each
    // of those would run the action again.
    bool key = msg.message == WM_KEYDOWN;
    if (key && msg.wParam == VK_ESCAPE && panel.dragging) CancelDrag();
    // Esc stops a running search and shows what it found so far.
    if (key && msg.wParam == VK_ESCAPE && FindRunning()) StopFind(true);
    // Esc gives a long read up: the folder shown before stays.
    if (key && msg.wParam == VK_ESCAPE && ReadRunning()) GiveUpRead();
    // Enter in the rename's edit ends the edit (the list reports the name typed); elsewhere
    // it enters the path box's text or reads the folder again.
    if (key && msg.wParam == VK_RETURN && !panel.rename_edit) {
        if (msg.hwnd && mcbx.hwnd && GetParent(msg.hwnd) == mcbx.hwnd)
            PathEntered();
        else
            Read();
    }
    if (key && msg.wParam == VK_F5 && msg.hwnd && msg.hwnd == mwin.hwnd) Read();

    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    // A rename whose edit ended under this message is carried out here, in the window's own
    // loop, once the list has let its edit go.
    if (RenamePending()) RenameEnd();
}

int AppLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        LoopStep(msg);
    log_line("%s\tWinMain () END ...\n", time_stamp());
    return 0;
}
