#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/cwin.h"

TEST(StartDir, TakesTheTailAsItStands) {
    EXPECT_EQ(StartDirFromCommandLine(""), "");
    EXPECT_EQ(StartDirFromCommandLine(nullptr), "");
    EXPECT_EQ(StartDirFromCommandLine("C:\\Data"), "C:\\Data");
    EXPECT_EQ(StartDirFromCommandLine("\"C:\\My Data\""), "\"C:\\My Data\"");
}

TEST(StartDir, KeepsTailsUpToThePlatformsLongestPathAndIgnoresLongerOnes) {
    std::string t259(259, 'a'), t1000(1000, 'b'), longest(32762, 'c'), over(32763, 'c');
    EXPECT_EQ(StartDirFromCommandLine(t259.c_str()), t259);
    EXPECT_EQ(StartDirFromCommandLine(t1000.c_str()), t1000);
    EXPECT_EQ(StartDirFromCommandLine(longest.c_str()), longest);
    EXPECT_EQ(StartDirFromCommandLine(over.c_str()), "");
    // 120 CJK characters are 360 bytes of UTF-8 but 120 of the platform's units.
    std::string cjk;
    for (int i = 0; i < 120; i++) cjk += "\xE6\x96\x87";
    EXPECT_EQ(StartDirFromCommandLine(("C:\\" + cjk).c_str()), "C:\\" + cjk);
}

TEST(WindowGeometry, TwoThirdsOfTheWorkAreaCentredAndScaledWithTheDpi) {
    WindowGeometry g = DefaultWindowGeometry({0, 0, 1280, 1000}, 96);
    EXPECT_EQ(g.width, 853);
    EXPECT_EQ(g.height, 666);
    EXPECT_EQ(g.x, 213);
    EXPECT_EQ(g.y, 167);
    g = DefaultWindowGeometry({0, 0, 1, 2}, 96);
    EXPECT_EQ(g.width, 0);
    EXPECT_EQ(g.height, 1);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    // At 150 % the window is half as large again (it shows what it shows at 100 %): the whole
    // work area, which need not begin at the screen's corner; at 125 % a quarter as large again.
    g = DefaultWindowGeometry({100, 40, 1900, 1240}, 144);
    EXPECT_EQ(g.x, 100);
    EXPECT_EQ(g.y, 40);
    EXPECT_EQ(g.width, 1800);
    EXPECT_EQ(g.height, 1200);
    g = DefaultWindowGeometry({0, 0, 3000, 2400}, 120);
    EXPECT_EQ(g.width, 2500);
    EXPECT_EQ(g.height, 2000);
    EXPECT_EQ(g.x, 250);
    EXPECT_EQ(g.y, 200);
}

TEST(StartValues, AreThoseOfAFreshStart) {
    Mcfg fresh;
    EXPECT_EQ(fresh.drives_mode, 1);
    EXPECT_EQ(fresh.make_notepad_link, 1);
    EXPECT_EQ(fresh.sort_dir, 1);
    EXPECT_EQ(fresh.tree_width, 300);
    EXPECT_EQ(fresh.unit, 1);
    EXPECT_EQ(fresh.image_w, -1);
    EXPECT_EQ(fresh.image_h, -1);
    Panel fresh_panel;
    EXPECT_EQ(fresh_panel.entries.depth_limit, 100u);
    EXPECT_EQ(fresh_panel.view, nullptr);
    EXPECT_STREQ(kDefaultSettingsKey, "SOFTWARE\\Halvorin\\Trelvista");
}

TEST(SetMode, EachChangeKeepsTheModesRules) {
    auto modes = [] {
        return std::to_string(mcfg.drives_mode) + std::to_string(mcfg.find_mode) +
               std::to_string(mcfg.size_mode) + std::to_string(mcfg.preview);
    };
    mcfg.drives_mode = 1, mcfg.find_mode = 0, mcfg.size_mode = 0, mcfg.preview = 0;
    SetMode(kTogglePreview);
    EXPECT_EQ(modes(), "1000") << "no preview in the drive view";
    SetMode(kShowFolder);
    SetMode(kTogglePreview);
    EXPECT_EQ(modes(), "0001");
    SetMode(kToggleSize);
    EXPECT_EQ(modes(), "0010") << "size mode and the preview exclude each other";
    SetMode(kTogglePreview);
    EXPECT_EQ(modes(), "0001");
    SetMode(kStartFind);
    SetMode(kShowFound);
    EXPECT_EQ(modes(), "0101");
    SetMode(kShowDrives);
    EXPECT_EQ(modes(), "1100") << "the drive view drops the preview";
    SetMode(kShowFolder);
    EXPECT_EQ(modes(), "0000");
}
