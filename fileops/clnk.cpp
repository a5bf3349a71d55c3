#include "fileops/clnk.h"

#include <cstring>
#include <initializer_list>

#include "app/log.h"

bool WidePath(const char* path, WCHAR* out, int size) {
    out[0] = L'\0';
    return MultiByteToWideChar(CP_ACP, 0, path, -1, out, size) > 0;
}

CLnk::CLnk(FILE* log) : log_(log) {
    hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                          (void**)&link_);
    if (FAILED(hr)) {
        link_ = nullptr;
        if (log_)
            log_line("%s\tCLnk::CoCreateInstance () failed: 0x%08x\n", time_stamp(), (unsigned)hr);
        return;
    }
    hr = link_->QueryInterface(IID_IPersistFile, (void**)&file_);
    if (FAILED(hr)) {
        file_ = nullptr;
        if (log_)
            log_line("%s\tCLnk::QueryInterface (IID_IPersistFile) failed: 0x%08x\n", time_stamp(),
                     (unsigned)hr);
    }
}

CLnk::~CLnk() {
    if (file_) file_->Release();
    if (link_) link_->Release();
}

void CLnk::clear() {
    arguments[0] = description[0] = icon_location[0] = path[0] = working_dir[0] = '\0';
    icon_index = 0;
}

namespace {

// Logs a failed step of a read or a write and goes on with the next.
void Step(FILE* log, HRESULT result, const char* what) {
    if (FAILED(result) && log)
        log_line("%s\tCLnk::%s () failed: 0x%08x\n", time_stamp(), what, (unsigned)result);
}

}  // namespace

int CLnk::get_link(const char* shortcut) {
    if (!link_ || !file_) return 2;
    WCHAR wide[MAX_PATH];
    if (!WidePath(shortcut, wide, MAX_PATH)) return 1;
    hr = file_->Load(wide, STGM_READ);
    if (FAILED(hr)) return 1;
    Step(log_, hr = link_->GetArguments(arguments, sizeof arguments), "GetArguments");
    Step(log_, hr = link_->GetDescription(description, sizeof description), "GetDescription");
    Step(log_, hr = link_->GetIconLocation(icon_location, sizeof icon_location, &icon_index),
         "GetIconLocation");
    // The target is read into room for more than a path can hold, so that a longer one is seen
    // whole and refused rather than cut into the name of another program.
    char target[4 * MAX_PATH] = {};
    Step(log_, hr = link_->GetPath(target, sizeof target, nullptr, 0), "GetPath");
    target[sizeof target - 1] = '\0';
    bool target_fits = strlen(target) <= MAX_PATH - 1;
    lstrcpynA(path, target_fits ? target : "", sizeof path);
    Step(log_, hr = link_->GetWorkingDirectory(working_dir, sizeof working_dir),
         "GetWorkingDirectory");
    // A failed read leaves its text as it was: each is ended within its buffer all the same.
    for (char* text : {arguments, description, icon_location, path, working_dir})
        text[MAX_PATH - 1] = '\0';
    if (!target_fits) {
        if (log_)
            log_line("%s\tCLnk::get_link () %s failed: the target passes 259 characters ...\n",
                     time_stamp(), shortcut);
        return 3;
    }
    if (log_) log_line("%s\tCLnk::get_link () %s OK ...\n", time_stamp(), path);
    return 0;
}

int CLnk::set_link(const char* shortcut) {
    if (!link_ || !file_) return 2;
    Step(log_, hr = link_->SetArguments(arguments), "SetArguments");
    Step(log_, hr = link_->SetDescription(description), "SetDescription");
    Step(log_, hr = link_->SetIconLocation(icon_location, icon_index), "SetIconLocation");
    Step(log_, hr = link_->SetPath(path), "SetPath");
    Step(log_, hr = link_->SetWorkingDirectory(working_dir), "SetWorkingDirectory");
    WCHAR wide[MAX_PATH];
    hr = WidePath(shortcut, wide, MAX_PATH) ? file_->Save(wide, TRUE) : E_INVALIDARG;
    if (FAILED(hr)) {
        if (log_) log_line("%s\tCLnk::set_link () failed: 0x%08x\n", time_stamp(), (unsigned)hr);
        return 1;
    }
    if (log_) log_line("%s\tCLnk::set_link () %s OK ...\n", time_stamp(), shortcut);
    return 0;
}
