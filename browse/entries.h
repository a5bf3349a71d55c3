// The entries of the folder on show and its sorted view in the list.
#pragma once

#include "core/entry.h"

// Builds panel.view from panel.entries, orders it, runs Show when there are rows, then Size.
// The rows selected and focused before are those of the same entries afterwards: a new
// order never moves the selection onto other files.
//
// Sort runs on the UI thread only. It releases the old view through ReleaseView, which first
// stops a running size scan and waits for its thread, so no scan ever reads a released view
// and no view is replaced while the list reads it. The size scan therefore must not call Sort
// itself: at its end it leaves its loop, posts a WM_APP message to the main window and ends;
// that message's handler runs Sort and Paint on the UI thread. A scan thread that sent the
// message with SendMessage instead would wait for the very handler that waits for it.
// Called on another thread while the main window exists, Sort logs a failure and changes
// nothing.
void Sort();

// Installs a view of panel.entries that was ordered elsewhere (by the read's own thread, with
// what it was ordered by) and shows it as Sort would, on the UI thread; the view is the
// panel's from then on. With no rows held before, no selection has to follow.
void ShowOrdered(ViewSlot* view, const ViewOrder& made);

// Sets the order of the view (column 0..4, direction 1 ascending) without sorting yet.
void SetOrder(int column, int dir);

// The list reported rows [from, to] (from -1: every row) selected or no longer selected: the
// guess of the selected rows follows, or is given up when it would grow large.
void NoteSelectionChange(int from, int to, bool selected);

// True while Sort moves the list's selection to the new rows of the same entries; the list's
// change reports meanwhile change no count and no attribute button.
bool SelectionMoving();

// Hands the view to the list (with its counts of rows and folders) and the selected tree
// item's subfolders to the tree.
void Show();
// The tree's part of Show: the selected item, when it shows the folder that was read, gets
// the folder's subfolders as its children.
void ShowSubfolders();

// The path of the entry that an operation chosen by the user acts on (see EntryPath); when
// the entry cannot be reached or its path does not fit, a message box says so and false is
// returned.
bool OperandPath(const FolderEntry& e, std::string* out);

// The counts the status line shows are the view's own: Show counts the rows and folders,
// CountSelected the selected rows after each change of the list's selection, ClearCounts
// empties all three for an empty list.
void CountSelected();
void ClearCounts();

