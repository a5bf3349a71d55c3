// Clipboard, shell file operations, attributes, new items, Send To, command window and
// wallpaper.
#pragma once

#include <windows.h>
#include <string>

#include "fileops/plan.h"

void Copy(bool to_clipboard);
// Copies the files of a drop handle into the folder that was read; none: nothing happens.
void Paste(HANDLE drop);
// Command 204: pastes the clipboard's file list, read while the clipboard is open.
void PasteClipboard();
HANDLE clipboard_files();
// The number of names in the clipboard's file list; 0 without one, or when every name in it
// is empty.
UINT clipboard_file_count();
LRESULT CALLBACK Drop(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

void Delete(bool to_recycle_bin);
void Rename();
void RenameEnd();
// The rule a new name breaks ("." and "..", the characters \ / : * ? " < > |, blanks only),
// as the message that says so; none when the name is fine.
const char* RenameRule(const std::string& name);
void SetAttr(int code);
void NewFolder();
// "New File.txt" in the folder that was read; when that is taken, "New File (2).txt" and so
// on. An existing file is never opened.
void NewFile();
std::string NewFileName(const NameTaken& taken);
// Moves the rows gathered when the drag began into the folder now shown.
void MoveDragged();

// With a submenu: fills it with an entry per shortcut of the Send To folder (ids from
// CMD_SENDTO_FIRST on, at most up to CMD_SENDTO_LAST). Without one: runs entry `index` on the
// first selected row.
void SendTo(HMENU submenu, int index);
// A menu bitmap of an icon: its colour bitmap with the transparent part turned white.
HBITMAP icon_bitmap(HICON icon);
void NewCmd();
void Wallpaper();
