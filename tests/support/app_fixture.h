// Builds the real main window in the test's own process.
#pragma once

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/mcfg.h"
#include "app/ui.h"
#include "tests/support/testenv.h"

namespace tv {

// Each test builds the window once per process (CTest runs every test in a process of its
// own); the settings come from a registry key of the test's own.
class AppTest : public ::testing::Test {
  protected:
    void StartApp(const char* command_line = "") {
        static bool started = false;
        if (started) GTEST_SKIP() << "the main window can be built once per process";
        started = true;
        settings_key = reg_.key();
        AppStart(GetModuleHandleA(nullptr), command_line, SW_SHOW);
        ASSERT_NE(mwin.hwnd, nullptr);
        // A popup menu stays open only while its owner is the foreground window.
        SetForegroundWindow(mwin.hwnd);
        PumpMessages(true);
    }
    // Runs the program's loop step over this thread's messages until `condition` holds.
    bool Until(const std::function<bool()>& condition, DWORD timeout_ms = 10000) {
        return WaitUntil(condition, timeout_ms, true);
    }
    void SendCommand(int id, int code = 0) {
        SendMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    TestRegKey reg_{"window"};
};

}  // namespace tv
