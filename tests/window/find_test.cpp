#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "scan/find.h"
#include "tests/support/app_fixture.h"

namespace {

// An entry's name as the list shows it (a find result with its folder).
std::string Shown(const FolderEntry& e) {
    return ShownName(e);
}

class FindTest : public tv::AppTest {
  protected:
    void SetUp() override {
        StartApp();
        tree_.file("readme.txt", "no totals here");
        tree_.file("report_a.txt", "grand total 5\n");
        tree_.file("sub\\report_b.txt", "nothing\n");
        tree_.file("sub\\README", "total\n");
        tree_.file("sub\\deeper\\other.txt", "total\n");
    }
    // Runs Find with the path box and search box texts; returns the found names below the
    // tree, sorted.
    std::vector<std::string> Run(const std::string& folder, const char* input) {
        panel.folder = folder.c_str();
        mcbx.SetText(folder.c_str());
        mcby.SetText(input);
        EXPECT_TRUE(tv::FindAndWait());
        std::vector<std::string> names;
        for (size_t i = 0; i < panel.entries.size(); i++) {
            std::string name = Shown(*panel.entries[i]);
            names.push_back(name.rfind(tree_.root() + "\\", 0) == 0
                                ? name.substr(tree_.root().size() + 1)
                                : name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string LastFindLine() {
        std::vector<std::string> entries = tv::LogEntries();
        for (size_t i = entries.size(); i-- > 0;)
            if (entries[i].rfind("Find (", 0) == 0) return entries[i];
        return "";
    }
    std::string FindTxt() { return std::string(getenv("TEMP")) + "\\find.txt"; }

    tv::TempTree tree_{"find-window"};
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(FindTest, TheSearchBoxChoosesNameTextOrBoth) {
    mcfg.size_mode = 1;
    mcfg.find_mode = 0;
    mcfg.sort_column = 3;
    mcfg.sort_dir = 0;
    EXPECT_EQ(Run(tree_.root(), "readme  "), (Names{"readme.txt", "sub\\README"}));
    EXPECT_EQ(LastFindLine(), "Find (" + tree_.root() + ",readme,) OK ...");
    EXPECT_EQ(mcfg.find_mode, 1);
    EXPECT_EQ(panel.count, 2);
    EXPECT_EQ(panel.folders, 0);
    EXPECT_EQ(panel.selected, 0);
    EXPECT_EQ(mcfg.sort_column, 0);
    EXPECT_EQ(mcfg.sort_dir, 0);
    EXPECT_EQ(mcfg.size_mode, 0);
    EXPECT_EQ(mcfg.drives_mode, 0);

    EXPECT_EQ(Run(tree_.root(), "report {total}"), Names{"report_a.txt"});
    EXPECT_EQ(LastFindLine(), "Find (" + tree_.root() + ",report,total) OK ...");
    EXPECT_EQ(Run(tree_.root(), "{total}"),
              (Names{"readme.txt", "report_a.txt", "sub\\README", "sub\\deeper\\other.txt"}));
    EXPECT_EQ(Run(tree_.root(), "{total").size(), 5u);
    EXPECT_EQ(LastFindLine(), "Find (" + tree_.root() + ",,) OK ...");
    EXPECT_EQ(Run(tree_.root() + "\\sub", "").size(), 3u);
}

TEST_F(FindTest, NoResultOrNoFolder) {
    ASSERT_EQ(Run(tree_.root(), "report").size(), 2u);
    // No folder: nothing is searched and the list stays.
    EXPECT_EQ(Run("", "README").size(), 2u);
    EXPECT_EQ(LastFindLine(), "Find (,README,) OK ...");
    // No result: the list, the view and the counts are emptied, and no find.txt is written.
    DeleteFileA(FindTxt().c_str());
    EXPECT_EQ(Run(tree_.root(), "*.txt"), Names{});
    EXPECT_EQ(panel.view, nullptr);
    EXPECT_EQ(panel.count, 0);
    EXPECT_EQ(SendMessageA(mlvw.hwnd, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(GetFileAttributesA(FindTxt().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FindTest, FindTxtListsTheResultsInViewOrder) {
    Run(tree_.root(), "");
    ASSERT_NE(panel.view, nullptr);
    std::string expected;
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        expected += Shown(*panel.view[i].entry) + "\r\n";
    EXPECT_EQ(ViewCount(panel.view), 5u);
    EXPECT_EQ(tv::ReadFile(FindTxt()), expected);
    EXPECT_EQ(SendMessageA(mlvw.hwnd, LVM_GETITEMCOUNT, 0, 0), 5);
    // With no folder the list shown before is written again.
    DeleteFileA(FindTxt().c_str());
    Run("", "x");
    EXPECT_EQ(tv::ReadFile(FindTxt()), expected);
}

TEST_F(FindTest, EachInputJoinsTheDropDownOnce) {
    LRESULT before = SendMessageA(mcby.hwnd, CB_GETCOUNT, 0, 0);
    size_t history = mcfg.history.size();
    Run(tree_.root(), "report");
    EXPECT_EQ(mcfg.history.size(), history + 1);
    Run(tree_.root(), "report");
    Run(tree_.root(), "");
    Run(tree_.root(), "Report");
    EXPECT_EQ(SendMessageA(mcby.hwnd, CB_GETCOUNT, 0, 0), before + 2);
}

TEST_F(FindTest, ASearchRunsBesideTheWindowAndStopsByTheButtonEscOrNavigation) {
    // 40,000 files that all hold the text, made on the Linux side at once.
    std::string big = tree_.dir("Big");
    ASSERT_TRUE(tv::RunLinuxAndWait("cd '" + tv::UnixPath(big) +
                                    "' && for d in $(seq 1 80); do mkdir d$d; for f in $(seq 1 "
                                    "500); do echo needle > d$d/f$f.txt; done; done"));
    panel.folder = big.c_str();
    mcby.SetText("{needle}");
    auto started = [&] {
        Find();
        ASSERT_TRUE(FindRunning()) << "the window's thread does not search";
        long long found = 0;
        ASSERT_TRUE(Until([&] { return FindProgress(&found), found > 0; }));
        EXPECT_EQ(FindProgress(&found).compare(0, big.size(), big), 0);
    };
    auto shows_what_it_found = [&] {
        EXPECT_FALSE(FindRunning());
        EXPECT_EQ(mcfg.find_mode, 1);
        EXPECT_GT(panel.entries.size(), 0u);
        EXPECT_LT(panel.entries.size(), 40000u) << "the search ran to its end";
        EXPECT_EQ(ViewCount(panel.view), panel.entries.size());
        EXPECT_EQ(SendMessageA(mlvw.hwnd, LVM_GETITEMCOUNT, 0, 0), (LRESULT)panel.entries.size());
    };

    // The results so far show in the list while it searches, a batch each second.
    started();
    EXPECT_TRUE(Until([] { return ViewCount(panel.view) > 0; }, 3000));
    EXPECT_TRUE(FindRunning());
    EXPECT_EQ(mcfg.find_mode, 1);
    EXPECT_EQ(SendMessageA(mlvw.hwnd, LVM_GETITEMCOUNT, 0, 0), (LRESULT)ViewCount(panel.view));

    // The find button, pressed again.
    int stopped = tv::CountEntries("Find (" + big + ",,needle) stopped");
    Find();
    shows_what_it_found();
    EXPECT_EQ(tv::CountEntries("Find (" + big + ",,needle) stopped"), stopped + 1);

    // Esc through the program's loop.
    panel.folder = big.c_str();
    started();
    tv::PressThroughLoop(mlvw.hwnd, VK_ESCAPE);
    shows_what_it_found();

    // Navigation: the new folder stays shown, and no late result reaches the list.
    panel.folder = big.c_str();
    started();
    ReadPath(tree_.path("sub").c_str());
    EXPECT_FALSE(FindRunning());
    tv::PumpMessages(true);
    EXPECT_EQ(mcfg.find_mode, 0);
    EXPECT_STREQ(panel.folder.c_str(), tree_.path("sub").c_str());
    EXPECT_EQ(ViewCount(panel.view), 3u) << "report_b.txt, README, deeper";
    EXPECT_GE(tv::CountEntries("Find (" + big + ") given up"), 1);
}
