#include "fileops/clnk.h"

#include <cstring>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/log.h"
#include "core/names.h"
#include "core/paths.h"

CLnk::CLnk(FILE* log) : log_(log) {
    hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          (void**)link_.out());
    if (FAILED(hr)) {
        link_.reset();
        if (log_)
            log_line("%s\tCLnk::CoCreateInstance () failed: 0x%08x\n", time_stamp(), (unsigned)hr);
        return;
    }
    hr = link_->QueryInterface(IID_IPersistFile, (void**)file_.out());
    if (FAILED(hr)) {
        file_.reset();
        if (log_)
            log_line("%s\tCLnk::QueryInterface (IID_IPersistFile) failed: 0x%08x\n", time_stamp(),
                     (unsigned)hr);
    }
}

CLnk::~CLnk() {
    // The component library is still in use here: its scope is the last member to go.
    file_.reset();
    link_.reset();
}

void CLnk::clear() {
    arguments.clear();
    description.clear();
    icon_location.clear();
    path.clear();
    working_dir.clear();
    icon_index = 0;
}

namespace {

// Logs a failed step of a read or a write and goes on with the next.
void Step(FILE* log, HRESULT result, const char* what) {
    if (FAILED(result) && log)
        log_line("%s\tCLnk::%s () failed: 0x%08x\n", time_stamp(), what, (unsigned)result);
}

}  // namespace

namespace {

// The link object's texts are of at most 259 characters; a read gets room for more, so that a
// longer one is seen whole and refused rather than cut into the name of another program.
const int kLinkText = 4 * MAX_PATH;

// Reads one text of the link into `out` (as it was when the read fails or the text does not
// convert); false then.
template <typename Get> bool ReadText(FILE* log, const char* what, std::string& out, Get get) {
    std::wstring wide(kLinkText, L'\0');
    HRESULT hr = get(&wide[0], kLinkText);
    Step(log, hr, what);
    if (FAILED(hr)) return false;
    wide[kLinkText - 1] = L'\0';
    wide.resize(wcslen(wide.c_str()));
    std::string text = NarrowText(wide);
    if (text.empty() && !wide.empty()) return false;
    out = text;
    return true;
}

}  // namespace

int CLnk::get_link(const char* shortcut) {
    if (!link_.get() || !file_.get()) return 2;
    std::wstring wide = shortcut ? WideText(shortcut) : std::wstring();
    if (wide.empty()) return 1;
    hr = file_->Load(wide.c_str(), STGM_READ);
    if (FAILED(hr)) return 1;
    ReadText(log_, "GetArguments", arguments,
             [this](WCHAR* t, int n) { return link_->GetArguments(t, n); });
    ReadText(log_, "GetDescription", description,
             [this](WCHAR* t, int n) { return link_->GetDescription(t, n); });
    ReadText(log_, "GetIconLocation", icon_location,
             [this](WCHAR* t, int n) { return link_->GetIconLocation(t, n, &icon_index); });
    std::string target;
    bool read = ReadText(log_, "GetPath", target,
                         [this](WCHAR* t, int n) { return link_->GetPath(t, n, nullptr, 0); });
    bool target_fits = read && PathUnits(target) <= kShortPathUnits;
    path = target_fits ? target : std::string();
    ReadText(log_, "GetWorkingDirectory", working_dir,
             [this](WCHAR* t, int n) { return link_->GetWorkingDirectory(t, n); });
    hr = S_OK;
    if (!target_fits) {
        if (log_)
            log_line("%s\tCLnk::get_link () %s failed: the target passes 259 characters ...\n",
                     time_stamp(), shortcut);
        return 3;
    }
    if (log_) log_line("%s\tCLnk::get_link () %s OK ...\n", time_stamp(), path.c_str());
    return 0;
}

int CLnk::set_link(const char* shortcut) {
    if (!link_.get() || !file_.get()) return 2;
    Step(log_, hr = link_->SetArguments(WideText(arguments.c_str()).c_str()), "SetArguments");
    Step(log_, hr = link_->SetDescription(WideText(description.c_str()).c_str()), "SetDescription");
    Step(log_, hr = link_->SetIconLocation(WideText(icon_location.c_str()).c_str(), icon_index),
         "SetIconLocation");
    Step(log_, hr = link_->SetPath(WideText(path.c_str()).c_str()), "SetPath");
    Step(log_, hr = link_->SetWorkingDirectory(WideText(working_dir.c_str()).c_str()),
         "SetWorkingDirectory");
    std::wstring wide = shortcut ? WideText(shortcut) : std::wstring();
    hr = !wide.empty() ? file_->Save(wide.c_str(), TRUE) : E_INVALIDARG;
    if (FAILED(hr)) {
        if (log_) log_line("%s\tCLnk::set_link () failed: 0x%08x\n", time_stamp(), (unsigned)hr);
        return 1;
    }
    if (log_) log_line("%s\tCLnk::set_link () %s OK ...\n", time_stamp(), shortcut);
    return 0;
}

namespace {

const size_t kLargestShortcut = 64 * 1024;

uint32_t Read32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24); }
uint32_t Read16(const unsigned char* p) { return p[0] | (p[1] << 8); }

// Whether an 8-bit string starting at `at` ends (with its zero) before `end` and within 259
// characters: the system's code page spells a character in at most two bytes.
bool StringEnds(const unsigned char* data, size_t at, size_t end) {
    for (size_t i = at; i < end && i - at < 2 * MAX_PATH; i++)
        if (data[i] == 0) return true;
    return false;
}

}  // namespace

const char* ShortcutProblem(const unsigned char* data, size_t size) {
    static const unsigned char kLinkClass[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    if (size > kLargestShortcut) return "larger than 64 KB";
    if (size < 0x4C || Read32(data) != 0x4C || memcmp(data + 4, kLinkClass, 16) != 0)
        return "no shell link header";
    uint32_t flags = Read32(data + 0x14);
    size_t at = 0x4C;
    if (flags & 0x1) {  // the item list: its size, then items of their own sizes, then zero
        if (at + 2 > size) return "the item list passes the end";
        size_t list = Read16(data + at), end = at + 2 + list;
        if (end > size) return "the item list passes the end";
        size_t item = at + 2;
        for (;;) {
            if (item + 2 > end) return "an item passes its list";
            size_t n = Read16(data + item);
            if (n == 0) break;
            if (n < 2 || item + n > end) return "an item passes its list";
            item += n;
        }
        at = end;
    }
    if (flags & 0x2) {  // the link information
        if (at + 0x1C > size) return "the link information passes the end";
        size_t info = Read32(data + at), header = Read32(data + at + 4);
        if (info < 0x1C || info > size - at || header < 0x1C || header > info)
            return "the link information passes the end";
        uint32_t info_flags = Read32(data + at + 8);
        if (info_flags & 0x1) {
            size_t base = Read32(data + at + 16);
            if (base >= info || !StringEnds(data, at + base, at + info))
                return "the base path passes its bounds";
        }
        size_t suffix = Read32(data + at + 24);
        if (suffix >= info || !StringEnds(data, at + suffix, at + info))
            return "the path suffix passes its bounds";
        at += info;
    }
    size_t unit = (flags & 0x80) ? 2 : 1;
    for (uint32_t bit : {0x4u, 0x8u, 0x10u, 0x20u, 0x40u}) {
        if (!(flags & bit)) continue;
        if (at + 2 > size) return "a string passes the end";
        size_t count = Read16(data + at);
        if (count > MAX_PATH - 1) return "a string longer than 259 characters";
        if (at + 2 + count * unit > size) return "a string passes the end";
        at += 2 + count * unit;
    }
    return nullptr;
}

const char* ShortcutFileProblem(const char* path) {
    Handle file = OpenDiskFile(path);
    if (!file) return "it cannot be opened";
    std::vector<unsigned char> bytes(kLargestShortcut + 1);
    DWORD got = 0;
    bool read = ReadFile(file.get(), bytes.data(), (DWORD)bytes.size(), &got, nullptr) != 0;
    file.reset();
    if (!read) return "it cannot be read";
    return ShortcutProblem(bytes.data(), got);
}
