// Reading folders, navigation and the drive tree.
#pragma once

void Init();
void Read();
void Back();
void SelectionChanged();
void PathEntered();

// Appends `text` to mcfg.history unless an equal text (case counts) is there; returns
// true when it was added.
bool AddHistory(const char* text);
