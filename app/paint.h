// The window's own paint: the status line and, below the list, the drive bars, the chart or
// the preview.
#pragma once

// Paints the status line and the pane under the list. Lower layers ask for it with AskPaint.
void Paint();
