// trelvista.exe as the end-to-end tests start it.
#pragma once

#include <windows.h>
#include <string>

#include "tests/support/testenv.h"

namespace tv {

inline std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.rfind('\\'));
}

// trelvista.exe, started as a user starts it, with a tail on its command line.
struct Program {
    PROCESS_INFORMATION pi = {};
    bool started = false;

    // `flags` are CreateProcess flags: DETACHED_PROCESS starts it with no console at all, as
    // the desktop starts it, so that a console program it starts opens a window of its own.
    explicit Program(const std::string& tail, DWORD flags = 0)
        : Program(ExeFolder() + "\\trelvista.exe", tail, flags) {}
    // The program of another place (an installed copy).
    Program(const std::string& exe, const std::string& tail, DWORD flags) {
        std::string command = "\"" + exe + "\"";
        if (!tail.empty()) command += " " + tail;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, flags, nullptr,
                                 nullptr, &si, &pi) != 0;
    }
    ~Program() {
        if (!started) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    // The main window, once it exists.
    HWND window(DWORD timeout_ms = 20000) const {
        return WaitForWindow("CWin", "Trelvista", timeout_ms, pi.dwProcessId);
    }
    // The main window once start-up has run to the message loop.
    HWND ready(DWORD timeout_ms = 20000) const {
        HWND main = window(timeout_ms);
        if (main &&
            !WaitUntil([] { return FindEntry(LogEntries(), "WinMain () MSG") >= 0; }, timeout_ms))
            return nullptr;
        return main;
    }
    bool ended(DWORD timeout_ms) const {
        return WaitForSingleObject(pi.hProcess, timeout_ms) == WAIT_OBJECT_0;
    }
};

}  // namespace tv
