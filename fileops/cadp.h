// The desktop wallpaper.
#pragma once

#include <cstdio>

#include "core/com.h"

class CADP {
  public:
    explicit CADP(FILE* log);
    ~CADP();
    CADP(const CADP&) = delete;
    CADP& operator=(const CADP&) = delete;
    // Makes the picture the wallpaper, stretched: 0 set, 1 no active desktop object and no
    // other way, 2 refused.
    int set_dpwp(const char* path);

  private:
    ComScope com_;
    FILE* log_;
};

// Whether a name is one the wallpaper takes: the part from its last dot holds ".jpg" or
// ".png" (letter case counts).
bool WallpaperName(const char* name);
