// Every operation acts on the file the user picked: look-alike names, a selection across new
// orders, folders reached by other names, tree items that cannot be read, folders removed
// meanwhile.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "core/paths.h"
#include "controls/ui.h"
#include "app/wndproc.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::Exists;

DWORD WideAttributes(const std::string& folder, const wchar_t* name) {
    std::wstring path(folder.begin(), folder.end());
    return GetFileAttributesW((path + L"\\" + name).c_str());
}

// The entry of the only selected row, or none.
const FolderEntry* SelectedEntry() {
    int row = mlvw.NextSelected(-1);
    if (row < 0 || mlvw.NextSelected(row) >= 0) return nullptr;
    return panel.view[row].entry;
}

// The row whose entry has `size` bytes, or -1.
int RowOfSize(uint64_t size) {
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        if (EntrySize(*panel.view[i].entry) == size) return (int)i;
    return -1;
}

void ClickColumn(int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = mlvw.hwnd;
    click.hdr.idFrom = ID_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = column;
    SendMessageA(mwin.hwnd, WM_NOTIFY, ID_LIST, (LPARAM)&click);
}

class RightFile : public tv::AppTest {
  protected:
    tv::TempTree tree_{"right"};
};

}  // namespace

TEST_F(RightFile, LookAlikeRowsActOnTheirOwnFilesOnly) {
    std::string folder = tree_.dir("Data");
    ASSERT_TRUE(tv::MakeLookAlikes(folder));
    StartApp(folder.c_str());
    ASSERT_EQ(ViewCount(panel.view), 3u);
    ASSERT_GE(tv::RowOf("a.txt"), 0);

    // The hidden button on the fullwidth row marks that file, not a.txt.
    tv::SelectRows({RowOfSize(7)});
    SendCommand(CMD_ATTR_H);
    EXPECT_TRUE(WideAttributes(folder, L"\xFF41.txt") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(GetFileAttributesA((folder + "\\a.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);

    // Delete for good on the a-macron row (49 bytes) deletes that file alone.
    tv::SelectRows({RowOfSize(49)});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
        EXPECT_TRUE(yes.pressed());
    }
    EXPECT_EQ(WideAttributes(folder, L"\x0101.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(tv::ReadFile(folder + "\\a.txt"), "1");
    EXPECT_NE(WideAttributes(folder, L"\xFF41.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ViewCount(panel.view), 2u);
}

TEST_F(RightFile, TheSelectionFollowsItsFilesAcrossNewOrdersAndTheEndOfAScan) {
    tree_.file("Data\\a_small.txt", std::string(1, 'a'));
    tree_.file("Data\\b_big.txt", std::string(300, 'b'));
    tree_.file("Data\\c_medium.txt", std::string(50, 'c'));
    tree_.file("Data\\Folder\\in.dat", std::string(1000, 'f'));
    StartApp(tree_.path("Data").c_str());
    tv::SelectRows({tv::RowOf("a_small.txt")});
    ClickColumn(1);
    ClickColumn(1);
    ASSERT_NE(SelectedEntry(), nullptr);
    EXPECT_STREQ(SelectedEntry()->name(), "a_small.txt");
    EXPECT_EQ(panel.selected, 1);

    // The size scan orders the rows anew at its end; the selection stays on the same file.
    tv::SelectRows({tv::RowOf("c_medium.txt"), tv::RowOf("a_small.txt")});
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return mcfg.scanning == 0 && mcfg.sort_column == 1; }));
    std::vector<std::string> names;
    for (int r = mlvw.NextSelected(-1); r >= 0; r = mlvw.NextSelected(r))
        names.push_back(panel.view[r].entry->name());
    EXPECT_EQ(names, (std::vector<std::string>{"c_medium.txt", "a_small.txt"}));
    SendCommand(CMD_READ_SIZE);
    Until([] { return mcfg.scanning == 0; });

    tv::SelectRows({tv::RowOf("a_small.txt")});
    ClickColumn(1);
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_FALSE(Exists(tree_.path("Data\\a_small.txt")));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\c_medium.txt")), std::string(50, 'c'));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\b_big.txt")), std::string(300, 'b'));
}

// Sort takes its guess of the selected rows only when the list confirms it: a guess of as
// many other rows is checked and put aside, and the rows the list holds stay picked.
TEST_F(RightFile, ASortKeepsTheListsSelectionWhateverItsGuessOfTheRows) {
    tree_.file("Data\\a.txt", std::string(4, 'a'));
    tree_.file("Data\\b.txt", std::string(1, 'b'));
    tree_.file("Data\\c.txt", std::string(3, 'c'));
    tree_.file("Data\\d.txt", std::string(2, 'd'));
    StartApp(tree_.path("Data").c_str());
    auto selected = [] {
        std::vector<std::string> names;
        for (int r = mlvw.NextSelected(-1); r >= 0; r = mlvw.NextSelected(r))
            names.push_back(panel.view[r].entry->name());
        std::sort(names.begin(), names.end());
        return names;
    };
    tv::SelectRows({tv::RowOf("b.txt"), tv::RowOf("c.txt")});
    ClickColumn(1);
    EXPECT_EQ(selected(), (std::vector<std::string>{"b.txt", "c.txt"}));

    std::vector<int> wrong = {tv::RowOf("a.txt"), tv::RowOf("d.txt")};
    std::sort(wrong.begin(), wrong.end());
    panel.selection_guess = wrong;
    panel.selection_guess_valid = true;
    ClickColumn(0);
    EXPECT_EQ(selected(), (std::vector<std::string>{"b.txt", "c.txt"}));

    // Shift+click ranges and single rows alike follow into the next order.
    tv::SelectRows({tv::RowOf("a.txt")});
    ClickColumn(1);
    EXPECT_EQ(selected(), (std::vector<std::string>{"a.txt"}));
}

TEST_F(RightFile, AFolderNeverGoesIntoItselfThroughALinkOrDots) {
    tree_.file("Src\\Sub\\f.txt", "f");
    tree_.dir("x");
    if (!tv::MakeFolderLink(tree_.path("Src"), tree_.path("Link")))
        GTEST_SKIP() << "no folder links here";
    StartApp(tree_.root().c_str());

    // Copy and paste into its own subfolder reached through the link.
    tv::SelectRows({tv::RowOf("Src")});
    SendCommand(CMD_COPY, 1);
    ReadPath(tree_.path("Link\\Sub").c_str());
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_FALSE(Exists(tree_.path("Src\\Sub\\Src")));

    // A list naming the folder through "x\.." is the same folder.
    ASSERT_TRUE(tv::PutFilesOnClipboard({tree_.path("x\\..\\Src")}));
    ReadPath(tree_.path("Src\\Sub").c_str());
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_FALSE(Exists(tree_.path("Src\\Sub\\Src")));

    // The drag move is refused the same way, with its message.
    ReadPath(tree_.root().c_str());
    tv::SelectRows({tv::RowOf("Src")});
    CaptureDragged();
    ReadPath(tree_.path("Link\\Sub").c_str());
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        MoveDragged();
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Src\\Sub\\f.txt")), "f");
    EXPECT_FALSE(Exists(tree_.path("Src\\Sub\\Src")));
}

TEST_F(RightFile, DeleteWithoutARowNeverTakesAFolderThatIsNotShown) {
    tree_.file("Data\\keep.txt", "k");
    tree_.file("Data\\Child\\inner.txt", "i");
    StartApp(tree_.path("Data").c_str());
    HTREEITEM data = mtvw.Caret();

    // A tree item whose text cannot be read whole (no folder's name is that long) reads as
    // nothing: the list is empty, and neither Delete nor Shift+Del takes the folder read before.
    HTREEITEM overlong =
        mtvw.InsertItem(std::string(kLongestPathUnits, 'L').c_str(), 5, data, nullptr);
    mtvw.Select(overlong);
    EXPECT_EQ(ViewCount(panel.view), 0u);
    for (int id : {CMD_DELETE, CMD_DELETE_FOREVER}) {
        tv::DialogPresser yes("Confirm folder deletion", 6);
        SendCommand(id, 1);
        EXPECT_FALSE(yes.pressed());
    }
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\keep.txt")), "k");
    EXPECT_GE(tv::CountEntries("Delete () refused"), 2);
    Back();
    EXPECT_STREQ(panel.folder.c_str(), tree_.path("Data").c_str());

    // A folder whose path is 256 to 259 characters long is read and shown like any other, and
    // Delete without a row takes nothing of it.
    std::string child = tree_.path("Data\\Child");
    std::string name(256 - child.size() - 1, 'd');
    std::string deep = child + "\\" + name;
    ASSERT_EQ(deep.size(), 256u);
    ASSERT_TRUE(tv::RunLinux("/bin/mkdir -p \"" + tv::UnixPath(child) + "/" + name + "/x\"",
                             [&] { return Exists(deep); }));
    ReadPath(deep.c_str());
    ASSERT_TRUE(Until([&] { return !ReadRunning(); }));
    EXPECT_EQ(panel.folder, deep);
    SendCommand(CMD_DELETE_FOREVER, 1);
    EXPECT_TRUE(Exists(deep + "\\x"));
    EXPECT_EQ(tv::ReadFile(tree_.path("Data\\Child\\inner.txt")), "i");
}

TEST_F(RightFile, AFolderRemovedMeanwhileStaysGone) {
    tree_.file("From\\a.txt", "a");
    std::string to = tree_.dir("To");
    StartApp(to.c_str());
    ASSERT_TRUE(tv::PutFilesOnClipboard({tree_.path("From\\a.txt")}));
    ASSERT_TRUE(RemoveDirectoryA(to.c_str()));
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_PASTE, 1);
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_FALSE(Exists(to));
    for (int id : {CMD_NEW_FOLDER, CMD_NEW_FILE}) {
        ASSERT_TRUE(CreateDirectoryA(to.c_str(), nullptr));
        ReadPath(to.c_str());
        ASSERT_TRUE(Until([&] { return !ReadRunning() && std::string(panel.folder) == to; }));
        ASSERT_TRUE(RemoveDirectoryA(to.c_str()));
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(id, 1);
        EXPECT_TRUE(ok.pressed()) << id;
        EXPECT_FALSE(Exists(to)) << id;
    }
    // Read again, the folder that is gone is said so once and the folder above is shown.
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        ReadPath(to.c_str());
        ASSERT_TRUE(Until([&] { return !ReadRunning() && std::string(panel.folder) == tree_.root(); }));
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_FALSE(Exists(to));
}
