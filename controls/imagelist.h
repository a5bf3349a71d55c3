// The owner of an image list made by the program (a drag image, the pictures of a control).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/handles.h"

using ImageList = Owned<HIMAGELIST, NullCloser<HIMAGELIST, ImageList_Destroy>>;
