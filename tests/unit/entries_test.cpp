#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <unordered_map>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "browse/entries.h"
#include "core/paths.h"
#include "tests/support/testenv.h"

namespace {

const unsigned long long GB = 1ULL << 30;

WIN32_FIND_DATAA Record(const char* name, DWORD attributes = 0x20, unsigned long long size = 0,
                        unsigned long long written = 0) {
    WIN32_FIND_DATAA r = {};
    r.dwFileAttributes = attributes;
    r.nFileSizeHigh = (DWORD)(size >> 32);
    r.nFileSizeLow = (DWORD)size;
    r.ftLastWriteTime.dwLowDateTime = (DWORD)written;
    r.ftLastWriteTime.dwHighDateTime = (DWORD)(written >> 32);
    lstrcpynA(r.cFileName, name, sizeof r.cFileName);
    return r;
}

FolderEntry Entry(const char* name, DWORD attributes = 0x20, unsigned long long size = 0,
                  unsigned long long written = 0) {
    return tv::MakeEntry(Record(name, attributes, size, written));
}

int Sign(int v) { return (v > 0) - (v < 0); }

int By(const FolderEntry& a, const FolderEntry& b, int column, int dir) {
    return Sign(CompareEntriesBy(&a, &b, column, dir));
}

// The names of panel.view in display order.
std::vector<std::string> ViewNames() {
    std::vector<std::string> names;
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        names.push_back(panel.view[i].entry->name());
    return names;
}

void Fill(const std::vector<WIN32_FIND_DATAA>& records) {
    ReleaseEntries();
    for (const WIN32_FIND_DATAA& r : records)
        ASSERT_TRUE(panel.entries.append(r));
}

class SortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_column_ = mcfg.sort_column;
        saved_dir_ = mcfg.sort_dir;
    }
    void TearDown() override {
        ReleaseEntries();
        mcfg.sort_column = saved_column_;
        mcfg.sort_dir = saved_dir_;
    }
    int saved_column_ = 0, saved_dir_ = 1;
};

}  // namespace

TEST(FolderEntry, KeepsWhatTheListTheOrdersAndTheOperationsUse) {
    WIN32_FIND_DATAA r = Record("name.txt", 0x21, 0x100000002ULL, 0x0123456789ABCDEFULL);
    r.ftCreationTime.dwLowDateTime = 11;
    r.ftLastAccessTime.dwHighDateTime = 22;
    r.dwReserved0 = 0xA000000C;
    r.dwReserved1 = 3;
    lstrcpynA(r.cAlternateFileName, "NAME~1.TXT", sizeof r.cAlternateFileName);
    EntryList list;
    ASSERT_TRUE(list.append(r));
    const FolderEntry& e = *list[0];
    EXPECT_STREQ(e.name(), "name.txt");
    EXPECT_EQ(e.name_length(), 8u);
    EXPECT_EQ(EntrySize(e), 0x100000002ULL);
    EXPECT_EQ(e.last_write_time.dwLowDateTime, 0x89ABCDEFu);
    EXPECT_EQ(e.last_write_time.dwHighDateTime, 0x01234567u);
    EXPECT_EQ(e.attributes, 0x21u);
    EXPECT_EQ(e.folder, 3u);
    EXPECT_STREQ(e.short_name(), "NAME~1.TXT");
    EXPECT_EQ(e.reach, kReachName);

    EXPECT_TRUE(IsFolder(Entry("d", 0x10)));
    EXPECT_FALSE(IsFolder(Entry("d", 0x410)));
    EXPECT_TRUE(IsLinkedFolder(Entry("d", 0x410)));
    EXPECT_FALSE(IsLinkedFolder(Entry("f", 0x400)));

    list.depth = 7;
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.depth, 0u);
    EXPECT_EQ(list.depth_limit, 100u);
}

TEST(CompareEntries, NamesFoldAsciiCapitalsAndCompareBytesUnsigned) {
    FolderEntry apple = Entry("apple"), banana = Entry("Banana");
    EXPECT_EQ(By(apple, banana, 0, 1), -1);
    EXPECT_EQ(By(apple, banana, 0, 0), 1);
    EXPECT_EQ(By(Entry("README.TXT"), Entry("readme.txt"), 0, 1), 0);
    EXPECT_EQ(By(Entry("README.TXT"), Entry("readme.txt"), 0, 0), 0);
    // Capitals fold to lower case, so "Z" comes after "_" (0x5F), between 'Z' and 'a'.
    EXPECT_EQ(By(Entry("_x"), Entry("Zed"), 0, 1), -1);
    // Bytes above 0x7F are larger than every ASCII letter and are not folded.
    EXPECT_EQ(By(Entry("\xC9t\xE9"), Entry("zzz"), 0, 1), 1);
    EXPECT_EQ(By(Entry("\xC9"), Entry("\xE9"), 0, 1), -1);
    // A name that is the start of another comes first.
    EXPECT_EQ(By(Entry("abc"), Entry("abcd"), 0, 1), -1);
}

TEST(CompareEntries, SizesTimesAndAttributesInBothDirections) {
    // Size: the 64-bit value of both halves, largest first with direction 1.
    FolderEntry four_gib = Entry("a", 0x20, 1ULL << 32), almost = Entry("b", 0x20, 0xFFFFFFFFULL);
    EXPECT_EQ(By(four_gib, almost, 1, 1), -1);
    EXPECT_EQ(By(four_gib, almost, 1, 0), 1);
    EXPECT_EQ(By(four_gib, Entry("c", 0x20, 1ULL << 32), 1, 1), 0);

    // Modified: newest first with direction 1; the high half decides before the low one.
    FolderEntry newer = Entry("a", 0x20, 0, 0x0000000200000000ULL);
    FolderEntry older = Entry("b", 0x20, 0, 0x00000001FFFFFFFFULL);
    EXPECT_EQ(By(newer, older, 2, 1), -1);
    EXPECT_EQ(By(newer, older, 2, 0), 1);
    EXPECT_EQ(By(newer, Entry("c", 0x20, 0, 0x0000000200000000ULL), 2, 0), 0);

    // Attribute: the whole word, highest first with direction 1.
    FolderEntry hidden = Entry("a", 0x22), plain = Entry("b", 0x20);
    EXPECT_EQ(By(hidden, plain, 4, 1), -1);
    EXPECT_EQ(By(hidden, plain, 4, 0), 1);
    EXPECT_EQ(By(Entry("x", 0x80000020), plain, 4, 1), -1);
    EXPECT_EQ(By(hidden, Entry("c", 0x22), 4, 1), 0);

    // Columns beyond the five order nothing.
    EXPECT_EQ(By(hidden, plain, 5, 1), 0);
    EXPECT_EQ(By(hidden, plain, -1, 0), 0);
    EXPECT_EQ(CompareEntriesBy(nullptr, &plain, 0, 1), 0);
    EXPECT_EQ(CompareEntriesBy(&plain, nullptr, 1, 1), 0);
}

TEST(CompareEntries, TypesCompareFromTheLastDotIgnoringCase) {
    EXPECT_EQ(By(Entry("a.TXT"), Entry("b.txt"), 3, 1), 0);
    EXPECT_EQ(By(Entry("z.cpp"), Entry("a.h"), 3, 1), -1);
    EXPECT_EQ(By(Entry("z.cpp"), Entry("a.h"), 3, 0), 1);
    EXPECT_EQ(By(Entry("x.tar.GZ"), Entry("y.gz"), 3, 1), 0);
    EXPECT_EQ(By(Entry("x.c"), Entry("y.cpp"), 3, 1), -1);
    // Names without a dot share the empty type, which comes before every other type; so the
    // ordering stays consistent (a.txt, README and b.doc cannot form a cycle).
    EXPECT_EQ(By(Entry("README"), Entry("Makefile"), 3, 1), 0);
    EXPECT_EQ(By(Entry("README"), Entry("a.txt"), 3, 1), -1);
    EXPECT_EQ(By(Entry("README"), Entry("a.txt"), 3, 0), 1);
    EXPECT_EQ(By(Entry("README"), Entry("x."), 3, 1), -1);
}

TEST(CompareEntries, FoldersComeFirstInEveryColumnAndDirection) {
    FolderEntry folder = Entry("zzz", 0x10, 0, 0);
    FolderEntry linked = Entry("Docs", 0x410, 0, 0);
    FolderEntry file = Entry("aaa.aaa", 0xFFFF & ~0x10, 100 * GB, ~0ULL >> 1);
    FolderEntry reparse_file = Entry("aaa", 0x420, 100 * GB, ~0ULL >> 1);
    for (int column = 0; column < 5; column++) {
        for (int dir = 0; dir <= 1; dir++) {
            EXPECT_EQ(By(folder, file, column, dir), -1) << column << dir;
            EXPECT_EQ(By(file, folder, column, dir), 1) << column << dir;
            // A linked folder sorts among the folders, a reparse point without the
            // directory bit among the files.
            EXPECT_EQ(By(linked, file, column, dir), -1) << column << dir;
            EXPECT_EQ(By(linked, reparse_file, column, dir), -1) << column << dir;
            EXPECT_EQ(By(reparse_file, linked, column, dir), 1) << column << dir;
        }
    }
    EXPECT_EQ(By(linked, folder, 0, 1), -1);
    EXPECT_EQ(By(linked, folder, 0, 0), 1);
}

TEST(CompareEntries, IsAStrictWeakOrderingForEveryColumnAndDirection) {
    // std::sort reads outside its range when the ordering is not a strict weak one, so every
    // pair and triple of a varied set must behave: no entry before itself, opposite answers
    // for swapped pairs, and "before" and "equal" both transitive.
    std::vector<FolderEntry> set = {
        Entry("a.txt", 0x20, 10, 5),       Entry("README", 0x20, 10, 5),
        Entry("b.doc", 0x21, 20, 6),       Entry("B.TXT", 0x20, 10, 7),
        Entry("x.", 0x22, 0, 5),           Entry("Makefile", 0x20, 20, 6),
        Entry("Docs", 0x410, 0, 1),        Entry("Data", 0x10, 5 * GB, 1),
        Entry("data", 0x10, 1 * GB, 2),    Entry("lib.tar.gz", 0x820, 3 * GB, 9),
        Entry("\xC9t\xE9.c", 0x20, 10, 5), Entry("same", 0x20, 10, 5),
        Entry("same", 0x20, 10, 5),        Entry(".profile", 0x22, 1, 0),
    };
    size_t n = set.size();
    for (int column = -1; column < 6; column++) {
        for (int dir = 0; dir <= 1; dir++) {
            for (size_t i = 0; i < n; i++) {
                ASSERT_EQ(By(set[i], set[i], column, dir), 0) << column << dir << i;
                for (size_t j = 0; j < n; j++) {
                    int ij = By(set[i], set[j], column, dir);
                    ASSERT_EQ(ij, -By(set[j], set[i], column, dir)) << column << dir << i << j;
                    for (size_t k = 0; k < n; k++) {
                        int jk = By(set[j], set[k], column, dir);
                        int ik = By(set[i], set[k], column, dir);
                        if (ij < 0 && jk < 0) {
                            ASSERT_LT(ik, 0) << column << dir << i << j << k;
                        }
                        if (ij == 0 && jk == 0) {
                            ASSERT_EQ(ik, 0) << column << dir << i << j << k;
                        }
                    }
                }
            }
        }
    }
}

TEST_F(SortTest, OrdersTheViewByTheSortStateAndKeepsTheCountInTheFirstSlot) {
    Fill({Record("small.txt", 0x20, 10), Record("One", 0x10, 1 * GB),
          Record("big.iso", 0x20, 3 * GB), Record("Five", 0x10, 5 * GB)});
    mcfg.sort_column = 1;
    mcfg.sort_dir = 1;
    Sort();
    ASSERT_NE(panel.view, nullptr);
    EXPECT_EQ(panel.view[0].count, 4u);
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"Five", "One", "big.iso", "small.txt"}));
    for (unsigned i = 0; i < 4; i++) {
        EXPECT_EQ(panel.view[i].start, 0.0);
        EXPECT_EQ(panel.view[i].sweep, 0.0);
    }

    // Flipping the direction keeps the folders ahead.
    mcfg.sort_dir = 0;
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"One", "Five", "small.txt", "big.iso"}));
    EXPECT_EQ(panel.view[0].count, 4u);

    mcfg.sort_column = 0;
    mcfg.sort_dir = 1;
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"Five", "One", "big.iso", "small.txt"}));
    mcfg.sort_dir = 0;
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"One", "Five", "small.txt", "big.iso"}));

    // The view refers to the records of the list; it owns none of them.
    std::set<const FolderEntry*> referenced;
    for (unsigned i = 0; i < 4; i++)
        referenced.insert(panel.view[i].entry);
    for (size_t i = 0; i < panel.entries.size(); i++)
        EXPECT_EQ(referenced.count(panel.entries[i]), 1u);
}

TEST_F(SortTest, NoEntriesGiveNoViewAndZeroCounts) {
    Fill({Record("a.txt")});
    Sort();
    ASSERT_NE(panel.view, nullptr);
    panel.selected = 3;
    panel.folders = 2;
    panel.count = 9;
    ReleaseEntries();
    EXPECT_EQ(panel.view, nullptr) << "the entries went, so must the view that refers to them";
    Sort();
    EXPECT_EQ(panel.view, nullptr);
    EXPECT_EQ(ViewCount(panel.view), 0u);
    EXPECT_EQ(panel.selected, 0);
    EXPECT_EQ(panel.folders, 0);
    EXPECT_EQ(panel.count, 0);
}

TEST_F(SortTest, ThousandsOfEqualKeysSortSafelyByEveryColumnAndDirection) {
    // One size, one attribute word, one time and one type: every key of columns 1 to 4 is
    // equal. An ordering that never reports equality lets the sort run off the array here.
    std::vector<WIN32_FIND_DATAA> records;
    const int n = 5000;
    for (int i = 0; i < n; i++) {
        char name[32];
        snprintf(name, sizeof name, "f%05d.dat", (i * 7919) % n);
        records.push_back(Record(name, 0x20, 4096, 0x01D0000000000000ULL));
    }
    Fill(records);
    for (int column = 0; column < 5; column++) {
        for (int dir = 0; dir <= 1; dir++) {
            mcfg.sort_column = column;
            mcfg.sort_dir = dir;
            Sort();
            ASSERT_NE(panel.view, nullptr);
            ASSERT_EQ(ViewCount(panel.view), (unsigned)n);
            std::set<const FolderEntry*> seen;
            for (unsigned i = 0; i < (unsigned)n; i++) {
                ASSERT_NE(panel.view[i].entry, nullptr);
                seen.insert(panel.view[i].entry);
                if (i > 0) {
                    ASSERT_LE(CompareEntries(&panel.view[i - 1], &panel.view[i]), 0)
                        << column << " " << dir << " " << i;
                }
            }
            EXPECT_EQ(seen.size(), (size_t)n) << "every entry once";
        }
    }
    mcfg.sort_column = 0;
    mcfg.sort_dir = 0;
    Sort();
    EXPECT_STREQ(panel.view[0].entry->name(), "f04999.dat");
    EXPECT_STREQ(panel.view[n - 1].entry->name(), "f00000.dat");
}

TEST(OrderEntries, UsesTheColumnAndDirectionGiven) {
    EntryList list;
    list.append(Entry("b.txt", 0x20, 20));
    list.append(Entry("a.txt", 0x20, 30));
    list.append(Entry("c", 0x10, 10));
    FolderEntry *b = list[0], *a = list[1], *c = list[2];
    ViewSlot view[3] = {};
    OrderEntries(list, 1, 0, view, nullptr);
    EXPECT_EQ(view[0].entry, c);
    EXPECT_EQ(view[1].entry, b);
    EXPECT_EQ(view[2].entry, a);
    EXPECT_EQ(view[0].count, 3u);
    OrderEntries(list, 0, 0, view, nullptr);
    EXPECT_EQ(view[0].entry, c);
    EXPECT_EQ(view[1].entry, b);
    EXPECT_EQ(view[2].entry, a);
    EXPECT_EQ(view[0].count, 3u);
    OrderEntries(EntryList(), 0, 0, nullptr, nullptr);
}

TEST(CompareEntries, ReadsTheSortStateOfTheRecord) {
    FolderEntry small = Entry("b", 0x20, 1), large = Entry("a", 0x20, 2);
    ViewSlot s = {&small, 0, 0, 0}, l = {&large, 0, 0, 0};
    int saved_column = mcfg.sort_column, saved_dir = mcfg.sort_dir;
    mcfg.sort_column = 1;
    mcfg.sort_dir = 1;
    EXPECT_GT(CompareEntries(&s, &l), 0);
    mcfg.sort_dir = 0;
    EXPECT_LT(CompareEntries(&s, &l), 0);
    mcfg.sort_column = 0;
    EXPECT_LT(CompareEntries(&s, &l), 0) << "names Z to A";
    mcfg.sort_dir = 1;
    EXPECT_GT(CompareEntries(&s, &l), 0) << "names A to Z";
    EXPECT_EQ(CompareEntries(nullptr, &l), 0);
    mcfg.sort_column = saved_column;
    mcfg.sort_dir = saved_dir;
}

TEST(ListFolder, ReadsEveryEntryButTheDotsAndNothingOfAMissingFolder) {
    tv::TempTree tree("entries");
    std::string folder = tree.dir("folder");
    tree.file("folder\\a.txt", "hello");
    tree.sized_file("folder\\big.bin", (1LL << 32) + 1);
    tree.dir("folder\\Sub");
    std::string empty = tree.dir("empty");

    EntryList list;
    EXPECT_EQ(ListFolder(list, folder.c_str()), 0);
    std::set<std::string> names;
    for (size_t i = 0; i < list.size(); i++) {
        const FolderEntry& e = *list[i];
        names.insert(e.name());
        if (!strcmp(e.name(), "a.txt")) {
            EXPECT_EQ(EntrySize(e), 5u);
            EXPECT_FALSE(e.attributes & 0x10);
        }
        if (!strcmp(e.name(), "big.bin")) {
            EXPECT_EQ(EntrySize(e), 4294967297ULL);
        }
        if (!strcmp(e.name(), "Sub")) {
            EXPECT_TRUE(IsFolder(e));
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"a.txt", "big.bin", "Sub"}));

    // A folder with only "." and ".." and a missing folder both give an empty list.
    EXPECT_EQ(ListFolder(list, empty.c_str()), 0);
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(ListFolder(list, folder.c_str()), 0);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(ListFolder(list, tree.path("missing").c_str()), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(ListFolder(list, nullptr), 1);
}

TEST(ListFolder, ReadsPathsPast259CharactersAndRefusesOnesPastThePlatformsLongest) {
    tv::TempTree tree("long");
    // Components of at most 100 characters, the last one sized to reach the length wanted.
    auto Build = [&](size_t length, char fill) {
        std::string path = tree.root();
        while (path.size() + 1 + 100 < length)
            path += "\\" + std::string(99, fill);
        path += "\\" + std::string(length - path.size() - 1, fill);
        EXPECT_EQ(path.size(), length);
        for (size_t i = tree.root().size() + 1; i <= path.size(); i++)
            if (i == path.size() || path[i] == '\\')
                CreateDirectoryW(LongPath(path.substr(0, i)).c_str(), nullptr);
        return path;
    };
    std::string p255 = Build(255, 'a');
    std::string p400 = Build(400, 'b');
    if (PathAttributes(p400) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the platform cannot make folders with paths this long";
    CreateDirectoryW(LongPath(p255 + "\\x").c_str(), nullptr);
    CreateDirectoryW(LongPath(p400 + "\\y").c_str(), nullptr);

    EntryList list;
    EXPECT_EQ(ListFolder(list, p255.c_str()), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_STREQ(list[0]->name(), "x");
    EXPECT_EQ(ListFolder(list, p400.c_str()), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_STREQ(list[0]->name(), "y");

    std::string longest = "C:\\" + std::string(kLongestListedFolder - 3, 'c');
    EXPECT_EQ(ListFolder(list, (longest + "c").c_str()), 1);
    EXPECT_TRUE(list.empty()) << "the list is cleared before the length is checked";
    EXPECT_EQ(ListFolder(list, longest.c_str()), 0) << "no such folder: an empty list";
}

TEST_F(SortTest, ListFolderIntoTheEntriesReleasesTheViewFirst) {
    tv::TempTree tree("view");
    tree.file("one.txt");
    tree.file("two.txt");
    Fill({Record("old.txt")});
    Sort();
    ASSERT_NE(panel.view, nullptr);
    ASSERT_EQ(ListFolder(panel.entries, tree.root().c_str()), 0);
    EXPECT_EQ(panel.view, nullptr) << "no slot may keep referring to a released record";
    EXPECT_EQ(panel.entries.size(), 2u);
    EXPECT_EQ(panel.entries.depth, 0u);
    mcfg.sort_column = 0;
    mcfg.sort_dir = 1;
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"one.txt", "two.txt"}));
}

TEST(EntryPath, InFindModeIsTheNameAndNeverOverrunsTheBuffer) {
    int saved = mcfg.find_mode;
    mcfg.find_mode = 1;
    // A find result: its folder in the list's table, its name apart.
    panel.entries.clear();
    FolderEntry e = Entry("report.txt");
    e.folder = panel.entries.AddFolder("C:\\Data");
    std::string out;
    EXPECT_TRUE(EntryPath(e, &out));
    EXPECT_EQ(out, "C:\\Data\\report.txt");
    e.folder = 7;
    EXPECT_FALSE(EntryPath(e, &out)) << "no such folder in the table";
    EXPECT_EQ(out, "");
    panel.entries.clear();
    mcfg.find_mode = saved;
}

TEST(CompareEntries, FindResultsOrderByTheirWholeShownPath) {
    int saved = mcfg.find_mode;
    mcfg.find_mode = 1;
    panel.entries.clear();
    // "C:\a b\x" comes before "C:\a\y": the blank sorts before the backslash.
    FolderEntry in_ab = Entry("x"), in_a = Entry("Y");
    in_ab.folder = panel.entries.AddFolder("C:\\a b");
    in_a.folder = panel.entries.AddFolder("C:\\A");
    EXPECT_LT(CompareEntriesBy(&in_ab, &in_a, 0, 1), 0);
    EXPECT_GT(CompareEntriesBy(&in_ab, &in_a, 0, 0), 0);
    FolderEntry same = Entry("y");
    same.folder = in_a.folder;
    EXPECT_EQ(CompareEntriesBy(&same, &in_a, 0, 1), 0) << "case is folded";
    panel.entries.clear();
    mcfg.find_mode = saved;
}

namespace {

// Entries whose keys a fixed-size key could get wrong: names that start others or fold alike,
// bytes above 0x7F, names and types that share the first 16 or 32 bytes and differ after them
// or not at all, sizes about 4 GiB and at the top, times with the top bit, attribute words
// with it, folders of both kinds among them, and many equal keys.
void FillTricky(EntryList& list, size_t n) {
    std::string same16 = "0123456789abcdef", same32 = same16 + "0123456789ABCDEF";
    const std::vector<std::string> names = {"abc",
                                            "abcd",
                                            "ABC",
                                            "abc_",
                                            "abc[",
                                            "abcZ",
                                            "Zed",
                                            "_x",
                                            "\xC9t\xE9",
                                            "\xE9",
                                            "\xE9\x80",
                                            "z",
                                            same16,
                                            same16 + "A",
                                            "0123456789ABCDEFa",
                                            same32,
                                            same32 + "x",
                                            same32 + "Y",
                                            same16 + "0123456789abcdef",
                                            std::string(259, 'n'),
                                            std::string(258, 'n') + "m",
                                            "a.tar.gz",
                                            "b.GZ",
                                            "c.",
                                            "README",
                                            ".profile",
                                            "x." + same16 + "1",
                                            "y." + same16 + "2",
                                            "Y." + same16 + "2",
                                            "x.c",
                                            "x.cpp"};
    const uint64_t sizes[] = {0, 1, 0xFFFFFFFFull, 1ull << 32, (1ull << 32) + 1, 5 * GB, ~0ull};
    const uint64_t times[] = {0, 0x01D0000000000000ull, 0x8000000000000001ull, ~0ull, 7};
    const DWORD attributes[] = {0x20, 0x21, 0x10, 0x410, 0x420, 0x80000020, 0x22};
    uint32_t r = 12345;
    auto pick = [&r](size_t count) {
        r = r * 1103515245u + 12345u;
        return (r >> 8) % count;
    };
    for (size_t i = 0; i < n; i++) {
        WIN32_FIND_DATAA record = Record(names[pick(names.size())].c_str(), attributes[pick(7)],
                                         sizes[pick(7)], times[pick(5)]);
        record.dwReserved1 = (DWORD)pick(4);
        ASSERT_TRUE(list.append(record));
    }
}

// Whether the view is in the comparison's order, equal entries in the order of `list`.
void ExpectOrderedAndStable(const ViewSlot* view, const EntryList& list, int column, int dir) {
    std::unordered_map<const FolderEntry*, size_t> place;
    for (size_t i = 0; i < list.size(); i++)
        place[list[i]] = i;
    ASSERT_EQ(ViewCount(view), list.size());
    std::set<const FolderEntry*> seen;
    for (size_t i = 0; i < list.size(); i++) {
        seen.insert(view[i].entry);
        if (i == 0) continue;
        int c = CompareEntriesBy(view[i - 1].entry, view[i].entry, column, dir);
        ASSERT_LE(c, 0) << column << " " << dir << " row " << i << " " << view[i - 1].entry->name()
                        << " / " << view[i].entry->name();
        if (c == 0) {
            ASSERT_LT(place[view[i - 1].entry], place[view[i].entry]) << column << dir << i;
        }
    }
    EXPECT_EQ(seen.size(), list.size()) << "every entry once";
}

}  // namespace

TEST(OrderEntries, OrdersByKeysAsTheComparisonDoesAndKeepsEqualEntriesInTheirOrder) {
    EntryList list;
    FillTricky(list, 3000);
    std::vector<ViewSlot> view(list.size());
    int saved = mcfg.find_mode;
    for (int find_mode = 0; find_mode <= 1; find_mode++) {
        // Find results whose folders start one another, differ in case or sort before the
        // backslash that follows them.
        mcfg.find_mode = find_mode;
        panel.entries.clear();
        for (const char* folder : {"C:\\a", "C:\\a b", "C:\\A\\b", "C:\\a\\B\\0123456789abcdef"})
            panel.entries.AddFolder(folder);
        for (int column = -1; column <= 5; column++) {
            for (int dir = 0; dir <= 1; dir++) {
                for (size_t i = 0; i < list.size(); i++)
                    view[i] = {list[i], 0, 1.0, 1.0};
                OrderEntries(list, column, dir, view.data(), nullptr);
                ExpectOrderedAndStable(view.data(), list, column, dir);
                EXPECT_EQ(view[1].count, 0u);
                EXPECT_EQ(view[1].sweep, 0.0);
                // Ordered again, the view is the same; turned round, its equal entries keep
                // their order.
                std::vector<ViewSlot> again(view.size());
                OrderEntries(list, column, dir, again.data(), nullptr);
                for (size_t i = 0; i < view.size(); i++)
                    ASSERT_EQ(again[i].entry, view[i].entry) << column << dir << i;
                OrderEntries(list, column, 1 - dir, again.data(), nullptr);
                ExpectOrderedAndStable(again.data(), list, column, 1 - dir);
            }
        }
    }
    panel.entries.clear();
    mcfg.find_mode = saved;
}

TEST_F(SortTest, ASortAgainFollowsEveryChangeOfTheKeysAndOfTheList) {
    Fill({Record("a", 0x20, 30), Record("b", 0x20, 20), Record("c", 0x20, 10)});
    mcfg.sort_column = 1;
    mcfg.sort_dir = 1;
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"a", "b", "c"}));
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"a", "b", "c"}));
    // A total the scan wrote, an attribute word changed in place, a new entry.
    SetEntrySize(*panel.entries[2], 40);
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"c", "a", "b"}));
    panel.entries[1]->attributes = 0x10;
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"b", "c", "a"}));
    ASSERT_TRUE(panel.entries.append(Record("d", 0x20, 35)));
    Sort();
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"b", "c", "d", "a"}));
    EXPECT_EQ(panel.view[0].count, 4u);
}

TEST(EntryList, SwapsAndMovesWholeAndCopiesEntriesWithTheirNames) {
    EntryList a, b;
    WIN32_FIND_DATAA r = Record("first.txt", 0x20, 5);
    lstrcpynA(r.cAlternateFileName, "FIRST~1.TXT", sizeof r.cAlternateFileName);
    ASSERT_TRUE(a.append(r));
    ASSERT_TRUE(a.append(Record("second.txt")));
    a.AddFolder("C:\\x");
    a.depth = 3;
    FolderEntry* first = a[0];
    const char* name = first->name();
    EntryStamp before = a.stamp();
    // References to the entries and their names go along with them.
    b.swap(a);
    EXPECT_TRUE(a.empty());
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0], first);
    EXPECT_EQ(b[0]->name(), name);
    EXPECT_STREQ(b.Folder(0), "C:\\x");
    EXPECT_EQ(b.depth, 3u);
    EXPECT_NE(b.stamp(), before);
    EXPECT_NE(a.stamp(), before);
    EntryList c(std::move(b));
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c[0], first);
    a = std::move(c);
    EXPECT_EQ(a[0], first);

    // A copy into another list has names of its own, which outlive the first list's.
    EntryList copy;
    ASSERT_TRUE(copy.append(*a[0]));
    a.clear();
    EXPECT_STREQ(copy[0]->name(), "first.txt");
    EXPECT_STREQ(copy[0]->short_name(), "FIRST~1.TXT");
    EXPECT_EQ(EntrySize(*copy[0]), 5u);
    // Names of every length fit, across the store's chunks.
    for (int i = 0; i < 1000; i++)
        ASSERT_TRUE(copy.append(Record(std::string(259, (char)('a' + i % 26)).c_str())));
    EXPECT_EQ(copy[1000]->name_length(), 259u);
    EXPECT_EQ(copy[1000]->name()[0], 'a' + 999 % 26);
    EXPECT_STREQ(copy[0]->name(), "first.txt");
}

TEST(NoteSelectionChange, FollowsRowsAndRangesAndGivesUpWhenTheyGrowMany) {
    NoteSelectionChange(-1, -1, false);
    EXPECT_TRUE(panel.selection_guess_valid);
    EXPECT_TRUE(panel.selection_guess.empty());
    NoteSelectionChange(7, 7, true);
    NoteSelectionChange(2, 4, true);
    NoteSelectionChange(3, 3, true);
    EXPECT_EQ(panel.selection_guess, (std::vector<int>{2, 3, 4, 7}));
    NoteSelectionChange(3, 7, false);
    EXPECT_EQ(panel.selection_guess, (std::vector<int>{2}));
    NoteSelectionChange(0, 100000, true);
    EXPECT_FALSE(panel.selection_guess_valid);
    // Once given up, only a change that leaves every row unselected makes it good again.
    NoteSelectionChange(5, 5, true);
    EXPECT_FALSE(panel.selection_guess_valid);
    NoteSelectionChange(-1, -1, true);
    EXPECT_FALSE(panel.selection_guess_valid);
    NoteSelectionChange(-1, -1, false);
    EXPECT_TRUE(panel.selection_guess_valid);
    EXPECT_TRUE(panel.selection_guess.empty());
}
