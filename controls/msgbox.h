#pragma once

// A message box with no owner, the text, an empty caption and one OK button.
void MsgBox(const char* text);
