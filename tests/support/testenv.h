// Shared helpers of the tests: file trees, bounded waits, dialogs and popup menus opened by
// the code under test, the log file and a registry key of the test's own.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <thread>
#include <atomic>
#include <vector>

#include "core/entry.h"

namespace tv {

// A folder entry made from a find record (its folder place from dwReserved1), as a listing
// makes it; its names stay for the rest of the test program. For tests that hand routines an
// entry of no list of the program's.
FolderEntry MakeEntry(const WIN32_FIND_DATAA& record, const Reach& reach = Reach());
// The same from a name and attributes, with no short name.
FolderEntry MakeEntry(const char* name, DWORD attributes = 0);

// A folder of the test's own below %TEMP%, removed with everything in it at the end.
class TempTree {
  public:
    explicit TempTree(const char* tag = "tree");
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    // The Windows path of `relative` below the root ("" gives the root itself).
    std::string path(const std::string& relative = "") const;
    // Creates the folder and its missing parents.
    std::string dir(const std::string& relative) const;
    // Writes a file (parents created) with the given bytes.
    std::string file(const std::string& relative, const std::string& content = "") const;
    // Creates a file of `size` bytes without writing them (a sparse end-of-file).
    std::string sized_file(const std::string& relative, long long size) const;

  private:
    std::string root_;
};

// Removes a folder and everything below it (best effort).
void RemoveTree(const std::string& path);

// Reads a whole file; "" when it cannot be read.
std::string ReadFile(const std::string& path);

// Polls `condition` until it holds or `timeout_ms` runs out, dispatching the messages of
// this thread meanwhile (through the program's own loop step when `program_loop` is set).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms = 10000,
               bool program_loop = false);

// Dispatches every message waiting for this thread.
void PumpMessages(bool program_loop = false);

// Waits for a top-level window of the class (and title, when given) owned by `pid`
// (0: any process); none when the time runs out.
HWND WaitForWindow(const char* window_class, const char* title, DWORD timeout_ms, DWORD pid = 0);

// A thread that waits for a dialog (class "#32770") with the title and presses a button.
// Used around a call that opens a modal dialog on the test's own thread.
class DialogPresser {
  public:
    DialogPresser(const char* title, int button_id, DWORD timeout_ms = 10000);
    ~DialogPresser();
    // True once the dialog was found and its button pressed.
    bool pressed() const { return pressed_; }
    HWND dialog() const { return dialog_; }
    // The text of a message box that was pressed (its static text, in the program's code
    // page); read once the presser has ended (after its scope or wait()).
    const std::string& text() const { return text_; }
    // Waits for the presser's thread to end.
    void wait();

  private:
    std::string text_;
    std::string title_;
    int button_;
    DWORD timeout_;
    std::atomic<bool> pressed_{false};
    std::atomic<HWND> dialog_{nullptr};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A thread that closes the first popup menu that opens within the time (Escape on the menu
// window, then EndMenu), for calls that track a popup menu on the test's own thread. It
// notes where the menu stood on the screen and which menu it showed.
class PopupCloser {
  public:
    explicit PopupCloser(DWORD timeout_ms = 10000);
    ~PopupCloser();
    bool closed() const { return closed_; }
    // Valid once closed() holds.
    RECT place() const { return place_; }
    HMENU menu() const { return menu_; }

  private:
    DWORD timeout_;
    RECT place_ = {};
    HMENU menu_ = nullptr;
    std::atomic<bool> closed_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The client area of a window as it stands on the screen, one 0x00RRGGBB value per
// pixel, rows from the top; its width and height go to the two outputs.
std::vector<unsigned> CaptureClient(HWND hwnd, int& width, int& height);

// The Linux path of a Windows path when running under Wine, "" elsewhere.
std::string UnixPath(const std::string& path);

// Runs a Linux command line (Wine starts Linux programs through CreateProcess) and waits,
// with a bound, until `done` holds: the handle of a Linux process may signal before the
// process has done its work. False when it cannot be started or `done` never holds.
bool RunLinux(const std::string& command, const std::function<bool()>& done,
              DWORD timeout_ms = 20000);

// Runs xdotool with these arguments against the display and waits for it to end: real keys
// and clicks, which reach the window as the user's do (with the key state that accelerators
// read). False when it cannot be run.
bool Xdotool(const std::string& arguments);
// Runs a Linux shell command line and waits for it to end; false when it cannot be run.
bool RunLinuxAndWait(const std::string& command);

// Makes, in `folder` and from the Linux side, a file and a folder whose names hold
// characters outside the ANSI code page: "<japanese>.txt" holding `file_bytes` and the folder
// "<japanese>" with "in.dat" holding `inner_bytes`. Under Wine they list as "???.txt" and
// "??", each with a short name. Waits, with a bound, until both are listed.
bool MakeLossyNames(const std::string& folder, const std::string& file_bytes,
                    const std::string& inner_bytes);

// An entry made from the Linux side, whose name is taken byte for byte (any bytes, also ones
// that are no UTF-8 and ones the platform's path rules would read otherwise).
struct LinuxEntry {
    enum Kind { kFile, kFolder, kFifo, kLink, kIdleFifo } kind = kFile;
    std::string name;     // the bytes of the name below the folder ("d/in.dat" for one below)
    std::string content;  // a file's bytes; a link's target (a Linux path)
};
// Makes the entries in `folder` in order, and waits (bounded) until they are all made. A
// kIdleFifo is a named pipe with a writer that holds it open and writes nothing for a minute.
bool MakeLinuxEntries(const std::string& folder, const std::vector<LinuxEntry>& entries);
// A file system of its own mounted on `folder` (made empty first) from the Linux side, for
// what a full or read-only disk does; mounted() is false where this machine lets no one mount,
// and the test then skips. Unmounted at the end.
class TmpfsMount {
  public:
    TmpfsMount(const std::string& folder, const std::string& options);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return mounted_; }

  private:
    std::string unix_;
    bool mounted_ = false;
};

// The names of a folder as the platform lists them in UTF-16, "." and ".." left out.
std::vector<std::wstring> WideNames(const std::string& folder);

// Makes `link` a Linux symbolic link to the folder `target`, which Wine lists as a linked
// folder (attributes 0x410). False when that cannot be done here.
bool MakeFolderLink(const std::string& target, const std::string& link);

// The tests' stand-in program beside the test program (bin\tv_helper.exe), and the file it
// writes its command line and working folder to: the value of TV_HELPER_OUT, which this
// sets (and which programs started from here inherit). The file is removed first.
std::string HelperExe();
std::string HelperOutput(const std::string& path);
// What the helper wrote, once it has written it (bounded wait): its command line and its
// working folder; empty texts when it never did.
struct HelperRun {
    std::string command_line;
    std::string folder;
};
HelperRun WaitForHelper(const std::string& path, DWORD timeout_ms = 20000);

// Whether anything (file or folder) is at `path`.
bool Exists(const std::string& path);
// The bytes of the clipboard's file-list block (CF_HDROP) as another program reads them; ""
// when there is none.
std::string ClipboardBlock();

// Puts a file list (CF_HDROP, ANSI) on the clipboard as another program would.
bool PutFilesOnClipboard(const std::vector<std::string>& paths);
// Puts the bytes of a CF_HDROP block on the clipboard as they are (crafted ones included).
// With `effect` the list is also marked with "Preferred DropEffect" (DROPEFFECT_MOVE for a
// cut), as the desktop shell marks the lists it puts, in a block of `effect_size` bytes (a
// crafted one may be shorter than the value).
bool PutClipboardBlock(const std::string& bytes, DWORD effect = 0,
                       size_t effect_size = sizeof(DWORD));
// The block of a wide file list (fWide 1), as programs of the wide interface put it.
std::string WideDropBlock(const std::vector<std::wstring>& paths);
// A drop handle of one file, as the desktop posts it.
HGLOBAL DropOf(const std::string& path);

// The bytes of a path list (paths in the program's code page, each ended by a zero, one more
// zero at the end) as the wide list of a file-list block: UTF-16, two zero bytes per zero.
std::string WideListBytes(const std::string& list);

// Writes a picture of w by h pixels in one colour (0x00RRGGBB) through the platform's
// imaging encoders: a PNG, or a JPEG when `jpeg` is set. False when it cannot.
bool WritePicture(const std::string& path, int w, int h, unsigned rgb, bool jpeg);

// The program's log "%TEMP%\trelvista.log".
std::string LogPath();
std::string ReadLog();
// The log's lines after the header, each without its time stamp and tab.
std::vector<std::string> LogEntries();
// Index of the first entry at or after `from` that starts with `prefix`, or -1.
int FindEntry(const std::vector<std::string>& entries, const std::string& prefix, int from = 0);

// A registry key below HKEY_CURRENT_USER that belongs to one test, deleted at the end.
class TestRegKey {
  public:
    explicit TestRegKey(const char* name);
    ~TestRegKey();
    const char* key() const { return key_.c_str(); }
    void set_dword(const char* name, DWORD value) const;
    void set_string(const char* name, const char* value, DWORD type = REG_SZ) const;
    void set_raw(const char* name, DWORD type, const void* data, DWORD size) const;
    // The stored string, or "<missing>".
    std::string get_string(const char* name) const;

  private:
    std::string key_;
};

}  // namespace tv

namespace tv {
// Writes a file named by a wide (UTF-16) name in `folder`, holding `bytes`, as a program of
// the wide interface would; the ANSI listing may best-fit or lose its name.
bool WriteWideNamed(const std::string& folder, const wchar_t* name, const std::string& bytes);
// The three names that best-fit to "a.txt" under the ANSI code page: a.txt itself (1 byte),
// a-macron.txt (49 bytes) and fullwidth-a.txt (7 bytes), made in `folder`.
bool MakeLookAlikes(const std::string& folder);
}  // namespace tv
