// The folder that was read owns every entry path; one key press is one action; names the
// platform could not give whole are reached by their short names.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/paths.h"
#include "controls/ui.h"
#include "app/wndproc.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "scan/find.h"
#include "scan/scan.h"
#include "tests/support/app_fixture.h"

namespace {

std::string PropertiesPage() {
    return tv::ReadFile(std::string(getenv("TEMP")) + "\\file-properties.htm");
}

class SafeGround : public tv::AppTest {
  protected:
    void MakeTwoFolders() {
        tree_.file("A\\same.txt", "in A");
        tree_.dir("A\\Sub");
        tree_.file("A\\Sub\\inner.dat", std::string(7, 'a'));
        tree_.file("B\\same.txt", "in B");
        tree_.dir("B\\Sub");
        tree_.file("B\\Sub\\inner.dat", std::string(99, 'b'));
        tree_.dir("B\\Other");
    }
    tv::TempTree tree_{"safe"};
};

}  // namespace

TEST_F(SafeGround, TextTypedAndNotEnteredRedirectsNothing) {
    MakeTwoFolders();
    std::string a = tree_.path("A"), b = tree_.path("B");
    StartApp(a.c_str());
    ASSERT_STREQ(panel.folder.c_str(), a.c_str());
    HTREEITEM a_item = mtvw.Caret();
    mcbx.SetText(b.c_str());  // typed, no Enter

    // Properties names the row in the folder that was read.
    int row = tv::RowOf("same.txt");
    ASSERT_GE(row, 0);
    tv::SelectRows({row});
    {
        // A prefix with no program for pages tells so.
        tv::DialogPresser told("Trelvista", IDOK, 2000);
        SendCommand(CMD_PROPERTIES, 1);
    }
    EXPECT_NE(PropertiesPage().find("Properties: " + a + "\\same.txt</code>"), std::string::npos)
        << PropertiesPage();

    // The size scan measures A's folders, not B's.
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return mcfg.scanning == 0 && mcfg.sort_column == 1; }));
    int sub = tv::RowOf("Sub");
    ASSERT_GE(sub, 0);
    EXPECT_EQ(EntrySize(*panel.view[sub].entry), 7u);
    SendCommand(CMD_READ_SIZE);
    Until([] { return mcfg.scanning == 0; });

    // A double click on a folder opens A's own subfolder.
    mcbx.SetText(b.c_str());
    sub = tv::RowOf("Sub");
    tv::SelectRows({sub});
    Open((unsigned)sub, 0);
    EXPECT_STREQ(panel.folder.c_str(), (a + "\\Sub").c_str());
    EXPECT_EQ(mtvw.Parent(mtvw.Caret()), a_item);

    // Back and re-read work from the folder that was read, and the box shows it again.
    Back();
    EXPECT_STREQ(panel.folder.c_str(), a.c_str());
    mcbx.SetText(b.c_str());
    Read();
    EXPECT_STREQ(panel.folder.c_str(), a.c_str());
    EXPECT_EQ(std::string(mcbx.GetText()), a);
    EXPECT_EQ(tv::Children(a_item), (std::vector<std::string>{"Sub"})) << "B's folders under A";
}

TEST_F(SafeGround, TheReadButtonOpensATypedPathAsEnterDoesAndTheBoxTreeAndListAgree) {
    MakeTwoFolders();
    std::string a = tree_.path("A"), b = tree_.path("B");
    StartApp(a.c_str());
    mcbx.SetText(b.c_str());
    SendCommand(CMD_READ);
    EXPECT_STREQ(panel.folder.c_str(), b.c_str());
    EXPECT_EQ(std::string(mcbx.GetText()), b);
    EXPECT_STREQ(mtvw.ItemPath(mtvw.Caret()), b.c_str());
    EXPECT_GE(tv::RowOf("Other"), 0);

    // Texts that name no folder by a full path read nothing and restore the box.
    for (const char* bad : {"docs", "C:docs", "\\\\server\\share", "C:\\x*"}) {
        int reads = tv::CountEntries("Read () OK");
        ReadPath(bad);
        EXPECT_EQ(tv::CountEntries("Read () OK"), reads) << bad;
        EXPECT_STREQ(panel.folder.c_str(), b.c_str()) << bad;
        EXPECT_EQ(std::string(mcbx.GetText()), b) << bad;
        mcbx.SetText(bad);
        PathEntered();
        EXPECT_EQ(std::string(mcbx.GetText()), b) << bad;
    }
    // A path too long for the platform is refused whole, never cut into another folder's.
    std::string overlong = b + "\\" + std::string(kLongestPathUnits, 'x');
    int reads = tv::CountEntries("Read () OK");
    ReadPath(overlong.c_str());
    EXPECT_NE(panel.folder, overlong.substr(0, kLongestPathUnits));
    EXPECT_TRUE(panel.folder.empty() || panel.folder == b) << panel.folder.size();
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads);
    // A drive alone reads its root.
    ReadPath("C:");
    EXPECT_STREQ(panel.folder.c_str(), "C:");
    EXPECT_GE(tv::RowOf("windows"), 0);
}

TEST_F(SafeGround, OneEnterOrF5IsOneActionAndEnterInTheDriveViewKeepsTheDrives) {
    MakeTwoFolders();
    std::string a = tree_.path("A");
    StartApp(a.c_str());
    // An empty card reader answers with an error, not with the system's box.
    EXPECT_TRUE(GetErrorMode() & SEM_FAILCRITICALERRORS);
    int reads = tv::CountEntries("Read () OK");
    // A read that outlasts the quick bound on a busy machine ends in the loop: wait for it.
    auto reads_done = [&](int n) {
        return tv::WaitUntil([&] { return tv::CountEntries("Read () OK") >= n; }, 10000, true) &&
               tv::CountEntries("Read () OK") == n;
    };
    tv::PressThroughLoop(mlvw.hwnd, VK_RETURN);
    EXPECT_TRUE(reads_done(reads + 1));
    tv::PressThroughLoop(mwin.hwnd, VK_F5);
    EXPECT_TRUE(reads_done(reads + 2));

    // One Enter in the path box's edit field opens the typed path once.
    HWND edit = FindWindowExA(mcbx.hwnd, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    std::string b = tree_.path("B");
    mcbx.SetText(b.c_str());
    reads = tv::CountEntries("Read () OK");
    tv::PressThroughLoop(edit, VK_RETURN);
    EXPECT_TRUE(reads_done(reads + 1));
    EXPECT_STREQ(panel.folder.c_str(), b.c_str());

    // Enter with "Drives" selected: the drives stay under the root, nothing is read.
    mtvw.Select(mtvw.Root());
    ASSERT_TRUE(mcfg.drives_mode);
    std::vector<std::string> drives = tv::Children(mtvw.Root());
    reads = tv::CountEntries("Read () OK");
    tv::PressThroughLoop(mtvw.hwnd, VK_RETURN);
    EXPECT_EQ(tv::Children(mtvw.Root()), drives);
    EXPECT_EQ(mtvw.Caret(), mtvw.Root());
    EXPECT_TRUE(mcfg.drives_mode);
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads);
    EXPECT_EQ(ListView_GetItemCount(mlvw.hwnd), 0);
}

TEST_F(SafeGround, FindKeepsTheTreeChildrenOfTheSearchedFolderAndSearchesTheFolderThatWasRead) {
    MakeTwoFolders();
    std::string a = tree_.path("A"), b = tree_.path("B");
    StartApp(a.c_str());
    HTREEITEM a_item = mtvw.Caret();
    ASSERT_EQ(tv::Children(a_item), (std::vector<std::string>{"Sub"}));
    mcbx.SetText(b.c_str());
    mcby.SetText("inner");
    ASSERT_TRUE(tv::FindAndWait());
    EXPECT_TRUE(mcfg.find_mode);
    ASSERT_EQ(panel.entries.size(), 1u);
    EXPECT_EQ(std::string(panel.entries.Folder(panel.entries[0]->folder)) + "\\" +
                  panel.entries[0]->name(),
              a + "\\Sub\\inner.dat");
    EXPECT_EQ(tv::Children(a_item), (std::vector<std::string>{"Sub"}));
    EXPECT_EQ(std::string(mcbx.GetText()), a);
}

TEST_F(SafeGround, ADragEndsCleanlyWhenTheMouseIsTakenOrEscIsPressed) {
    MakeTwoFolders();
    StartApp(tree_.path("A").c_str());
    tv::SelectRows({tv::RowOf("same.txt")});
    tv::BeginRowDrag();
    ASSERT_TRUE(panel.dragging);
    EXPECT_EQ(GetCapture(), mwin.hwnd);
    // Another window takes the mouse.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    SetCapture(other);
    tv::PumpMessages(true);
    EXPECT_FALSE(panel.dragging);
    ReleaseCapture();
    DestroyWindow(other);

    tv::BeginRowDrag();
    ASSERT_TRUE(panel.dragging);
    tv::PressThroughLoop(mlvw.hwnd, VK_ESCAPE);
    EXPECT_FALSE(panel.dragging);
    EXPECT_NE(GetCapture(), mwin.hwnd);
    // The release that follows moves nothing.
    SendMessageA(mwin.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 40));
    EXPECT_EQ(tv::ReadFile(tree_.path("A\\same.txt")), "in A");
}

TEST_F(SafeGround, AMouseDragOfRowsStaysADragUntilTheButtonIsReleased) {
    MakeTwoFolders();
    StartApp(tree_.path("A").c_str());
    int row = tv::RowOf("same.txt");
    ASSERT_GE(row, 0);
    RECT cell = {};
    cell.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(mlvw.hwnd, LVM_GETITEMRECT, row, (LPARAM)&cell));
    int x = cell.left + 10, y = (cell.top + cell.bottom) / 2;
    // The list decides on a drag from the mouse messages that follow the press.
    PostMessageA(mlvw.hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, y + 40));
    PostMessageA(mlvw.hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 60, y + 60));
    SendMessageA(mlvw.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    tv::PumpMessages(true);
    if (!panel.dragging) GTEST_SKIP() << "the list began no drag from these messages";
    EXPECT_EQ(GetCapture(), mwin.hwnd) << "the drag lost the mouse as it began";
    SendMessageA(mwin.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(panel.dragging);
}
