// Text the program paints itself, and the face names of its fonts. The graphics interface
// keeps the system's code page whatever the program's own is (UTF-8, by its manifest), so
// these go through its wide calls, each text converted from the program's code page first.
// Controls and the shell take the program's code page and are left to the ANSI calls.
#pragma once

#include <windows.h>
#include <string>

// The text (length bytes, -1: up to its zero) in UTF-16, from the program's code page.
std::wstring PaintedText(const char* text, int length = -1);
// TextOut of the text at (x, y).
void PaintText(HDC dc, int x, int y, const char* text, int length = -1);
// The size the text takes in the font selected into `dc`.
SIZE PaintedSize(HDC dc, const char* text, int length = -1);
// DrawText of the text into `rect` with the DrawText flags given.
int PaintTextIn(HDC dc, const char* text, RECT* rect, UINT flags);

// A font made from a description whose face name is in the program's code page.
HFONT MakeFont(const LOGFONTA& description);
// The description of a font, its face name in the program's code page (cut on a character
// when it does not fit); false when the object is no font.
bool DescribeFont(HGDIOBJ font, LOGFONTA* description);
