#include "core/mcfg.h"

Mcfg mcfg;

const char* const kDefaultSettingsKey = "SOFTWARE\\Halvorin\\Trelvista";
const char* settings_key = kDefaultSettingsKey;

void SetMode(ModeChange change) {
    switch (change) {
    case kShowFolder:
        mcfg.drives_mode = 0;
        mcfg.find_mode = 0;
        break;
    case kShowDrives:
        mcfg.drives_mode = 1;
        mcfg.preview = 0;
        break;
    case kStartFind:
        mcfg.drives_mode = 0;
        mcfg.size_mode = 0;
        break;
    case kShowFound: mcfg.find_mode = 1; break;
    case kToggleSize:
        mcfg.preview = 0;
        mcfg.size_mode = !mcfg.size_mode;
        break;
    case kTogglePreview:
        mcfg.size_mode = 0;
        if (!mcfg.drives_mode) mcfg.preview = !mcfg.preview;
        break;
    }
}
