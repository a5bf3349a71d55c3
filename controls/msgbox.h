// The program's message boxes, and the guard of every modal loop the program opens.
#pragma once

// A message box owned by the main window, with the text, the program's name "Trelvista" as its
// title and one OK button. The main window is disabled while it is open.
void MsgBox(const char* text);

// Held while a modal loop of the program's own runs (a message box, a shell job with its
// dialogs): the loop still hands the main window its timer ticks and posted messages, and
// the window's procedure runs no command and no tick meanwhile, so nothing re-enters the
// routine that opened the loop. Used on the window's thread only.
class ModalScope {
  public:
    ModalScope() { depth_++; }
    // The last scope to end closes the window when a close was asked meanwhile.
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    static bool Active() { return depth_ > 0; }
    // A close of the main window asked while a scope is held: the window stays until the
    // job has ended and what it did has been told, and is then closed (WM_CLOSE posted).
    static void CloseWhenDone() { close_asked_ = true; }

  private:
    static inline int depth_ = 0;
    static inline bool close_asked_ = false;
};
