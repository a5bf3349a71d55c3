// The shell's file operations beside the window: the job runs on a thread of its own, and the
// window's thread keeps painting and answering in a loop of its own until the job has ended.
#include <windows.h>
#include <process.h>
#include <atomic>
#include <functional>
#include <memory>
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


// What the job's thread is handed: the work whole, with its own data, and the place of its
// answer, read once the thread has ended.
struct Work {
    std::function<int()> run;
    int result = 0;
};

unsigned __stdcall JobThread(void* arg) {
    Work* work = (Work*)arg;
    // The shell's dialogs and the recycle bin use the component library on their thread.
    ComScope com;
    work->result = work->run();
    return 0;
}

// Keys and the mouse, in a window's client area and on its frame.
bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// Whether a message asks a stoppable job to stop: Esc, or a press of the find button, which
// stops a search the same way.
bool AsksStop(const MSG& msg) {
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE)
        return true;
    return msg.message == WM_LBUTTONDOWN && mbtn.hwnd && msg.hwnd == mbtn.hwnd;
}

// Hands on what waits for this thread while a job runs: sent messages (answered inside
// PeekMessage) and paints go through; input is dropped, since none of this thread's windows
// takes any meanwhile, except that Esc or the find button sets `stop` when the job has one;
// the window's own messages go to `kept`, and the quit message is noted for the loop that
// waits for it.
void PumpBeside(HWND window, std::vector<MSG>& kept, bool* quit, int* quit_code,
                std::atomic<bool>* stop) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            *quit = true;
            *quit_code = (int)msg.wParam;
            continue;
        }
        if (IsInput(msg.message)) {
            if (stop && AsksStop(msg)) *stop = true;
            continue;
        }
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
    FILE* log = mcfg.log;
    auto shared = std::make_shared<CSHL>(std::move(job));
    return RunBeside([shared, code, mode, log] { return shared->shell_job(code, mode, log); }, tick,
                     nullptr);
}

int RunBeside(std::function<int()> run, const std::function<void()>& tick,
              std::atomic<bool>* stop) {
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
    // The shell's dialogs are owned by the window, which stays disabled under them; a job that
    // can be stopped shows none and leaves the window enabled, so that Esc and the find button
    // reach it.
    bool enabled = !stop && window && IsWindowEnabled(window);
    // A disabled window loses the keys when it had them itself; they come back afterwards.
    HWND focus = GetFocus();
    if (enabled) EnableWindow(window, FALSE);

    Work work;
    work.run = std::move(run);
    uintptr_t thread = _beginthreadex(nullptr, 0, JobThread, &work, 0, nullptr);
    if (!thread) {
        // Without a thread the job runs here, with the window frozen as it was before threads.
        log_line("%s\tRunShellJob () no thread: the job runs on the window's ...\n", time_stamp());
        work.result = work.run();
    } else {
        // The job takes as long as the disk takes; each wait for it is a quarter of a second
        // at most, and sent messages and paints end it at once.
        Handle owned((HANDLE)thread);
        HANDLE handle = owned.get();
        std::vector<MSG> kept;
        bool quit = false;
        int quit_code = 0;
        DWORD next_tick = GetTickCount() + 250;
        if (tick) tick();
        while (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) {
            DWORD now = GetTickCount();
            DWORD wait = (int)(next_tick - now) > 0 ? next_tick - now : 0;
            MsgWaitForMultipleObjectsEx(1, &handle, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            PumpBeside(window, kept, &quit, &quit_code, stop);
            if ((int)(GetTickCount() - next_tick) >= 0) {
                if (tick) tick();
                next_tick = GetTickCount() + 250;
            }
        }
        owned.reset();
        // What came while the job ended: the keys pressed on the disabled window go too.
        PumpBeside(window, kept, &quit, &quit_code, nullptr);
        for (const MSG& m : kept)
            PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
        if (quit) PostQuitMessage(quit_code);
    }
    if (enabled) EnableWindow(window, TRUE);
    if (focus && !GetFocus() && IsWindow(focus)) SetFocus(focus);
    panel.file_job = false;
    return work.result;
}
