// The folder shown has one owner: a navigation that is pending gates every entry point that
// acts on the folder, a job's result waits for the end of a modal loop, the selection follows
// the file, one rename carries out every name typed, and a folder that is gone is told.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <thread>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

bool Selected(const char* name) {
    int row = tv::RowOf(name);
    return row >= 0 && (ListView_GetItemState(mlvw.hwnd, row, LVIS_SELECTED) & LVIS_SELECTED);
}

std::string PathBox() {
    char text[MAX_PATH] = {};
    GetWindowTextA(mcbx.hwnd, text, sizeof text);
    return text;
}

class PanelTest : public tv::AppTest {
  protected:
    // A folder whose read takes longer than a moment.
    std::string BigFolder(const char* relative) {
        std::string big = tree_.dir(relative);
        EXPECT_TRUE(
            tv::RunLinuxAndWait("cd '" + tv::UnixPath(big) + "' && seq 1 60000 | xargs touch"));
        return big;
    }
    // The tree, the path box and the list name the folder that was read.
    void ExpectOneFolder(const std::string& folder) {
        EXPECT_EQ(std::string(panel.folder), folder);
        EXPECT_EQ(std::string(mtvw.ItemPath(mtvw.Caret())), folder);
        EXPECT_EQ(PathBox(), folder);
    }
    tv::TempTree tree_{"panel"};
};

}  // namespace

TEST_F(PanelTest, APendingReadRefusesWhatWouldActOnTheFolderLeftBehind) {
    tree_.file("Small\\keep.txt", "keep");
    tree_.dir("Small\\inner");
    tree_.file("From\\dropped.txt", "d");
    std::string big = BigFolder("Big");
    StartApp(tree_.path("Small").c_str());
    ASSERT_TRUE(Navigate(big.c_str()));
    ASSERT_TRUE(ReadRunning()) << "the read ended before the test could look at it";

    // Enter in the list, a double click on a row, a drop onto the list: each refused, and
    // the read goes on.
    tv::SelectNames({"inner"});
    tv::PressThroughLoop(mlvw.hwnd, VK_RETURN);
    NMHDR click = {mlvw.hwnd, (UINT_PTR)GetDlgCtrlID(mlvw.hwnd), (UINT)NM_DBLCLK};
    SendMessageA(mwin.hwnd, WM_NOTIFY, click.idFrom, (LPARAM)&click);
    SendMessageA(mlvw.hwnd, WM_DROPFILES, (WPARAM)tv::DropOf(tree_.path("From\\dropped.txt")), 0);
    EXPECT_TRUE(ReadRunning()) << "an entry point gave the pending read up";
    EXPECT_FALSE(tv::Exists(tree_.path("Small\\dropped.txt")));

    ASSERT_TRUE(Until([] { return !ReadRunning(); }, 60000));
    ExpectOneFolder(big);
    EXPECT_EQ(ViewCount(panel.view), 60000u);
}

TEST_F(PanelTest, RowsDroppedOntoAFolderBeingReadMoveThereOnceItIsListed) {
    tree_.file("Data\\a.txt", "moving a");
    std::string big = BigFolder("Data\\Big");
    StartApp(tree_.path("Data").c_str());
    HTREEITEM target = mtvw.FindChild(mtvw.Caret(), "Big");
    ASSERT_NE(target, nullptr);
    tv::SelectNames({"a.txt"});
    tv::BeginRowDrag();
    ASSERT_TRUE(panel.dragging);
    tv::ReleaseOverTreeItem(target);
    ASSERT_TRUE(Until([&] { return tv::Exists(big + "\\a.txt"); }, 60000));
    EXPECT_EQ(tv::ReadFile(big + "\\a.txt"), "moving a");
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\a.txt")));
    ASSERT_TRUE(Until([] { return Selected("a.txt"); }, 60000));
    ExpectOneFolder(big);
}

TEST_F(PanelTest, AReadThatEndsInsideAMessageBoxIsAppliedAfterIt) {
    tree_.file("Small\\keep.txt", "keep");
    std::string big = BigFolder("Big");
    StartApp(tree_.path("Small").c_str());
    ASSERT_TRUE(Navigate(big.c_str()));
    ASSERT_TRUE(ReadRunning());
    HANDLE reader = panel.read_thread.get();
    // The box is pressed once the read's thread has ended: its message has been posted and
    // the box's loop has had it.
    std::thread presser([reader] {
        HWND box = tv::WaitForWindow("#32770", "Trelvista", 20000);
        WaitForSingleObject(reader, 60000);
        if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    const ViewSlot* before = panel.view;
    MsgBox("A message while the folder is read.");
    presser.join();
    EXPECT_EQ(panel.view, before) << "the read was applied inside the message box";
    EXPECT_EQ(std::string(panel.folder), tree_.path("Small"));
    ASSERT_TRUE(Until([] { return !ReadRunning(); }, 20000));
    ExpectOneFolder(big);
}

TEST_F(PanelTest, TheSelectionFollowsTheFileAcrossAnotherProgramsRenames) {
    tree_.file("Data\\c.txt", "picked");
    tree_.file("Data\\d.txt", "never picked");
    tree_.file("Data\\e.txt", "e");
    StartApp(tree_.path("Data").c_str());
    tv::SelectNames({"c.txt"});
    // Another program renames the picked file away and gives its name to another file.
    ASSERT_TRUE(MoveFileA(tree_.path("Data\\c.txt").c_str(), tree_.path("Data\\x.txt").c_str()));
    ASSERT_TRUE(MoveFileA(tree_.path("Data\\d.txt").c_str(), tree_.path("Data\\c.txt").c_str()));
    ASSERT_TRUE(Until([] { return tv::RowOf("x.txt") >= 0; }, 10000));
    EXPECT_TRUE(Selected("x.txt"));
    EXPECT_FALSE(Selected("c.txt")) << "the name took the selection to another file";
    EXPECT_EQ(mlvw.SelectedCount(), 1);
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\x.txt")));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\c.txt")), "never picked");
}

TEST_F(PanelTest, TheListsOwnLabelEditIsTheSameRename) {
    tree_.file("Data\\old.txt", "old");
    StartApp(tree_.path("Data").c_str());
    SetFocus(mlvw.hwnd);
    tv::SelectNames({"old.txt"});
    // The list opens its edit itself, as after a second click on the selected row.
    SendMessageA(mlvw.hwnd, LVM_EDITLABELA, tv::RowOf("old.txt"), 0);
    ASSERT_NE(panel.rename_edit, nullptr);
    SetWindowTextA(panel.rename_edit, "new.txt");
    tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\new.txt")), "old");
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\old.txt")));
    EXPECT_TRUE(Selected("new.txt"));

    // A name that breaks a rule is told, not dropped.
    SendMessageA(mlvw.hwnd, LVM_EDITLABELA, tv::RowOf("new.txt"), 0);
    ASSERT_NE(panel.rename_edit, nullptr);
    SetWindowTextA(panel.rename_edit, "a:b");
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_TRUE(tv::Exists(tree_.path("Data\\new.txt")));

    // A drop that reads the folder again under an open edit: the name typed is carried out.
    tree_.file("From\\dropped.txt", "d");
    SendMessageA(mlvw.hwnd, LVM_EDITLABELA, tv::RowOf("new.txt"), 0);
    ASSERT_NE(panel.rename_edit, nullptr);
    SetWindowTextA(panel.rename_edit, "kept.txt");
    SendMessageA(mlvw.hwnd, WM_DROPFILES, (WPARAM)tv::DropOf(tree_.path("From\\dropped.txt")), 0);
    ASSERT_TRUE(Until([&] { return tv::Exists(tree_.path("Data\\kept.txt")); }, 10000));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\dropped.txt")), "d");
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\new.txt")));
}

TEST_F(PanelTest, AFolderRemovedByAnotherProgramIsToldAndTheTreeFollows) {
    tree_.file("Data\\keep.txt", "k");
    tree_.file("Data\\Gone\\inner.txt", "i");
    StartApp(tree_.path("Data\\Gone").c_str());
    ASSERT_NE(mtvw.FindPath(tree_.path("Data\\Gone").c_str()), nullptr);
    {
        tv::DialogPresser ok("Trelvista", IDOK, 15000);
        tv::RemoveTree(tree_.path("Data\\Gone"));
        ASSERT_TRUE(Until([&] { return std::string(panel.folder) == tree_.path("Data"); }, 15000));
        EXPECT_TRUE(ok.pressed());
    }
    ExpectOneFolder(tree_.path("Data"));
    EXPECT_EQ(mtvw.FindPath(tree_.path("Data\\Gone").c_str()), nullptr);
    EXPECT_GE(tv::RowOf("keep.txt"), 0);
}

TEST_F(PanelTest, DeletingTheFolderShownLeavesItsSiblingsInTheTree) {
    tree_.file("Data\\A\\a.txt", "a");
    tree_.file("Data\\B\\b.txt", "b");
    tree_.file("Data\\C\\c.txt", "c");
    StartApp(tree_.path("Data").c_str());
    ASSERT_TRUE(Navigate(tree_.path("Data\\B").c_str()));
    ListView_SetItemState(mlvw.hwnd, -1, 0, LVIS_SELECTED);
    {
        tv::DialogPresser yes("Confirm folder deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\B")));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\A\\a.txt")), "a");
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\C\\c.txt")), "c");
    ExpectOneFolder(tree_.path("Data"));
    EXPECT_NE(mtvw.FindPath(tree_.path("Data\\A").c_str()), nullptr);
    EXPECT_NE(mtvw.FindPath(tree_.path("Data\\C").c_str()), nullptr);
    EXPECT_EQ(mtvw.FindPath(tree_.path("Data\\B").c_str()), nullptr);
}
