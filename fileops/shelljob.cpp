// The shell's file operations beside the window: the job runs on a thread of its own, and the
// window's thread keeps painting and answering in a loop of its own until the job has ended.
#include <windows.h>
#include <process.h>
#include <functional>
#include <vector>

#include "core/com.h"
#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "core/handles.h"

namespace {


// What the job's thread is handed: the job whole, with its own lists, and the place of its
// answer, read once the thread has ended.
struct Work {
    CSHL job;
    int code = 0, mode = 0;
    FILE* log = nullptr;
    int result = 0;
};

unsigned __stdcall JobThread(void* arg) {
    Work* work = (Work*)arg;
    // The shell's dialogs and the recycle bin use the component library on their thread.
    ComScope com;
    work->result = work->job.shell_job(work->code, work->mode, work->log);
    return 0;
}

// Keys and the mouse, in a window's client area and on its frame.
bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// Hands on what waits for this thread while a job runs: sent messages (answered inside
// PeekMessage) and paints go through; input is dropped, since none of this thread's windows
// takes any meanwhile; the window's own messages go to `kept`, and the quit message is noted
// for the loop that waits for it.
void PumpBeside(HWND window, std::vector<MSG>& kept, bool* quit, int* quit_code) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            *quit = true;
            *quit_code = (int)msg.wParam;
            continue;
        }
        if (IsInput(msg.message)) continue;
        if (msg.hwnd == window && msg.message >= WM_APP && msg.message <= 0xBFFF) {
            kept.push_back(msg);
            continue;
        }
        DispatchMessageA(&msg);
    }
}

}  // namespace

bool ShellJobRunning() { return panel.file_job; }

int RunShellJob(CSHL job, int code, int mode, const std::function<void()>& tick) {
    if (panel.file_job) {
        log_line("%s\tRunShellJob () refused: a job runs ...\n", time_stamp());
        return ERROR_BUSY;
    }
    panel.file_job = true;
    // The job's own changes are shown by the read that follows it, which watches the folder
    // again; a change seen meanwhile would only read it once more.
    StopWatchingFolder();
    ModalScope modal;
    HWND window = mwin.hwnd;
    bool enabled = window && IsWindowEnabled(window);
    // A disabled window loses the keys when it had them itself; they come back afterwards.
    HWND focus = GetFocus();
    if (enabled) EnableWindow(window, FALSE);

    Work work;
    work.job = std::move(job);
    work.code = code;
    work.mode = mode;
    work.log = mcfg.log;
    uintptr_t thread = _beginthreadex(nullptr, 0, JobThread, &work, 0, nullptr);
    if (!thread) {
        // Without a thread the job runs here, with the window frozen as it was before threads.
        log_line("%s\tRunShellJob () no thread: the job runs on the window's ...\n", time_stamp());
        work.result = work.job.shell_job(code, mode, work.log);
    } else {
        // The job takes as long as the disk takes; each wait for it is a quarter of a second
        // at most, and sent messages and paints end it at once.
        Handle owned((HANDLE)thread);
        HANDLE handle = owned.get();
        std::vector<MSG> kept;
        bool quit = false;
        int quit_code = 0;
        DWORD next_tick = GetTickCount() + 250;
        while (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) {
            DWORD now = GetTickCount();
            DWORD wait = (int)(next_tick - now) > 0 ? next_tick - now : 0;
            MsgWaitForMultipleObjectsEx(1, &handle, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            PumpBeside(window, kept, &quit, &quit_code);
            if ((int)(GetTickCount() - next_tick) >= 0) {
                if (tick) tick();
                next_tick = GetTickCount() + 250;
            }
        }
        owned.reset();
        // What came while the job ended: the keys pressed on the disabled window go too.
        PumpBeside(window, kept, &quit, &quit_code);
        for (const MSG& m : kept)
            PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
        if (quit) PostQuitMessage(quit_code);
    }
    if (enabled) EnableWindow(window, TRUE);
    if (focus && !GetFocus() && IsWindow(focus)) SetFocus(focus);
    panel.file_job = false;
    return work.result;
}
