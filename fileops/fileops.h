// Clipboard, shell file operations, attributes, new items, Send To, command window and
// wallpaper.
#pragma once

#include <windows.h>
#include <string>

#include "core/plan.h"
#include "core/undo.h"

// Command 203: puts the selected rows (or, with none, the folder shown) on the clipboard.
void Copy();
// Command 215: puts the selected rows on the clipboard as Copy does, marked as a move
// ("Preferred DropEffect" = DROPEFFECT_MOVE), so that Paste moves them.
void Cut();
// Copies the files of a drop handle into the folder that was read; none: nothing happens.
void Paste(HANDLE drop);
// Command 204: pastes the clipboard's file list, read while the clipboard is open.
void PasteClipboard();
// Asks the clipboard watcher (started at the first call) whether the clipboard holds a file
// list; it posts the answer to `window` as WM_APP_CLIPBOARD when the clipboard has changed.
void AskClipboard(HWND window);
// What Paste reads from the clipboard: the file list block, the drop effect its maker
// preferred (0 when none was given) and the clipboard's sequence number when it was read.
struct ClipboardList {
    std::string block;
    DWORD effect = 0;
    DWORD sequence = 0;
};
// Copies the clipboard's file list into *list on a thread of its own, waiting at most
// timeout_ms for it; false (and a log line when the time ran out) without a block.
bool ReadClipboardBlock(ClipboardList* list, DWORD timeout_ms);
// Whether a reader of the clipboard, given up because the list's owner did not answer, still
// holds the clipboard open.
bool ClipboardHeldByAGivenUpReader();
// Whether a list marked with `effect` is to be moved: a move was asked for and no copy.
bool EffectMoves(DWORD effect);
LRESULT CALLBACK Drop(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Whether a shell job (a copy, a move, a delete, a rename) runs now, beside the window.
bool ShellJobRunning();

void Delete(bool to_recycle_bin);
// F2: opens the edit of the focused (or first selected) row's name.
void Rename();
// The list begins a label edit of `row` (F2's own, or a second click on a selected row): true
// when it is the rename's, false when it is refused and the edit must not open.
bool RenameBegins(int row);
// The label edit has ended: with `text` the name typed (carried out by RenameEnd in the
// window's loop), without it cancelled.
void RenameEditEnded(const char* text);
// Whether a name typed waits for RenameEnd.
bool RenamePending();
// Carries out the name typed, or refuses it with a message; then reads the folder again.
void RenameEnd();
// The rule a new name breaks ("." and "..", the characters \ / : * ? " < > | and control
// characters, blanks only, a name the platform would store as another: a trailing dot or
// blank, a device name), as the message that says so; none when the name is fine.
const char* RenameRule(const std::string& name);
// Code 1..4 sets, -1..-4 clears the attribute of its button on every selected row (read from
// the disk as it runs); 0 sets the buttons from the selected entries' listed attributes.
void SetAttr(int code);
// The selection of rows from..to changed to `selected` (from -1: any change of the whole
// list): the attribute buttons follow from the listed attributes, without a disk read.
void SelectionAttributes(int from, int to, bool selected);
void NewFolder();
// "New File.txt" in the folder that was read; when that is taken, "New File (2).txt" and so
// on. An existing file is never opened.
void NewFile();
std::string NewFileName(const NameTaken& taken);
// Takes the selected rows for a drag of the list that begins now; false (with a message that
// names them) when a row cannot be moved under its own name, and then no drag begins.
bool CaptureDragged();
// Moves the rows gathered when the drag began into the folder now shown.
void MoveDragged();
// The drag's drop onto the tree's folder `folder`: the folder is read, and the rows move
// there once it is listed (at once for a quick read).
void MoveDraggedTo(const char* folder);
// Moves rows that wait for the folder just read, when it is the one they were dropped on.
void MovePendingDrop();

// Ctrl+Z: takes the last operation back (see core/undo.h), tells what was left alone, and
// reads the folder again.
void Undo();
// Keeps what an operation did for Ctrl+Z.
void RecordUndo(UndoRecord record);
// Whether there is an operation to undo, and the File menu's text for it.
bool UndoAvailable();
std::string UndoMenuText();

// With a submenu: fills it with an entry per shortcut of the Send To folder (ids from
// CMD_SENDTO_FIRST on, at most up to CMD_SENDTO_LAST). Without one: runs entry `index` on the
// first selected row.
void SendTo(HMENU submenu, int index);
// A menu bitmap of an icon: its colour bitmap with the transparent part turned white.
HBITMAP icon_bitmap(HICON icon);
void NewCmd();
void Wallpaper();
