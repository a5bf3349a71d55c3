#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "app/window.h"
#include "browse/entries.h"
#include "browse/format.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::MakeFolderLink;

struct Cell {
    std::string text;
    int image;
};

// Asks ItemText for one cell of a row, the way the list asks for it.
Cell Ask(int row, int column, UINT mask = LVIF_TEXT) {
    char buffer[MAX_PATH] = "<none>";
    NMLVDISPINFOA request = {};
    request.hdr.hwndFrom = mlvw.hwnd;
    request.hdr.idFrom = GetDlgCtrlID(mlvw.hwnd);
    request.hdr.code = LVN_GETDISPINFOA;
    request.item.mask = mask;
    request.item.iItem = row;
    request.item.iSubItem = column;
    request.item.pszText = buffer;
    request.item.cchTextMax = sizeof buffer;
    request.item.iImage = -99;
    ItemText(&request);
    return {request.item.pszText ? request.item.pszText : "<null>", request.item.iImage};
}

std::vector<std::string> TreeChildren(HTREEITEM parent, std::vector<int>* images = nullptr) {
    std::vector<std::string> names;
    HTREEITEM child =
        (HTREEITEM)SendMessageA(mtvw.hwnd, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent);
    while (child) {
        char text[MAX_PATH] = {};
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_IMAGE;
        item.hItem = child;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(mtvw.hwnd, TVM_GETITEMA, 0, (LPARAM)&item);
        names.push_back(text);
        if (images) images->push_back(item.iImage);
        child = (HTREEITEM)SendMessageA(mtvw.hwnd, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child);
    }
    return names;
}

int ListRows() { return (int)SendMessageA(mlvw.hwnd, LVM_GETITEMCOUNT, 0, 0); }

class ListView : public tv::AppTest {
  protected:
    // The tree item of the folder, selected: the item whose children Show refreshes when
    // that folder is shown.
    HTREEITEM SelectOwnItem(const std::string& folder) {
        EXPECT_EQ(mtvw.SelectPath(folder.c_str(), 5), 0);
        PumpMessages();
        HTREEITEM item = mtvw.Caret();
        EXPECT_NE(item, nullptr);
        return item;
    }
    void PumpMessages() { tv::PumpMessages(true); }
    void Show(const std::string& folder, int column = 0, int dir = 1) {
        panel.folder = folder.c_str();
        mcbx.SetText(folder.c_str());
        mcfg.drives_mode = 0;
        mcfg.find_mode = 0;
        ListFolder(panel.entries, folder.c_str());
        mcfg.sort_column = column;
        mcfg.sort_dir = dir;
        Sort();
        PumpMessages();
    }
};

}  // namespace

TEST_F(ListView, ShowsARealFolderWithItsColumnsTreeChildrenAndCellTexts) {
    StartApp();
    tv::TempTree tree("list");
    tree.dir("Alpha");
    tree.dir("beta");
    tree.file("a.TXT", "hello");
    tree.file("README", "x");
    tree.sized_file("Zed.Log", 1234567);
    std::string hidden = tree.file("secret.dat", "s");
    SetFileAttributesA(hidden.c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    bool linked = MakeFolderLink(tree.path("Alpha"), tree.path("Docs"));
    if (!linked) printf("no linked folder can be made here; that case is left out\n");

    HTREEITEM shown = SelectOwnItem(tree.root());
    mcfg.unit = 0;
    Show(tree.root());

    int entries = linked ? 7 : 6;
    EXPECT_EQ(ListRows(), entries);
    ASSERT_EQ(ViewCount(panel.view), (unsigned)entries);
    EXPECT_EQ(panel.count, entries);
    EXPECT_EQ(panel.folders, 2) << "a linked folder counts as a file";

    // Folders first, then files, by name A to Z.
    std::vector<std::string> order;
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        order.push_back(panel.view[i].entry->name());
    std::vector<std::string> expected = {"Alpha",  "beta",       "a.TXT",
                                         "README", "secret.dat", "Zed.Log"};
    if (linked) expected.insert(expected.begin() + 2, "Docs");
    EXPECT_EQ(order, expected);

    // The five columns with their titles, widths and alignments, inserted once.
    struct {
        const char* title;
        int width;
        int format;
    } columns[5] = {{"Name", 200, LVCFMT_LEFT},
                    {"Size", 100, LVCFMT_RIGHT},
                    {"Modified", 120, LVCFMT_CENTER},
                    {"Type", 100, LVCFMT_LEFT},
                    {"Attribute", 100, LVCFMT_LEFT}};
    for (int i = 0; i < 5; i++) {
        char title[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(mlvw.hwnd, LVM_GETCOLUMNA, i, (LPARAM)&column)) << i;
        EXPECT_STREQ(title, columns[i].title);
        EXPECT_EQ(column.cx, columns[i].width) << i;
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, columns[i].format) << i;
    }
    HWND header = (HWND)SendMessageA(mlvw.hwnd, LVM_GETHEADER, 0, 0);
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 5);
    Sort();
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 5);

    // The selected item holds the folders in the view's order, with the folder image, and
    // is expanded; the linked folder is not among them.
    std::vector<int> images;
    EXPECT_EQ(TreeChildren(shown, &images), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(images, (std::vector<int>{5, 5}));
    EXPECT_TRUE(SendMessageA(mtvw.hwnd, TVM_GETITEMSTATE, (WPARAM)shown, TVIS_EXPANDED) &
                TVIS_EXPANDED);

    // Cell texts of real rows.
    int a = tv::RowOf("a.TXT");
    ASSERT_GE(a, 0);
    EXPECT_EQ(Ask(a, 0).text, "a.TXT");
    EXPECT_EQ(Ask(a, 1).text, "5 B");
    EXPECT_EQ(Ask(a, 3).text, ".txt");
    EXPECT_EQ(Ask(a, 4).text, "A");
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(tree.path("a.TXT").c_str(), GetFileExInfoStandard, &data));
    DateText date;
    FormatDate(date, data.ftLastWriteTime);
    EXPECT_EQ(Ask(a, 2).text, date.text);
    EXPECT_EQ(Ask(tv::RowOf("Zed.Log"), 1).text, "1.234.567 B");
    EXPECT_EQ(Ask(tv::RowOf("README"), 3).text, "");
    EXPECT_EQ(Ask(tv::RowOf("secret.dat"), 4).text, "AHS");
    EXPECT_EQ(Ask(tv::RowOf("Alpha"), 4).text, "");
    mcfg.unit = 1;
    EXPECT_EQ(Ask(tv::RowOf("Alpha"), 1).text, "0 KB");
    EXPECT_EQ(Ask(tv::RowOf("Zed.Log"), 1).text, "1.206 KB");
    if (linked) {
        EXPECT_EQ(Ask(tv::RowOf("Docs"), 0).text, "Docs->");
    }
    // No answer beyond the view.
    EXPECT_EQ(Ask(entries, 0, LVIF_TEXT | LVIF_IMAGE).text, "<none>");
    EXPECT_EQ(Ask(entries, 0, LVIF_TEXT | LVIF_IMAGE).image, -99);

    // Icons come from the system image list that the list shows.
    Cell icon = Ask(a, 0, LVIF_TEXT | LVIF_IMAGE);
    EXPECT_EQ(icon.text, "a.TXT");
    EXPECT_GE(icon.image, 0);
    HIMAGELIST small = (HIMAGELIST)SendMessageA(mlvw.hwnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0);
    ASSERT_NE(small, nullptr);
    EXPECT_LT(icon.image, ImageList_GetImageCount(small));
    EXPECT_GE(Ask(tv::RowOf("Alpha"), 0, LVIF_IMAGE).image, 0);

    std::vector<std::string> log = tv::LogEntries();
    int show = -1;
    while (true) {
        int next = tv::FindEntry(log, "Show () OK ...", show + 1);
        if (next < 0) break;
        show = next;
    }
    ASSERT_GE(show, 0);
    EXPECT_EQ(tv::FindEntry(log, "Sort () OK ...", show), show + 1);
    EXPECT_EQ(tv::FindEntry(log, "Size () OK ...", show - 1), show - 1);
}

TEST_F(ListView, NameOrderRebuildsTheTreeAndOtherColumnsLeaveIt) {
    StartApp();
    tv::TempTree tree("order");
    tree.dir("Alpha");
    tree.dir("beta");
    tree.dir("Gamma");
    tree.sized_file("big.bin", 3000);
    tree.sized_file("small.bin", 10);
    HTREEITEM shown = SelectOwnItem(tree.root());

    Show(tree.root(), 0, 0);
    EXPECT_EQ(TreeChildren(shown), (std::vector<std::string>{"Gamma", "beta", "Alpha"}));
    EXPECT_EQ(panel.folders, 3);
    EXPECT_EQ(panel.count, 5);

    // A header click flips the direction; sorting by Size leaves the tree alone, and the
    // counts, taken from the view, stay what they are.
    Show(tree.root(), 1, 0);
    EXPECT_EQ(TreeChildren(shown), (std::vector<std::string>{"Gamma", "beta", "Alpha"}));
    EXPECT_EQ(panel.folders, 3);
    EXPECT_EQ(ListRows(), 5);
    EXPECT_STREQ(panel.view[3].entry->name(), "small.bin");
    EXPECT_STREQ(panel.view[4].entry->name(), "big.bin");

    Show(tree.root(), 0, 1);
    EXPECT_EQ(TreeChildren(shown), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(panel.folders, 3);
}

TEST_F(ListView, SortRefusesToRunOffTheUiThread) {
    StartApp();
    tv::TempTree tree("thread");
    tree.file("one.txt");
    Show(tree.root());
    ViewSlot* view = panel.view;
    ASSERT_NE(view, nullptr);
    std::thread other([] { Sort(); });
    other.join();
    EXPECT_EQ(panel.view, view) << "the view the list reads stays in place";
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Sort () failed: not on the UI thread"), 0);
}

TEST_F(ListView, AnEmptyOrMissingFolderShowsNoRowsAndZeroCounts) {
    StartApp();
    tv::TempTree tree("empty");
    tree.dir("Sub");
    tv::TempTree nothing("nothing");
    std::string empty = nothing.root();
    HTREEITEM shown = SelectOwnItem(tree.root());
    Show(tree.root());
    ASSERT_EQ(ListRows(), 1);
    ASSERT_EQ(panel.count, 1);

    panel.selected = 1;
    Show(empty);
    EXPECT_EQ(ListRows(), 0) << "no rows may remain that the view no longer has";
    EXPECT_EQ(panel.view, nullptr);
    EXPECT_EQ(panel.count, 0);
    EXPECT_EQ(panel.folders, 0);
    EXPECT_EQ(panel.selected, 0);
    // The selected item keeps the children it had.
    EXPECT_EQ(TreeChildren(shown), (std::vector<std::string>{"Sub"}));
    EXPECT_EQ(Ask(0, 0).text, "<none>");

    Show(tree.path("missing"));
    EXPECT_EQ(ListRows(), 0);
    EXPECT_EQ(panel.count, 0);
}

TEST_F(ListView, PathsPastThePlatformsLongestGiveNoIconAndNoOverrun) {
    StartApp();
    tv::TempTree tree("paths");
    tree.file("file.txt", "x");
    Show(tree.root());
    ASSERT_EQ(ListRows(), 1);
    std::string path;
    ASSERT_TRUE(EntryPath(*panel.view[0].entry, &path));
    EXPECT_EQ(path, tree.path("file.txt"));

    // A folder of 32,754 characters: with "\file.txt" the path would pass 32,762.
    std::string folder(32754, 'f');
    folder[0] = 'C';
    folder[1] = ':';
    folder[2] = '\\';
    panel.folder = folder;
    std::string why;
    EXPECT_FALSE(EntryPath(*panel.view[0].entry, &path, &why));
    EXPECT_EQ(path, "");
    EXPECT_NE(why.find("has 32763 characters: too long for the platform, which takes at most 32762"), std::string::npos) << why;
    EXPECT_EQ(Ask(0, 0, LVIF_TEXT | LVIF_IMAGE).image, -1);
    EXPECT_EQ(Ask(0, 0, LVIF_TEXT | LVIF_IMAGE).text, "file.txt");

    // 32,753 + "\" + 8 = 32,762 characters still fit.
    std::string fits(32753, 'g');
    fits[0] = 'C';
    fits[1] = ':';
    fits[2] = '\\';
    panel.folder = fits;
    FolderEntry eight = tv::MakeEntry("12345678", panel.view[0].entry->attributes);
    ASSERT_TRUE(EntryPath(eight, &path));
    EXPECT_EQ(path.size(), 32762u);
    FolderEntry nine = tv::MakeEntry("123456789", panel.view[0].entry->attributes);
    EXPECT_FALSE(EntryPath(nine, &path));
}

TEST_F(ListView, TheListItselfAsksTheWindowForItsCells) {
    StartApp();
    tv::TempTree tree("listcells");
    tree.dir("Sub");
    tree.sized_file("big.Data", 1536);
    SelectOwnItem(tree.root());
    mcfg.unit = 1;
    Show(tree.root());
    ASSERT_EQ(ListRows(), 2);

    // The virtual list holds no texts: each one it reports comes from the window's answer
    // to its display-information request.
    auto cell = [](int row, int column) {
        char text[MAX_PATH] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(mlvw.hwnd, LVM_GETITEMTEXTA, row, (LPARAM)&item);
        return std::string(text);
    };
    EXPECT_EQ(cell(0, 0), "Sub");
    EXPECT_EQ(cell(1, 0), "big.Data");
    EXPECT_EQ(cell(1, 1), "2 KB");
    EXPECT_EQ(cell(1, 3), ".data");
    EXPECT_EQ(cell(1, 4), "A");
    // A change of unit shows at the next request.
    mcfg.unit = 0;
    EXPECT_EQ(cell(1, 1), "1.536 B");
}
