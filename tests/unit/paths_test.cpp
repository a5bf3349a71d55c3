#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "core/entry.h"
#include "core/names.h"
#include "core/longtree.h"
#include "core/paths.h"
#include "tests/support/testenv.h"

TEST(PathNames, LossyNamesAreTold) {
    EXPECT_FALSE(NameHasPathCharacter("abc.txt"));
    EXPECT_FALSE(NameHasPathCharacter("Ünïcödé in the code page.txt"));
    for (const char* lossy : {"???.txt", "a?b", "x*y", "a:b", "a\"b", "a<b", "a>b", "a|b", "a/b",
                              "a\\b", "line\nbreak", "tab\there"})
        EXPECT_TRUE(NameHasPathCharacter(lossy)) << lossy;
}

TEST(PathNames, JoinChecksTheBufferAndBothParts) {
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
    EXPECT_TRUE(IsFullFolderPath(("C:\\" + std::string(260, 'a')).c_str()));
    EXPECT_TRUE(IsFullFolderPath(("C:\\" + std::string(32759, 'a')).c_str()));
    EXPECT_FALSE(IsFullFolderPath(("C:\\" + std::string(32760, 'a')).c_str()));
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
    FindRecord record;
    std::vector<std::string> seen;
    EXPECT_TRUE(WalkFolder(path, length, record, [&](const FindRecord& r, const Reach&) {
        seen.push_back(r.cFileName);
        return true;
    }));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(std::string(path), tree.root()) << "the pattern is cut off again";
    int visits = 0;
    WalkFolder(path, length, record, [&](const FindRecord&, const Reach&) { return ++visits < 2; });
    EXPECT_EQ(visits, 2);
    // A folder whose pattern "\\*.*" would pass 259 characters is not listed.
    std::string long_path(256, 'l');
    lstrcpynA(path, long_path.c_str(), sizeof path);
    EXPECT_FALSE(WalkFolder(path, 256, record, [](const FindRecord&, const Reach&) { return true; }));
    std::string missing = tree.path("missing");
    lstrcpynA(path, missing.c_str(), sizeof path);
    EXPECT_FALSE(
        WalkFolder(path, strlen(path), record, [](const FindRecord&, const Reach&) { return true; }));
}

TEST(PathUnits, CountsThePlatformsUnitsNotBytes) {
    EXPECT_EQ(PathUnits(""), 0u);
    EXPECT_EQ(PathUnits("C:\\abc"), 6u);
    // Three bytes of UTF-8 and one unit each; a character beyond the first plane is two.
    EXPECT_EQ(PathUnits("C:\\\xE6\xBC\xA2\xE5\xAD\x97"), 5u);
    EXPECT_EQ(PathUnits("\xF0\x9F\x98\x80"), 2u);
    std::string cjk;
    for (int i = 0; i < 86; i++) cjk += "\xE6\xBC\xA2";
    std::string path = "C:\\" + std::string(100, 'a') + "\\" + cjk;
    EXPECT_EQ(PathUnits(path), 190u) << "within 259 characters, though of 362 bytes";

    char out[1024];
    EXPECT_TRUE(JoinPath(("C:\\" + std::string(100, 'a')).c_str(), cjk.c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out), path);
    EXPECT_FALSE(JoinPath("C:\\x", cjk.c_str(), out, 100)) << "the buffer is the bound";
    EXPECT_STREQ(out, "");
    EXPECT_EQ(JoinPath(std::string("C:\\x"), cjk), "C:\\x\\" + cjk);
    std::string longest = "C:\\" + std::string(32756, 'b');
    EXPECT_EQ(JoinPath(longest, "cc").size(), 32762u);
    EXPECT_EQ(JoinPath(longest, "ccc"), "");
    EXPECT_EQ(JoinPath(std::string(), "x"), "");
    EXPECT_EQ(LongPath("C:\\x\\"), L"\\\\?\\C:\\x");
    EXPECT_EQ(LongPath("C:"), L"\\\\?\\C:\\");
    std::string told = LongPathText("C:\\" + cjk, 80, "the recycle bin");
    EXPECT_EQ(told, "The path \"C:\\" + cjk +
                        "\" has 89 characters: too long for the recycle bin, which takes at most 80.");
}

TEST(FindRecord, HoldsEveryNameTheWideRecordHoldsWhole) {
    // 255 characters of Chinese, the longest name a file system gives: 765 bytes of UTF-8,
    // which the platform's ANSI record (260 bytes) would cut to 86 characters.
    WIN32_FIND_DATAW wide = {};
    std::string name;
    for (int i = 0; i < 255; i++) {
        wide.cFileName[i] = 0x6F22;
        name += "\xE6\xBC\xA2";
    }
    FindRecord record;
    EXPECT_TRUE(NarrowFindRecord(wide, record));
    EXPECT_EQ(std::string(record.cFileName), name);
    EntryList list;
    ASSERT_TRUE(list.append(record));
    EXPECT_EQ(list[0]->name_length(), name.size());
    ASSERT_NE(ReachName(*list[0]), nullptr);
    EXPECT_EQ(std::string(ReachName(*list[0])), name);
    // 259 units of characters beyond the first plane: four bytes for every two.
    WIN32_FIND_DATAW pairs = {};
    for (int i = 0; i + 1 < 259; i += 2) {
        pairs.cFileName[i] = 0xD83D;
        pairs.cFileName[i + 1] = 0xDE00;
    }
    pairs.cFileName[258] = L'x';
    EXPECT_TRUE(NarrowFindRecord(pairs, record));
    EXPECT_EQ(strlen(record.cFileName), 129u * 4 + 1);
}

TEST(DeleteTree, DeletesATreePast259CharactersWholeAndNothingBeside) {
    tv::TempTree tree("deltree");
    std::string keep = tree.file("keep.txt", "k");
    std::string top = tree.path("top");
    std::string deep = top + "\\" + std::string(200, 'd') + "\\" + std::string(200, 'e');
    for (size_t i = tree.root().size() + 1; i <= deep.size(); i++)
        if (i == deep.size() || deep[i] == '\\')
            ASSERT_TRUE(CreateDirectoryW(LongPath(deep.substr(0, i)).c_str(), nullptr));
    HANDLE h = CreateFileW(LongPath(deep + "\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    EXPECT_FALSE(HoldsLongPath(keep, kShortPathUnits));
    EXPECT_TRUE(HoldsLongPath(top, kShortPathUnits));
    EXPECT_FALSE(HoldsLongPath(top, 32000));
    EXPECT_TRUE(HoldsLongPath(deep, kShortPathUnits));

    EXPECT_NE(DeleteTree("C:"), 0u);
    EXPECT_NE(DeleteTree("C:\\"), 0u);
    EXPECT_NE(DeleteTree("relative"), 0u);
    EXPECT_EQ(DeleteTree(top), 0u);
    EXPECT_EQ(PathAttributes(top), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(tv::ReadFile(keep), "k");
    EXPECT_NE(DeleteTree(top), 0u) << "nothing left to delete";
}
