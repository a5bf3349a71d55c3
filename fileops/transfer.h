// The pieces the clipboard and the shell operations share.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browse/entries.h"
#include "fileops/cshl.h"

// The size of the CF_HDROP block for a path list of `list_length` bytes: the smallest
// multiple of 32 that is at least list_length + 23.
uint32_t DropBlockSize(uint32_t list_length);
// The block's bytes: the 20-byte DROPFILES header (pFiles 20, ANSI), the list, zeros.
std::string BuildDropBlock(const PathList& list);

// The entry of the first selected row, or none when no row of the view is selected.
const FolderEntry* FirstSelectedEntry();

// What a gathering of the selected rows takes: every row by the name that reaches it, or
// (for a copy or a move, which give the file its name anew) only rows reached by their own
// names.
enum class Names { kReaching, kOwn };

// Fills `into` with the paths of every selected row of the view, in ascending row order, and
// closes it. An operation acts on exactly the rows selected or on none: when a row cannot be
// reached (or, with Names::kOwn, is reached only by its short name) or its path does not fit,
// `into` is left empty, one message box names the rows and `routine`'s log line says so, and
// false is returned.
bool SelectedPaths(const char* routine, Names names, PathList& into);

// The same, but with no row selected the folder that was read, when the tree shows it.
bool GatherSelection(const char* routine, Names names, PathList& into);

// The message that tells the user which rows were refused and that nothing was done: one
// line per row (at most ten, then how many more).
std::string RefusedRowsText(const std::vector<std::string>& lines);

// Reads the names of a CF_HDROP block of `size` bytes into `list` (closed with its final NUL)
// in one walk. The header must fit, the names must start inside the block after it, and
// every name and the empty name that ends the list must end inside it; a block that fails
// gives -1 and an empty list. Wide names (fWide) are taken only when the code page spells them
// exactly. Names longer than the platform's longest path are left out with a log line. Returns the number
// of names taken.
// Each name left out adds a line that says which and why to `refused`, when given.
int ParseDropBlock(const void* block, size_t size, PathList& list,
                   std::vector<std::string>* refused = nullptr);
// The same for the block of a drop handle.
int ReadDropList(HDROP drop, PathList& list, std::vector<std::string>* refused = nullptr);

// Whether the folder is still there as a folder; when it is not, says so in a message box
// and logs it under `routine`. Nothing is ever created in its place.
bool FolderStillThere(const char* routine, const char* folder);

// Runs a shell job (CSHL::shell_job with the code and mode) on a thread of its own, which is
// handed the job whole and touches nothing else, while this thread keeps the window painting
// and answering. For as long as the job runs, a ModalScope is held (no command and no tick
// runs), the main window is disabled and owns the shell's dialogs, the keys and the mouse
// reaching this thread are dropped, and the window's own messages (WM_APP and on) are kept
// and posted again after the job. `tick`, when given, runs on this thread every quarter of
// a second while the job runs. One job at a time: another asked meanwhile runs nothing and
// gets ERROR_BUSY. Returns what shell_job returned.
int RunShellJob(CSHL job, int code, int mode, const std::function<void()>& tick = nullptr);
// The same for any work, which must touch nothing but its own data. With `stop` the work can
// be stopped: the window then stays enabled (it owns no dialog of the work's), and Esc or a
// press of the find button sets *stop; every other key and click is still dropped.
int RunBeside(std::function<int()> run, const std::function<void()>& tick, std::atomic<bool>* stop);

// Shows what a long operation does on the status line for as long as it lives.
class BusyNote {
  public:
    explicit BusyNote(const std::string& text);
    ~BusyNote();
    // Shows another text (the same operation, further on).
    void Show(const std::string& text);
    BusyNote(const BusyNote&) = delete;
    BusyNote& operator=(const BusyNote&) = delete;
};

// What a copy or a move did.
struct TransferOutcome {
    bool read = false;      // a list of names was had
    bool copy = true;       // the names were copied (else moved)
    bool ran = false;       // a job ran
    size_t planned = 0;     // the sources that went into it
    size_t left_out = 0;    // the names left out before it
    size_t short_of = 0;    // the sources whose copy or move fell short, or was never begun
    std::vector<std::string> arrived;  // the names of the destinations that arrived whole
    // Every source named went whole where it was to go (a move's sources are gone).
    bool all_done() const { return ran && left_out == 0 && short_of == 0; }
};

// The names a transfer acts on, gathered on the job's thread.
struct TransferNames {
    std::vector<std::string> paths;
    bool copy = true;
    // A line for each name of the list that could not be taken (see ParseDropBlock).
    std::vector<std::string> refused;
    // A message that tells why there is no list, shown once the job has ended.
    std::string told;
};
// Fills in the names on the job's thread; false when there is no list.
using NameSource = std::function<bool(TransferNames* names)>;

// Copies or moves the names that `source` gives (read on the job's thread, beside the window)
// into `folder`, each under a name that replaces nothing (see CopyInto). Stops a running size
// scan first. While the job runs the status line counts its items and bytes, and Esc or the
// find button stops it between two files or within a large one. Afterwards one message box
// tells every name left out (but a move into the folder it is in), every source that fell
// short and, after a stop, what arrived; `routine`'s log line says OK only when nothing fell
// short.
TransferOutcome RunTransfer(const char* routine, const NameSource& source,
                            const std::string& folder);
// The same for the paths of `from`, copied (copy set) or moved.
TransferOutcome RunTransfer(const char* routine, bool copy, const PathList& from,
                            const std::string& folder);
