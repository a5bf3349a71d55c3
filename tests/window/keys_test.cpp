// The keys Windows users reach for, pressed for real on the display (xdotool), so that they
// pass through the program's message loop and its accelerators as the user's do; and Cut
// with Paste, which moves.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <string>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

class KeysTest : public tv::AppTest {
  protected:
    // A real click on a row of the list, which also gives the window the keyboard.
    void ClickRow(int row) {
        RECT r = {};
        ListView_GetItemRect(mlvw.hwnd, row, &r, LVIR_LABEL);
        POINT at = {r.left + 4, (r.top + r.bottom) / 2};
        ClientToScreen(mlvw.hwnd, &at);
        // The pointer moves there from elsewhere: a window made under a pointer that has not
        // moved since is not told that the pointer is over it.
        ASSERT_TRUE(tv::Xdotool("mousemove 0 0 mousemove " + std::to_string(at.x) + " " +
                                std::to_string(at.y) + " click 1"));
        ASSERT_TRUE(Until([&] { return FocusedRow() == row && mlvw.SelectedCount() == 1; }));
    }
    void Keys(const std::string& arguments) { ASSERT_TRUE(tv::Xdotool(arguments)); }
    int FocusedRow() {
        return (int)SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    }
    std::string FocusedName() {
        int row = FocusedRow();
        return row >= 0 && (unsigned)row < ViewCount(mcfg.view) ? mcfg.view[row].entry->name : "";
    }
    bool Selected(int row) {
        return ListView_GetItemState(mlvw.hwnd, row, LVIS_SELECTED) & LVIS_SELECTED;
    }
    bool HasFileList() { return IsClipboardFormatAvailable(CF_HDROP) != 0; }
    tv::TempTree tree_{"keys"};
};

}  // namespace

TEST_F(KeysTest, TypingAnameCtrlAAndF2ActOnTheListAsInTheDesktopShell) {
    for (const char* name : {"alpha.txt", "beta.txt", "bravo.txt", "Charlie.txt", "delta.txt"})
        tree_.file(name, name);
    SetFileAttributesA(tree_.path("delta.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    StartApp(tree_.root().c_str());
    ClickRow(tv::RowOf("alpha.txt"));

    // Letters find the next name that begins with them, case ignored.
    Keys("type ch");
    EXPECT_TRUE(Until([&] { return FocusedName() == "Charlie.txt"; }, 5000)) << FocusedName();
    EXPECT_TRUE(Selected(tv::RowOf("Charlie.txt")));
    EXPECT_EQ(mlvw.SelectedCount(), 1);

    // Ctrl+A: every row, and the count and the buttons agree with it.
    Keys("key ctrl+a");
    ASSERT_TRUE(Until([&] { return mlvw.SelectedCount() == 5; }, 5000));
    EXPECT_TRUE(Until([&] { return mcfg.selected == 5; }, 3000));
    EXPECT_EQ(mbth.GetCheck(), BST_CHECKED) << "a hidden file is selected";

    // F2 renames the focused row.
    tv::SelectRows({tv::RowOf("bravo.txt")});
    Keys("key F2");
    ASSERT_TRUE(Until([&] { return mcfg.rename_edit != nullptr; }, 5000));
    Keys("key ctrl+a type renamed.txt");
    Keys("key Return");
    EXPECT_TRUE(Until([&] { return tv::RowOf("renamed.txt") >= 0; }, 5000));
    EXPECT_EQ(tv::ReadFile(tree_.path("renamed.txt")), "bravo.txt");
    EXPECT_EQ(GetFileAttributesA(tree_.path("bravo.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(KeysTest, BackspaceAndAltUpGoBackToTheParentFromTheListAndTheTree) {
    tree_.file("One\\Two\\file.txt", "x");
    StartApp(tree_.path("One\\Two").c_str());
    ClickRow(tv::RowOf("file.txt"));
    Keys("key BackSpace");
    ASSERT_TRUE(Until([&] { return _stricmp(mcfg.folder, tree_.path("One").c_str()) == 0; }, 5000))
        << mcfg.folder;
    SetFocus(mtvw.hwnd);
    Keys("key alt+Up");
    EXPECT_TRUE(Until([&] { return _stricmp(mcfg.folder, tree_.root().c_str()) == 0; }, 5000))
        << mcfg.folder;

    // Alt+Up leaves no menu bar open: the next Enter in the list reads the folder again (the
    // end of no rename) and never runs the File menu's first item, Find.
    ASSERT_TRUE(Navigate(tree_.path("One\\Two").c_str()));
    tv::SelectRows({tv::RowOf("file.txt")});
    SetFocus(mlvw.hwnd);
    Keys("key alt+Up");
    ASSERT_TRUE(Until([&] { return _stricmp(mcfg.folder, tree_.path("One").c_str()) == 0; }, 5000));
    int reads = tv::CountEntries("Read () OK"), finds = tv::CountEntries("Find (");
    Keys("key Return");
    ASSERT_TRUE(Until([&] {
        return tv::CountEntries("Read () OK") > reads || tv::CountEntries("Find (") > finds ||
               FindRunning();
    }, 5000));
    EXPECT_EQ(tv::CountEntries("Find ("), finds) << "Enter ran Find from the menu bar";
    EXPECT_FALSE(FindRunning());
}

TEST_F(KeysTest, CutAndPasteMovesOnceAndEmptiesTheClipboard) {
    std::string big(300000, 'b');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = (char)('a' + i % 26);
    tree_.file("From\\big.bin", big);
    tree_.file("From\\small.txt", "small");
    tree_.file("From\\stays.txt", "stays");
    tree_.file("To\\small.txt", "the destination's own");
    StartApp(tree_.path("From").c_str());
    ClickRow(tv::RowOf("big.bin"));
    tv::SelectRows({tv::RowOf("big.bin"), tv::RowOf("small.txt")});

    // Cut into the folder it came from: nothing moves, and the cut stays on the clipboard.
    Keys("key ctrl+x");
    ASSERT_TRUE(Until([&] { return HasFileList(); }, 5000));
    SendCommand(CMD_PASTE);
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\big.bin")), big);
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\small.txt")), "small");
    EXPECT_EQ(GetFileAttributesA(tree_.path("From\\big (2).bin").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(HasFileList());

    // Elsewhere: the files move, a taken name gets a free one, nothing is replaced.
    ReadPath(tree_.path("To").c_str());
    SetFocus(mlvw.hwnd);
    Keys("key ctrl+v");
    ASSERT_TRUE(Until([&] { return tv::RowOf("big.bin") >= 0; }, 10000));
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\big.bin")), big);
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\small (2).txt")), "small");
    EXPECT_EQ(tv::ReadFile(tree_.path("To\\small.txt")), "the destination's own");
    EXPECT_EQ(GetFileAttributesA(tree_.path("From\\big.bin").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(tree_.path("From\\small.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(tv::ReadFile(tree_.path("From\\stays.txt")), "stays");
    // The cut is spent: a second paste has nothing to move.
    EXPECT_TRUE(Until([&] { return !HasFileList(); }, 5000));
}

TEST_F(KeysTest, AnotherProgramsCutMovesAndACopiedListIsStillCopied) {
    tree_.file("Theirs\\cut.txt", "cut");
    tree_.file("Theirs\\copied.txt", "copied");
    tree_.file("Mine\\keep.txt", "keep");
    StartApp(tree_.path("Mine").c_str());
    // The desktop shell's lists: wide names, marked as a move or as a copy.
    auto wide = [](const std::string& path) { return std::wstring(path.begin(), path.end()); };
    ASSERT_TRUE(tv::PutClipboardBlock(tv::WideDropBlock({wide(tree_.path("Theirs\\cut.txt"))}),
                                      DROPEFFECT_MOVE));
    SendCommand(CMD_PASTE);
    EXPECT_EQ(tv::ReadFile(tree_.path("Mine\\cut.txt")), "cut");
    EXPECT_EQ(GetFileAttributesA(tree_.path("Theirs\\cut.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Until([&] { return !HasFileList(); }, 5000));

    ASSERT_TRUE(tv::PutClipboardBlock(tv::WideDropBlock({wide(tree_.path("Theirs\\copied.txt"))}),
                                      DROPEFFECT_COPY | DROPEFFECT_LINK));
    SendCommand(CMD_PASTE);
    EXPECT_EQ(tv::ReadFile(tree_.path("Mine\\copied.txt")), "copied");
    EXPECT_EQ(tv::ReadFile(tree_.path("Theirs\\copied.txt")), "copied");
    EXPECT_TRUE(HasFileList()) << "a copied list stays for the next paste";

    // A mark of one byte, shorter than its value: no move is read from it, the list is copied.
    tree_.file("Theirs\\short.txt", "short");
    ASSERT_TRUE(tv::PutClipboardBlock(tv::WideDropBlock({wide(tree_.path("Theirs\\short.txt"))}),
                                      DROPEFFECT_MOVE, 1));
    SendCommand(CMD_PASTE);
    EXPECT_EQ(tv::ReadFile(tree_.path("Mine\\short.txt")), "short");
    EXPECT_EQ(tv::ReadFile(tree_.path("Theirs\\short.txt")), "short");
}
