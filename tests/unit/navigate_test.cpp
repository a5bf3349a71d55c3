#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/mcfg.h"
#include "browse/navigate.h"

TEST(DriveTable, FollowsTheDrivesThePlatformReports) {
    DriveInfo drives[26];
    std::vector<DriveItem> items;
    FillDriveTable(drives, &items);

    // Every drive from C: to Z: whose space can be queried, in letter order, and nothing
    // else; the entry after the last one has an empty name.
    std::vector<std::string> expected;
    for (char letter = 'C'; letter <= 'Z'; letter++) {
        char root[4] = {letter, ':', '\\', 0};
        ULARGE_INTEGER a, t, f;
        if (GetDiskFreeSpaceExA(root, &a, &t, &f) || GetDriveTypeA(root) == DRIVE_CDROM)
            expected.push_back(std::string(1, letter) + ":");
    }
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(items[i].name, expected[i]);
        EXPECT_STREQ(drives[i].name, expected[i].c_str());
        char root[4] = {expected[i][0], ':', '\\', 0};
        UINT type = GetDriveTypeA(root);
        int image = type == DRIVE_REMOTE      ? 4
                    : type == DRIVE_REMOVABLE ? 3
                    : type == DRIVE_CDROM     ? 2
                                              : 1;
        EXPECT_EQ(items[i].image, image) << root;
        if (drives[i].total > 0) {
            EXPECT_LE(drives[i].free, drives[i].total);
            EXPECT_EQ(drives[i].used, (unsigned)(100 - drives[i].free * 100 / drives[i].total));
        }
    }
    EXPECT_STREQ(drives[expected.size()].name, "");
    // C: is the prefix's own drive: always there, with a size.
    EXPECT_STREQ(drives[0].name, "C:");
    EXPECT_GT(drives[0].total, 0);
}

TEST(DriveTable, ALostDriveLeavesNoEntry) {
    DriveInfo drives[26];
    for (DriveInfo& d : drives) {
        d.total = 1;
        lstrcpynA(d.name, "Q:", sizeof d.name);
    }
    FillDriveTable(drives, nullptr);
    int n = 0;
    while (n < 26 && drives[n].name[0])
        n++;
    for (int i = n; i < 26; i++) {
        EXPECT_STREQ(drives[i].name, "") << i;
        EXPECT_EQ(drives[i].total, 0) << i;
    }
}

TEST(History, KeepsOneOfEachTextCaseCounting) {
    mcfg.history.clear();
    EXPECT_TRUE(AddHistory("C:\\Temp"));
    EXPECT_FALSE(AddHistory("C:\\Temp"));
    EXPECT_TRUE(AddHistory("c:\\temp"));
    EXPECT_TRUE(AddHistory("report {total}"));
    EXPECT_FALSE(AddHistory("report {total}"));
    ASSERT_EQ(mcfg.history.size(), 3u);
    EXPECT_EQ(mcfg.history[0], "C:\\Temp");
    EXPECT_EQ(mcfg.history[1], "c:\\temp");
}
