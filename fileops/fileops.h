// Clipboard, shell file operations, attributes, new items, Send To, command window and
// wallpaper.
#pragma once

#include <windows.h>

void Copy(bool to_clipboard);
void Paste(HANDLE drop);
HANDLE clipboard_files();
LRESULT CALLBACK Drop(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

void Delete(bool to_recycle_bin);
void Rename();
void RenameEnd();
void SetAttr(int code);
void NewFolder();
void NewFile();
// Moves the rows gathered when the drag began into the folder now shown.
void MoveDragged();

void SendTo(HMENU submenu, int index);
void NewCmd();
void Wallpaper();
