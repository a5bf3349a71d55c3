// Ctrl+Z takes the last operations back, most recent first, on the entries that are provably
// the ones they left, and leaves alone (and tells) whatever changed since.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <cstdlib>
#include <set>
#include <string>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

class UndoTest : public tv::AppTest {
  protected:
    tv::TempTree tree_{"undo"};
};

}  // namespace

TEST_F(UndoTest, CopyMoveRenameAndNewFolderAreTakenBackMostRecentFirst) {
    tree_.file("Data\\a.txt", "a");
    tree_.file("Data\\b.txt", "b");
    tree_.file("Data\\c.txt", "c");
    tree_.dir("Data\\To");
    StartApp(tree_.path("Data").c_str());
    EXPECT_FALSE(UndoAvailable());

    // A copy of a.txt into its own folder, a rename of b.txt, a move of c.txt, a new folder.
    tv::SelectNames({"a.txt"});
    SendCommand(CMD_COPY, 1);
    SendCommand(CMD_PASTE, 1);
    ASSERT_EQ(tv::ReadFile(tree_.path("Data\\a - Copy.txt")), "a");
    tv::SelectNames({"b.txt"});
    SendCommand(CMD_RENAME, 1);
    ASSERT_NE(panel.rename_edit, nullptr);
    SetWindowTextA(panel.rename_edit, "renamed.txt");
    tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
    ASSERT_TRUE(tv::Exists(tree_.path("Data\\renamed.txt")));
    tv::SelectNames({"c.txt"});
    ASSERT_TRUE(CaptureDragged());
    MoveDraggedTo(tree_.path("Data\\To").c_str());
    ASSERT_TRUE(Until([&] { return tv::Exists(tree_.path("Data\\To\\c.txt")); }));
    ASSERT_TRUE(Navigate(tree_.path("Data").c_str()));
    ASSERT_TRUE(Until([] { return !ReadRunning(); }));
    SendCommand(CMD_NEW_FOLDER, 1);
    ASSERT_TRUE(tv::Exists(tree_.path("Data\\New Folder")));
    EXPECT_EQ(UndoMenuText(), "Undo New\tStrg+Z");

    // What goes to the recycle bin is asked for first, as the shell asks.
    {
        tv::DialogPresser yes("Confirm folder deletion", 6);
        SendCommand(CMD_UNDO, 1);
    }
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\New Folder")));
    SendCommand(CMD_UNDO, 1);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\c.txt")), "c");
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\To\\c.txt")));
    SendCommand(CMD_UNDO, 1);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\b.txt")), "b");
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\renamed.txt")));
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_UNDO, 1);
    }
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\a - Copy.txt")));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\a.txt")), "a");
    EXPECT_FALSE(UndoAvailable());
}

TEST_F(UndoTest, WhatChangedSinceOrWhoseOldNameIsTakenIsLeftAloneAndTold) {
    tree_.file("Data\\a.txt", "a");
    tree_.file("Data\\b.txt", "b");
    StartApp(tree_.path("Data").c_str());
    auto rename = [&](const char* from, const char* to) {
        tv::SelectNames({from});
        SendCommand(CMD_RENAME, 1);
        ASSERT_NE(panel.rename_edit, nullptr);
        SetWindowTextA(panel.rename_edit, to);
        tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
    };
    rename("a.txt", "x.txt");
    rename("b.txt", "y.txt");
    // Another program writes into y.txt, and another gives a file the name a.txt.
    tree_.file("Data\\y.txt", "changed by another program");
    tree_.file("Data\\a.txt", "another a");
    for (int i = 0; i < 2; i++) {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_UNDO, 1);
        EXPECT_TRUE(ok.pressed()) << i;
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\y.txt")), "changed by another program");
    EXPECT_FALSE(tv::Exists(tree_.path("Data\\b.txt")));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\x.txt")), "a");
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\a.txt")), "another a");
}

namespace {

// Sends a file to the recycle bin as another program would.
void TheyDelete(const std::string& path) {
    std::string from = path + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationA(&op), 0);
}

// The contents of every file in the test run's recycle bin.
std::multiset<std::string> BinContents() {
    std::multiset<std::string> held;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (!xdg) return held;
    std::string files = std::string("Z:") + xdg + "\\Trash\\files";
    WIN32_FIND_DATAA record;
    HANDLE find = FindFirstFileA((files + "\\*").c_str(), &record);
    if (find == INVALID_HANDLE_VALUE) return held;
    do {
        if (!(record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            held.insert(tv::ReadFile(files + "\\" + record.cFileName));
    } while (FindNextFileA(find, &record));
    FindClose(find);
    return held;
}

}  // namespace

TEST_F(UndoTest, ADeleteComesBackFromTheBinOnlyAsItWentAndNeverOntoATakenName) {
    tree_.file("Data\\a.txt", "mine a");
    tree_.file("Data\\b.txt", "mine b");
    StartApp(tree_.path("Data").c_str());
    auto remove = [&](const char* name) {
        tv::SelectNames({name});
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE, 1);
        EXPECT_TRUE(yes.pressed());
    };
    remove("b.txt");
    remove("a.txt");
    EXPECT_EQ(UndoMenuText(), "Undo Delete\tStrg+Z");
    // Another program deletes a file of the same name from the same folder, and another makes
    // a file under b.txt's old name.
    tree_.file("Data\\a.txt", "their a");
    TheyDelete(tree_.path("Data\\a.txt"));
    tree_.file("Data\\b.txt", "their b");
    // The bin of the test run keeps what earlier runs put there.
    size_t their_a = BinContents().count("their a"), mine_b = BinContents().count("mine b");
    ASSERT_GE(their_a, 1u);
    ASSERT_GE(mine_b, 1u);

    // Only this program's a.txt comes back; theirs stays in the bin.
    {
        tv::DialogPresser told("Trelvista", IDOK);
        SendCommand(CMD_UNDO, 1);
        EXPECT_FALSE(told.pressed()) << told.text();
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\a.txt")), "mine a");
    EXPECT_EQ(BinContents().count("their a"), their_a);

    // b.txt's old name is taken: nothing is replaced, b.txt stays in the bin, and it is told.
    {
        tv::DialogPresser told("Trelvista", IDOK);
        SendCommand(CMD_UNDO, 1);
        EXPECT_TRUE(told.pressed());
        EXPECT_NE(told.text().find("b.txt"), std::string::npos) << told.text();
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\b.txt")), "their b");
    EXPECT_EQ(BinContents().count("mine b"), mine_b);
    EXPECT_FALSE(UndoAvailable());
}

TEST_F(UndoTest, AMoveOntoAnotherDiskComesBackWholeUnderItsOldName) {
    tree_.file("Data\\c.txt", "c");
    tree_.file("Data\\Fold\\in.txt", "in");
    std::string other = tree_.path("Other");
    tv::TmpfsMount disk(other, "size=8m");
    if (!disk.mounted()) GTEST_SKIP() << "no file system can be mounted here";
    StartApp(tree_.path("Data").c_str());
    tv::SelectNames({"c.txt", "Fold"});
    SendCommand(CMD_CUT, 1);
    ReadPath(other.c_str());
    SendCommand(CMD_PASTE, 1);
    ASSERT_EQ(tv::ReadFile(other + "\\c.txt"), "c");
    ASSERT_FALSE(tv::Exists(tree_.path("Data\\c.txt")));
    {
        tv::DialogPresser told("Trelvista", IDOK);
        SendCommand(CMD_UNDO, 1);
        EXPECT_FALSE(told.pressed()) << told.text();
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\c.txt")), "c");
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\Fold\\in.txt")), "in");
    EXPECT_FALSE(tv::Exists(other + "\\c.txt"));
    EXPECT_FALSE(tv::Exists(other + "\\Fold"));
}
