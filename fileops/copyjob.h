// The program's own copies and moves: files are created only where no entry of that name
// exists, and after a failure only what the job itself made is removed. Runs on any thread
// and touches no window.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/plan.h"
#include "core/undo.h"

// How far a job has come, written by the job's thread and read by the window's; `stop` is set
// by the window's thread to end the job between two files or within a large one.
struct CopyCounts {
    // 0 while the names are read, 1 while the job is planned, 2 while files go.
    std::atomic<int> phase{0};
    std::atomic<unsigned long long> names{0};
    std::atomic<unsigned long long> items{0}, items_total{0}, bytes{0}, bytes_total{0};
    std::atomic<bool> stop{false};
};

// What a job did, for the window's thread to tell once the job has ended.
struct CopyReport {
    std::vector<LeftOut> left_out;      // sources left out before the job, and why
    std::vector<std::string> short_of;  // a line per source whose copy or move fell short
    std::vector<std::string> arrived;   // the names of the destinations that arrived whole
    // Each source that arrived whole and its destination's full path, for Ctrl+Z.
    std::vector<std::pair<std::string, std::string>> moved;
    // Each destination that arrived whole as the job left it (with its source as the way
    // back), read from what the job knows of it already.
    std::vector<UndoItem> made;
    size_t planned = 0;    // the sources that went into the job
    size_t not_begun = 0;  // the sources a stop left untouched
    bool stopped = false;
};

// Copies (copy set) or moves `sources` into `folder`. Each source is tried under its own name
// first (see PlanTransfer); a name that is taken, whether before the job or meanwhile by
// another program, is never written: the copy goes under the next free name. A file is made by a
// create-new open and, after a failure or a stop, removed through that very handle; a folder
// or a whole file made earlier in the job is removed only while its name still opens the
// identity the job read when it made it. A move on one volume is a rename that replaces
// nothing; across volumes each source is copied whole first and only then removed, through
// a handle that proves it is still the file that was copied. Attributes and the time of the
// last write go with each file.
// With `only_name`, the one source goes under that name or not at all (a move back to where
// an entry came from).
void CopyInto(const std::vector<std::string>& sources, const std::string& folder, bool copy,
              CopyCounts& counts, CopyReport& report, const std::string& only_name = "");

// For tests only: called on the job's thread with the destination path of each file just
// before the file is made (and of each source just before it is renamed), so that a test can
// act as another program at that moment.
extern std::function<void(const std::wstring& destination)> copy_job_before_file;
