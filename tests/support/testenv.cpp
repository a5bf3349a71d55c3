#include "tests/support/testenv.h"

#include <shlobj.h>

#include "tests/support/picture_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "fileops/cshl.h"
#include "fileops/transfer.h"

namespace tv {

namespace {

std::string TempRoot() {
    char buffer[MAX_PATH] = {};
    const char* temp = getenv("TEMP");
    if (temp && *temp)
        lstrcpynA(buffer, temp, sizeof buffer);
    else
        GetTempPathA(sizeof buffer, buffer);
    std::string root = buffer;
    while (!root.empty() && root.back() == '\\')
        root.pop_back();
    return root;
}

void MakeDirs(const std::string& path) {
    for (size_t i = 3; i <= path.size(); i++) {
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

TempTree::TempTree(const char* tag) {
    static unsigned serial = 0;
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%s\\tv-%s-%lu-%u-%lu", TempRoot().c_str(), tag,
             GetCurrentProcessId(), ++serial, GetTickCount());
    root_ = name;
    RemoveTree(root_);
    MakeDirs(root_);
}

TempTree::~TempTree() { RemoveTree(root_); }

std::string TempTree::path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
}

std::string TempTree::dir(const std::string& relative) const {
    std::string p = path(relative);
    MakeDirs(p);
    return p;
}

std::string TempTree::file(const std::string& relative, const std::string& content) const {
    std::string p = path(relative);
    size_t slash = p.rfind('\\');
    if (slash != std::string::npos) MakeDirs(p.substr(0, slash));
    HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!content.empty())
            WriteFile(h, content.data(), (DWORD)content.size(), &written, nullptr);
        CloseHandle(h);
    }
    return p;
}

std::string TempTree::sized_file(const std::string& relative, long long size) const {
    std::string p = file(relative);
    HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER at;
        at.QuadPart = size;
        SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        CloseHandle(h);
    }
    return p;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
            std::string child = path + "\\" + fd.cFileName;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A linked folder is removed as a link; what it points at stays.
            if ((fd.dwFileAttributes & 0x410) == 0x10)
                RemoveTree(child);
            else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(child.c_str());
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::string ReadFile(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "";
    std::string data;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    fclose(f);
    return data;
}

void PumpMessages(bool program_loop) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (program_loop) {
            LoopStep(msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms, bool program_loop) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages(program_loop);
        if (condition()) return true;
        if (GetTickCount() - start >= timeout_ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

HWND WaitForWindow(const char* window_class, const char* title, DWORD timeout_ms, DWORD pid) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND h = FindWindowExA(nullptr, nullptr, window_class, title); h;
                 h = FindWindowExA(nullptr, h, window_class, title)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                if (pid == 0 || owner == pid) {
                    found = h;
                    return true;
                }
            }
            return false;
        },
        timeout_ms);
    return found;
}

DialogPresser::DialogPresser(const char* title, int button_id, DWORD timeout_ms)
    : title_(title), button_(button_id), timeout_(timeout_ms) {
    thread_ = std::thread([this] {
        DWORD start = GetTickCount();
        while (!stop_ && GetTickCount() - start < timeout_) {
            HWND h = FindWindowA("#32770", title_.c_str());
            HWND button = h ? GetDlgItem(h, button_) : nullptr;
            if (button && IsWindowVisible(h)) {
                dialog_ = h;
                // A message box shows its text in a static control of id 0xFFFF.
                // The text may be as long as a path can be: it is read whole.
                HWND label = GetDlgItem(h, 0xFFFF);
                int units = label ? GetWindowTextLengthW(label) : 0;
                if (units > 0) {
                    std::wstring wide((size_t)units + 1, L'\0');
                    int got = GetWindowTextW(label, &wide[0], units + 1);
                    wide.resize(got > 0 ? (size_t)got : 0);
                    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(),
                                                    nullptr, 0, nullptr, nullptr);
                    std::string narrow(bytes > 0 ? (size_t)bytes : 0, '\0');
                    if (bytes > 0)
                        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), &narrow[0],
                                            bytes, nullptr, nullptr);
                    text_ = narrow;
                }
                // BM_CLICK is sent to the dialog's thread, which is inside its modal loop.
                PostMessageA(h, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), (LPARAM)button);
                pressed_ = true;
                return;
            }
            Sleep(10);
        }
    });
}

DialogPresser::~DialogPresser() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void DialogPresser::wait() {
    if (thread_.joinable()) thread_.join();
}

PopupCloser::PopupCloser(DWORD timeout_ms) : timeout_(timeout_ms) {
    thread_ = std::thread([this] {
        DWORD start = GetTickCount();
        while (!stop_ && GetTickCount() - start < timeout_) {
            HWND menu = FindWindowA("#32768", nullptr);
            if (menu && IsWindowVisible(menu)) {
                GetWindowRect(menu, &place_);
                DWORD_PTR shown = 0;
                if (SendMessageTimeoutA(menu, MN_GETHMENU, 0, 0, SMTO_BLOCK, 2000, &shown))
                    menu_ = (HMENU)shown;
                PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                EndMenu();
                closed_ = true;
                return;
            }
            Sleep(10);
        }
    });
}

PopupCloser::~PopupCloser() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

std::vector<unsigned> CaptureClient(HWND hwnd, int& width, int& height) {
    RECT client;
    GetClientRect(hwnd, &client);
    width = client.right;
    height = client.bottom;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<unsigned> pixels;
    if (dib) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        pixels.assign((unsigned*)bits, (unsigned*)bits + (size_t)width * height);
        // The fourth byte is whatever the drawing left there (a copied bitmap's alpha).
        for (unsigned& p : pixels)
            p &= 0x00FFFFFF;
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(hwnd, screen);
    return pixels;
}

std::string UnixPath(const std::string& path) {
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    ToUnix to_unix =
        (ToUnix)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!to_unix) return "";
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
    char* unix_path = to_unix(wide);
    if (!unix_path) return "";
    std::string result = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    return result;
}

namespace {

int ListedCount(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do {
        if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, "..")) n++;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

}  // namespace

bool MakeLossyNames(const std::string& folder, const std::string& file_bytes,
                    const std::string& inner_bytes) {
    // The script is plain ASCII: the names' UTF-8 bytes come from printf's octal escapes, so
    // no code page stands between the test and the Linux file names.
    TempTree scripts("script");
    std::string file =
        scripts.file("run.sh", "cd '" + UnixPath(folder) +
                                   "' || exit 1\n"
                                   "n=$(printf '\\346\\227\\245\\346\\234\\254\\350\\252\\236')\n"
                                   "d=$(printf '\\346\\227\\245\\346\\234\\254')\n"
                                   "printf '" +
                                   file_bytes +
                                   "' > \"$n.txt\"\n"
                                   "mkdir \"$d\"\n"
                                   "printf '" +
                                   inner_bytes + "' > \"$d/in.dat\"\n");
    int before = ListedCount(folder);
    return RunLinux("/bin/sh " + UnixPath(file), [&] { return ListedCount(folder) == before + 2; });
}

namespace {

// The bytes as printf's octal escapes: no code page stands between the test and the names.
std::string Octal(const std::string& bytes) {
    std::string out;
    char escape[8];
    for (unsigned char c : bytes) {
        snprintf(escape, sizeof escape, "\\%03o", c);
        out += escape;
    }
    return out;
}

}  // namespace

FolderEntry MakeEntry(const WIN32_FIND_DATAA& record, const Reach& reach) {
    static EntryList kept;
    if (!kept.append(record, reach)) return FolderEntry();
    return *kept[kept.size() - 1];
}

FolderEntry MakeEntry(const char* name, DWORD attributes) {
    WIN32_FIND_DATAA record = {};
    lstrcpynA(record.cFileName, name, sizeof record.cFileName);
    record.dwFileAttributes = attributes;
    return MakeEntry(record);
}

bool MakeLinuxEntries(const std::string& folder, const std::vector<LinuxEntry>& entries) {
    std::string root = UnixPath(folder);
    if (root.empty()) return false;
    TempTree scripts("script");
    std::string done = scripts.path("done");
    std::string script = "cd '" + root + "' || exit 1\n";
    for (const LinuxEntry& e : entries) {
        script += "n=\"$(printf '" + Octal(e.name) + "')\"\n";
        switch (e.kind) {
        case LinuxEntry::kFile: script += "printf '" + Octal(e.content) + "' > \"$n\"\n"; break;
        case LinuxEntry::kFolder: script += "mkdir -p \"$n\"\n"; break;
        case LinuxEntry::kFifo: script += "mkfifo \"$n\"\n"; break;
        case LinuxEntry::kLink: script += "ln -s '" + e.content + "' \"$n\"\n"; break;
        case LinuxEntry::kIdleFifo:
            // The writer's open waits for a reader; it is bounded, so no writer outlives a minute.
            script += "mkfifo \"$n\"\ntimeout 60 sh -c 'exec 3>\"$0\"; sleep 60' \"$n\" "
                      "</dev/null >/dev/null 2>&1 &\n";
            break;
        }
    }
    script += "touch '" + UnixPath(done) + "'\n";
    std::string file = scripts.file("run.sh", script);
    return RunLinux("/bin/sh " + UnixPath(file),
                    [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

TmpfsMount::TmpfsMount(const std::string& folder, const std::string& options)
    : unix_(UnixPath(folder)) {
    CreateDirectoryA(folder.c_str(), nullptr);
    mounted_ = !unix_.empty() &&
               RunLinuxAndWait("mount -t tmpfs -o '" + options + "' tmpfs '" + unix_ + "' 2>/dev/null");
}

TmpfsMount::~TmpfsMount() {
    // Lazily: a handle the program still holds must not keep the mount behind.
    if (mounted_) RunLinuxAndWait("umount -l '" + unix_ + "'");
}

std::vector<std::wstring> WideNames(const std::string& folder) {
    std::vector<std::wstring> names;
    std::wstring pattern(folder.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &pattern[0], (int)pattern.size());
    if (n <= 0) return names;
    pattern.resize((size_t)n - 1);
    pattern += L"\\*";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) names.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

bool RunLinux(const std::string& command, const std::function<bool()>& done, DWORD timeout_ms) {
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return WaitUntil(done, timeout_ms);
}

bool RunLinuxAndWait(const std::string& command) {
    // Wine's own way to start a Linux program and wait for its end.
    typedef LONG(__cdecl * Spawn)(char* const argv[], int wait);
    Spawn spawn = (Spawn)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                "__wine_unix_spawnvp");
    if (!spawn) return false;
    std::string line = command;
    char* argv[] = {(char*)"/bin/sh", (char*)"-c", &line[0], nullptr};
    return spawn(argv, 1) == 0;
}

bool Xdotool(const std::string& arguments) { return RunLinuxAndWait("xdotool " + arguments); }

bool MakeFolderLink(const std::string& target, const std::string& link) {
    std::string from = UnixPath(target), to = UnixPath(link);
    if (from.empty() || to.empty()) return false;
    return RunLinux("/bin/ln -s \"" + from + "\" \"" + to + "\"", [&] {
        DWORD attributes = GetFileAttributesA(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & 0x410) == 0x410;
    });
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ClipboardBlock() {
    std::string bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HGLOBAL h = GetClipboardData(CF_HDROP)) {
        SIZE_T size = GlobalSize(h);
        if (const char* p = (const char*)GlobalLock(h)) {
            bytes.assign(p, size);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return bytes;
}

bool PutFilesOnClipboard(const std::vector<std::string>& paths) {
    PathList list;
    for (const std::string& p : paths)
        list.append(p.c_str());
    list.close();
    return PutClipboardBlock(BuildDropBlock(list));
}

std::string WideListBytes(const std::string& list) {
    std::string out;
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find('\0', at);
        if (end == std::string::npos) end = list.size();
        std::string path = list.substr(at, end - at);
        if (!path.empty()) {
            std::wstring wide(path.size(), L'\0');
            int n = MultiByteToWideChar(CP_ACP, 0, path.data(), (int)path.size(), &wide[0],
                                        (int)wide.size());
            out.append((const char*)wide.data(), (size_t)n * sizeof(WCHAR));
        }
        if (end < list.size()) out.append(2, '\0');
        at = end + 1;
    }
    return out;
}

std::string WideDropBlock(const std::vector<std::wstring>& paths) {
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string block((const char*)&header, sizeof header);
    for (const std::wstring& p : paths)
        block.append((const char*)p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    block.append(2, '\0');
    return block;
}

bool PutClipboardBlock(const std::string& image, DWORD effect, size_t effect_size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, image.size());
    if (!block) return false;
    memcpy(GlobalLock(block), image.data(), image.size());
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool set = SetClipboardData(CF_HDROP, block) != nullptr;
    if (!set) GlobalFree(block);
    if (set && effect) {
        HGLOBAL mark = GlobalAlloc(GMEM_MOVEABLE, effect_size);
        memcpy(GlobalLock(mark), &effect, effect_size < sizeof effect ? effect_size : sizeof effect);
        GlobalUnlock(mark);
        set = SetClipboardData(RegisterClipboardFormatA("Preferred DropEffect"), mark) != nullptr;
        if (!set) GlobalFree(mark);
    }
    CloseClipboard();
    return set;
}

bool WritePicture(const std::string& path, int w, int h, unsigned rgb, bool jpeg) {
    CoInitialize(nullptr);
    bool ok = WritePictureFile(path, w, h, jpeg, [rgb](int, int) { return rgb; });
    CoUninitialize();
    return ok;
}

std::string HelperExe() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.rfind('\\')) + "\\tv_helper.exe";
}

std::string HelperOutput(const std::string& path) {
    DeleteFileA(path.c_str());
    SetEnvironmentVariableA("TV_HELPER_OUT", path.c_str());
    return path;
}

HelperRun WaitForHelper(const std::string& path, DWORD timeout_ms) {
    HelperRun run;
    std::string text;
    if (!WaitUntil([&] { return !(text = ReadFile(path)).empty(); }, timeout_ms)) return run;
    size_t nl = text.find('\n');
    run.command_line = text.substr(0, nl);
    if (nl != std::string::npos) {
        size_t end = text.find('\n', nl + 1);
        run.folder = text.substr(nl + 1, end == std::string::npos ? end : end - nl - 1);
    }
    return run;
}

std::string LogPath() { return TempRoot() + "\\trelvista.log"; }

std::string ReadLog() {
    // The log is a text file: its lines end in CR LF on the platform.
    std::string log = ReadFile(LogPath()), text;
    text.reserve(log.size());
    for (char c : log)
        if (c != '\r') text.push_back(c);
    return text;
}

std::vector<std::string> LogEntries() {
    std::vector<std::string> entries;
    std::string log = ReadLog();
    size_t pos = 0;
    int line = 0;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        if (end == std::string::npos) end = log.size();
        std::string text = log.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        pos = end + 1;
        if (line++ < 3) continue;  // the two-line header and its blank line
        size_t tab = text.find('\t');
        entries.push_back(tab == std::string::npos ? text : text.substr(tab + 1));
    }
    return entries;
}

int FindEntry(const std::vector<std::string>& entries, const std::string& prefix, int from) {
    for (int i = from < 0 ? 0 : from; i < (int)entries.size(); i++)
        if (entries[i].compare(0, prefix.size(), prefix) == 0) return i;
    return -1;
}

TestRegKey::TestRegKey(const char* name) {
    char key[MAX_PATH];
    snprintf(key, sizeof key, "SOFTWARE\\TrelvistaTests\\%s-%lu", name, GetCurrentProcessId());
    key_ = key;
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
}

TestRegKey::~TestRegKey() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

void TestRegKey::set_raw(const char* name, DWORD type, const void* data, DWORD size) const {
    HKEY h;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key_.c_str(), &h) != ERROR_SUCCESS) return;
    RegSetValueExA(h, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(h);
}

void TestRegKey::set_dword(const char* name, DWORD value) const {
    set_raw(name, REG_DWORD, &value, sizeof value);
}

void TestRegKey::set_string(const char* name, const char* value, DWORD type) const {
    set_raw(name, type, value, (DWORD)strlen(value) + 1);
}

std::string TestRegKey::get_string(const char* name) const {
    char buffer[512] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "<missing>";
    LONG status = RegQueryValueExA(h, name, nullptr, &type, (BYTE*)buffer, &size);
    RegCloseKey(h);
    return status == ERROR_SUCCESS ? std::string(buffer) : "<missing>";
}

}  // namespace tv

namespace tv {

bool WriteWideNamed(const std::string& folder, const wchar_t* name, const std::string& bytes) {
    std::wstring path(folder.begin(), folder.end());
    path += L"\\";
    path += name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool MakeLookAlikes(const std::string& folder) {
    return WriteWideNamed(folder, L"a.txt", "1") &&
           WriteWideNamed(folder, L"\x0101.txt", std::string(49, 'm')) &&
           WriteWideNamed(folder, L"\xFF41.txt", std::string(7, 'f'));
}

// A drop handle of one file, as the desktop posts it.
HGLOBAL DropOf(const std::string& path) {
    PathList list;
    list.append(path.c_str());
    list.close();
    std::string image = BuildDropBlock(list);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, image.size());
    memcpy(GlobalLock(block), image.data(), image.size());
    GlobalUnlock(block);
    return block;
}


}  // namespace tv
