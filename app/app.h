// Start-up and the message loop.
#pragma once

#include <windows.h>
#include <string>

// The start folder from the command-line tail, taken as it stands (quotes included);
// empty when the tail is empty or longer than the platform's longest path.
std::string StartDirFromCommandLine(const char* tail);

// Every step of start-up before the message loop: the log, the start values, the main
// window, its controls and the accelerators. Returns the main window.
HWND AppStart(HINSTANCE instance, const char* command_line, int show);

// What the message loop does with one message before and including its dispatch.
void LoopStep(MSG& msg);

// Runs the message loop until the quit message.
int AppLoop();

// The accelerator table loaded by AppStart.
extern HACCEL accelerators;
