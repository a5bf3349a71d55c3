// The window's place and size on the screen, as stored in the settings.
#pragma once

struct WindowGeometry {
    int x, y, width, height;
};
