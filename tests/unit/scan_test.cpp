#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "scan/scan.h"
#include "tests/support/testenv.h"

namespace {

using tv::MakeFolderLink;
using tv::RunLinux;
using tv::UnixPath;

TEST(FolderSize, CountsEveryFileBelowTheFolder) {
    tv::TempTree tree("fsize");
    EXPECT_EQ(FolderSize(tree.root().c_str()), 0) << "an empty folder";

    // Files only.
    tree.file("a.txt", "12345");
    tree.file("b.bin", std::string(1000, 'x'));
    EXPECT_EQ(FolderSize(tree.root().c_str()), 1005);

    // Nested folders at several depths, and an empty one, add their files.
    tree.file("one\\c.txt", "abc");
    tree.file("one\\two\\three\\d.txt", std::string(70000, 'y'));
    tree.dir("one\\empty");
    EXPECT_EQ(FolderSize(tree.root().c_str()), 1005 + 3 + 70000);
    EXPECT_EQ(FolderSize(tree.path("one").c_str()), 3 + 70000);

    // A file past 4 GiB counts with its high half: 5 GiB is high 1, low 1073741824.
    tree.sized_file("big\\five.dat", 5368709120LL);
    EXPECT_EQ(FolderSize(tree.path("big").c_str()), 5368709120LL);
    EXPECT_EQ(FolderSize(tree.root().c_str()), 5368709120LL + 1005 + 3 + 70000);
}

TEST(FolderSize, LinkedFoldersAreNotFollowed) {
    tv::TempTree tree("fsize");
    tree.file("target\\inside.dat", std::string(4096, 'z'));
    tree.file("shown\\own.txt", "12");
    if (!MakeFolderLink(tree.path("target"), tree.path("shown\\link")))
        GTEST_SKIP() << "no linked folder can be made here";

    WIN32_FIND_DATAA record;
    HANDLE find = FindFirstFileA(tree.path("shown\\link").c_str(), &record);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    long long own = ((long long)record.nFileSizeHigh << 32) | record.nFileSizeLow;
    // The link adds its own record's size, not the 4096 bytes it points at.
    EXPECT_EQ(FolderSize(tree.path("shown").c_str()), 2 + own);
    // The tree's own removal cannot take a Linux link away; Linux removes the link alone.
    std::string link = tree.path("shown\\link");
    RunLinux("/bin/rm -f \"" + UnixPath(link) + "\"",
             [&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

TEST(FolderSize, MissingPathsCountNothingAndTreesPast259CharactersCountWhole) {
    EXPECT_EQ(FolderSize(nullptr), 0);
    EXPECT_EQ(FolderSize(""), 0);
    EXPECT_EQ(FolderSize("C:\\no such folder here\\at all"), 0);
    std::string overlong(400, 'a');
    EXPECT_EQ(FolderSize(overlong.c_str()), 0);

    EXPECT_EQ(FolderSize(("C:\\" + std::string(32760, 'a')).c_str()), 0);

    // A tree deeper than a 259-character path is counted whole. Linux makes the tree, as the
    // ANSI calls cannot.
    tv::TempTree tree("fsize");
    tree.file("shallow.txt", "123");
    std::string near_name(249 - tree.root().size(), 'n'), deep_name(40, 'd');
    std::string near_limit = tree.path(near_name);
    std::string unix_root = UnixPath(tree.root());
    if (unix_root.empty()) GTEST_SKIP() << "no Linux side here";
    std::string unix_near = unix_root + "/" + near_name;
    std::string unix_deep = unix_near + "/" + deep_name;
    std::string marker = tree.path("made");
    std::string command = "/bin/sh -c \"mkdir -p '" + unix_deep + "' && printf 1234567 > '" +
                          unix_near + "/near.txt' && printf 89 > '" + unix_deep +
                          "/deep.txt' && : > '" + unix_root + "/made'\"";
    ASSERT_TRUE(RunLinux(
        command, [&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    ASSERT_EQ(near_limit.size(), 250u);
    EXPECT_EQ(FolderSize(tree.root().c_str()), 3 + 7 + 2) << "the 2 bytes below 259 characters";
    EXPECT_EQ(FolderSize(near_limit.c_str()), 7 + 2);
    // The tree's own removal cannot reach below 259 characters either.
    RunLinux("/bin/sh -c \"rm -rf '" + unix_near + "'\"",
             [&] { return GetFileAttributesA(near_limit.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace

TEST(FolderSize, AStopRequestEndsTheWalkWithNoTotal) {
    tv::TempTree tree("stop");
    tree.file("a.dat", "12345");
    tree.file("sub\\b.dat", "12");
    std::atomic<int> go{1};
    long long total = -1;
    EXPECT_TRUE(FolderSizeWhile(tree.root().c_str(), go, &total));
    EXPECT_EQ(total, 7);
    go = 0;
    EXPECT_FALSE(FolderSizeWhile(tree.root().c_str(), go, &total));
    // An empty folder has no record to stop at: it is whole, and 0.
    EXPECT_TRUE(FolderSizeWhile(tree.path("sub\\none").c_str(), go, &total));
    EXPECT_EQ(total, 0);
}
