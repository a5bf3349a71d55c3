// The owner of an image list made by the program (a drag image, the pictures of a control).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/handles.h"

struct ImageListCloser {
    static HIMAGELIST none() { return nullptr; }
    static bool valid(HIMAGELIST list) { return list != nullptr; }
    static void close(HIMAGELIST list) { ImageList_Destroy(list); }
};
using ImageList = Owned<HIMAGELIST, ImageListCloser>;
