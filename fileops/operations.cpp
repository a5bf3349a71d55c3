#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
#include "core/messages.h"
#include "browse/navigate.h"
#include "core/paths.h"
#include "fileops/fileops.h"
#include "core/plan.h"
#include "core/longtree.h"
#include "core/outcome.h"
#include "core/texts.h"
#include "fileops/copyjob.h"
#include "fileops/transfer.h"
#include "scan/scan.h"
#include "core/handles.h"

namespace {

bool Exists(const std::string& path) {
    return PathAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

// The attribute bit of a button code 1..4 (archive, hidden, read-only, system).
DWORD AttributeBit(int code) {
    static const DWORD bits[4] = {FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_HIDDEN,
                                  FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM};
    int index = (code < 0 ? -code : code) - 1;
    return index >= 0 && index < 4 ? bits[index] : 0;
}

// The folder of a rename's old path: the folder that was read, or in find mode the
// folder of the row's own full path.
std::string RenameFolder(const char* old_path) {
    const char* cut = strrchr(old_path, '\\');
    return cut ? std::string(old_path, (size_t)(cut - old_path)) : std::string();
}

// The text of the rename's edit control, "" when it has none or is gone.
std::string EditText(HWND edit) {
    if (!edit || !IsWindow(edit)) return std::string();
    return WholeWindowText(edit);
}

// Moves `from` to `to` through their "\\?\" forms, so that paths of any length are taken;
// an entry at `to` is never replaced.
bool MoveLong(const std::string& from, const std::string& to) {
    std::wstring a = LongPath(from), b = LongPath(to);
    return !a.empty() && !b.empty() && MoveFileExW(a.c_str(), b.c_str(), 0);
}

// A change of letter case only. Some shells take the new name for the existing file and
// refuse, and some file systems answer a direct move with success and no change; a move to
// a free name of its own and on to the new name does it everywhere. On a failure of the
// second step the file goes back to its old name.
bool RenameCaseOnly(const std::string& old_path, const std::string& new_path) {
    std::string folder = RenameFolder(old_path.c_str());
    std::string step;
    for (int n = 0; n < 100 && step.empty(); n++) {
        std::string candidate = folder + "\\~rename" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(n) + ".tmp";
        if (!Exists(candidate) && PathUnits(candidate) <= kLongestPathUnits) step = candidate;
    }
    if (step.empty() || !MoveLong(old_path, step)) return false;
    if (MoveLong(step, new_path)) return true;
    DWORD error = GetLastError();
    // Nothing is ever left under the passing name unsaid: when the old name cannot be had
    // back either, the user is told where the file is.
    if (!MoveLong(step, old_path))
        MsgBox(("The rename failed, and the file could not get its old name back. It is now "
                "\"" + step + "\".")
                   .c_str());
    SetLastError(error);
    return false;
}

// Whether two paths open one and the same file or folder.
bool SameEntry(const std::string& a, const std::string& b) {
    FileId x, y;
    return IdentityOf(a, &x) && IdentityOf(b, &y) && x == y;
}

}  // namespace

BusyNote::BusyNote(const std::string& text) {
    panel.busy_text = text;
    AskPaint();
}

BusyNote::~BusyNote() {
    panel.busy_text.clear();
    AskPaint();
}

void BusyNote::Show(const std::string& text) {
    panel.busy_text = text;
    AskPaint();
}

bool FolderStillThere(const char* routine, const char* folder) {
    DWORD attributes = PathAttributes(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    // Creating the folder again would bring back, silently, what another program removed.
    log_line("%s\t%s () %s failed: the folder is gone ...\n", time_stamp(), routine, folder);
    // The folder shown is told once, and the view goes to the nearest folder that is there.
    if (panel.folder == folder)
        FolderGone(folder);
    else
        MsgBox(("The folder \"" + std::string(folder) + "\" is no longer there.").c_str());
    return false;
}

namespace {

// What the status line says while a transfer runs, from the job's counts.
std::string TransferNote(const CopyCounts& counts, bool copy, const std::string& folder) {
    switch (counts.phase.load()) {
    case 0: return "Reading the list of names ...";
    case 1:
        return "Looking at " + GroupedCount(counts.names, mcfg.sep) + " names for " + folder +
               " ...";
    }
    return TransferStatusText(copy, counts.items, counts.items_total, counts.bytes,
                              counts.bytes_total, mcfg.sep) +
           " to " + folder + " ... (Esc stops)";
}

}  // namespace

TransferOutcome RunTransfer(const char* routine, const NameSource& source,
                            const std::string& folder) {
    TransferOutcome outcome;
    if (folder.empty() || !FolderStillThere(routine, folder.c_str())) return outcome;
    // A running size scan reads the folder the job is about to change.
    StopScan();
    // Reading the names, looking at the sources and planning the names all run on the job's
    // thread: the window answers from the first moment, whatever the list holds.
    CopyCounts counts;
    CopyReport report;
    TransferNames names;
    // What arrived whole, as it arrived, for Ctrl+Z.
    UndoRecord undo;
    bool had = false;
    int result;
    {
        BusyNote note("Reading the list of names ...");
        result = RunBeside(
            [&] {
                if (!source(&names) || (names.paths.empty() && names.refused.empty())) return 0;
                had = true;
                if (names.paths.empty()) return 0;
                log_line("%s\t%s () %s %s GO ...\n", time_stamp(), routine, names.paths[0].c_str(),
                         folder.c_str());
                CopyInto(names.paths, folder, names.copy, counts, report);
                undo.kind = names.copy ? UndoKind::kCopy : UndoKind::kMove;
                undo.items = std::move(report.made);
                return 0;
            },
            [&] {
                // The kind of job is known once the names are read.
                bool copy = counts.phase.load() == 0 || names.copy;
                note.Show(TransferNote(counts, copy, folder));
            },
            &counts.stop);
    }
    if (!names.told.empty()) MsgBox(names.told.c_str());
    if (result != 0 || !had) return outcome;
    outcome.read = true;
    outcome.copy = names.copy;

    // Every name left out is told in one list, but for a move into the folder the file is in
    // already, which asks for nothing to be done.
    std::vector<std::string> told = names.refused;
    size_t logged = 0;
    for (const LeftOut& out : report.left_out) {
        if (logged++ < 20)
            log_line("%s\t%s () %s left out: %s ...\n", time_stamp(), routine, out.path.c_str(),
                     out.reason);
        if (out.reason != kAlreadyThere)
            told.push_back("\"" + out.path + "\": " + out.reason + ".");
    }
    if (logged > 20)
        log_line("%s\t%s () %u more left out ...\n", time_stamp(), routine,
                 (unsigned)(logged - 20));
    outcome.left_out = report.left_out.size() + names.refused.size();
    std::string left_text = told.empty() ? "" : "Left out:\n\n" + ListedLines(told);
    if (report.planned == 0) {
        MessageBeep(MB_ICONWARNING);
        if (!left_text.empty()) MsgBox(left_text.c_str());
        return outcome;
    }
    outcome.ran = true;
    outcome.planned = report.planned;
    outcome.short_of = report.short_of.size() + report.not_begun;
    outcome.arrived = std::move(report.arrived);
    RecordUndo(std::move(undo));
    std::string text;
    if (report.stopped) {
        char done[32], total[32];
        FormatSize(done, (long long)counts.bytes.load(), -1);
        FormatSize(total, (long long)counts.bytes_total.load(), -1);
        text =
            std::string(names.copy ? "The copy" : "The move") +
            " was stopped: " + GroupedCount(outcome.arrived.size(), mcfg.sep) + " of " +
            GroupedCount(report.planned, mcfg.sep) + " items arrived (" + done + " of " + total +
            ")" +
            (report.not_begun ? ", " + GroupedCount(report.not_begun, mcfg.sep) + " were not begun."
                              : ".") +
            "\n\n";
        log_line("%s\t%s () %s stopped: %u of %u arrived ...\n", time_stamp(), routine,
                 folder.c_str(), (unsigned)outcome.arrived.size(), (unsigned)report.planned);
    } else if (report.short_of.empty()) {
        log_line("%s\t%s () %s OK ...\n", time_stamp(), routine, folder.c_str());
    } else {
        log_line("%s\t%s () %s failed: %u of %u fell short ...\n", time_stamp(), routine,
                 folder.c_str(), (unsigned)report.short_of.size(), (unsigned)report.planned);
    }
    if (!report.short_of.empty())
        text += (names.copy ? "Not everything was copied:\n\n" : "Not everything was moved:\n\n") +
                ListedLines(report.short_of);
    if (!left_text.empty()) text += (text.empty() ? "" : "\n") + left_text;
    if (!text.empty()) MsgBox(text.c_str());
    return outcome;
}

TransferOutcome RunTransfer(const char* routine, bool copy, const PathList& from,
                            const std::string& folder) {
    std::vector<std::string> paths = from.paths();
    return RunTransfer(
        routine,
        [&](TransferNames* names) {
            names->paths = std::move(paths);
            names->copy = copy;
            return true;
        },
        folder);
}

void Delete(bool to_recycle_bin) {
    bool rows = mlvw.NextSelected(-1) >= 0;
    if (!rows) {
        // The folder of the tree, only when it is the folder shown: never the root "Drives",
        // never a drive (which the platform would read as the drive's current folder), and
        // never the folder read before an item that could not be read.
        if (!TreeShowsFolderRead() || IsDriveRoot(panel.folder.c_str())) {
            log_line("%s\tDelete () refused: no row and no folder shown ...\n", time_stamp());
            MessageBeep(MB_ICONWARNING);
            return;
        }
    }
    CSHL job;
    if (!GatherSelection("Delete", Names::kReaching, job.from)) return;
    if (job.from.empty() || job.from.length() <= 1) return;
    StopScan();
    job.owner = mwin.hwnd;
    // Each path's identity before the job: afterwards a path that still opens it was not
    // deleted (and one that opens a case twin was).
    std::vector<std::pair<std::string, FileId>> before;
    // Each entry as it was, for Ctrl+Z to prove what comes back from the recycle bin.
    std::vector<UndoItem> as_was;
    size_t count = 0;
    for (const std::string& p : job.from.paths()) {
        count++;
        FileId id;
        if (IdentityOf(p, &id)) before.emplace_back(p, id);
        UndoItem item;
        if (to_recycle_bin && UndoItemOf(p, &item)) as_was.push_back(std::move(item));
    }
    // The shell (and its recycle bin) takes no path longer than 259 characters, and would
    // leave behind what lies deeper: such a selection is deleted for good by the program
    // itself, once the user has said so.
    std::string too_long;
    for (const std::string& p : job.from.paths())
        if (HoldsLongPath(p, kShortPathUnits)) {
            too_long = p;
            break;
        }
    bool own = !too_long.empty();
    if (own) {
        std::string items = count == 1 ? "it" : "the " + std::to_string(count) + " items";
        std::string question =
            PathUnits(too_long) > kShortPathUnits
                ? LongPathText(too_long, kShortPathUnits,
                               to_recycle_bin ? "the recycle bin" : "the shell")
                : "\"" + too_long + "\" holds paths longer than the 259 characters the " +
                      std::string(to_recycle_bin ? "recycle bin" : "shell") + " takes.";
        question += "\n\nDelete " + items + " for good?";
        if (!AskYesNo(question.c_str())) {
            log_line("%s\tDelete () cancelled: paths too long for the shell ...\n", time_stamp());
            return;
        }
        to_recycle_bin = false;
    }
    int result;
    {
        BusyNote note("Deleting " + std::to_string(count) +
                      (count == 1 ? " item ..." : " items ..."));
        if (own) {
            std::vector<std::string> paths = job.from.paths();
            result = RunBeside(
                [paths]() {
                    DWORD first = 0;
                    for (const std::string& p : paths) {
                        DWORD error = DeleteTree(p);
                        if (error && !first) first = error;
                    }
                    return (int)first;
                },
                nullptr, nullptr);
        } else {
            result = RunShellJob(job, 1, to_recycle_bin ? 2 : 1);
        }
    }
    // A job the user cancelled at the shell's question is the user's choice, not a failure.
    bool cancelled = result == 2 || result == ERROR_CANCELLED;
    // What is still there after the job is told, with the platform's reason when it gave one
    // (a read-only disk, a file in use); a job the shell calls done and that left something
    // behind has none.
    std::vector<std::string> kept;
    size_t gone = 0;
    for (const auto& [p, id] : before) {
        if (!StillThere(p, id)) {
            gone++;
        } else if (!cancelled) {
            std::string what = "\"" + p + "\" was not deleted";
            kept.push_back(result == 0 ? what + "." : NotDoneLine(what, (DWORD)result));
        }
    }
    if (result != 0 && !cancelled && kept.empty())
        kept.push_back(NotDoneLine("The delete did not end as it should", (DWORD)result));
    if (kept.empty())
        log_line("%s\tOpen () %s OK ...\n", time_stamp(), job.from.data());
    else
        TellNotDone("Open", job.from.data(), (DWORD)result, kept);
    // A job refused part way may have deleted some of the rows: the list shows what is left.
    if (result != 0) {
        if (gone > 0) Read();
        return;
    }
    if (to_recycle_bin) {
        // The recycle bin keeps what went there: Ctrl+Z brings it back from there.
        UndoRecord undo;
        undo.kind = UndoKind::kRecycle;
        for (const UndoItem& item : as_was) {
            UndoItem now;
            if (!UndoItemOf(item.path, &now) || now.id != item.id) undo.items.push_back(item);
        }
        RecordUndo(std::move(undo));
    }
    if (!rows) {
        // The deleted folder's item goes first, with the tree quietly on its parent, and the
        // parent is read after: its read refills the parent's items, which frees the old ones.
        HTREEITEM shown = mtvw.Caret();
        HTREEITEM parent = mtvw.Parent(shown);
        std::string above = parent && parent != mtvw.Root() ? mtvw.ItemPath(parent) : "";
        {
            bool was = panel.tree_quiet;
            panel.tree_quiet = true;
            if (parent) mtvw.Select(parent);
            mtvw.DeleteItems(shown, 1);
            panel.tree_quiet = was;
        }
        if (!above.empty()) Navigate(above.c_str());
        return;
    }
    Read();
}

bool CaptureDragged() {
    if (GatherSelection("MoveDragged", Names::kOwn, panel.dragged)) return true;
    panel.dragged.clear();
    return false;
}

void MoveDragged() {
    // The rows are those captured when the drag began, used once.
    PathList from = std::move(panel.dragged);
    panel.dragged.clear();
    // The tree's selection under the pointer has read the folder the rows go to.
    if (from.length() <= 2 || panel.folder.empty() || mcfg.drives_mode) return;
    // The folder shows the moved rows selected, as the desktop shell does.
    ReadSelecting(RunTransfer("MoveDragged", false, from, panel.folder).arrived);
}

void MoveDraggedTo(const char* folder) {
    if (!folder || !folder[0]) return;
    // The rows wait for the folder they were dropped on: they move there once it is listed,
    // whether that takes a moment or longer.
    panel.move_after_read = std::move(panel.dragged);
    panel.dragged.clear();
    panel.move_target = folder;
    if (!Navigate(panel.move_target.c_str())) {
        panel.move_target.clear();
        panel.move_after_read.clear();
        return;
    }
    MovePendingDrop();
}

void MovePendingDrop() {
    if (panel.move_target.empty() || ReadRunning()) return;
    if (panel.move_target != panel.folder || mcfg.drives_mode || mcfg.find_mode) {
        // Another folder was read in the meantime: the rows were dropped on that one alone.
        log_line("%s\tMoveDragged () %s given up: another folder is shown ...\n", time_stamp(),
                 panel.move_target.c_str());
        panel.move_target.clear();
        panel.move_after_read.clear();
        return;
    }
    panel.dragged = std::move(panel.move_after_read);
    panel.move_after_read.clear();
    panel.move_target.clear();
    MoveDragged();
}

namespace {

// Takes row `row` as the rename's entry: its path comes from the entry itself, as every path
// does, and an entry that cannot be reached is refused (with its message) before any edit
// opens.
bool TakeRenameRow(int row) {
    panel.rename_old_path.clear();
    panel.rename_pending = false;
    const FolderEntry* e = row >= 0 && (unsigned)row < ViewCount(panel.view) ? panel.view[row].entry
                                                                               : nullptr;
    std::string old_path;
    if (!e || !OperandPath(*e, &old_path)) return false;
    panel.rename_old_path = old_path;
    return true;
}

}  // namespace

void Rename() {
    if (RefusedWhileReading("Rename ()")) return;
    // The focused row when it is selected (F2 renames the row the user is on), else the
    // first selected one.
    int row = (int)SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (row < 0 || !(SendMessageA(mlvw.hwnd, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED))
        row = mlvw.NextSelected(-1);
    if (row < 0 || !TakeRenameRow(row)) return;
    panel.rename_opening = true;
    HWND edit = mlvw.EditLabel(row);
    panel.rename_opening = false;
    panel.rename_edit = edit;
    if (!edit || EditText(edit).empty()) {
        panel.rename_old_path.clear();
        if (edit) SendMessageA(mlvw.hwnd, LVM_CANCELEDITLABEL, 0, 0);
        panel.rename_edit = nullptr;
    }
}

bool RenameBegins(int row) {
    if (panel.rename_opening) return true;
    // The list's own edit (a second click on a selected row) is the same rename as F2.
    if (ReadRunning() || panel.rename_edit) return false;
    if (!TakeRenameRow(row)) return false;
    panel.rename_edit = (HWND)SendMessageA(mlvw.hwnd, LVM_GETEDITCONTROL, 0, 0);
    return true;
}

void RenameEditEnded(const char* text) {
    panel.rename_edit = nullptr;
    if (!text || panel.rename_old_path.empty()) {
        // Esc: nothing is renamed.
        panel.rename_old_path.clear();
        return;
    }
    panel.rename_text = text;
    panel.rename_pending = true;
    // The loop carries it out after the message that ended the edit; this wakes it should the
    // edit have ended under no message of the loop's own.
    PostMessageA(mwin.hwnd, WM_NULL, 0, 0);
}

bool RenamePending() { return panel.rename_pending; }

const char* RenameRule(const std::string& name) {
    if (name == "." || name == "..") return "A name cannot be \".\" or \"..\".";
    if (name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return "A name cannot hold any of these characters: \\ / : * ? \" < > |";
    if (name.find_first_not_of(' ') == std::string::npos) return "A name cannot be empty.";
    if (NameHasPathCharacter(name.c_str())) return "A name cannot hold control characters.";
    // The platform would store such a name as another one, or reach a device by it.
    if (NameRewritten(name.c_str()))
        return "A name cannot end in a dot or a blank, or be a device name such as CON, PRN, "
               "AUX, NUL, COM1 or LPT1.";
    return nullptr;
}

void RenameEnd() {
    if (!panel.rename_pending) return;
    // One rename per edit: what it asked is taken at once, so that nothing runs it twice.
    panel.rename_pending = false;
    std::string text = std::move(panel.rename_text);
    std::string old_path = std::move(panel.rename_old_path);
    panel.rename_text.clear();
    panel.rename_old_path.clear();
    if (text.empty() || old_path.empty()) return;
    std::string folder = RenameFolder(old_path.c_str());
    std::string name = text;
    if (mcfg.find_mode) {
        // The edit holds the full path: only its last part may change.
        size_t cut = text.rfind('\\');
        if (cut == std::string::npos ||
            _stricmp(text.substr(0, cut).c_str(), folder.c_str()) != 0) {
            MsgBox("A rename changes the name only; the folder stays as it is.");
            return;
        }
        name = text.substr(cut + 1);
    }
    if (const char* rule = RenameRule(name)) {
        MsgBox(rule);
        return;
    }
    std::string new_path = folder + "\\" + name;
    if (PathUnits(new_path) > kLongestPathUnits) {
        MsgBox((LongPathText(new_path, kLongestPathUnits) + "\n\nNothing was renamed.").c_str());
        return;
    }
    if (new_path == old_path) return;
    // An existing file of that name is never replaced. A change of letter case only is the
    // same file and goes ahead, unless the new spelling is another entry of its own (a case
    // twin on a file system that tells case apart).
    bool case_only = _stricmp(new_path.c_str(), old_path.c_str()) == 0;
    if (Exists(new_path) && (!case_only || !SameEntry(new_path, old_path))) {
        MsgBox(("\"" + name + "\" already exists in this folder.").c_str());
        return;
    }
    CSHL job;
    job.add_from(old_path.c_str());
    job.add_to(new_path.c_str());
    job.owner = mwin.hwnd;
    StopScan();
    DWORD error = 0;
    if (case_only) {
        // Without a free passing name there is no error of the platform's to give.
        if (!RenameCaseOnly(old_path, new_path) && !(error = GetLastError()))
            error = ERROR_CANNOT_MAKE;
    } else if (PathUnits(old_path) > kShortPathUnits || PathUnits(new_path) > kShortPathUnits) {
        // The shell takes no path longer than 259 characters: the program renames such an
        // entry itself, and never onto an existing one.
        if (!MoveLong(old_path, new_path) && !(error = GetLastError())) error = ERROR_CANNOT_MAKE;
    } else {
        error = (DWORD)RunShellJob(job, 4, 1);
    }
    if (error) {
        TellNotDone("RenameEnd", old_path, error,
                    {NotDoneLine("\"" + old_path + "\" was not renamed", error)});
        return;
    }
    UndoRecord undo;
    undo.kind = UndoKind::kRename;
    UndoItem renamed;
    if (UndoItemOf(new_path, &renamed)) {
        renamed.back = old_path;
        undo.items.push_back(std::move(renamed));
    }
    RecordUndo(std::move(undo));
    // The renamed entry is selected in the folder read again; a folder being read meanwhile
    // shows it when it is listed.
    if (ReadRunning()) return;
    if (mcfg.find_mode)
        Read();
    else if (folder == panel.folder)
        ReadSelecting({name});
}

namespace {

// The attribute buttons follow the selection without reading the disk: the panel's tally
// counts the selected rows and, per button, those of them that carry its attribute.

void Count(const FolderEntry* e, int sign) {
    if (!e) return;
    panel.tally.rows += sign;
    for (int i = 0; i < 4; i++)
        if (e->attributes & AttributeBit(i + 1)) panel.tally.with[i] += sign;
}

void Recount() {
    panel.tally = Tally{};
    unsigned rows = ViewCount(panel.view);
    int selected = rows ? mlvw.SelectedCount() : 0;
    if (selected > 0 && (unsigned)selected == rows) {
        // Every row selected: the view is walked without asking the list row by row.
        for (unsigned i = 0; i < rows; i++)
            Count(panel.view[i].entry, 1);
        return;
    }
    for (int row = selected > 0 ? mlvw.NextSelected(-1) : -1; row >= 0 && (unsigned)row < rows;
         row = mlvw.NextSelected(row))
        Count(panel.view[row].entry, 1);
}

void ShowTally() {
    CBtn* buttons[4] = {&mbta, &mbth, &mbtr, &mbts};
    for (int i = 0; i < 4; i++)
        buttons[i]->SetCheck(panel.tally.with[i] > 0 ? 1 : 0);
}

}  // namespace

void SelectionAttributes(int from, int to, bool selected) {
    unsigned rows = ViewCount(panel.view);
    if (from < 0) {
        Recount();
    } else {
        for (int row = from; row <= to && (unsigned)row < rows; row++)
            Count(panel.view[row].entry, selected ? 1 : -1);
        // A change the list reported in another way (or not at all) is caught here: the
        // The tally must count exactly the rows the list has selected.
        if (panel.tally.rows != (rows ? mlvw.SelectedCount() : 0)) Recount();
    }
    ShowTally();
}

void SetAttr(int code) {
    DWORD bit = AttributeBit(code);
    if (code == 0) {
        Recount();
        ShowTally();
        log_line("%s\tSetAttr (%d) OK ...\n", time_stamp(), code);
        return;
    }
    UncheckAttributeButtons();
    PathList paths;
    if (!SelectedPaths("SetAttr", Names::kReaching, paths)) {
        Read();
        return;
    }
    // The change reads each file's attributes as they are on the disk when it runs, and what
    // the platform refused is told once for all the rows.
    std::vector<std::string> refused;
    DWORD first_error = 0;
    UndoRecord undo;
    undo.kind = UndoKind::kAttributes;
    for (const char* path = paths.data(); *path; path += strlen(path) + 1) {
        std::wstring wide = LongPath(path);
        DWORD attributes = GetFileAttributesW(wide.c_str());
        DWORD wanted = code > 0 ? attributes | bit : attributes & ~bit;
        // "Normal" stands only alone: with another attribute it goes, without any it comes.
        if (wanted & ~FILE_ATTRIBUTE_NORMAL)
            wanted &= ~FILE_ATTRIBUTE_NORMAL;
        else
            wanted = FILE_ATTRIBUTE_NORMAL;
        DWORD error = 0;
        // A row whose attributes cannot be read is written nothing.
        if (attributes == INVALID_FILE_ATTRIBUTES)
            error = GetLastError();
        else if (wanted != attributes && !SetFileAttributesW(wide.c_str(), wanted))
            error = GetLastError();
        if (!error) {
            UndoItem changed;
            if (wanted != attributes && UndoItemOf(path, &changed)) {
                changed.old_attributes = attributes;
                undo.items.push_back(std::move(changed));
            }
            continue;
        }
        if (!first_error) first_error = error;
        refused.push_back(
            NotDoneLine("The attributes of \"" + std::string(path) + "\" were not changed", error));
    }
    RecordUndo(std::move(undo));
    Read();
    if (refused.empty())
        log_line("%s\tSetAttr (%d) OK ...\n", time_stamp(), code);
    else
        TellNotDone("SetAttr", std::to_string(code), first_error, refused);
}

namespace {

// Keeps a new item for Ctrl+Z, which takes it back while it is still empty.
void RecordNewItem(const char* path) {
    UndoRecord undo;
    undo.kind = UndoKind::kNewItem;
    UndoItem made;
    if (UndoItemOf(path, &made)) undo.items.push_back(std::move(made));
    RecordUndo(std::move(undo));
}

// Tells the user that a new item could not be made, with the platform's reason.
void NewItemFailed(const char* routine, const char* path, DWORD error) {
    TellNotDone(routine, path, error,
                {NotDoneLine("\"" + std::string(path) + "\" could not be made", error)});
}

}  // namespace

void NewFolder() {
    std::string made_path;
    if (!panel.folder.empty() && !mcfg.drives_mode &&
        FolderStillThere("NewFolder", panel.folder.c_str()) &&
        !(made_path = JoinPath(panel.folder, "New Folder")).empty()) {
        const char* path = made_path.c_str();
        // What was made is checked on the disk: the platform's answer alone may be wrong.
        if (Exists(path)) {
            MsgBox("\"New Folder\" already exists in this folder.");
        } else if (!CreateDirectoryW(LongPath(made_path).c_str(), nullptr)) {
            NewItemFailed("NewFolder", path, GetLastError());
        } else {
            DWORD made = PathAttributes(made_path);
            if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_DIRECTORY))
                NewItemFailed("NewFolder", path, ERROR_CANNOT_MAKE);
            else
            {
                log_line("%s\tNewFolder () %s OK ...\n", time_stamp(), path);
                RecordNewItem(path);
            }
        }
    }
    Read();
}

std::string NewFileName(const NameTaken& taken) {
    if (!taken("New File.txt")) return "New File.txt";
    for (int n = 2; n < 1000; n++) {
        std::string name = "New File (" + std::to_string(n) + ").txt";
        if (!taken(name)) return name;
    }
    return "";
}

void NewFile() {
    if (!panel.folder.empty() && !mcfg.drives_mode &&
        FolderStillThere("NewFile", panel.folder.c_str())) {
        std::string folder = panel.folder;
        std::string name =
            NewFileName([&](const std::string& n) { return Exists(folder + "\\" + n); });
        std::string made_path = name.empty() ? std::string() : JoinPath(folder, name);
        const char* path = made_path.c_str();
        // CREATE_NEW never opens a file that is there: one made meanwhile is left alone.
        if (!made_path.empty()) {
            Handle file(CreateFileW(LongPath(made_path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD error = GetLastError();
            bool made = (bool)file;
            file.reset();
            if (!made || PathAttributes(made_path) == INVALID_FILE_ATTRIBUTES)
                NewItemFailed("NewFile", path, !made ? error : ERROR_CANNOT_MAKE);
            else
            {
                log_line("%s\tNewFile () %s OK ...\n", time_stamp(), path);
                RecordNewItem(path);
            }
        } else {
            MsgBox("No free name for a new file could be found in this folder.");
        }
    }
    Read();
}
