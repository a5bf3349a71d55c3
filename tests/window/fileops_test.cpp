// Copy, paste, drop, delete, rename, the drag move, attributes and new items against the
// real shell, clipboard and file system.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/paths.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "pages/pages.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "scan/find.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::SelectNames;

using tv::Exists;

// The recycle bin of the test run: $XDG_DATA_HOME/Trash/files, seen from the Windows side.
std::string TrashFiles() {
    const char* xdg = getenv("XDG_DATA_HOME");
    if (!xdg || !*xdg) return "";
    std::string path = std::string("Z:") + xdg + "/Trash/files";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The clipboard's file list as raw bytes of the block.
using tv::ClipboardBlock;

class FileOps : public tv::AppTest {
  protected:
    void Open(const std::string& folder) { ReadPath(folder.c_str()); }
    tv::TempTree tree_{"ops"};
};

}  // namespace

TEST_F(FileOps, CopyPutsTheSelectedRowsOnTheClipboardInRowOrder) {
    tree_.file("Data\\a", "A");
    tree_.file("Data\\b", "B");
    tree_.file("Data\\c", "C");
    StartApp(tree_.path("Data").c_str());
    // Selected b first, then a: the list is still in ascending row order.
    tv::SelectRows({tv::RowOf("b"), tv::RowOf("a")});
    SendCommand(CMD_COPY, 1);
    std::string dir = tree_.path("Data");
    std::string list = tv::WideListBytes(dir + "\\a" + '\0' + dir + "\\b" + '\0' + '\0');
    std::string block = ClipboardBlock();
    ASSERT_GE(block.size(), (size_t)DropBlockSize((uint32_t)list.size()));
    EXPECT_EQ(block.substr(20, list.size()), list);
    EXPECT_EQ(block[0], 20);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Copy () " + dir + "\\a OK ..."), 0);

    // No row, or "Drives" selected: nothing is gathered, and the clipboard keeps its list.
    tv::SelectRows({});
    SendCommand(CMD_COPY, 1);
    EXPECT_EQ(ClipboardBlock(), block);
    mtvw.Select(mtvw.Root());
    SendCommand(CMD_COPY, 1);
    EXPECT_EQ(ClipboardBlock(), block);
}

TEST_F(FileOps, PasteCopiesIntoTheFolderAndNeverOverwrites) {
    tree_.file("From\\a.txt", "alpha");
    tree_.file("From\\Sub\\deep.txt", "deep");
    tree_.file("To\\a.txt", "the one already there");
    StartApp(tree_.path("From").c_str());
    SelectNames({"a.txt", "Sub"});
    SendCommand(CMD_COPY, 1);

    // Into another folder, where a.txt is taken: a copy beside it, the old one untouched.
    Open(tree_.path("To"));
    SendCommand(CMD_PASTE, 1);
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\a.txt")), "the one already there");
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\a - Copy.txt")), "alpha");
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\Sub\\deep.txt")), "deep");
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\a.txt")), "alpha");
    EXPECT_GE(tv::RowOf("a - Copy.txt"), 0) << "the folder is read again";

    // Into the folder they came from: copies under new names.
    Open(tree_.path("From"));
    SendCommand(CMD_PASTE, 1);
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\a - Copy.txt")), "alpha");
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\Sub - Copy\\deep.txt")), "deep");
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\a.txt")), "alpha");
    SendCommand(CMD_PASTE, 1);
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\a - Copy (2).txt")), "alpha");

    // A folder is never pasted into itself, and a message says so.
    Open(tree_.path("From\\Sub"));
    int rows = (int)ViewCount(panel.view);
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_FALSE(Exists(tree_.path("From\\Sub\\Sub")));
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\Sub\\a.txt")), "alpha");
    EXPECT_EQ((int)ViewCount(panel.view), rows + 1);
}

TEST_F(FileOps, PasteTakesWholeNamesOnlyAndNothingWithoutAHandle) {
    tree_.file("From\\one.txt", "1");
    tree_.file("From\\x.txt", "x");
    tree_.dir("To");
    StartApp(tree_.path("To").c_str());
    // A list from another program holding a wildcard and a missing name beside a real one.
    ASSERT_TRUE(tv::PutFilesOnClipboard(
        {tree_.path("From\\?.txt"), tree_.path("From\\one.txt"), tree_.path("From\\missing.txt")}));
    {
        // The names left out are told, each with its reason, in one message.
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        ok.wait();
        EXPECT_NE(ok.text().find("?.txt\": wildcard characters"), std::string::npos) << ok.text();
        EXPECT_NE(ok.text().find("missing.txt\": no such file"), std::string::npos) << ok.text();
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\one.txt")), "1");
    EXPECT_FALSE(Exists(tree_.path("To\\x.txt"))) << "the wildcard reached the shell";
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Paste () " + tree_.path("From\\?.txt") +
                                                  " left out: wildcard characters"),
              0);

    // An empty list (L = 1 once read) copies nothing; a one-letter name (L = 3) is no full
    // path and would be read against the current folder: left out.
    int pastes = tv::CountEntries("Paste () ");
    ASSERT_TRUE(tv::PutFilesOnClipboard({}));
    SendCommand(CMD_PASTE, 1);
    EXPECT_EQ(tv::CountEntries("Paste () "), pastes);
    ASSERT_TRUE(tv::PutFilesOnClipboard({"x"}));
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Paste () x left out: not a full path"), 0);

    // A name past the platform's longest path would come back cut into another file's name:
    // left out.
    std::string cut_into = tree_.path("From\\one.txt");
    std::string overlong = cut_into + std::string(kLongestPathUnits + 1 - cut_into.size(), 'z');
    ASSERT_TRUE(tv::PutFilesOnClipboard({overlong}));
    const std::string limit = std::to_string(kLongestPathUnits);
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        ok.wait();
        EXPECT_NE(ok.text().find("longer than the " + limit + " a path can have"),
                  std::string::npos)
            << ok.text();
    }
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Paste () name 0 left out: " +
                                                  std::to_string(overlong.size()) +
                                                  " characters, longer than " + limit),
              0);
    EXPECT_FALSE(Exists(tree_.path("To\\one - Copy.txt")));

    // Without a handle nothing runs.
    int reads = tv::CountEntries("Read () OK");
    Paste(nullptr);
    EXPECT_FALSE(Exists(tree_.path("To\\x.txt")));
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads);
    EXPECT_NE(tv::ReadLog().find("\n  Paste (NULL)\n"), std::string::npos);
}

TEST_F(FileOps, DroppedFilesAreCopiedCraftedDropsPasteNothingAndEachHandleIsReleased) {
    tree_.file("From\\dropped.txt", "d");
    tree_.dir("To");
    StartApp(tree_.path("To").c_str());
    PathList list;
    list.append(tree_.path("From\\dropped.txt").c_str());
    list.close();
    std::string image = BuildDropBlock(list);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, image.size());
    memcpy(GlobalLock(block), image.data(), image.size());
    GlobalUnlock(block);
    SendMessageA(mlvw.hwnd, WM_DROPFILES, (WPARAM)block, 0);
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\dropped.txt")), "d");
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Drop () OK"), 0);
    // DragFinish freed the block.
    EXPECT_EQ(GlobalSize(block), 0u);

    // Crafted drops: names beyond the block, and a name that never ends. Nothing is pasted
    // and each handle is still released.
    std::string from = tree_.path("From\\dropped.txt");
    std::string outside(20, '\0'), open_name(20, '\0');
    outside[2] = '\x01';  // pFiles 0x10000
    open_name[0] = 20;
    open_name += from;  // no closing zeros
    int reads = tv::CountEntries("Read () OK");
    for (const std::string& crafted : {outside, open_name}) {
        HGLOBAL bad = GlobalAlloc(GMEM_MOVEABLE, crafted.size());
        char* bytes = (char*)GlobalLock(bad);
        // Any room the allocator added holds no zero either.
        memset(bytes, 'x', GlobalSize(bad));
        memcpy(bytes, crafted.data(), crafted.size());
        GlobalUnlock(bad);
        SendMessageA(mlvw.hwnd, WM_DROPFILES, (WPARAM)bad, 0);
        EXPECT_EQ(GlobalSize(bad), 0u);
    }
    EXPECT_FALSE(Exists(tree_.path("To\\dropped - Copy.txt")));
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads);
}

TEST_F(FileOps, DeleteToTheBinForGoodAndCancelled) {
    std::string trash = TrashFiles();
    ASSERT_FALSE(trash.empty());
    tree_.file("Data\\binned.txt", "b");
    tree_.file("Data\\gone1.txt", "g");
    tree_.file("Data\\gone2.txt", "g");
    tree_.file("Data\\kept.txt", "k");
    StartApp(tree_.path("Data").c_str());

    SelectNames({"binned.txt"});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE, 1);
        EXPECT_TRUE(yes.pressed());
    }
    EXPECT_FALSE(Exists(tree_.path("Data\\binned.txt")));
    EXPECT_EQ(tv::ReadFile(trash + "\\binned.txt"), "b");
    EXPECT_EQ(tv::RowOf("binned.txt"), -1);

    SelectNames({"gone1.txt", "gone2.txt"});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_FALSE(Exists(tree_.path("Data\\gone1.txt")));
    EXPECT_FALSE(Exists(tree_.path("Data\\gone2.txt")));
    EXPECT_FALSE(Exists(trash + "\\gone1.txt"));

    // No: the file stays, the folder is not read again, the log line is written.
    SelectNames({"kept.txt"});
    int reads = tv::CountEntries("Read () OK");
    {
        tv::DialogPresser no("Confirm file deletion", 7);
        SendCommand(CMD_DELETE, 1);
        EXPECT_TRUE(no.pressed());
    }
    EXPECT_TRUE(Exists(tree_.path("Data\\kept.txt")));
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Open () " + tree_.path("Data\\kept.txt") + " OK"),
              0);
}

TEST_F(FileOps, DeleteWithNoRowTakesTheTreesFolderButNeverADrive) {
    tree_.file("Data\\Old\\inside.txt", "i");
    tree_.file("Data\\keep.txt", "k");
    StartApp(tree_.path("Data\\Old").c_str());
    HTREEITEM old_item = mtvw.Caret();
    HTREEITEM data_item = mtvw.Parent(old_item);
    tv::SelectRows({});
    {
        tv::DialogPresser yes("Confirm folder deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
        EXPECT_TRUE(yes.pressed());
    }
    EXPECT_FALSE(Exists(tree_.path("Data\\Old")));
    EXPECT_TRUE(Exists(tree_.path("Data\\keep.txt")));
    EXPECT_EQ(mtvw.Caret(), data_item);
    EXPECT_EQ(mtvw.FindChild(data_item, "Old"), nullptr);
    EXPECT_STREQ(panel.folder.c_str(), tree_.path("Data").c_str());

    // A drive, and the root "Drives": nothing happens.
    ReadPath("C:");
    tv::SelectRows({});
    int jobs = tv::CountEntries("Open () ");
    SendCommand(CMD_DELETE_FOREVER, 1);
    mtvw.Select(mtvw.Root());
    SendCommand(CMD_DELETE, 1);
    EXPECT_EQ(tv::CountEntries("Open () "), jobs);
    EXPECT_TRUE(Exists("C:\\windows"));
}

TEST_F(FileOps, RenameOncePerEnterRefusesBadNamesAndNeverReplaces) {
    tree_.file("Data\\old.txt", "old");
    tree_.file("Data\\taken.txt", "taken");
    StartApp(tree_.path("Data").c_str());
    SetFocus(mlvw.hwnd);
    auto rename = [&](const char* from, const char* to) {
        SelectNames({from});
        SendCommand(CMD_RENAME, 1);
        HWND edit = panel.rename_edit;
        EXPECT_NE(edit, nullptr);
        if (!edit) return;
        SetWindowTextA(edit, to);
        tv::PressThroughLoop(edit, VK_RETURN);
    };
    int errors = tv::CountEntries("CSHL::shell_job () returned");
    rename("old.txt", "new.txt");
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\new.txt")), "old");
    EXPECT_FALSE(Exists(tree_.path("Data\\old.txt")));
    EXPECT_EQ(panel.rename_edit, nullptr) << "the edit is let go";
    EXPECT_EQ(tv::CountEntries("CSHL::shell_job () returned"), errors) << "a second job ran";

    // Rules and existing names: a message, and nothing changes.
    for (const char* bad : {"..\\x", "..", "a:b", "taken.txt"}) {
        tv::DialogPresser ok("Trelvista", IDOK);
        rename("new.txt", bad);
        EXPECT_TRUE(ok.pressed()) << bad;
        EXPECT_EQ(tv::ReadFile(tree_.path("Data\\new.txt")), "old") << bad;
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\taken.txt")), "taken");
    EXPECT_FALSE(Exists(tree_.path("x")));
    // An empty name does nothing.
    rename("new.txt", "");
    EXPECT_TRUE(Exists(tree_.path("Data\\new.txt")));
    // A change of letter case is the same file and goes ahead.
    rename("new.txt", "NEW.txt");
    EXPECT_GE(tv::RowOf("NEW.txt"), 0);

    // Another operation that refills the path lists while a name is edited (as a drop
    // does): Enter still renames the file whose label is edited, not the list's first path.
    std::string dropped = tree_.file("Elsewhere\\dropped.txt", "d");
    tv::SelectRows({tv::RowOf("NEW.txt")});
    SendCommand(CMD_RENAME, 1);
    HWND edit = panel.rename_edit;
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "after-drop.txt");
    tv::PressThroughLoop(edit, VK_RETURN);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\after-drop.txt")), "old");
    EXPECT_EQ(tv::ReadFile(dropped), "d");

    // Before any rename in progress, Enter re-reads the folder.
    int reads = tv::CountEntries("Read () OK");
    tv::PressThroughLoop(mlvw.hwnd, VK_RETURN);
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads + 1);
}

TEST_F(FileOps, RenameInFindModeChangesTheNameOnly) {
    tree_.file("Data\\Sub\\found.txt", "f");
    StartApp(tree_.path("Data").c_str());
    mcby.SetText("found");
    ASSERT_TRUE(tv::FindAndWait());
    ASSERT_TRUE(mcfg.find_mode);
    ASSERT_EQ(ViewCount(panel.view), 1u);
    tv::SelectRows({0});
    SendCommand(CMD_RENAME, 1);
    HWND edit = panel.rename_edit;
    ASSERT_NE(edit, nullptr);
    char text[MAX_PATH] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_EQ(std::string(text), tree_.path("Data\\Sub\\found.txt"));
    SetWindowTextA(edit, tree_.path("Data\\Sub\\renamed.txt").c_str());
    tv::PressThroughLoop(edit, VK_RETURN);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\Sub\\renamed.txt")), "f");

    // Another folder in the edit is refused.
    ASSERT_TRUE(tv::FindAndWait());
    mcby.SetText("renamed");
    ASSERT_TRUE(tv::FindAndWait());
    ASSERT_EQ(ViewCount(panel.view), 1u);
    tv::SelectRows({0});
    SendCommand(CMD_RENAME, 1);
    ASSERT_NE(panel.rename_edit, nullptr);
    SetWindowTextA(panel.rename_edit, tree_.path("Data\\moved.txt").c_str());
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_TRUE(Exists(tree_.path("Data\\Sub\\renamed.txt")));
    EXPECT_FALSE(Exists(tree_.path("Data\\moved.txt")));
}

TEST_F(FileOps, DraggedRowsMoveOntoATreeItemWithoutReplacingAnything) {
    tree_.file("Data\\a.txt", "moving a");
    tree_.file("Data\\b.txt", "moving b");
    tree_.file("Data\\Target\\a.txt", "target's own a");
    StartApp(tree_.path("Data").c_str());
    HTREEITEM target = mtvw.FindChild(mtvw.Caret(), "Target");
    ASSERT_NE(target, nullptr);
    SelectNames({"a.txt", "b.txt"});
    tv::BeginRowDrag();
    ASSERT_TRUE(panel.dragging);
    tv::ReleaseOverTreeItem(target);
    EXPECT_FALSE(panel.dragging);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\Target\\a.txt")), "target's own a");
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\Target\\a (2).txt")), "moving a");
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\Target\\b.txt")), "moving b");
    EXPECT_FALSE(Exists(tree_.path("Data\\a.txt")));
    EXPECT_STREQ(panel.folder.c_str(), tree_.path("Data\\Target").c_str());
    EXPECT_EQ(ViewCount(panel.view), 3u);
}

TEST_F(FileOps, AttributeButtonsSetAndClearOverRowsOfMixedAttributes) {
    std::string a = tree_.file("Data\\a.txt", "a"), b = tree_.file("Data\\b.txt", "b"),
                c = tree_.file("Data\\c.txt", "c");
    SetFileAttributesA(a.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(b.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesA(c.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    StartApp(tree_.path("Data").c_str());
    SelectNames({"a.txt", "b.txt", "c.txt"});
    SetAttr(0);
    EXPECT_EQ(mbta.GetCheck(), BST_CHECKED);
    EXPECT_EQ(mbth.GetCheck(), BST_CHECKED);
    EXPECT_EQ(mbtr.GetCheck(), BST_CHECKED);
    EXPECT_EQ(mbts.GetCheck(), BST_UNCHECKED);

    // The buttons follow each change of the selection as the list reports it: all rows at
    // once, one row less, none.
    ListView_SetItemState(mlvw.hwnd, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(mbth.GetCheck(), BST_UNCHECKED);
    ListView_SetItemState(mlvw.hwnd, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(mbth.GetCheck(), BST_CHECKED);
    ListView_SetItemState(mlvw.hwnd, tv::RowOf("b.txt"), 0, LVIS_SELECTED);
    EXPECT_EQ(mbth.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(mbta.GetCheck(), BST_CHECKED) << "c.txt is still selected";
    EXPECT_EQ(mbtr.GetCheck(), BST_CHECKED);
    SelectNames({"a.txt", "b.txt", "c.txt"});

    // "R" over three rows, one of them read-only already: all three read-only.
    mbtr.SetCheck(0);
    SendCommand(CMD_ATTR_R);
    for (const std::string& p : {a, b, c})
        EXPECT_TRUE(GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_READONLY) << p;
    EXPECT_TRUE(GetFileAttributesA(b.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "other bits stay";
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SetAttr (3) OK"), 0);

    // Clearing "H" touches only the hidden row.
    SelectNames({"a.txt", "b.txt", "c.txt"});
    mbth.SetCheck(1);
    SendCommand(CMD_ATTR_H);
    EXPECT_FALSE(GetFileAttributesA(b.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(GetFileAttributesA(b.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SetAttr (-2) OK"), 0);
    for (const std::string& p : {a, b, c})
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOps, NewFolderAndNewFileNeverDestroyWhatIsThere) {
    tree_.file("Data\\New File.txt", "precious");
    StartApp(tree_.path("Data").c_str());
    SendCommand(CMD_NEW_FOLDER);
    EXPECT_TRUE(GetFileAttributesA(tree_.path("Data\\New Folder").c_str()) &
                FILE_ATTRIBUTE_DIRECTORY);
    tree_.file("Data\\New Folder\\inside.txt", "i");
    {
        // A second New Folder makes nothing, and says why.
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_NEW_FOLDER);
        ok.wait();
        EXPECT_NE(ok.text().find("already exists"), std::string::npos) << ok.text();
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\New Folder\\inside.txt")), "i");

    SendCommand(CMD_NEW_FILE);
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\New File.txt")), "precious");
    EXPECT_TRUE(Exists(tree_.path("Data\\New File (2).txt")));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\New File (2).txt")), "");
    EXPECT_GE(tv::RowOf("New File (2).txt"), 0);
}
