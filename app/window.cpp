#include "app/window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <cstdlib>

#include "core/dpi.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/mcfg.h"
#include "app/settings.h"
#include "controls/dpi.h"
#include "controls/font.h"
#include "controls/gdi.h"
#include "controls/ui.h"
#include "scan/find.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "res/resource.h"

namespace {

// The pictures the window's controls show, which the controls do not delete: they live with
// the window, until the process ends.
ImageList toolbar_images, tree_images;
Bitmap find_bitmap;

// The bitmap drawn at 96 DPI, drawn larger at another DPI pixel by pixel: no colour is mixed,
// so a strip's mask colour stays exact.
HBITMAP LoadScaledBitmap(int bitmap, int dpi) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Bitmap drawn(LoadBitmapA(instance, MAKEINTRESOURCEA(bitmap)));
    BITMAP size = {};
    if (!drawn || !GetObjectA(drawn.get(), sizeof size, &size) || dpi == kBaseDpi)
        return drawn.release();
    int width = Scale(size.bmWidth, dpi), height = Scale(size.bmHeight, dpi);
    HDC screen = GetDC(nullptr);
    Bitmap scaled(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    if (!scaled) return drawn.release();
    MemoryDC from(nullptr), to(nullptr);
    {
        Selection from_in(from.get(), drawn.get()), to_in(to.get(), scaled.get());
        SetStretchBltMode(to.get(), COLORONCOLOR);
        StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, size.bmWidth, size.bmHeight,
                   SRCCOPY);
    }
    return scaled.release();
}

// A strip of 16-pixel pictures (at 96 DPI) as an image list of pictures at `dpi`, masked by
// the colour of the strip's top-left pixel.
HIMAGELIST LoadStrip(int bitmap, int dpi) {
    Bitmap strip(LoadScaledBitmap(bitmap, dpi));
    BITMAP size = {};
    if (!strip || !GetObjectA(strip.get(), sizeof size, &size)) return nullptr;
    int side = Scale(16, dpi);
    COLORREF mask = CLR_NONE;
    {
        MemoryDC dc(nullptr);
        Selection in(dc.get(), strip.get());
        mask = GetPixel(dc.get(), 0, 0);
    }
    HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, size.bmWidth / side, 0);
    if (list) ImageList_AddMasked(list, strip.get(), mask);
    return list;
}

// The toolbar's pictures and the find button's at the window's DPI. The controls take the
// new ones before the old ones go.
void LoadPictures() {
    ImageList images(LoadStrip(IDB_TOOLBAR, mcfg.dpi));
    mtbr.SetImageList(images.get());
    toolbar_images = std::move(images);
    Bitmap find(LoadScaledBitmap(IDB_FIND, mcfg.dpi));
    mbtn.SetBitmap(find.get());
    find_bitmap = std::move(find);
}

void AddToolbarButtons() {
    TBBUTTON buttons[5] = {};
    const int images[5] = {0, 1, 0, 2, 0};
    const int commands[5] = {CMD_BACK, CMD_READ, 0, CMD_READ_SIZE, 0};
    for (int i = 0; i < 5; i++) {
        buttons[i].iBitmap = images[i];
        buttons[i].idCommand = commands[i];
        bool separator = commands[i] == 0;
        buttons[i].fsState = separator ? 0 : TBSTATE_ENABLED;
        buttons[i].fsStyle = separator ? BTNS_SEP : BTNS_BUTTON;
    }
    SendMessageA(mtbr.hwnd, TB_ADDBUTTONSA, 5, (LPARAM)buttons);
}

// Where each control was last put. Every read asks for the layout, and moving a control onto
// its own place still costs the window system a round of position messages and a repaint
// of the control (a list of 100,000 rows included), so a placement that changes nothing is
// skipped. The controls' own rectangles cannot tell: a combo box keeps its closed height and
// the toolbar sizes itself. The table is cleared whenever the controls are made.
struct Placed {
    HWND hwnd;
    Placement at;
};
Placed placed[10];

void Place(HWND hwnd, const Placement& p) {
    if (!hwnd) return;
    Placed* slot = nullptr;
    for (Placed& s : placed)
        if (s.hwnd == hwnd || (!s.hwnd && !slot)) {
            slot = &s;
            if (s.hwnd == hwnd) break;
        }
    if (slot && slot->hwnd == hwnd && slot->at.x == p.x && slot->at.y == p.y &&
        slot->at.width == p.width && slot->at.height == p.height)
        return;
    MoveWindow(hwnd, p.x, p.y, p.width, p.height, TRUE);
    if (slot) *slot = {hwnd, p};
}

// The small fonts of the attribute buttons and the two combo boxes, one for each control, in
// the order "A", "H", "R", "S", path box, search box. The window owns them with the UI font
// (mcfg.font): a change of DPI replaces them all and deletes the ones replaced; otherwise
// they live until the process ends.
Font small_fonts[6];

HWND SmallFontControl(int i) {
    HWND controls[6] = {mbta.hwnd, mbth.hwnd, mbtr.hwnd, mbts.hwnd, mcbx.hwnd, mcby.hwnd};
    return controls[i];
}

// Gives the control its own small font at the window's DPI, in place of the one it had.
void GiveSmallFont(int i) {
    HWND control = SmallFontControl(i);
    if (!control) return;
    Font font(MakeSmallFont("Tahoma", Scale(13, mcfg.dpi)));
    SendMessageA(control, WM_SETFONT, (WPARAM)font.get(), TRUE);
    small_fonts[i] = std::move(font);
}

// The tree's rows are at least 18 pixels (at 96 DPI) high, for the 16-pixel pictures.
void KeepTreeRowHeight() {
    if (mtvw.ItemHeight() < Scale(18, mcfg.dpi)) mtvw.SetItemHeight(Scale(18, mcfg.dpi));
}

// The toolbar's buttons hold 16-pixel pictures in 23 x 22 pixels at 96 DPI, and the toolbar
// takes its height from them: at another DPI they grow, so that the toolbar is as tall as the
// layout's strip and shows the attribute buttons and the path box whole.
void SizeToolbarButtons() {
    SendMessageA(mtbr.hwnd, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(Scale(23, mcfg.dpi), Scale(22, mcfg.dpi)));
}

}  // namespace

void DpiChanged(int dpi, const RECT* suggested) {
    int old = mcfg.dpi;
    if (dpi > 0 && dpi != old) {
        mcfg.dpi = dpi;
        mcfg.tree_width = Rescale(mcfg.tree_width, old, dpi);

        // The UI font first: the tree's row height and the columns follow it.
        mcfg.logfont.lfHeight = Scale(mcfg.font_height, dpi);
        // The font replaced goes once the controls hold the new one.
        Font made(MakeFont(mcfg.logfont));
        if (made) {
            SendMessageA(mtvw.hwnd, WM_SETFONT, (WPARAM)made.get(), TRUE);
            SendMessageA(mlvw.hwnd, WM_SETFONT, (WPARAM)made.get(), TRUE);
            mcfg.font = std::move(made);
        }
        for (int i = 0; i < 6; i++)
            GiveSmallFont(i);

        // A height set once stays until it is set again: -1 gives back the font's own.
        if (mtvw.hwnd) {
            mtvw.SetItemHeight(-1);
            KeepTreeRowHeight();
        }
        if (mtbr.hwnd) {
            LoadPictures();
            SizeToolbarButtons();
        }
        for (int i = 0; i < mlvw.columns; i++)
            mlvw.SetColumnWidth(i, Rescale(mlvw.ColumnWidth(i), old, dpi));
    }
    if (suggested)
        SetWindowPos(mwin.hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    Size(0, 0);
    // Every control draws anew at the new scale, not only those the layout moved.
    RedrawWindow(mwin.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    log_line("%s\tDpiChanged (%d) OK ...\n", time_stamp(), mcfg.dpi);
}

int CreateControls() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (Placed& s : placed) s = {};

    CReg reg(2, 0);
    StoredSettings settings = ReadSettings(reg, settings_key);
    mcfg.sep = settings.sep;
    if (settings.x >= 0) mcfg.window.x = settings.x;
    if (settings.y >= 0) mcfg.window.y = settings.y;
    if (settings.width >= 0) mcfg.window.width = settings.width;
    if (settings.height >= 0) mcfg.window.height = settings.height;
    MoveWindow(mwin.hwnd, mcfg.window.x, mcfg.window.y, mcfg.window.width, mcfg.window.height,
               TRUE);
    // The DPI of the screen the window now stands on; the splitter's start place was given
    // at 96 DPI.
    mcfg.dpi = WindowDpi(mwin.hwnd);
    mcfg.tree_width = Rescale(mcfg.tree_width, kBaseDpi, mcfg.dpi);

    if (!mtbr.Create(instance, mwin.hwnd, 0x50000910, ID_TOOLBAR)) return 1;
    toolbar_images.reset(LoadStrip(IDB_TOOLBAR, mcfg.dpi));
    mtbr.SetImageList(toolbar_images.get());
    AddToolbarButtons();
    if (mcfg.dpi != kBaseDpi) SizeToolbarButtons();

    // The UI font starts as the toolbar's font; face and height come from the settings.
    HFONT toolbar_font = (HFONT)SendMessageA(mtbr.hwnd, WM_GETFONT, 0, 0);
    if (!toolbar_font) toolbar_font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    DescribeFont(toolbar_font, &mcfg.logfont);
    lstrcpynA(mcfg.logfont.lfFaceName, settings.face, LF_FACESIZE);
    mcfg.font_height = settings.font_height;
    mcfg.logfont.lfHeight = Scale(settings.font_height, mcfg.dpi);
    mcfg.font.reset(MakeFont(mcfg.logfont));
    log_line("%s\tmtbr () OK ...\n", time_stamp());

    CBtn* attribute_buttons[4] = {&mbta, &mbth, &mbtr, &mbts};
    const char* attribute_texts[4] = {"A", "H", "R", "S"};
    for (int i = 0; i < 4; i++) {
        if (!attribute_buttons[i]->Create(instance, mtbr.hwnd, 0x50000002, CMD_ATTR_A + i))
            continue;
        GiveSmallFont(i);
        attribute_buttons[i]->SetText(attribute_texts[i]);
    }

    // The path box scrolls its text sideways (CBS_AUTOHSCROLL), so that a path longer than the
    // box is typed whole, and takes as much as the platform's longest path.
    if (!mcbx.Create(instance, mtbr.hwnd, 0x50800002 | CBS_AUTOHSCROLL, ID_PATHBOX)) return 2;
    SendMessageA(mcbx.hwnd, CB_LIMITTEXT, kLongestPathUnits, 0);
    mcbx.SetText("C:");
    GiveSmallFont(4);
    log_line("%s\tmcbx () OK ...\n", time_stamp());

    if (!mcby.Create(instance, mwin.hwnd, 0x50800002, ID_SEARCHBOX)) return 3;
    GiveSmallFont(5);
    log_line("%s\tmcby () OK ...\n", time_stamp());

    if (!mbtn.Create(instance, mwin.hwnd, 0x5000C080, ID_FINDBUTTON)) return 4;
    find_bitmap.reset(LoadScaledBitmap(IDB_FIND, mcfg.dpi));
    mbtn.SetBitmap(find_bitmap.get());
    mtip.Create(instance, mbtn.hwnd, 0x80000043);
    mtip.SetText(kFindTip);
    mtip.AddTool(mbtn.hwnd);
    log_line("%s\tmbtn () OK ...\n", time_stamp());

    // The tree's pictures stay at 16 pixels, as the list's, which are the system's.
    tree_images.reset(LoadStrip(IDB_TREE, kBaseDpi));
    if (!mtvw.Create(instance, mwin.hwnd, 0x50200027, WS_EX_CLIENTEDGE, ID_TREE)) return 5;
    mtvw.SetImageList(tree_images.get());
    KeepTreeRowHeight();
    if (mcfg.font) SendMessageA(mtvw.hwnd, WM_SETFONT, (WPARAM)mcfg.font.get(), TRUE);
    log_line("%s\tmtvw () OK ...\n", time_stamp());

    if (!mlvw.Create(instance, mwin.hwnd, 0x50201241, WS_EX_CLIENTEDGE, ID_LIST)) return 6;
    const std::string windows_folder = WindowsFolder();
    SHFILEINFOA info = {};
    HIMAGELIST system_images =
        (HIMAGELIST)SHGetFileInfoA(windows_folder.c_str(), 0, &info, sizeof info,
                                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_ICON);
    // SHGFI_ICON hands out an icon of the folder that nothing shows; release it at once.
    Icon unshown(info.hIcon);
    mlvw.SetImageList(system_images);
    if (mcfg.font) SendMessageA(mlvw.hwnd, WM_SETFONT, (WPARAM)mcfg.font.get(), TRUE);
    log_line("%s\tmlvw () OK ...\n", time_stamp());

    // Files dropped on the list reach Drop, which wraps the list view's own procedure; the
    // list view's procedure is kept in its user data for the wrapper to call.
    DragAcceptFiles(mlvw.hwnd, TRUE);
    LONG_PTR own = SetWindowLongPtrA(mlvw.hwnd, GWLP_WNDPROC, (LONG_PTR)Drop);
    SetWindowLongPtrA(mlvw.hwnd, GWLP_USERDATA, own);

    Init();
    SetTimer(mwin.hwnd, ID_TIMER, 1000, nullptr);
    return 0;
}

Layout ComputeLayout(int width, int height, int tree_width, bool drives_mode, bool half_list,
                     int dpi) {
    auto px = [dpi](int at96) { return Scale(at96, dpi); };
    Layout l = {};
    int T = tree_width, W = width, B = height;
    int H = B - px(42);
    int L = drives_mode ? 0 : half_list ? H / 2 : H;
    l.list_width = W - T - px(3);
    l.chart_top = L + px(28);
    l.toolbar = {0, 0, W, px(26)};
    l.pathbox = {T + px(3), px(2), l.list_width, H};
    l.searchbox = {px(30), B - px(24), T - px(30), H};
    l.findbutton = {px(5), B - px(22), px(20), px(18)};
    l.list = {T + px(3), px(28), l.list_width, L};
    l.tree = {0, px(28), T, B - px(56)};
    // Check boxes as tall as the path box beside them, so that their box and letter show
    // whole, in the middle of the toolbar's strip.
    for (int i = 0; i < 4; i++)
        l.attr[i] = {px(90 + 30 * i), px(4), px(30), px(18)};
    return l;
}

int Size(int width, int height) {
    if (width == 0 || height == 0) {
        RECT client = {};
        GetClientRect(mwin.hwnd, &client);
        width = client.right - client.left;
        height = client.bottom - client.top;
    }
    Layout l = ComputeLayout(width, height, mcfg.tree_width, mcfg.drives_mode != 0,
                             mcfg.preview || mcfg.size_mode, mcfg.dpi);
    mcfg.list_width = l.list_width;
    mcfg.chart_top = l.chart_top;
    Place(mtbr.hwnd, l.toolbar);
    Place(mcbx.hwnd, l.pathbox);
    Place(mcby.hwnd, l.searchbox);
    Place(mbtn.hwnd, l.findbutton);
    Place(mlvw.hwnd, l.list);
    Place(mtvw.hwnd, l.tree);
    Place(mbta.hwnd, l.attr[0]);
    Place(mbth.hwnd, l.attr[1]);
    Place(mbtr.hwnd, l.attr[2]);
    Place(mbts.hwnd, l.attr[3]);
    log_line("%s\tSize () OK ...\n", time_stamp());
    return 0;
}
