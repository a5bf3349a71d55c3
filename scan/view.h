// The drive bars, the size chart and the image preview under the list.
#pragma once

#include <windows.h>

void View(HDC dc);
void ChartHit(int x, int y);
