#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/treepath.h"

namespace {

std::vector<std::string> Split(const char* path, bool* ok = nullptr) {
    std::vector<std::string> parts;
    bool result = SplitTreePath(path, parts);
    if (ok) *ok = result;
    return parts;
}

using Parts = std::vector<std::string>;

}  // namespace

TEST(TreePath, SplitsTheDriveAndTheFolders) {
    EXPECT_EQ(Split("C:"), (Parts{"C:"}));
    EXPECT_EQ(Split("C:\\Windows\\System32"), (Parts{"C:", "Windows", "System32"}));
    EXPECT_EQ(Split("z:\\tmp"), (Parts{"z:", "tmp"}));
    // Without a backslash after the drive the rest is still the first folder.
    EXPECT_EQ(Split("C:Windows"), (Parts{"C:", "Windows"}));
}

TEST(TreePath, EmptyComponentsAndDotsNameTheSameFolder) {
    Parts windows = {"C:", "Windows"};
    EXPECT_EQ(Split("C:\\Windows\\"), windows);
    EXPECT_EQ(Split("C:\\\\Windows"), windows);
    EXPECT_EQ(Split("C:\\Windows\\\\\\"), windows);
    EXPECT_EQ(Split("C:\\.\\Windows\\."), windows);
    EXPECT_EQ(Split("C:\\Windows\\System32\\.."), windows);
    EXPECT_EQ(Split("C:\\..\\..\\Windows"), windows);  // ".." never climbs above the drive
    EXPECT_EQ(Split("C:\\"), (Parts{"C:"}));
}

TEST(TreePath, RefusesPathsWithoutADriveOrTooLong) {
    bool ok = true;
    Split("", &ok);
    EXPECT_FALSE(ok);
    Split("C", &ok);
    EXPECT_FALSE(ok);
    Split("\\\\server\\share", &ok);
    EXPECT_FALSE(ok);
    Split("\"C:\\Data\"", &ok);
    EXPECT_FALSE(ok);
    Split("1:\\x", &ok);
    EXPECT_FALSE(ok);

    // "C:" and a backslash and 32,759 characters make 32,762: the longest path the tree holds.
    std::string longest = "C:\\" + std::string(32759, 'a');
    Split(longest.c_str(), &ok);
    EXPECT_TRUE(ok);
    std::string too_long = "C:\\" + std::string(32760, 'a');
    Split(too_long.c_str(), &ok);
    EXPECT_FALSE(ok);
    // Redundant separators do not count against the limit: the joined path does.
    std::string padded = "C:\\\\\\" + std::string(32759, 'a') + "\\\\";
    Split(padded.c_str(), &ok);
    EXPECT_TRUE(ok);
}
