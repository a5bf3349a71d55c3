// The keys Windows users reach for, pressed for real on the display (xdotool), so that they
// pass through the program's message loop and its accelerators as the user's do; and Cut
// with Paste, which moves.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <string>

#include "core/mcfg.h"
#include "core/panel.h"
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
        return row >= 0 && (unsigned)row < ViewCount(panel.view) ? panel.view[row].entry->name() : "";
    }
    bool Selected(int row) {
        return ListView_GetItemState(mlvw.hwnd, row, LVIS_SELECTED) & LVIS_SELECTED;
    }
    bool HasFileList() { return IsClipboardFormatAvailable(CF_HDROP) != 0; }
    // The keys go to a combo box's edit child.
    static HWND EditOf(HWND combo) { return FindWindowExA(combo, nullptr, "Edit", nullptr); }
    bool FocusOn(HWND h) {
        return Until([&] { return GetFocus() == h; }, 5000);
    }
    // Presses the keys while a closer waits for the menu they open; the place it stood.
    RECT MenuOfKeys(const std::string& keys, bool* shown, HMENU* menu = nullptr) {
        tv::PopupCloser closer(5000);
        Keys(keys);
        *shown = Until([&] { return closer.closed(); }, 5000);
        if (menu) *menu = closer.menu();
        return closer.place();
    }
    // The point below an item's rectangle, on the screen, where its keyboard menu opens.
    static POINT BelowOnScreen(HWND control, const RECT& item) {
        POINT at = {item.left, item.bottom};
        ClientToScreen(control, &at);
        return at;
    }
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
    EXPECT_TRUE(Until([&] { return panel.selected == 5; }, 3000));
    EXPECT_EQ(mbth.GetCheck(), BST_CHECKED) << "a hidden file is selected";

    // F2 renames the focused row.
    tv::SelectRows({tv::RowOf("bravo.txt")});
    Keys("key F2");
    ASSERT_TRUE(Until([&] { return panel.rename_edit != nullptr; }, 5000));
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
    ASSERT_TRUE(Until([&] { return _stricmp(panel.folder.c_str(), tree_.path("One").c_str()) == 0; }, 5000))
        << panel.folder;
    SetFocus(mtvw.hwnd);
    Keys("key alt+Up");
    EXPECT_TRUE(Until([&] { return _stricmp(panel.folder.c_str(), tree_.root().c_str()) == 0; }, 5000))
        << panel.folder;

    // Alt+Up leaves no menu bar open: the next Enter in the list reads the folder again (the
    // end of no rename) and never runs the File menu's first item, Find.
    ASSERT_TRUE(Navigate(tree_.path("One\\Two").c_str()));
    tv::SelectRows({tv::RowOf("file.txt")});
    SetFocus(mlvw.hwnd);
    Keys("key alt+Up");
    ASSERT_TRUE(Until([&] { return _stricmp(panel.folder.c_str(), tree_.path("One").c_str()) == 0; }, 5000));
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

TEST_F(KeysTest, TabShiftTabAndF6GoRoundTheTreeTheListAndTheTwoBoxes) {
    tree_.file("a.txt", "a");
    tree_.file("b.txt", "b");
    StartApp(tree_.root().c_str());
    ClickRow(tv::RowOf("b.txt"));
    HWND path = EditOf(mcbx.hwnd), search = EditOf(mcby.hwnd);
    ASSERT_TRUE(path && search);

    Keys("key Tab");
    ASSERT_TRUE(FocusOn(path));
    // The box's text is selected whole, ready to be typed over, as in a dialog.
    DWORD from = 0, to = 0;
    SendMessageA(path, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, (DWORD)GetWindowTextLengthA(path));
    Keys("key Tab");
    EXPECT_TRUE(FocusOn(search));
    Keys("key Tab");
    EXPECT_TRUE(FocusOn(mtvw.hwnd));
    Keys("key Tab");
    EXPECT_TRUE(FocusOn(mlvw.hwnd));
    // The panes keep what they had: Tab selects nothing and reads nothing.
    EXPECT_EQ(FocusedName(), "b.txt");
    EXPECT_EQ(mlvw.SelectedCount(), 1);

    Keys("key shift+Tab");
    EXPECT_TRUE(FocusOn(mtvw.hwnd));
    Keys("key shift+Tab");
    EXPECT_TRUE(FocusOn(search));
    Keys("key shift+Tab");
    EXPECT_TRUE(FocusOn(path));
    EXPECT_EQ(_stricmp(panel.folder.c_str(), tree_.root().c_str()), 0) << panel.folder;

    // F6: from a box to the tree, then between the tree and the list.
    Keys("key F6");
    EXPECT_TRUE(FocusOn(mtvw.hwnd));
    Keys("key F6");
    EXPECT_TRUE(FocusOn(mlvw.hwnd));
    Keys("key F6");
    EXPECT_TRUE(FocusOn(mtvw.hwnd));

    // In the drive view the list has no height: Tab passes it over, and so does F6.
    mtvw.Select(mtvw.Root());
    ASSERT_TRUE(Until([] { return mcfg.drives_mode != 0; }, 5000));
    ASSERT_TRUE(FocusOn(mtvw.hwnd));
    Keys("key Tab");
    EXPECT_TRUE(FocusOn(path));
    Keys("key shift+Tab");
    EXPECT_TRUE(FocusOn(mtvw.hwnd));
    Keys("key F6 Tab");
    EXPECT_TRUE(FocusOn(path));
}

TEST_F(KeysTest, ShiftF10AndTheMenuKeyOpenTheFileMenuAtTheFocusedItem) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        tree_.file(name, name);
    StartApp(tree_.root().c_str());
    HMENU file = GetSubMenu(GetMenu(mwin.hwnd), 0);
    ClickRow(tv::RowOf("c.txt"));
    RECT row = {};
    ListView_GetItemRect(mlvw.hwnd, tv::RowOf("c.txt"), &row, LVIR_LABEL);
    POINT expected = BelowOnScreen(mlvw.hwnd, row);

    bool shown = false;
    HMENU menu = nullptr;
    RECT at = MenuOfKeys("key shift+F10", &shown, &menu);
    ASSERT_TRUE(shown) << "Shift+F10 in the list";
    EXPECT_EQ(menu, file);
    EXPECT_EQ(at.left, expected.x);
    EXPECT_EQ(at.top, expected.y);
    // As for a right click, the states follow the selection.
    EXPECT_FALSE(GetMenuState(file, CMD_RENAME, MF_BYCOMMAND) & MF_GRAYED);

    // After the menu the keys are the list's again: no menu bar was left active.
    Keys("key Down");
    EXPECT_TRUE(Until([&] { return FocusedName() == "d.txt"; }, 5000)) << FocusedName();
    ListView_GetItemRect(mlvw.hwnd, tv::RowOf("d.txt"), &row, LVIR_LABEL);
    expected = BelowOnScreen(mlvw.hwnd, row);
    at = MenuOfKeys("key Menu", &shown);
    ASSERT_TRUE(shown) << "the Menu key in the list";
    EXPECT_EQ(at.left, expected.x);
    EXPECT_EQ(at.top, expected.y);

    // In the tree: at its selected item, which the tree first scrolls into view (a deep
    // folder's name may pass the tree's right edge).
    Keys("key F6");
    ASSERT_TRUE(FocusOn(mtvw.hwnd));
    HTREEITEM item = mtvw.Caret();
    ASSERT_NE(item, nullptr);
    at = MenuOfKeys("key shift+F10", &shown);
    ASSERT_TRUE(shown) << "Shift+F10 in the tree";
    RECT label = {};
    TreeView_GetItemRect(mtvw.hwnd, item, &label, TRUE);
    expected = BelowOnScreen(mtvw.hwnd, label);
    EXPECT_EQ(at.left, expected.x);
    EXPECT_EQ(at.top, expected.y);
    EXPECT_EQ(mtvw.Caret(), item);

    // A right click still opens one menu, not a second one for the same click.
    ListView_GetItemRect(mlvw.hwnd, tv::RowOf("a.txt"), &row, LVIR_LABEL);
    POINT click = {row.left + 4, (row.top + row.bottom) / 2};
    ClientToScreen(mlvw.hwnd, &click);
    at = MenuOfKeys("mousemove " + std::to_string(click.x) + " " + std::to_string(click.y) +
                        " click 3",
                    &shown);
    ASSERT_TRUE(shown) << "a right click";
    tv::PopupCloser second(1500);
    EXPECT_FALSE(Until([&] { return second.closed(); }, 1500)) << "a second menu opened";
}

TEST_F(KeysTest, AltLeftAndAltRightGoThroughTheFoldersRead) {
    for (const char* name : {"A\\a.txt", "B\\b.txt", "C\\c.txt", "D\\d.txt"})
        tree_.file(name, name);
    std::string a = tree_.path("A"), b = tree_.path("B"), c = tree_.path("C");
    StartApp(a.c_str());
    auto at = [&](const std::string& folder) {
        return Until([&] { return !ReadRunning() && std::string(panel.folder) == folder; }, 10000);
    };
    ASSERT_TRUE(Navigate(b.c_str()));
    ASSERT_TRUE(at(b));
    ASSERT_TRUE(Navigate(c.c_str()));
    ASSERT_TRUE(at(c));
    ClickRow(0);
    Keys("key alt+Left");
    EXPECT_TRUE(at(b));
    Keys("key alt+Left");
    EXPECT_TRUE(at(a));
    Keys("key alt+Right");
    EXPECT_TRUE(at(b));
    // The mouse's forward button, then nothing further that way.
    SendMessageA(mwin.hwnd, WM_APPCOMMAND, (WPARAM)mwin.hwnd,
                 MAKELPARAM(0, FAPPCOMMAND_MOUSE | APPCOMMAND_BROWSER_FORWARD));
    EXPECT_TRUE(at(c));
    EXPECT_FALSE(StepThroughHistory(false));
    EXPECT_TRUE(at(c));
    // Another folder after a step back leaves no way forward; a folder gone is passed over.
    ASSERT_TRUE(StepThroughHistory(true));
    ASSERT_TRUE(at(b));
    ASSERT_TRUE(Navigate(tree_.path("D").c_str()));
    ASSERT_TRUE(at(tree_.path("D")));
    EXPECT_FALSE(StepThroughHistory(false));
    tv::RemoveTree(b);
    ASSERT_TRUE(StepThroughHistory(true));
    EXPECT_TRUE(at(a)) << "the way back did not pass over the folder that is gone";
}
