#pragma once

// A message box with no owner, the text, the program's name "Trelvista" as its title and one
// OK button.
void MsgBox(const char* text);
