#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/info.h"
#include "core/mcfg.h"
#include "controls/ui.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

// Waits on a thread of its own for the Info dialog that the test's thread opens, runs
// `inspect` on it there, then posts `message` with `wparam` to it.
class InfoCloser {
  public:
    InfoCloser(UINT message, WPARAM wparam, std::function<void(HWND)> inspect = nullptr)
        : thread_([=] {
              DWORD start = GetTickCount();
              while (!stop_ && GetTickCount() - start < 10000) {
                  HWND h = FindWindowA("#32770", "Info");
                  if (h && IsWindowVisible(h)) {
                      if (inspect) inspect(h);
                      PostMessageA(h, message, wparam, 0);
                      closed_ = true;
                      return;
                  }
                  Sleep(10);
              }
          }) {}
    ~InfoCloser() {
        stop_ = true;
        thread_.join();
    }
    bool closed() const { return closed_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> closed_{false};
    std::thread thread_;
};

// The dialog's client area, one 0x00RRGGBB value per pixel.
std::vector<unsigned> Snapshot(HWND dialog, int& width, int& height) {
    return tv::CaptureClient(dialog, width, height);
}

int BlueRows(const std::vector<unsigned>& pixels, int width, int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; y++)
        for (int x = 0; x < width; x++) {
            unsigned p = pixels[(size_t)y * width + x];
            if ((p & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) < 0x40 && ((p >> 16) & 0xFF) < 0x40) {
                n++;
                break;
            }
        }
    return n;
}

void Repaint(HWND dialog) {
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

// The dialog opened without its modal loop, so that the test can drive it itself.
HWND OpenModeless() {
    mcfg.link_cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINKHAND));
    LoadStringA(GetModuleHandleA(nullptr), IDS_PRODUCT, mcfg.product_line,
                sizeof mcfg.product_line);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INFO),
                                     mwin.hwnd, InfoProc, 0);
    if (dialog) UpdateWindow(dialog);
    return dialog;
}

class Info : public tv::AppTest {};

}  // namespace

TEST_F(Info, CommandOpensTheModalDialogOverTheMainWindowAndOkClosesIt) {
    StartApp();
    mcfg.product_line[0] = '\0';
    std::atomic<HWND> owner{nullptr}, ok{nullptr};
    std::atomic<bool> main_disabled{false};
    {
        InfoCloser closer(WM_COMMAND, IDOK, [&](HWND h) {
            // Closed only once it has painted, which sets the address.
            tv::WaitUntil([h] { return !GetUpdateRect(h, nullptr, FALSE); }, 5000);
            owner = GetWindow(h, GW_OWNER);
            ok = GetDlgItem(h, IDOK);
            main_disabled = !IsWindowEnabled(mwin.hwnd);
        });
        SendMessageA(mwin.hwnd, WM_COMMAND, CMD_INFO, 0);
        EXPECT_TRUE(closer.closed());
    }
    EXPECT_EQ(owner.load(), mwin.hwnd);
    EXPECT_NE(ok.load(), nullptr);
    EXPECT_TRUE(main_disabled);
    EXPECT_TRUE(IsWindowEnabled(mwin.hwnd));
    EXPECT_EQ(FindWindowA("#32770", "Info"), nullptr);
    EXPECT_STREQ(mcfg.product_line, "Trelvista v 1.1.1.0 (64 Bit)");
    EXPECT_NE(mcfg.link_cursor, nullptr);
    EXPECT_STREQ(mcfg.info_link, "http://www.example.org/trelvista");
}

TEST_F(Info, CancelAndEscapeCloseTheDialog) {
    StartApp();
    {
        InfoCloser closer(WM_COMMAND, IDCANCEL);
        ShowInfo();
        EXPECT_TRUE(closer.closed());
    }
    EXPECT_EQ(FindWindowA("#32770", "Info"), nullptr);
    {
        // The dialog manager turns Esc into IDCANCEL.
        InfoCloser closer(WM_KEYDOWN, VK_ESCAPE);
        ShowInfo();
        EXPECT_TRUE(closer.closed());
    }
    EXPECT_EQ(FindWindowA("#32770", "Info"), nullptr);
}

TEST_F(Info, HandCursorShowsOverTheLinkBandFromEdgeToEdge) {
    StartApp();
    HWND dialog = OpenModeless();
    ASSERT_NE(dialog, nullptr);
    RECT client;
    GetClientRect(dialog, &client);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    for (int x : {0, (int)client.right / 2, (int)client.right - 1}) {
        for (int y : {40, 60, 61, 70, 79, 80, 95}) {
            SendMessageA(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            bool band = y >= 61 && y <= 79;
            EXPECT_EQ(GetCursor(), band ? mcfg.link_cursor : arrow) << x << "," << y;
        }
    }
    // A click in the band hands the address to the shell and returns; one outside does not.
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 50));
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 70));
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(dialog);
}

TEST_F(Info, AddressFollowsTheUserDomainExactly) {
    StartApp();
    HWND dialog = OpenModeless();
    ASSERT_NE(dialog, nullptr);
    struct {
        const char* domain;
        const char* address;
    } cases[] = {{"QRVL", "http://www.example.org/qrvl"},
                 {"QRVLX", "http://www.example.org/trelvista"},
                 {"qrvl", "http://www.example.org/trelvista"},
                 {nullptr, "http://www.example.org/trelvista"}};
    char saved[256] = {};
    DWORD had = GetEnvironmentVariableA("USERDOMAIN", saved, sizeof saved);
    for (const auto& c : cases) {
        SetEnvironmentVariableA("USERDOMAIN", c.domain);
        Repaint(dialog);
        EXPECT_STREQ(mcfg.info_link, c.address) << (c.domain ? c.domain : "(unset)");
    }
    SetEnvironmentVariableA("USERDOMAIN", had && had < sizeof saved ? saved : nullptr);
    DestroyWindow(dialog);
}

TEST_F(Info, PaintDrawsTheLinkInBlueInItsBandAndRepaintsTheSame) {
    StartApp();
    SetEnvironmentVariableA("USERDOMAIN", nullptr);
    HWND dialog = OpenModeless();
    ASSERT_NE(dialog, nullptr);
    int width = 0, height = 0;
    std::vector<unsigned> first = Snapshot(dialog, width, height);
    ASSERT_GT(height, 80);
    EXPECT_GT(BlueRows(first, width, 60, 80), 3) << "the address is drawn in the link band";
    EXPECT_EQ(BlueRows(first, width, 0, 60), 0);
    EXPECT_EQ(BlueRows(first, width, 80, height), 0);

    // Covered and uncovered: the three lines come back in the same places.
    Repaint(dialog);
    std::vector<unsigned> second = Snapshot(dialog, width, height);
    EXPECT_TRUE(first == second);
    DestroyWindow(dialog);
}
