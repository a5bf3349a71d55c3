#include "app/info.h"

#include <shellapi.h>
#include <cstring>

#include "core/mcfg.h"
#include "controls/dpi.h"
#include "controls/gdi.h"
#include "controls/msgbox.h"
#include "controls/painttext.h"
#include "controls/ui.h"
#include "res/resource.h"

namespace {

const char kMakerAddress[] = "http://www.example.org/trelvista";
const char kOrganisationAddress[] = "http://www.example.org/qrvl";
const char kOrganisationShortName[] = "QRVL";

HFONT MakeInfoFont(int height) {
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
    return MakeFont(lf);
}

}  // namespace

const char* InfoAddress(const char* user_domain) {
    if (user_domain && strcmp(user_domain, kOrganisationShortName) == 0)
        return kOrganisationAddress;
    return kMakerAddress;
}

bool InLinkBand(LPARAM lparam, int dpi) {
    unsigned y = HIWORD(lparam);
    return y >= (unsigned)Scale(61, dpi) && y <= (unsigned)Scale(79, dpi);
}

void ShowInfo() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    mcfg.product_line[0] = '\0';
    LoadStringA(instance, IDS_PRODUCT, mcfg.product_line, sizeof mcfg.product_line);
    mcfg.link_cursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_LINKHAND));
    // The dialog's loop is a modal loop of the program's: nothing of a job lands under it.
    ModalScope modal;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INFO), mwin.hwnd, InfoProc, 0);
}

void InfoPaint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    const UINT flags = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;

    // The dialog's template grows with the DPI by itself; what is painted here is given at
    // 96 DPI and grows with it.
    int dpi = WindowDpi(dialog);
    auto px = [dpi](int at96) { return Scale(at96, dpi); };
    RECT r = {};
    GetClientRect(dialog, &r);
    r.left += px(10);
    r.top += px(10);
    r.right -= px(10);
    r.bottom -= px(30);
    FillRect(dc, &r, (HBRUSH)(COLOR_WINDOW + 1));
    // The texts stand on the filled rectangle, whatever the system's window colour is.
    SetBkMode(dc, TRANSPARENT);

    GdiObject product_font(MakeInfoFont(px(14)));
    GdiObject credit_font(MakeInfoFont(px(13)));
    r.top += px(10);
    {
        Selection product(dc, product_font.get());
        PaintTextIn(dc, mcfg.product_line, &r, flags);
    }
    {
        Selection credit(dc, credit_font.get());
        r.top += px(20);
        PaintTextIn(dc, "Development & Design", &r, flags);

        SetTextColor(dc, RGB(0, 0, 255));
        r.top += px(20);
        // A domain that does not fit the buffer is longer than the short name, so it
        // cannot equal it.
        char domain[32] = {};
        DWORD length = GetEnvironmentVariableA("USERDOMAIN", domain, sizeof domain);
        const char* address = InfoAddress(length > 0 && length < sizeof domain ? domain : nullptr);
        PaintTextIn(dc, address, &r, flags);
        lstrcpynA(mcfg.info_link, address, sizeof mcfg.info_link);
    }
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: InfoPaint(dialog); break;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) EndDialog(dialog, LOWORD(wparam));
        break;
    case WM_MOUSEMOVE:
        SetCursor(InLinkBand(lparam, WindowDpi(dialog)) ? mcfg.link_cursor
                                                        : LoadCursorA(nullptr, IDC_ARROW));
        break;
    case WM_LBUTTONDOWN:
        // The address is set by the first paint; before it there is nothing to open.
        if (InLinkBand(lparam, WindowDpi(dialog)) && mcfg.info_link[0])
            ShellExecuteA(nullptr, nullptr, mcfg.info_link, nullptr, nullptr, SW_SHOW);
        break;
    }
    // FALSE for every message: the dialog manager's own handling runs as well.
    return FALSE;
}
