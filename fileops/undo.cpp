// Ctrl+Z: the last operation of the session taken back, on the entries that are provably the
// ones it left; whatever changed since, or whose old name is taken meanwhile, is left alone and
// told. An undo never replaces a file and never deletes one for good.
#include <windows.h>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/outcome.h"
#include "core/panel.h"
#include "core/paths.h"
#include "core/undo.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/copyjob.h"
#include "fileops/fileops.h"
#include "fileops/recyclebin.h"
#include "fileops/transfer.h"
#include "scan/scan.h"

namespace {

bool ExistsWide(const std::string& path) {
    std::wstring wide = WideText(path.c_str());
    return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Moves an entry back to `back`, never onto an entry that is there. A change of letter case
// only goes through a passing name of its own, as the rename does.
bool MoveBack(const UndoItem& item, std::string* why) {
    std::wstring from = WideText(item.path.c_str()), to = WideText(item.back.c_str());
    if (from.empty() || to.empty()) {
        *why = "its name cannot be spelled";
        return false;
    }
    bool case_only = _stricmp(item.path.c_str(), item.back.c_str()) == 0;
    if (!case_only && ExistsWide(item.back)) {
        *why = "its old name is taken";
        return false;
    }
    if (case_only) {
        std::wstring step = from + L".undo-" + std::to_wstring(GetCurrentProcessId());
        if (!MoveFileExW(from.c_str(), step.c_str(), 0)) {
            *why = "it cannot be renamed";
            return false;
        }
        if (MoveFileExW(step.c_str(), to.c_str(), 0)) return true;
        MoveFileExW(step.c_str(), from.c_str(), 0);
        *why = "it cannot be renamed";
        return false;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return true;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE) {
        *why = "it cannot be moved back";
        return false;
    }
    // It went to another drive: it comes back as the move went, copied whole under its old
    // name (never another) and only then removed where it is.
    size_t cut = item.back.rfind('\\');
    if (cut == std::string::npos) {
        *why = "it cannot be moved back";
        return false;
    }
    CopyCounts counts;
    CopyReport report;
    CopyInto({item.path}, item.back.substr(0, cut), false, counts, report,
             item.back.substr(cut + 1));
    if (report.arrived.size() == 1 && report.short_of.empty()) return true;
    if (!report.short_of.empty()) {
        *why = "the move back from the other drive fell short: " + report.short_of[0];
        if (why->back() == '.') why->pop_back();
    } else if (!report.left_out.empty()) {
        *why = std::string("it cannot be moved back: ") + report.left_out[0].reason;
    } else {
        *why = "it cannot be moved back from the other drive";
    }
    return false;
}

}  // namespace

void RecordUndo(UndoRecord record) {
    if (record.items.empty()) return;
    panel.undo.Push(std::move(record));
}

std::string UndoMenuText() {
    return panel.undo.empty() ? "Undo\tStrg+Z" : UndoLabel(panel.undo.top().kind) + "\tStrg+Z";
}

bool UndoAvailable() { return !panel.undo.empty(); }

void Undo() {
    if (panel.undo.empty()) {
        MessageBeep(MB_ICONWARNING);
        log_line("%s\tUndo () refused: nothing to undo ...\n", time_stamp());
        return;
    }
    UndoRecord record = panel.undo.Pop();
    std::string label = UndoLabel(record.kind);
    StopScan();
    std::vector<std::string> left;
    PathList to_bin;
    size_t done = 0;
    // The entries are checked and moved back or changed on a thread of their own, beside the
    // window, as the operation ran; the job touches nothing but the files.
    auto take_back = [&record, &left, &to_bin, &done]() -> int {
        if (record.kind == UndoKind::kRecycle) {
            BinRestore restore = RestoreFromBin(record.items);
            done += restore.restored;
            left.insert(left.end(), restore.left.begin(), restore.left.end());
            return 0;
        }
        for (const UndoItem& item : record.items) {
            if (!StillAsLeft(item)) {
                left.push_back("\"" + item.path + "\" was changed or removed since; left alone.");
                continue;
            }
            std::string why;
            switch (record.kind) {
            case UndoKind::kMove:
            case UndoKind::kRename:
                if (MoveBack(item, &why)) done++;
                else left.push_back("\"" + item.path + "\" stays: " + why + ".");
                break;
            case UndoKind::kAttributes: {
                std::wstring wide = WideText(item.path.c_str());
                if (!wide.empty() && SetFileAttributesW(wide.c_str(), item.old_attributes)) done++;
                else
                    left.push_back("\"" + item.path +
                                   "\" keeps its attributes: they cannot be set.");
                break;
            }
            case UndoKind::kNewItem:
                if (!EntryEmpty(item)) {
                    left.push_back("\"" + item.path + "\" is no longer empty; left alone.");
                    break;
                }
                to_bin.append(item.path.c_str());
                break;
            case UndoKind::kCopy: to_bin.append(item.path.c_str()); break;
            case UndoKind::kRecycle: break;
            }
        }
        return 0;
    };
    int ran;
    {
        BusyNote note(label + " ...");
        ran = RunBeside(take_back, nullptr, nullptr);
    }
    if (ran == ERROR_BUSY) {
        // Another job runs: nothing was taken back, and the operation stays to be undone.
        panel.undo.Push(std::move(record));
        log_line("%s\tUndo () refused: a job runs ...\n", time_stamp());
        MessageBeep(MB_ICONWARNING);
        return;
    }
    if (!to_bin.empty()) {
        to_bin.close();
        CSHL job;
        job.from = to_bin;
        job.owner = mwin.hwnd;
        // The copies and new items go to the recycle bin, never away for good.
        int result;
        {
            BusyNote note(label + " ...");
            result = RunShellJob(std::move(job), 1, 2);
        }
        for (const std::string& p : to_bin.paths()) {
            if (ExistsWide(p))
                left.push_back("\"" + p + "\" could not go to the recycle bin" +
                               (result ? " (" + std::to_string(result) + ")." : "."));
            else
                done++;
        }
    }
    if (left.empty()) {
        log_line("%s\tUndo () %s OK ...\n", time_stamp(), label.c_str());
    } else {
        log_line("%s\tUndo () %s failed: %u left alone ...\n", time_stamp(), label.c_str(),
                 (unsigned)left.size());
        MsgBox((label + ": not everything was taken back.\n\n" + ListedLines(left)).c_str());
    }
    Read();
}
