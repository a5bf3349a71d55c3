// Reading folders beside the window: a long read leaves the folder shown before as it is and
// the window answering; a folder changed by another program is read again by itself; every
// read of the same folder keeps its rows selected, and a paste or a rename selects its
// entries.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <string>
#include <thread>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

bool Selected(const char* name) {
    int row = tv::RowOf(name);
    return row >= 0 && (ListView_GetItemState(mlvw.hwnd, row, LVIS_SELECTED) & LVIS_SELECTED);
}

class Reading : public tv::AppTest {
  protected:
    tv::TempTree tree_{"reading"};
};

}  // namespace

TEST_F(Reading, ALongReadLeavesTheFolderShownBeforeAndTheWindowAnswering) {
    tree_.file("Small\\keep.txt", "keep");
    std::string big = tree_.dir("Big");
    ASSERT_TRUE(tv::RunLinuxAndWait("cd '" + tv::UnixPath(big) + "' && seq 1 60000 | xargs touch"));
    StartApp(tree_.path("Small").c_str());
    tv::SelectNames({"keep.txt"});

    // A pinger measures how long the window takes to answer while the folder is read.
    std::atomic<bool> reading{true};
    std::atomic<DWORD> slowest{0};
    std::thread pinger([&] {
        while (reading) {
            DWORD start = GetTickCount();
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutA(mwin.hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &answer))
                slowest = 2000;
            DWORD took = GetTickCount() - start;
            if (took > slowest) slowest = took;
            Sleep(20);
        }
    });
    ASSERT_TRUE(Navigate(big.c_str()));
    ASSERT_TRUE(ReadRunning()) << "the read ended before the test could look at it";
    // Until it has ended the folder that was read is the one before, and an operation on it
    // is refused: the Delete of its selected row deletes nothing.
    EXPECT_EQ(std::string(panel.folder), tree_.path("Small"));
    SendCommand(CMD_DELETE_FOREVER, 1);
    EXPECT_EQ(tv::ReadFile(tree_.path("Small\\keep.txt")), "keep");
    // Esc gives it up: the folder shown before stays, the tree with it.
    tv::PressThroughLoop(mlvw.hwnd, VK_ESCAPE);
    EXPECT_FALSE(ReadRunning());
    EXPECT_EQ(std::string(panel.folder), tree_.path("Small"));
    EXPECT_EQ(std::string(mtvw.ItemPath(mtvw.Caret())), tree_.path("Small"));
    EXPECT_GE(tv::RowOf("keep.txt"), 0);

    // Read to its end, it becomes the folder that was read.
    ASSERT_TRUE(Navigate(big.c_str()));
    ASSERT_TRUE(Until([] { return !ReadRunning(); }, 60000));
    reading = false;
    pinger.join();
    EXPECT_EQ(std::string(panel.folder), big);
    EXPECT_EQ(ViewCount(panel.view), 60000u);
    EXPECT_LT(slowest.load(), 500u) << "the window did not answer while it read";
}

TEST_F(Reading, TheFolderFollowsTheDiskAndEveryReadKeepsItsRows) {
    tree_.file("Data\\a.txt", "a");
    tree_.file("Data\\b.txt", "b");
    tree_.file("From\\pasted.txt", "p");
    std::string data = tree_.path("Data");
    StartApp(data.c_str());
    tv::SelectNames({"b.txt"});

    // Another program adds a file: the folder is read again by itself, b.txt still selected.
    tree_.file("Data\\new.txt", "n");
    ASSERT_TRUE(Until([] { return tv::RowOf("new.txt") >= 0; }, 10000));
    EXPECT_TRUE(Selected("b.txt"));
    EXPECT_FALSE(Selected("new.txt"));

    // F5 keeps the selection too.
    SendCommand(CMD_READ, 1);
    EXPECT_TRUE(Selected("b.txt"));

    // A rename selects the renamed entry; a paste the pasted ones.
    tv::SelectNames({"a.txt"});
    SendCommand(CMD_RENAME, 1);
    ASSERT_NE(panel.rename_edit, nullptr);
    SetWindowTextA(panel.rename_edit, "renamed.txt");
    tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
    EXPECT_TRUE(Selected("renamed.txt"));
    EXPECT_EQ(mlvw.SelectedCount(), 1);
    ASSERT_TRUE(tv::PutFilesOnClipboard({tree_.path("From\\pasted.txt")}));
    SendCommand(CMD_PASTE, 1);
    EXPECT_TRUE(Selected("pasted.txt"));
    EXPECT_EQ(mlvw.SelectedCount(), 1);

    // Nothing is read again under an open rename edit.
    tv::SelectNames({"b.txt"});
    SendCommand(CMD_RENAME, 1);
    ASSERT_NE(panel.rename_edit, nullptr);
    tree_.file("Data\\later.txt", "l");
    EXPECT_FALSE(Until([] { return tv::RowOf("later.txt") >= 0; }, 3000))
        << "the folder was read again under the rename edit";
    EXPECT_NE(panel.rename_edit, nullptr);
    // Once the edit has ended, the change is read.
    SendMessageA(panel.rename_edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Until([] { return tv::RowOf("later.txt") >= 0; }, 10000));
}

TEST_F(Reading, AReadComesOrderedByNameInTheDirectionSetLast) {
    tree_.file("Small\\keep.txt", "keep");
    std::string big = tree_.dir("Big");
    ASSERT_TRUE(tv::RunLinuxAndWait("cd '" + tv::UnixPath(big) + "' && seq 1 60000 | xargs touch"));
    tree_.dir("Big\\sub");
    StartApp(tree_.path("Small").c_str());
    auto in_order = [](int dir) {
        for (unsigned i = 1; i < ViewCount(panel.view); i++)
            if (CompareEntriesBy(panel.view[i - 1].entry, panel.view[i].entry, 0, dir) > 0)
                return false;
        return ViewCount(panel.view) > 0;
    };

    // Ordered on the read's own thread, from Z to A as the direction was when it began, the
    // folder first.
    SetOrder(0, 0);
    ASSERT_TRUE(Navigate(big.c_str()));
    ASSERT_TRUE(Until([] { return !ReadRunning(); }, 60000));
    ASSERT_EQ(ViewCount(panel.view), 60001u);
    EXPECT_STREQ(panel.view[0].entry->name(), "sub");
    EXPECT_STREQ(panel.view[1].entry->name(), "9999");
    EXPECT_TRUE(in_order(0));

    // The direction turned round while the folder was read: the rows follow the new one.
    ASSERT_TRUE(Navigate(tree_.path("Small").c_str()));
    ASSERT_TRUE(Until([] { return !ReadRunning(); }, 60000));
    ASSERT_TRUE(Navigate(big.c_str()));
    bool turned = ReadRunning();
    if (turned) SetOrder(0, 1);
    ASSERT_TRUE(Until([] { return !ReadRunning(); }, 60000));
    ASSERT_EQ(ViewCount(panel.view), 60001u);
    EXPECT_TRUE(in_order(turned ? 1 : 0));
    if (turned) EXPECT_STREQ(panel.view[1].entry->name(), "1");
}
