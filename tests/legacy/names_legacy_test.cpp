// Names under a code page that is not UTF-8, as on Windows before 1903, where the program's
// manifest does not give it UTF-8: names the code page cannot spell come back with '?' and
// are reached by a proved short name, or not at all.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "browse/entries.h"
#include "core/paths.h"
#include "fileops/cshl.h"
#include "fileops/transfer.h"
#include "tests/support/testenv.h"

namespace {

// The entry's content as its path reaches it ("" when it has no path).
std::string ContentOf(const char* folder, const FolderEntry& e) {
    panel.folder = folder;
    std::string path;
    return EntryPath(e, &path) ? tv::ReadFile(path) : std::string();
}

}  // namespace

TEST(LegacyNames, TheProgramRunsUnderTheSystemsCodePage) {
    EXPECT_NE(GetACP(), (UINT)CP_UTF8);
    EXPECT_EQ(GetACP(), SystemAnsiCodePage());
}

TEST(LegacyNames, NamesTheCodePageCanOnlyBestFitAreReachedByTheirOwnShortNamesOnly) {
    tv::TempTree tree("lookalike");
    std::string folder = tree.dir("f");
    ASSERT_TRUE(tv::MakeLookAlikes(folder));
    EntryList list;
    ASSERT_EQ(ListFolder(list, folder.c_str()), 0);
    ASSERT_EQ(list.size(), 3u);
    std::set<std::string> contents;
    for (size_t i = 0; i < list.size(); i++) {
        const FolderEntry& e = *list[i];
        if (!strcmp(e.name(), "a.txt")) {
            EXPECT_EQ(e.reach, kReachName);
            EXPECT_EQ(ContentOf(folder.c_str(), e), "1");
            continue;
        }
        EXPECT_TRUE(NameHasPathCharacter(e.name())) << e.name();
        EXPECT_EQ(e.reach, kReachShort) << e.name();
        // The short name opens that very file: its content is the look-alike's own.
        std::string content = ContentOf(folder.c_str(), e);
        EXPECT_EQ(content.size(), EntrySize(e)) << e.name();
        contents.insert(content);
    }
    EXPECT_EQ(contents, (std::set<std::string>{std::string(49, 'm'), std::string(7, 'f')}));
}

TEST(LegacyNames, LostNamesThatShareTheirSpellingAndShortNameAreNotReached) {
    tv::TempTree tree("shared");
    std::string folder = tree.dir("f");
    // Two cp1251 names of one length, beside a Japanese one.
    ASSERT_TRUE(tv::MakeLinuxEntries(
        folder, {{tv::LinuxEntry::kFile, "\xEE\xF2\xF7\xE5\xF2.doc", "1"},
                 {tv::LinuxEntry::kFile, "\xF1\xF3\xEC\xEC\xE0.doc", "22"},
                 {tv::LinuxEntry::kFile, "\xE6\x97\xA5\xE6\x9C\xAC.txt", "333"}}));
    EntryList list;
    ASSERT_EQ(ListFolder(list, folder.c_str()), 0);
    ASSERT_EQ(list.size(), 3u);
    for (size_t i = 0; i < list.size(); i++) {
        const FolderEntry& e = *list[i];
        if (EntrySize(e) == 3) {
            EXPECT_EQ(e.reach, kReachShort) << e.name();
            EXPECT_EQ(ContentOf(folder.c_str(), e), "333");
        } else {
            EXPECT_EQ(e.reach, kReachNone) << e.name();
            EXPECT_EQ(ContentOf(folder.c_str(), e), "");
        }
    }
}

TEST(LegacyDropBlock, WideNamesAreTakenOnlyWhenTheCodePageSpellsThemExactly) {
    PathList list;
    std::string block =
        tv::WideDropBlock({L"C:\\d\\\x0101.txt", L"C:\\d\\caf\x00E9.txt", L"C:\\d\\\xFF41.txt"});
    EXPECT_EQ(ParseDropBlock(block.data(), block.size(), list), 1);
    EXPECT_EQ(list.paths(), (std::vector<std::string>{"C:\\d\\caf\xE9.txt"}));
}
