// The real main window under a code page that is not UTF-8, as on Windows before 1903: names
// that the code page cannot spell come back with '?' and are reached by their short names,
// proved to open the very entry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "scan/find.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::SelectNames;

class LegacyWindow : public tv::AppTest {
  protected:
    tv::TempTree tree_{"legacy"};
};

}  // namespace

TEST_F(LegacyWindow, NamesThatLostCharactersAreReachedByTheirShortNamesOnly) {
    // Created on the Linux side with characters that the ANSI code page lacks, beside names
    // of the same length that a wildcard would match.
    tree_.file("abc.txt", "abc");
    tree_.file("xyz.txt", "xyz");
    ASSERT_TRUE(tv::MakeLossyNames(tree_.root(), "12345", "1234567"));
    StartApp(tree_.root().c_str());
    int file_row = tv::RowOf("???.txt");
    ASSERT_GE(file_row, 0) << "the name did not come back with '?'";
    const FolderEntry& file = *panel.view[file_row].entry;
    ASSERT_NE(file.short_name()[0], '\0') << "no short name here";
    std::string path;
    ASSERT_TRUE(EntryPath(file, &path));
    EXPECT_EQ(std::string(path), tree_.path(file.short_name()));
    EXPECT_EQ(tv::ReadFile(path), "12345") << "the short name names another file";

    // The folder is in the tree under its short name, and the scan measures it.
    int dir_row = tv::RowOf("??");
    ASSERT_GE(dir_row, 0);
    std::string dir_short = panel.view[dir_row].entry->short_name();
    EXPECT_EQ(tv::Children(mtvw.Caret()), (std::vector<std::string>{dir_short}));
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return mcfg.scanning == 0 && mcfg.sort_column == 1; }));
    dir_row = tv::RowOf("??");
    ASSERT_GE(dir_row, 0);
    EXPECT_EQ(EntrySize(*panel.view[dir_row].entry), 7u);
    SendCommand(CMD_READ_SIZE);
    Until([] { return mcfg.scanning == 0; });

    // Opening the folder goes in by the short name, and a find below it finds its file.
    Open((unsigned)tv::RowOf("??"), 0);
    EXPECT_EQ(std::string(panel.folder), tree_.path(dir_short));
    EXPECT_EQ(ViewCount(panel.view), 1u);
    Back();
    mcby.SetText(".dat");
    ASSERT_TRUE(tv::FindAndWait());
    ASSERT_EQ(panel.entries.size(), 1u);
    EXPECT_EQ(std::string(panel.entries.Folder(panel.entries[0]->folder)) + "\\" +
                  panel.entries[0]->name(),
              tree_.path(dir_short + "\\in.dat"));
    // A lossy name without a short name is never turned into a path.
    WIN32_FIND_DATAA record = {};
    lstrcpynA(record.cFileName, file.name(), sizeof record.cFileName);
    record.dwFileAttributes = file.attributes;
    Reach reach;
    reach.how = file.reach;
    reach.id = file.id;
    FolderEntry bare = tv::MakeEntry(record, reach);
    mcfg.find_mode = 0;
    EXPECT_FALSE(EntryPath(bare, &path));
    EXPECT_EQ(path, "");
}

TEST_F(LegacyWindow, ANameThatLostCharactersIsDeletedAloneByItsShortName) {
    tree_.file("abc.txt", "abc");
    tree_.file("xyz.txt", "xyz");
    ASSERT_TRUE(tv::MakeLossyNames(tree_.root(), "123", "4"));
    StartApp(tree_.root().c_str());
    ASSERT_GE(tv::RowOf("???.txt"), 0);
    SelectNames({"???.txt"});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_EQ(ViewCount(panel.view), 3u);
    EXPECT_EQ(tv::RowOf("???.txt"), -1);
    EXPECT_EQ(tv::ReadFile(tree_.path("abc.txt")), "abc");
    EXPECT_EQ(tv::ReadFile(tree_.path("xyz.txt")), "xyz");
}
