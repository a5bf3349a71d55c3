// What a copy or a move holds and has done: the sources' summaries, the identities of the
// entries a job acts on, its progress, and the texts that tell it.
#pragma once

#include <string>
#include <vector>

#include "core/names.h"
#include "core/paths.h"

// What a file or a folder holds.
struct TreeSummary {
    bool exists = false;
    bool folder = false;
    unsigned long long files = 0, folders = 0, bytes = 0;
};

// Counts what `path` holds: a file its size; a folder every file and folder below it, walked
// through "\\?\" paths so that a tree deeper than 259 characters is counted whole. A linked
// folder counts as one folder and is not followed.
TreeSummary Summarize(const std::string& path);

// One item of a copy or a move: its source, its planned destination, and what the source held
// before the job.
struct TransferItem {
    std::string from, to;
    TreeSummary before;
    FileId id;  // the source's identity before the job, when it could be had
    bool has_id = false;
};
// The item for a source, taken before the job.
TransferItem TransferItemOf(const std::string& from, const std::string& to);

// Whether what `path` opens now is still the entry of identity `id` (a case twin that the
// path also names on a file system that tells case apart is not).
bool StillThere(const std::string& path, const FileId& id);

// How far a running copy or move has come, read from its destinations: the shell takes the
// items in their order, so every item before the first one not yet whole at its destination
// counts its source's bytes, and that one, when it is a file, the bytes it holds so far. A
// folder counts once a later item has begun (or the job has ended). Each reading goes on from
// where the last one stopped: a job of n items costs about n readings in all.
class TransferProgress {
  public:
    explicit TransferProgress(const std::vector<TransferItem>& items);
    // The bytes arrived so far.
    unsigned long long Read();
    unsigned long long total() const { return total_; }

  private:
    const std::vector<TransferItem>& items_;
    size_t whole_ = 0;  // the items before this one are whole at their destinations
    unsigned long long whole_bytes_ = 0, total_ = 0;
};

// Lines for a message box: at most ten, each with its line break, then how many more.
std::string ListedLines(const std::vector<std::string>& lines);

// The platform's own reason for an error code (its system text, without the line break), or
// "error N" when it has no text for the code.
std::string ErrorReason(unsigned long error);

// One line that says what was not done and why: "`what`: reason", ending in a full stop.
std::string NotDoneLine(const std::string& what, unsigned long error);
// A count with its digits in groups of three, `sep` between them ("20,000").
std::string GroupedCount(unsigned long long n, char sep);

// What the status line says while a copy or a move runs, once it is planned: "Copying 3,201
// of 20,000 items, 1.2 MB of 40 MB" (items are the files and folders, each counted once).
std::string TransferStatusText(bool copy, unsigned long long items, unsigned long long items_total,
                               unsigned long long bytes, unsigned long long bytes_total, char sep);
