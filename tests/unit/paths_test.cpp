#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "core/names.h"
#include "core/paths.h"
#include "tests/support/testenv.h"

TEST(PathNames, LossyNamesAreTold) {
    EXPECT_FALSE(NameHasPathCharacter("abc.txt"));
    EXPECT_FALSE(NameHasPathCharacter("Ünïcödé in the code page.txt"));
    for (const char* lossy : {"???.txt", "a?b", "x*y", "a:b", "a\"b", "a<b", "a>b", "a|b", "a/b",
                              "a\\b", "line\nbreak", "tab\there"})
        EXPECT_TRUE(NameHasPathCharacter(lossy)) << lossy;
}

TEST(PathNames, JoinChecksThe259CharacterLimitAndTheBuffer) {
    char out[MAX_PATH];
    ASSERT_TRUE(JoinPath("C:\\Data", "a.txt", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Data\\a.txt");
    ASSERT_TRUE(JoinPath("C:", "a.txt", out, sizeof out));
    EXPECT_STREQ(out, "C:\\a.txt");
    std::string folder = "C:\\" + std::string(250, 'f');  // 253 characters
    EXPECT_TRUE(JoinPath(folder.c_str(), "12345", out, sizeof out));
    EXPECT_EQ(strlen(out), 259u);
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(JoinPath(folder.c_str(), "123456", out, sizeof out));
    EXPECT_STREQ(out, "");
    char small[8];
    EXPECT_FALSE(JoinPath("C:\\Data", "a.txt", small, sizeof small));
    EXPECT_STREQ(small, "");
    EXPECT_FALSE(JoinPath(nullptr, "a", out, sizeof out));
}

TEST(PathNames, OnlyFullFolderPathsAreRead) {
    for (const char* full : {"C:", "c:", "C:\\", "C:\\Windows", "Z:\\tmp\\x y"})
        EXPECT_TRUE(IsFullFolderPath(full)) << full;
    for (const char* not_full : {"", "docs", "C:docs", "\\\\server\\share", "\\Windows", "1:\\x",
                                 "C:\\a*", "C:\\a?b", "C:\\a\\b:c", "C:\\a|b", "C:\\x.",
                                 "C:\\d.\\e", "C:\\y ", "C:\\...", "C:\\aux", "C:\\src\\com1.d"})
        EXPECT_FALSE(IsFullFolderPath(not_full)) << not_full;
    EXPECT_FALSE(IsFullFolderPath(("C:\\" + std::string(260, 'a')).c_str()));
    EXPECT_TRUE(IsDriveRoot("C:"));
    EXPECT_TRUE(IsDriveRoot("C:\\"));
    EXPECT_FALSE(IsDriveRoot("C:\\x"));
    EXPECT_FALSE(IsDriveRoot(""));
}

TEST(WalkFolder, VisitsEveryRecordButTheDotsAndStopsWhenAsked) {
    tv::TempTree tree("walk");
    tree.file("a.txt", "1");
    tree.file("b.txt", "22");
    tree.dir("sub");
    char path[MAX_PATH];
    lstrcpynA(path, tree.root().c_str(), sizeof path);
    size_t length = strlen(path);
    WIN32_FIND_DATAA record;
    std::vector<std::string> seen;
    EXPECT_TRUE(WalkFolder(path, length, record, [&](const WIN32_FIND_DATAA& r, const Reach&) {
        seen.push_back(r.cFileName);
        return true;
    }));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(std::string(path), tree.root()) << "the pattern is cut off again";
    int visits = 0;
    WalkFolder(path, length, record, [&](const WIN32_FIND_DATAA&, const Reach&) { return ++visits < 2; });
    EXPECT_EQ(visits, 2);
    // A folder whose pattern "\\*.*" would pass 259 characters is not listed.
    std::string long_path(256, 'l');
    lstrcpynA(path, long_path.c_str(), sizeof path);
    EXPECT_FALSE(WalkFolder(path, 256, record, [](const WIN32_FIND_DATAA&, const Reach&) { return true; }));
    std::string missing = tree.path("missing");
    lstrcpynA(path, missing.c_str(), sizeof path);
    EXPECT_FALSE(
        WalkFolder(path, strlen(path), record, [](const WIN32_FIND_DATAA&, const Reach&) { return true; }));
}
