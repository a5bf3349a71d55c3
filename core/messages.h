// The main window's own messages: how the subsystems and their threads ask the window to do
// what only its procedure does.
#pragma once

#include <windows.h>

// Posted by the folder-size thread when its scan has ended (wParam its generation, lParam
// 1 when it measured a view): the UI thread then takes the total, re-sorts the view and
// repaints, so that neither runs on the scan's own thread.
constexpr UINT WM_APP_SCAN_DONE = WM_APP + 1;
// Posted by the folder-size thread for each folder it has measured (wParam its generation,
// lParam the folder's place in the scan's job): the UI thread writes the total into the
// folder's entry.
constexpr UINT WM_APP_SCAN_SIZE = WM_APP + 2;

// Posted by the clipboard watcher with 1 when the clipboard holds a file list, else 0
// (wParam): Paste is enabled by it.
constexpr UINT WM_APP_CLIPBOARD = WM_APP + 3;
// Sent by the navigation once a folder has been read and shown (no parameters): the window
// starts what follows a read, such as the size scan in size mode.
constexpr UINT WM_APP_FOLDER_READ = WM_APP + 4;
// Posted by a search's thread when it has ended (wParam its generation): the window shows
// its results.
constexpr UINT WM_APP_FIND_DONE = WM_APP + 5;
// Posted by a folder read's thread when it has listed the folder (wParam its generation):
// the window makes it the folder that was read.
constexpr UINT WM_APP_READ_DONE = WM_APP + 6;
// Posted by the watcher of the folder that was read when something in it changed (wParam the
// watch's generation): the window reads the folder again, at most once a second.
constexpr UINT WM_APP_FOLDER_CHANGED = WM_APP + 7;
// Posted to the window after a read when rows dropped onto that folder wait to move there: the
// move runs in the window's own loop.
constexpr UINT WM_APP_MOVE_DROPPED = WM_APP + 8;

// Whether a window message carries a job's result (a read, a search, a scan, the folder's
// watch, what follows a read): such a message is applied in the window's own loop only, and
// held while a modal loop runs.
constexpr bool IsJobResult(UINT message) {
    return message == WM_APP_SCAN_DONE || message == WM_APP_SCAN_SIZE ||
           message == WM_APP_FOLDER_READ || message == WM_APP_FIND_DONE ||
           message == WM_APP_READ_DONE || message == WM_APP_FOLDER_CHANGED ||
           message == WM_APP_MOVE_DROPPED;
}
