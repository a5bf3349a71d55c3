#include "scan/view.h"

// Placeholder until the chart painter is built: draws nothing.
void View(HDC) {}

// Placeholder until the chart painter is built.
void ChartHit(int, int) {}
