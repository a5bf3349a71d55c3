// The one owner of the folder shown: the folder that was read, its entries and their view, the
// navigation that is pending, the jobs that fill or measure the list (a read, a search, a size
// scan, the folder's watch), the drag and the rename in progress, and one generation for all
// of them. Every routine that acts on the folder asks it first (browse/panel.h); mcfg keeps the
// window, the layout and the modes.
#pragma once

#include <windows.h>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/entry.h"
#include "core/handles.h"
#include "core/pathlist.h"
#include "core/undo.h"

// The jobs, each defined beside the thread that runs it; the panel holds the running one.
struct ReadJob;
struct FindJob;
struct ScanJob;

// The watch of the folder that was read: a thread that looks at the folder's own record and
// posts each change, and what the window's thread knows of it.
struct FolderWatch {
    Handle thread;
    Handle stop;
    unsigned generation = 0;
    bool changed = false;  // a change came since the last read
    DWORD last_read = 0;   // when the folder was last read (GetTickCount)
};

// The selected rows and, per attribute button (archive, hidden, read-only, system), how many
// of them carry its attribute, as the entries were listed.
struct Tally {
    long long rows = 0;
    long long with[4] = {};
};

// Written on the window's thread only.
struct Panel {
    // The folder that was read (or searched): every entry path, the scan, Open and the tree
    // update take it from here. The path box shows it and takes what the user types, which
    // redirects nothing until it is entered.
    std::string folder;
    EntryList entries;
    ViewSlot* view = nullptr;
    // The view's counts, as the status line shows them.
    int selected = 0;
    int folders = 0;
    int count = 0;

    // Every job the panel starts takes the next number; a job's result is applied only while
    // its number is that of the job the panel still runs.
    unsigned generation = 0;
    unsigned NextGeneration() { return ++generation; }

    // The pending navigation: the read of the folder the user asked for, which becomes the
    // folder that was read when it has listed it.
    std::shared_ptr<ReadJob> read;
    Handle read_thread;
    // Set while the navigation brings the tree to the folder it reads: the tree's selection
    // change then reads nothing.
    bool tree_quiet = false;
    // Rows dropped onto a folder whose read was still pending: they move there once it is
    // listed, or not at all when the read is given up.
    PathList move_after_read;
    std::string move_target;
    // The folders read in this session before the one shown, and those left by going back,
    // most recent last: Alt+Left and Alt+Right go through them as a browser does.
    std::vector<std::string> back_folders;
    std::vector<std::string> forward_folders;
    // The folder a step back or forward reads: its read adds nothing to the way back.
    std::string history_step;
    FolderWatch watch;

    std::shared_ptr<FindJob> find;
    Handle find_thread;
    std::shared_ptr<ScanJob> scan;
    Handle scan_thread;
    // The number of the latest scan; every start and stop of a scan moves it on.
    unsigned scan_generation = 0;
    // How the entries' release stops the jobs above this layer that use them: the size scan,
    // which writes totals into the entries, and a search, which fills the list.
    void (*entries_writer_stop)() = nullptr;
    void (*list_job_stop)() = nullptr;
    // Whether a copy, move, delete or rename job runs beside the window.
    std::atomic<bool> file_job{false};

    // A drag of rows: the rows it took when it began, moved at its drop.
    int dragging = 0;
    PathList dragged;
    // The rename in progress: its edit control and the path of the entry it renames, kept by
    // the rename itself, so that whatever runs while the edit is open leaves it alone.
    HWND rename_edit = nullptr;
    std::string rename_old_path;
    // The name typed, once the edit has ended with it: the window's loop carries it out.
    std::string rename_text;
    bool rename_pending = false;
    // Set while F2 opens the edit itself: the list's report of the edit's beginning is then
    // that rename's.
    bool rename_opening = false;

    Tally tally;
    // The operations of the session that Ctrl+Z can take back.
    UndoJournal undo;
    // True while Sort moves the list's selection to the new rows of the same entries.
    bool moving_selection = false;
    // The rows the list reported selected, in order, while they are few (valid): a guess that
    // Sort checks against the list, each row's state and the count, before it takes it, since
    // the list finds its selected rows only by a step over every row up to the last of them.
    std::vector<int> selection_guess;
    bool selection_guess_valid = true;
    // What a long file operation is doing, for the status line while it runs ("" when none).
    std::string busy_text;
};

extern Panel panel;
