#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
    AppStart(instance, command_line, show);
    return AppLoop();
}
