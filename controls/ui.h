// The main window and its controls: global objects created once by CreateControls and
// never destroyed before the process ends.
#pragma once

#include "controls/cbtn.h"
#include "controls/ccbx.h"
#include "controls/clvw.h"
#include "controls/ctbr.h"
#include "controls/ctip.h"
#include "controls/ctvw.h"
#include "controls/cwin.h"

extern CWin mwin;
extern CTbr mtbr;
extern CCbx mcbx;
extern CCbx mcby;
extern CBtn mbtn;
extern CTip mtip;
extern CTvw mtvw;
extern CLvw mlvw;
extern CBtn mbta;
extern CBtn mbth;
extern CBtn mbtr;
extern CBtn mbts;

// Unchecks the four attribute buttons "A", "H", "R" and "S".
void UncheckAttributeButtons();

// The subsystems' request to the main window, whose headers they never include: lay the
// window out again (its WM_SIZE with no size).
inline void AskLayout() { SendMessageA(mwin.hwnd, WM_SIZE, 0, 0); }
// Asks the window to paint its status line and the pane under the list at once.
inline void AskPaint() {
    if (mwin.hwnd) SendMessageA(mwin.hwnd, WM_PAINT, 0, 0);
}
