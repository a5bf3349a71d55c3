// The program's message boxes, and the guard of every modal loop the program opens.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// A message box owned by the main window, with the text, the program's name "Trelvista" as its
// title and one OK button. The main window is disabled while it is open.
void MsgBox(const char* text);
// The same with the buttons Yes and No: true when Yes was pressed.
bool AskYesNo(const char* text);

// Tells what one action of the user did not do: one log line "`routine` () `subject` failed:
// `error` ..." and one message box that lists `lines` (at most ten, then how many more), each
// saying what was not done and why (NotDoneLine). Nothing is told when `lines` is empty.
void TellNotDone(const char* routine, const std::string& subject, unsigned long error,
                 const std::vector<std::string>& lines);

// Held while a modal loop of the program's own runs (a message box, or the loop that keeps
// the window painting beside a running shell job): the loop still hands the main window its
// timer ticks and posted messages (the job's loop keeps the window's own ones for after the
// job), and the window's procedure runs no command and no tick meanwhile, nor does the list
// take a drop, so nothing re-enters the routine that opened the loop. Used on the window's
// thread only.
class ModalScope {
  public:
    ModalScope();
    // The last scope to end closes the window when a close was asked meanwhile.
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    static bool Active();
    // A menu's loop (the menu bar, a popup menu) is a modal loop too: WM_ENTERMENULOOP enters
    // it and WM_EXITMENULOOP leaves it.
    static void EnterMenu();
    static void LeaveMenu();
    // A job's result that reaches the window while a modal loop runs is held, and posted to
    // the window again once the last loop has ended: the window applies it in its own loop,
    // never under the routine that opened the box or the menu.
    static void Hold(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // A close of the main window asked while a scope is held: the window stays until every
    // scope has ended (a job, and the box that tells what it did) and is then closed, by a
    // WM_CLOSE posted to it.
    static void CloseWhenDone();

  private:
    static void End();
};
