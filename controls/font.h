#pragma once

#include <windows.h>

#include "controls/painttext.h"

// The small font of the combo boxes and buttons: face and cell height as given, weight 400,
// quality byte 100 passed as it is, every other field zero. Each call makes a new font, which
// the caller owns.
inline HFONT MakeSmallFont(const char* face, int height) {
    LOGFONTA lf = {};
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    lf.lfHeight = height;
    lf.lfWeight = 400;
    lf.lfQuality = 100;
    return MakeFont(lf);
}
