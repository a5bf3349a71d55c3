#include "fileops/cadp.h"

#include <windows.h>
#include <wininet.h>
#include <shlobj.h>
#include <shlguid.h>
#include <cstring>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/outcome.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "fileops/clnk.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "core/handles.h"

namespace {

// The platform's own way when the active desktop cannot take the picture: the stretch
// style goes into the user's desktop settings, where the documented values live, and the
// wallpaper is set through the system parameters. That call takes any text, so the file
// must be there first.
bool SetThroughSystemParameters(const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return false;
    RegKey key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", key.out()) == ERROR_SUCCESS) {
        RegSetValueExA(key.get(), "WallpaperStyle", 0, REG_SZ, (const BYTE*)"2", 2);
        RegSetValueExA(key.get(), "TileWallpaper", 0, REG_SZ, (const BYTE*)"0", 2);
    }
    std::string text = path;
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, &text[0],
                                 SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != 0;
}

}  // namespace

bool WallpaperName(const char* name) {
    const char* dot = name ? strrchr(name, '.') : nullptr;
    return dot && (strstr(dot, ".jpg") || strstr(dot, ".png"));
}

CADP::CADP(FILE* log) : log_(log) {
    if (log_) log_line("%s\tCADP::CADP () OK ...\n", time_stamp());
}

CADP::~CADP() {
    if (log_) log_line("%s\tCADP::~CADP () OK ...\n", time_stamp());
}

int CADP::set_dpwp(const char* path) {
    // The desktop takes no path longer than 259 characters: a longer one is never cut.
    std::wstring wide = path ? WideText(path) : std::wstring();
    if (wide.empty() || wide.size() > kShortPathUnits) {
        if (log_) log_line("%s\tCADP::SetWallpaper (%s) failed ...\n", time_stamp(), path);
        return 2;
    }
    ComPtr<IActiveDesktop> desktop;
    HRESULT hr = CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IActiveDesktop, (void**)desktop.out());
    int result = 0;
    if (FAILED(hr) || !desktop.get()) {
        if (log_)
            log_line("%s\tCADP::CoCreateInstance (IID_IActiveDesktop) failed ...\n", time_stamp());
        result = 1;
    } else if (FAILED(desktop->SetWallpaper(wide.c_str(), 0))) {
        if (log_) log_line("%s\tCADP::SetWallpaper (%s) failed ...\n", time_stamp(), path);
        result = 2;
    } else {
        WALLPAPEROPT options = {sizeof options, WPSTYLE_STRETCH};
        if (FAILED(desktop->SetWallpaperOptions(&options, 0)) && log_)
            log_line("%s\tCADP::SetWallpaperOptions (WPSTYLE_STRETCH) failed ...\n", time_stamp());
        desktop->ApplyChanges(AD_APPLY_ALL);
    }
    if (result != 0) {
        if (!SetThroughSystemParameters(path)) {
            DWORD error = GetLastError();
            if (log_)
                log_line("%s\tCADP::SystemParametersInfo (%s) failed ...\n", time_stamp(), path);
            // The caller tells why.
            SetLastError(error);
            return result;
        }
        if (log_) log_line("%s\tCADP::SystemParametersInfo (%s) OK ...\n", time_stamp(), path);
    }
    if (log_) log_line("%s\tCADP::set_dpwp (%s) OK ...\n", time_stamp(), path);
    return 0;
}

void Wallpaper() {
    CADP desktop(mcfg.log);
    const FolderEntry* e = FirstSelectedEntry();
    if (!e || !WallpaperName(e->name())) return;
    std::string path;
    // The row's own path, as every operation composes it.
    if (!OperandPath(*e, &path)) return;
    // The desktop takes no longer path, and a shortened one would name another file.
    if (PathUnits(path) > kShortPathUnits) {
        MsgBox((LongPathText(path, kShortPathUnits, "the desktop's wallpaper") +
                "\n\nCopy the picture into a folder with a shorter path and make that copy the "
                "wallpaper. Nothing was done.")
                   .c_str());
        return;
    }
    if (desktop.set_dpwp(path.c_str()) == 0) return;
    DWORD error = GetLastError();
    if (!error) error = ERROR_NOT_SUPPORTED;
    TellNotDone("Wallpaper", path.c_str(), error,
                {NotDoneLine("\"" + path + "\" was not made the wallpaper", error)});
}
