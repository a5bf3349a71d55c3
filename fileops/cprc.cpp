#include "fileops/cprc.h"

#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "controls/msgbox.h"
#include "core/handles.h"
#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/outcome.h"
#include "fileops/fileops.h"

int CPrc::new_prc(const char* command, const char* folder, int waits, FILE* log) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    DWORD code = 0;
    if (!command || !command[0]) return 0;
    // CreateProcessA may write into the command line.
    std::vector<char> line(command, command + strlen(command) + 1);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, HIGH_PRIORITY_CLASS, nullptr,
                        folder && folder[0] ? folder : nullptr, &startup, &process)) {
        int error = (int)GetLastError();
        if (log)
            log_line("%s\tCPrc::CreateProcess (%s, %s) failed: %d\n", time_stamp(), command,
                     folder ? folder : "", error);
        // The caller tells why.
        SetLastError((DWORD)error);
        return 1;
    }
    Handle thread(process.hThread), owned(process.hProcess);
    int waited = 0;
    if (waits > 0) {
        code = STILL_ACTIVE;
        while (waited < waits && code == STILL_ACTIVE) {
            WaitForSingleObject(process.hProcess, 1000);
            GetExitCodeProcess(process.hProcess, &code);
            waited++;
        }
    }
    if (log) {
        // A process that ended, in whichever wait, reports its exit code; the timeout line is
        // for one still running (or not waited for).
        if (waits > 0 && code != STILL_ACTIVE)
            log_line("%s\tCPrc::new_prc (%s, %s) returned: %d\n", time_stamp(), command,
                     folder ? folder : "", (int)code);
        else
            log_line("%s\tCPrc::new_prc (%s, %s) timeout: %d\n", time_stamp(), command,
                     folder ? folder : "", waited);
    }
    return (int)code;
}

void NewCmd() {
    const std::string whole_command = WindowsFolder() + "\\System32\\cmd.exe";
    const char* command = whole_command.c_str();
    // The window opens in the folder that was read, which the platform takes only up to 259
    // characters: a longer one is never cut into the path of another folder.
    const std::string& shown = panel.folder;
    if (PathUnits(shown) > kShortPathUnits) {
        log_line("%s\tNewCmd () refused: the folder has %zu characters ...\n", time_stamp(),
                 PathUnits(shown));
        MsgBox((LongPathText(shown, kShortPathUnits, "the command window's folder") +
                "\n\nOpen the command window in a folder higher up and change into this one "
                "there. Nothing was done.")
                   .c_str());
        return;
    }
    const char* folder = shown.c_str();
    CPrc process;
    if (process.new_prc(command, folder, 0, nullptr) != 0) {
        DWORD error = GetLastError();
        TellNotDone("NewCmd", command, error,
                    {NotDoneLine("The command window " + std::string(command) + " was not started" +
                                     (folder[0] ? " in \"" + std::string(folder) + "\"" : ""),
                                 error)});
        return;
    }
    log_line("%s\tNewCmd () %s OK ...\n", time_stamp(), command);
}
