#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

int ComboCount(const CCbx& box) { return (int)SendMessageA(box.hwnd, CB_GETCOUNT, 0, 0); }

std::string PathBox() { return mcbx.GetText(); }

int Rows() { return (int)SendMessageA(mlvw.hwnd, LVM_GETITEMCOUNT, 0, 0); }

class Navigation : public tv::AppTest {
  protected:
    // A folder with two subfolders and a file, below the test's own tree.
    void MakeFolder() {
        tree_.dir("data\\Alpha");
        tree_.dir("data\\beta");
        tree_.file("data\\note.txt", "note");
        tree_.file("data\\Alpha\\inner.txt", "inner");
    }
    tv::TempTree tree_{"nav"};
};

}  // namespace

TEST_F(Navigation, InitListsTheDrivesUnderTheRoot) {
    StartApp();
    HTREEITEM root = mtvw.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(mtvw.ItemText(root), "Drives");
    EXPECT_EQ(TreeView_GetNextSibling(mtvw.hwnd, root), nullptr);  // the one top-level item
    EXPECT_TRUE(TreeView_GetItemState(mtvw.hwnd, root, TVIS_EXPANDED) & TVIS_EXPANDED);

    DriveInfo expected[26];
    std::vector<DriveItem> items;
    FillDriveTable(expected, &items);
    std::vector<std::string> names;
    for (const DriveItem& d : items)
        names.push_back(d.name);
    EXPECT_EQ(tv::Children(root), names);
    for (size_t i = 0; i < items.size(); i++) {
        EXPECT_STREQ(mcfg.drives[i].name, items[i].name.c_str());
        TVITEMA tv = {};
        tv.mask = TVIF_IMAGE;
        tv.hItem = mtvw.FindChild(nullptr, items[i].name.c_str());
        SendMessageA(mtvw.hwnd, TVM_GETITEMA, 0, (LPARAM)&tv);
        EXPECT_EQ(tv.iImage, items[i].image) << items[i].name;
    }
    EXPECT_STREQ(mcfg.drives[items.size()].name, "");
    EXPECT_EQ(mcfg.drives_mode, 1);
    EXPECT_STREQ(mcfg.start_dir.c_str(), "");
    EXPECT_EQ(mtvw.Caret(), root);
    EXPECT_EQ(PathBox(), "C:");
}

TEST_F(Navigation, StartFolderOnTheCommandLineIsOpened) {
    MakeFolder();
    std::string data = tree_.path("data");
    StartApp(data.c_str());
    EXPECT_EQ(std::string(mcfg.start_dir), data);
    EXPECT_EQ(mcfg.drives_mode, 0);
    EXPECT_STREQ(mtvw.ItemPath(nullptr), data.c_str());
    EXPECT_EQ(PathBox(), data);
    EXPECT_EQ(tv::Children(mtvw.Caret()), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(panel.count, 3);
    EXPECT_EQ(panel.folders, 2);

    // Read's lines follow those of the sort it runs, and Init's line ends the start.
    auto entries = tv::LogEntries();
    int at = 0;
    for (const char* line :
         {"Size () OK", "Show () OK", "Sort () OK", "Read () OK", "Init () OK", "WinMain () MSG"}) {
        int found = tv::FindEntry(entries, line, at);
        EXPECT_GE(found, at) << line;
        if (found >= 0) at = found + 1;
    }
}

TEST_F(Navigation, QuotedStartFolderKeepsItsQuotesAndOpensTheFolder) {
    MakeFolder();
    std::string data = tree_.path("data");
    std::string quoted = "\"" + data + "\"";
    StartApp(quoted.c_str());
    EXPECT_EQ(std::string(mcfg.start_dir), quoted);
    EXPECT_STREQ(mtvw.ItemPath(nullptr), data.c_str());
    EXPECT_EQ(Rows(), 3);
}

TEST_F(Navigation, StartFolderOnAnUnknownDriveStaysInTheDriveView) {
    StartApp("Q:\\nowhere");
    EXPECT_EQ(mcfg.drives_mode, 1);
    EXPECT_EQ(mtvw.Caret(), mtvw.Root());
    EXPECT_EQ(PathBox(), "C:");
    EXPECT_EQ(tv::Children(mtvw.Root()).size(),
              (size_t)std::count_if(std::begin(mcfg.drives), std::end(mcfg.drives),
                                    [](const DriveInfo& d) { return d.name[0]; }));
}

TEST_F(Navigation, BackGoesToTheParentAndStopsAtTheDrive) {
    MakeFolder();
    std::string alpha = tree_.path("data\\Alpha");
    StartApp(alpha.c_str());
    ASSERT_EQ(PathBox(), alpha);
    SendCommand(CMD_BACK);
    EXPECT_EQ(PathBox(), tree_.path("data"));
    EXPECT_STREQ(mtvw.ItemPath(nullptr), tree_.path("data").c_str());
    EXPECT_EQ(Rows(), 3);

    // Down to the drive: each Back selects the parent item.
    for (int guard = 0; guard < 64 && PathBox().find('\\') != std::string::npos; guard++)
        SendCommand(CMD_BACK);
    std::string drive = PathBox();
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_STREQ(mtvw.ItemPath(nullptr), drive.c_str());
    int history = (int)mcfg.history.size();
    SendCommand(CMD_BACK);  // a drive has no parent: nothing happens
    EXPECT_EQ(PathBox(), drive);
    EXPECT_EQ((int)mcfg.history.size(), history);
    EXPECT_EQ(mcfg.drives_mode, 0);
}

TEST_F(Navigation, BackFromTheWindowsFolderLeadsToTheDrive) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    StartApp(windows);
    SendCommand(CMD_BACK);
    EXPECT_EQ(PathBox(), std::string(windows, 2));
    EXPECT_GT(Rows(), 0);
}

TEST_F(Navigation, SelectingTheRootShowsTheDriveView) {
    MakeFolder();
    std::string data = tree_.path("data");
    StartApp(data.c_str());
    mcfg.preview = 1;
    mtvw.Select(mtvw.Root());
    EXPECT_EQ(mcfg.drives_mode, 1);
    EXPECT_EQ(mcfg.preview, 0);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(PathBox(), data);  // the path box, the entries and the view stay
    EXPECT_EQ(panel.entries.size(), 3u);
    RECT r;
    GetWindowRect(mlvw.hwnd, &r);
    EXPECT_EQ(r.bottom - r.top, 0);
}

TEST_F(Navigation, HistoryKeepsEachFolderOnceCaseCounting) {
    MakeFolder();
    std::string data = tree_.path("data");
    StartApp(data.c_str());
    int items = ComboCount(mcbx);
    size_t history = mcfg.history.size();
    SendCommand(CMD_READ);
    EXPECT_EQ(ComboCount(mcbx), items);
    EXPECT_EQ(mcfg.history.size(), history);

    std::string lower = data;
    for (char& c : lower)
        c = (char)tolower((unsigned char)c);
    ReadPath(lower.c_str());
    EXPECT_EQ(ComboCount(mcbx), items + 1);
    EXPECT_EQ(mcfg.history.back(), lower);

    // A text already used as a find input blocks the same folder path.
    std::string beta = tree_.path("data\\beta");
    AddHistory(beta.c_str());
    items = ComboCount(mcbx);
    ReadPath(beta.c_str());
    EXPECT_EQ(ComboCount(mcbx), items);
}

TEST_F(Navigation, TypedPathsExpandVariablesAndCreateMissingItems) {
    MakeFolder();
    StartApp();
    SetEnvironmentVariableA("TRELVISTA_NAV", tree_.root().c_str());
    // Typed in other letter case and with a trailing backslash.
    mcbx.SetText("%TRELVISTA_NAV%\\DATA\\alpha\\");
    PathEntered();
    EXPECT_EQ(GetFocus(), mtvw.hwnd);
    HTREEITEM caret = mtvw.Caret();
    ASSERT_NE(caret, nullptr);
    EXPECT_STREQ(mtvw.ItemText(caret), "alpha");  // items made from the text as typed
    EXPECT_EQ(PathBox(), tree_.root() + "\\DATA\\alpha");
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(mcfg.drives_mode, 0);

    // Each missing component became the first child of its parent.
    HTREEITEM parent = mtvw.Parent(caret);
    EXPECT_STREQ(mtvw.ItemText(parent), "DATA");
    EXPECT_EQ(TreeView_GetChild(mtvw.hwnd, mtvw.Parent(parent)), parent);

    // Back to a folder the tree already holds: its item keeps its own letters.
    mcbx.SetText(tree_.path("data").c_str());
    PathEntered();
    EXPECT_STREQ(mtvw.ItemText(mtvw.Caret()), "DATA");
}

TEST_F(Navigation, PathsTheTreeCannotShowChangeNothing) {
    MakeFolder();
    std::string data = tree_.path("data");
    StartApp(data.c_str());
    HTREEITEM caret = mtvw.Caret();
    for (const char* typed : {"\\\\server\\share", "", "%NO_SUCH_VARIABLE%"}) {
        mcbx.SetText(typed);
        PathEntered();
        EXPECT_EQ(mtvw.Caret(), caret) << typed;
        EXPECT_EQ(Rows(), 3) << typed;
    }
    // A folder that is not there is said so, and makes no item in the tree.
    std::vector<std::string> children = tv::Children(caret);
    // A path past 259 characters is a path like any other.
    for (std::string typed : {std::string("Q:\\nothing"), data + "\\missing", data + "\\a\\b",
                              "C:\\" + std::string(300, 'x')}) {
        mcbx.SetText(typed.c_str());
        tv::DialogPresser ok("Trelvista", IDOK);
        PathEntered();
        ok.wait();
        EXPECT_NE(ok.text().find("does not exist"), std::string::npos) << typed;
        EXPECT_EQ(mtvw.Caret(), caret) << typed;
        EXPECT_EQ(tv::Children(caret), children) << typed;
        EXPECT_EQ(PathBox(), data);
    }
    std::string too_long = "C:\\" + std::string(32760, 'x');
    mcbx.SetText(too_long.c_str());
    PathEntered();
    EXPECT_EQ(mtvw.Caret(), caret);
    EXPECT_EQ(PathBox(), data);
}

TEST_F(Navigation, ReadOnTheRootRebuildsTheDrivesAndStaysThere) {
    MakeFolder();
    StartApp(tree_.path("data").c_str());
    mtvw.Select(mtvw.Root());
    SendCommand(CMD_READ);
    EXPECT_EQ(mcfg.drives_mode, 1);
    EXPECT_EQ(mtvw.Caret(), mtvw.Root());
    EXPECT_STREQ(mtvw.ItemText(mtvw.Root()), "Drives");
    EXPECT_EQ(tv::FindEntry(tv::LogEntries(), "Init () OK", 0) >= 0, true);
}

TEST_F(Navigation, NavigateReadsOnceThenBringsTreeAndPathBoxWithoutANotificationsRead) {
    MakeFolder();
    StartApp();
    std::string data = tree_.path("data");
    int reads = tv::CountEntries("Read () OK");
    ASSERT_TRUE(Navigate(data.c_str()));
    // Everything is in place when the call returns, from one read.
    EXPECT_STREQ(panel.folder.c_str(), data.c_str());
    EXPECT_EQ(PathBox(), data);
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(_stricmp(mtvw.ItemPath(mtvw.Caret()), data.c_str()), 0);
    EXPECT_EQ(tv::Children(mtvw.Caret()), (std::vector<std::string>{"Alpha", "beta"}));
    tv::PumpMessages(true);
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads + 1);

    // Into a subfolder by opening its row (its tree item found whatever its case), and back
    // up, the same way.
    HTREEITEM alpha = tv::Children(mtvw.Caret())[0] == "Alpha"
                          ? TreeView_GetChild(mtvw.hwnd, mtvw.Caret())
                          : nullptr;
    Open((unsigned)tv::RowOf("Alpha"), 0);
    EXPECT_STREQ(panel.folder.c_str(), tree_.path("data\\Alpha").c_str());
    EXPECT_EQ(mtvw.Caret(), alpha);
    EXPECT_EQ(Rows(), 1);
    Back();
    EXPECT_STREQ(panel.folder.c_str(), data.c_str());
    EXPECT_EQ(_stricmp(mtvw.ItemPath(mtvw.Caret()), data.c_str()), 0);
    tv::PumpMessages(true);
    EXPECT_EQ(tv::CountEntries("Read () OK"), reads + 3);

    // A drive the tree does not hold: nothing changes.
    EXPECT_FALSE(Navigate("Q:\\nowhere"));
    EXPECT_STREQ(panel.folder.c_str(), data.c_str());
}
