// Finding files by name and contents below the current folder.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "browse/entries.h"
#include "core/query.h"


// How many threads read the files of a content search beside the walk: two readers get more
// from the platform than one, and more than two have no core of their own.
constexpr unsigned kContentReaders = 2;

// What a search run as a job is told and tells: a flag that asks it to stop (read between
// records and between blocks of a file), the folder it enters, and the count it found.
struct SearchControl {
    const std::atomic<bool>* stop = nullptr;
    std::function<void(const char* folder)> entering;
    std::atomic<long long>* found = nullptr;
    // Held while a result goes into the list, so that another thread may read the list.
    std::mutex* lock = nullptr;
    // The threads that read files for the content test; with none the walk reads them itself.
    unsigned readers = kContentReaders;
};

// Appends every file below `folder` that matches to `list`. With `both` set, the name and
// the contents must match; otherwise either suffices. A null pattern or text is none; an
// empty pattern matches every name. With `control`, the search stops when asked and reports
// its progress. The results are appended in the order of the walk, also where other threads
// read the files; every file the search opened is closed when it returns.
void SearchFolder(EntryList& list, const char* folder, const char* pattern, const char* text,
                  int both, const SearchControl* control = nullptr);

// The content test: true when `text` lies within one piece of the file read in text mode,
// a piece being a line or a 259-character part of a longer line, cut at its first zero byte.
bool FileContains(const char* path, const char* text);

// Writes the name of each entry of `view`, in view order, one per line in text mode.
// Returns 0, or 1 when the file cannot be created.
int WriteFindFile(const char* path, const ViewSlot* view);

// The find button's tooltip while no search runs.
constexpr const char* kFindTip =
    "Enter filename with optional {text} to find. Then press this button.";

// Command 202: starts a search of the folder that was read, as a job on a thread of its own,
// with the query of the search box. While a search runs, the same command stops it and shows
// what it found so far.
void Find();
// Whether a search runs.
bool FindRunning();
// While a search runs, the list shows the results found so far (each second, in batches).
void FindShowSoFar();
// Stops a running search: with `show` its results so far are shown (the find button, Esc),
// without them nothing of it reaches the list (navigation, the program's end).
void StopFind(bool show);
// The job of generation `generation` has ended (WM_APP_FIND_DONE): its results are shown.
void FindFinished(unsigned generation);
// The folder being searched and the count found so far, for the status line.
std::string FindProgress(long long* found);
