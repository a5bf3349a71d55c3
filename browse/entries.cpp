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
    // A list that has the rows already (a new order of the same entries) is only drawn anew:
    // setting the count lays out its scroll bars, a round trip to the window system.
    if (mlvw.hwnd && rows && mlvw.ItemCount() == (int)rows)
        InvalidateRect(mlvw.hwnd, nullptr, FALSE);
    else
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

// More rows than this are not guessed: each would be checked with the list.
const size_t kGuessRows = 4096;

// The guess of the selected rows, when the list confirms it: `count` rows are selected and
// every row of the guess is one of them.
bool TakeGuess(const ViewSlot* view, KeptSelection* kept, int count) {
    const std::vector<int>& guess = panel.selection_guess;
    unsigned rows = ViewCount(view);
    if (!panel.selection_guess_valid || guess.size() != (size_t)count) return false;
    for (int row : guess) {
        if (row < 0 || (unsigned)row >= rows ||
            !(SendMessageA(mlvw.hwnd, LVM_GETITEMSTATE, (WPARAM)row, LVIS_SELECTED) &
              LVIS_SELECTED))
            return false;
    }
    for (int row : guess) {
        kept->selected.push_back(view[row].entry);
        kept->rows.push_back(row);
    }
    return true;
}

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
        // The list looks for each next selected row from the one before, a step a row: the
        // walk ends at the last of them, not at the end of the list, and is left out when the
        // guess holds.
        if (!TakeGuess(view, &kept, count)) {
            for (int row = mlvw.NextSelected(-1); row >= 0 && (unsigned)row < rows;
                 row = (int)kept.rows.size() < count ? mlvw.NextSelected(row) : -1) {
                kept.selected.push_back(view[row].entry);
                kept.rows.push_back(row);
            }
        }
        std::sort(kept.selected.begin(), kept.selected.end());
    }
    return kept;
}

// More rows than this change their state with the list's drawing held.
const size_t kHeldRows = 200;

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
    std::vector<int> selected;
    int focused = -1;
    for (unsigned i = 0; i < rows; i++) {
        const FolderEntry* e = view[i].entry;
        if (!kept.all && !kept.selected.empty() &&
            std::binary_search(kept.selected.begin(), kept.selected.end(), e))
            selected.push_back((int)i);
        if (e == kept.focused) focused = (int)i;
    }
    panel.moving_selection = true;
    {
        // The list draws each row whose state changes on its own; for many rows it draws once
        // at the end instead. A row that takes the focus is scrolled to and its page drawn at
        // once, held or not (the scroll bar and the background): the drawing then stays on.
        HeldRedraw held(mlvw.hwnd, kept.rows.size() + selected.size() > kHeldRows);
        for (int row : kept.rows)
            SetRowState(row, 0, LVIS_SELECTED);
        if (kept.focused_row >= 0 && focused != kept.focused_row)
            SetRowState(kept.focused_row, 0, LVIS_FOCUSED);
        for (int row : selected) {
            UINT state = LVIS_SELECTED | (row == focused ? LVIS_FOCUSED : 0);
            SetRowState(row, state, state);
        }
        if (focused >= 0 && !std::binary_search(selected.begin(), selected.end(), focused))
            SetRowState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (!kept.all) {
        panel.selection_guess_valid = selected.size() <= kGuessRows;
        if (panel.selection_guess_valid)
            panel.selection_guess.swap(selected);
        else
            panel.selection_guess.clear();
    }
    panel.moving_selection = false;
}

}  // namespace

bool SelectionMoving() { return panel.moving_selection; }

void NoteSelectionChange(int from, int to, bool selected) {
    std::vector<int>& guess = panel.selection_guess;
    if (from < 0) {
        guess.clear();
        panel.selection_guess_valid = !selected;
        return;
    }
    if (!panel.selection_guess_valid || to < from) return;
    auto first = std::lower_bound(guess.begin(), guess.end(), from);
    auto last = std::upper_bound(first, guess.end(), to);
    size_t had = (size_t)(last - first), span = (size_t)(to - from) + 1;
    if (!selected) {
        guess.erase(first, last);
        return;
    }
    if (guess.size() - had + span > kGuessRows) {
        guess.clear();
        panel.selection_guess_valid = false;
        return;
    }
    size_t at = (size_t)(first - guess.begin());
    guess.erase(first, last);
    guess.insert(guess.begin() + (std::ptrdiff_t)at, span, 0);
    for (size_t k = 0; k < span; k++)
        guess[at + k] = from + (int)k;
}

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

