#include "browse/entries.h"

#include "core/log.h"
#include "controls/msgbox.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "core/paths.h"
#include "core/statusline.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

struct Column {
    const char* title;
    int width;
    int alignment;  // 0 left, 1 centred, 2 right
};
// Widths at 96 DPI.
const Column kColumns[5] = {
    {"Name", 200, 0}, {"Size", 100, 2},      {"Modified", 120, 1},
    {"Type", 100, 0}, {"Attribute", 100, 0},
};

const int kFolderImage = 5;

}  // namespace

bool OperandPath(const FolderEntry& e, std::string* out) {
    std::string why;
    if (EntryPath(e, out, &why)) return true;
    if (!why.empty()) MsgBox((why + "\n\nNothing was done.").c_str());
    return false;
}

void SetOrder(int column, int dir) {
    mcfg.sort_column = column;
    mcfg.sort_dir = dir;
}

namespace {

// The status line shows the view's counts: its strip is painted again whenever they change.
void CountsChanged() {
    if (!mwin.hwnd) return;
    RECT client = {};
    GetClientRect(mwin.hwnd, &client);
    StatusAreas areas = ComputeStatusAreas(client.right, client.bottom, mcfg.tree_width,
                                           mcfg.chart_top, mcfg.preview != 0, false, 0, mcfg.dpi);
    InvalidateRect(mwin.hwnd, &areas.strip, FALSE);
}

}  // namespace

void ClearCounts() {
    panel.selected = 0;
    panel.folders = 0;
    panel.count = 0;
    CountsChanged();
}

void CountSelected() {
    panel.selected = mlvw.SelectedCount();
    CountsChanged();
}

void Show() {
    if (!mlvw.ColumnText(0)) {
        for (int i = 0; i < 5; i++)
            mlvw.InsertColumn(kColumns[i].title, i, Scale(kColumns[i].width, mcfg.dpi),
                              kColumns[i].alignment);
    }
    unsigned rows = ViewCount(panel.view);
    mlvw.SetItemCount((int)rows);
    int folders = 0;
    // Every order puts the entries with the directory bit first: the folders are among them.
    for (unsigned i = 0; i < rows && panel.view[i].entry && (panel.view[i].entry->attributes & 0x10);
         i++)
        if (IsFolder(*panel.view[i].entry)) folders++;
    panel.folders = folders;
    panel.count = (int)rows;
    CountsChanged();

    ShowSubfolders();
}

void ShowSubfolders() {
    unsigned rows = ViewCount(panel.view);
    // The tree learns the subfolders of a folder that was read, never find results, and
    // only under the item that shows that very folder.
    if (mcfg.sort_column != 0 || mcfg.find_mode) return;
    HTREEITEM selected = mtvw.Caret();
    if (!selected || selected == mtvw.Root()) return;
    if (panel.folder != mtvw.ItemPath(selected)) return;
    mtvw.DeleteItems(selected, 2);
    HTREEITEM after = nullptr;
    // The tree repaints once after all children are in, not after each of them.
    SendMessageA(mtvw.hwnd, WM_SETREDRAW, FALSE, 0);
    for (unsigned i = 0; i < rows; i++) {
        const FolderEntry* e = panel.view[i].entry;
        // The entries with the directory bit come first (see Show).
        if (!e || !(e->attributes & 0x10)) break;
        if (!IsFolder(*e)) continue;
        // An item's text is a step of the paths built from the tree, so a folder that is not
        // reached by its own name goes in under its proved short name, or not at all.
        const char* name = ReachName(*e);
        if (!name) continue;
        HTREEITEM child = mtvw.InsertItem(name, kFolderImage, selected, after);
        if (child) after = child;
    }
    SendMessageA(mtvw.hwnd, WM_SETREDRAW, TRUE, 0);
    if (mtvw.hwnd) InvalidateRect(mtvw.hwnd, nullptr, TRUE);
    mtvw.Expand(selected, TVE_EXPAND);
}

namespace {

// While Sort moves the list's selection to the rows of the same entries (the panel's
// moving_selection), the list reports each of those changes, and the set of selected files,
// with its counts and attributes, is the same before and after.

// The entries selected and focused in a view, to be selected again after it is reordered,
// and the rows they stood in.
struct KeptSelection {
    std::vector<const FolderEntry*> selected;  // sorted by address
    std::vector<int> rows;
    const FolderEntry* focused = nullptr;
    int focused_row = -1;
    bool all = false;
};

KeptSelection KeepSelection(const ViewSlot* view) {
    KeptSelection kept;
    unsigned rows = ViewCount(view);
    if (!rows || !mlvw.hwnd) return kept;
    int count = mlvw.SelectedCount();
    kept.all = count > 0 && (unsigned)count == rows;
    int focused = (int)SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (focused >= 0 && (unsigned)focused < rows) {
        kept.focused = view[focused].entry;
        kept.focused_row = focused;
    }
    if (!kept.all && count > 0) {
        kept.selected.reserve((size_t)count);
        // The list looks for each next selected row from the one before: the walk ends at the
        // last of them, not at the end of the list.
        for (int row = mlvw.NextSelected(-1); row >= 0 && (unsigned)row < rows;
             row = (int)kept.rows.size() < count ? mlvw.NextSelected(row) : -1) {
            kept.selected.push_back(view[row].entry);
            kept.rows.push_back(row);
        }
        std::sort(kept.selected.begin(), kept.selected.end());
    }
    return kept;
}

void SetRowState(int row, UINT state, UINT mask) {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

// Selects the rows of the kept entries in the new view, and focuses the kept focused one. Only
// the rows that were selected or focused are cleared: a change of every row at once (row -1)
// costs the list a walk of all its rows. With every row selected, every row stays so.
void RestoreSelection(const KeptSelection& kept, const ViewSlot* view) {
    unsigned rows = ViewCount(view);
    if (!mlvw.hwnd || (!kept.all && kept.selected.empty() && !kept.focused)) return;
    panel.moving_selection = true;
    HeldRedraw held(mlvw.hwnd);
    for (int row : kept.rows)
        SetRowState(row, 0, LVIS_SELECTED);
    if (kept.focused_row >= 0) SetRowState(kept.focused_row, 0, LVIS_FOCUSED);
    for (unsigned i = 0; i < rows; i++) {
        const FolderEntry* e = view[i].entry;
        UINT state = 0;
        if (!kept.all && !kept.selected.empty() &&
            std::binary_search(kept.selected.begin(), kept.selected.end(), e))
            state |= LVIS_SELECTED;
        if (e == kept.focused) state |= LVIS_FOCUSED;
        if (state) SetRowState((int)i, state, state);
    }
    panel.moving_selection = false;
}

}  // namespace

bool SelectionMoving() { return panel.moving_selection; }

namespace {

// A new view of panel.entries in the order of the sort state, installed in place of the old
// one; the rows and the focus selected before go with their entries.
void Reorder() {
    KeptSelection kept = KeepSelection(panel.view);
    size_t n = panel.entries.size();
    // A view of as many rows takes the new order in its own memory: nothing reads it
    // meanwhile (the list asks only between messages, and no other thread reads a view).
    ViewSlot* view = n && ViewCount(panel.view) == n ? TakeView() : nullptr;
    ReleaseView();
    if (n == 0) {
        ClearCounts();
        return;
    }
    if (!view) view = new (std::nothrow) ViewSlot[n];
    if (!view) return;
    ViewOrder made;
    OrderEntries(panel.entries, mcfg.sort_column, mcfg.sort_dir, view, &made);
    InstallView(view, &made);
    Show();
    RestoreSelection(kept, view);
}

}  // namespace

namespace {

// What every new view ends with: the list without rows it cannot answer for, the layout, and
// the log lines that tell the view is shown.
void ViewShown() {
    if (!panel.view) mlvw.SetItemCount(0);
    AskLayout();
    log_line("%s\tShow () OK ...\n", time_stamp());
    log_line("%s\tSort () OK ...\n", time_stamp());
}

}  // namespace

void ShowOrdered(ViewSlot* view, const ViewOrder& made) {
    ReleaseView();
    InstallView(view, &made);
    Show();
    ViewShown();
}

void Sort() {
    // Off the UI thread, Sort would wait for the scan that called it and race the list for
    // the view; it refuses instead (see the contract in entries.h).
    if (mwin.hwnd && GetWindowThreadProcessId(mwin.hwnd, nullptr) != GetCurrentThreadId()) {
        log_line("%s\tSort () failed: not on the UI thread ...\n", time_stamp());
        return;
    }
    // The entries are ordered from the listing's order, so entries of equal keys keep it. A
    // view that still exists refers to the very entries that are ordered anew (entries are
    // released only after their view), so its selection can follow them to their new rows.
    if (ViewInOrder(mcfg.sort_column, mcfg.sort_dir)) {
        // Nothing that orders the rows changed: they stay, and so does the selection. The
        // chart's angles are drawn anew, as for a new view.
        for (unsigned i = 0; i < ViewCount(panel.view); i++)
            panel.view[i].start = panel.view[i].sweep = 0.0;
        Show();
    } else {
        Reorder();
    }
    ViewShown();
}

