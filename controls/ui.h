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

// Requests of the subsystems to the main window, which they never include: lay the window
// out again (its WM_SIZE with no size), and paint the status line and the pane below the
// list at once.
inline void AskLayout() { SendMessageA(mwin.hwnd, WM_SIZE, 0, 0); }
inline void AskPaint() {
    RedrawWindow(mwin.hwnd, nullptr, nullptr, RDW_INTERNALPAINT | RDW_UPDATENOW | RDW_NOCHILDREN);
}
