// The drive bars, the size chart and the image preview under the list.
#pragma once

#include <windows.h>
#include <cstddef>
#include <vector>

#include "browse/entries.h"
#include "core/chart.h"

void View(HDC dc);
void ChartHit(int x, int y);

// The image preview of the selected file under the list, fitted into the free area; sets
// mcfg.image_w and mcfg.image_h to the picture's size (-1 for a folder or no picture).
void Preview(HDC dc);
