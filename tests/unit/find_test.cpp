#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "scan/find.h"
#include "tests/support/testenv.h"

namespace {

// A result's path as the list shows it: its folder from the list's table, and its name.
std::string FullName(const EntryList& list, size_t i) {
    return std::string(list.Folder(list[i]->folder)) + "\\" + list[i]->name();
}

// The names of the list's entries below `root` ("" for names that are not below it).
std::vector<std::string> Found(const tv::TempTree& tree, const char* pattern, const char* text,
                               int both) {
    EntryList list;
    SearchFolder(list, tree.root().c_str(), pattern, text, both);
    std::vector<std::string> names;
    for (size_t i = 0; i < list.size(); i++) {
        std::string name = FullName(list, i);
        names.push_back(name.rfind(tree.root() + "\\", 0) == 0 ? name.substr(tree.root().size() + 1)
                                                               : "<bare> " + name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

// What fgets into a 260-byte buffer with strstr finds: the behaviour FileContains keeps.
bool FgetsContains(const char* path, const char* text) {
    FILE* f = fopen(path, "rt");
    if (!f) return false;
    char piece[MAX_PATH];
    bool found = false;
    while (!found && fgets(piece, sizeof piece, f))
        found = strstr(piece, text) != nullptr;
    fclose(f);
    return found;
}

using tv::UnixPath;

// Starts a Linux program with the arguments; Wine runs it outside the Windows process
// tree, so callers wait for its effect.
bool RunUnix(const char* program, const std::string& arguments) {
    std::string command = std::string(program) + " " + arguments;
    std::string exe = std::string("Z:") + program;
    for (char& c : exe)
        if (c == '/') c = '\\';
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace

TEST(SplitQuery, BracesAndBlanksGivePatternAndText) {
    struct Case {
        const char* input;
        const char* pattern;
        const char* text;
    } cases[] = {
        {"readme", "readme", ""},
        {"report {total}", "report", "total"},
        {"{total}", "", "total"},
        {"abc  ", "abc", ""},
        {"{total", "", ""},  // no closing brace: the whole input, which starts with "{"
        {"a{b", "a{b", ""},  // the same, not starting with "{"
        {"", "", ""},
        {"  lead {a b } ", "  lead", "a b "},  // leading blanks and the text's blanks stay
        {"x}y{z}w", "x", "z}w"},               // "}" before "{": the text runs to the input's end
        {"name}", "name}", ""},
        {"*.txt", "*.txt", ""},
    };
    for (const Case& c : cases) {
        FindQuery q = SplitQuery(c.input);
        EXPECT_EQ(q.pattern, c.pattern) << c.input;
        EXPECT_EQ(q.text, c.text) << c.input;
    }
}

TEST(SearchFolder, NamesMatchBySubstringOrWholeNameIgnoringCase) {
    tv::TempTree tree("find-names");
    tree.file("readme.txt", "12345");
    tree.file("old_readme");
    tree.file("README");
    tree.file("up\\README.TXT");
    tree.file("up\\deeper\\readme.md");
    tree.file("other.txt");
    tree.dir("readme-folder");

    EXPECT_EQ(Found(tree, "readme", nullptr, 0),
              (Names{"README", "old_readme", "readme.txt", "up\\deeper\\readme.md"}));
    EXPECT_EQ(Found(tree, "README.txt", nullptr, 0), (Names{"readme.txt", "up\\README.TXT"}));
    EXPECT_EQ(Found(tree, "*.txt", nullptr, 0), Names{});
    // The empty pattern matches every file; folders are never results.
    EXPECT_EQ(Found(tree, "", nullptr, 0).size(), 6u);
    EXPECT_EQ(Found(tree, nullptr, nullptr, 0), Names{});

    // A result is the listing's record with the full path for its name.
    EntryList list;
    SearchFolder(list, (tree.root() + "\\").c_str(), "readme.t", nullptr, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(FullName(list, 0), tree.root() + "\\readme.txt");
    EXPECT_EQ(EntrySize(*list[0]), 5u);
    EXPECT_EQ(list[0]->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(list.depth, 0u);
}

TEST(SearchFolder, TextAndNameCombine) {
    tv::TempTree tree("find-text");
    tree.file("report_a.txt", "sum\ngrand total: 5\n");
    tree.file("report_b.txt", "nothing here\n");
    tree.file("sub\\other.txt", "total\n");
    tree.file("sub\\Total.txt", "TOTAL\n");

    EXPECT_EQ(Found(tree, "report", "total", 1), Names{"report_a.txt"});
    EXPECT_EQ(Found(tree, nullptr, "total", 0), (Names{"report_a.txt", "sub\\other.txt"}));
    // With flag 0 and a pattern the contents are not looked at.
    EXPECT_EQ(Found(tree, "report", "total", 0), (Names{"report_a.txt", "report_b.txt"}));
}

TEST(FileContains, KeepsThePiecesOfTextModeLines) {
    tv::TempTree tree("find-pieces");
    std::string x258(258, 'x');
    // The first piece of a long line is its first 259 characters.
    std::string spans = tree.file("spans", x258 + "ab" + std::string(100, 'y') + "\n");
    EXPECT_FALSE(FileContains(spans.c_str(), "ab"));
    EXPECT_TRUE(FileContains(spans.c_str(), "xa"));
    EXPECT_TRUE(FileContains(spans.c_str(), "by"));
    // CR LF reads as LF; the next line is a piece of its own.
    std::string lines = tree.file("lines", "first\r\nsecond\r\n" + x258 + "\r\nz");
    EXPECT_TRUE(FileContains(lines.c_str(), "second\n"));
    EXPECT_FALSE(FileContains(lines.c_str(), "\r"));
    EXPECT_FALSE(FileContains(lines.c_str(), "firstsecond"));
    EXPECT_TRUE(FileContains(lines.c_str(), "z"));
    // A piece ends at its first zero byte; a Ctrl+Z ends the file.
    const char zero_bytes[] = "ab\0cd\nef\x1a"
                              "gh\n";
    std::string zero = tree.file("zero", std::string(zero_bytes, sizeof zero_bytes - 1));
    EXPECT_TRUE(FileContains(zero.c_str(), "ab"));
    EXPECT_FALSE(FileContains(zero.c_str(), "cd"));
    EXPECT_TRUE(FileContains(zero.c_str(), "ef"));
    EXPECT_FALSE(FileContains(zero.c_str(), "gh"));
    // A text nearly as long as a piece, in a line of its own and one byte off.
    std::string long_text;
    for (int i = 0; i < 258; i++)
        long_text += (char)('a' + (i * 7) % 26);
    std::string held = tree.file("long", "x\n" + long_text + "\ny\n");
    EXPECT_TRUE(FileContains(held.c_str(), long_text.c_str()));
    std::string other = long_text;
    other[3] = 'Z';
    EXPECT_FALSE(FileContains(held.c_str(), other.c_str()));
    EXPECT_FALSE(FileContains(tree.path("missing").c_str(), "a"));
    EXPECT_FALSE(FileContains(tree.root().c_str(), "a"));

    // A piece and a CR LF pair that straddle the 64 KiB reading blocks.
    std::string big;
    while (big.size() < 65536)
        big += std::string(99, 'q') + "\n";
    big.resize(65536 - 1 - 6);
    big += "needle\r\nhay";
    std::string large = tree.file("large", big);
    EXPECT_TRUE(FileContains(large.c_str(), "needle\n"));
    EXPECT_TRUE(FileContains(large.c_str(), "hay"));

    // A Ctrl+Z early in the first block ends the file, wherever it sits in an eight-byte
    // word: a text in a later block is not in the file.
    for (size_t at = 5000; at < 5008; at++) {
        std::string ended = std::string(at, 'k') + "\x1a" + "\n";
        while (ended.size() < 70000)
            ended += std::string(99, 'q') + "\n";
        ended += "needle\n";
        std::string ends = tree.file("ends" + std::to_string(at), ended);
        EXPECT_FALSE(FileContains(ends.c_str(), "needle")) << at;
        EXPECT_TRUE(FileContains(ends.c_str(), "kk")) << at;
    }
}

TEST(FileContains, AgreesWithFgetsOnRandomFiles) {
    tv::TempTree tree("find-random");
    std::mt19937 random(7);
    const char alphabet[] = "aaaaaaaabbbbbbbc\r\r\n\n";
    const char* texts[] = {"bc", "abc", "bca", "cb", "a\r", "\rb", "c\n", "a\r\n", "bcab"};
    for (int file = 0; file < 100; file++) {
        std::string content;
        size_t size = file < 70 ? random() % 3000 : 65536 + random() % 140000;
        if (file % 2) {
            // Control bytes anywhere.
            while (content.size() < size) {
                unsigned r = random() % 1000;
                content += r == 0 && file % 5 == 1 ? '\x1a'
                           : r == 1                ? '\0'
                                                   : alphabet[random() % (sizeof alphabet - 1)];
            }
        } else {
            // Long lines with "bc" near the 259-character piece ends.
            while (content.size() < size) {
                std::string line(200 + random() % 400, 'a');
                for (size_t end = 259; end + 4 < line.size(); end += 259)
                    line.replace(end - 3 + random() % 6, 2, "bc");
                if (random() % 20 == 0) line[random() % line.size()] = '\0';
                const char* ends[] = {"\n", "\r\n", "\r\r\n", "\r"};
                content += line + ends[random() % 4];
            }
        }
        std::string path = tree.file("f" + std::to_string(file), content);
        for (const char* text : texts)
            EXPECT_EQ(FileContains(path.c_str(), text), FgetsContains(path.c_str(), text))
                << "file " << file << " text " << text;
    }
}

TEST(SearchFolder, LinkedFoldersAreTestedButNeverEntered) {
    tv::TempTree tree("find-links");
    tv::TempTree outside("find-target");
    outside.file("inside.txt", "total");
    tree.file("plain.txt");
    // A Linux symbolic link to a folder lists as a linked folder (0x410).
    std::string link = tree.path("linked-inside");
    std::string unix_link = UnixPath(tree.root()) + "/linked-inside";
    ASSERT_TRUE(
        RunUnix("/bin/ln", "-s \"" + UnixPath(outside.root()) + "\" \"" + unix_link + "\""));
    ASSERT_TRUE(tv::WaitUntil(
        [&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));

    Names all = Found(tree, "", nullptr, 0);
    Names by_name = Found(tree, "inside", nullptr, 0);
    Names by_text = Found(tree, nullptr, "total", 0);
    // The platform does not remove a link to a folder; the link's own tool does.
    RunUnix("/bin/rm", "\"" + unix_link + "\"");
    tv::WaitUntil([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; },
                  10000);
    EXPECT_EQ(all, (Names{"linked-inside", "plain.txt"}));
    EXPECT_EQ(by_name, Names{"linked-inside"});
    EXPECT_EQ(by_text, Names{});
}

TEST(SearchFolder, SearchesNinetyNineLevelsDown) {
    // A root of its own on C: keeps a hundred levels of one-letter folders within 259.
    char root[MAX_PATH];
    snprintf(root, sizeof root, "C:\\tvf%lu", GetCurrentProcessId());
    tv::RemoveTree(root);
    std::string path = root;
    CreateDirectoryA(root, nullptr);
    for (int level = 1; level <= 100; level++) {
        path += "\\d";
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << level;
        if (level >= 99) {
            std::string file = path + "\\level" + std::to_string(level) + ".txt";
            HANDLE h =
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            CloseHandle(h);
        }
    }
    EntryList list;
    SearchFolder(list, root, "level", nullptr, 0);
    tv::RemoveTree(root);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(FullName(list, 0).find("\\level99.txt"), std::string::npos);
    EXPECT_EQ(list.depth, 0u);
}

TEST(SearchFolder, PathsBeyond259CharactersAreSearchedAndFound) {
    tv::TempTree tree("find-long");
    std::string folder = tree.dir(std::string(149 - tree.root().size(), 'f'));
    ASSERT_EQ(folder.size(), 150u);
    // Results of 259 and of 260 characters, and one in a folder whose own path is 256.
    std::string fits = std::string(258 - folder.size(), 'a');
    std::string over = std::string(259 - folder.size(), 'b');
    tree.file(folder.substr(tree.root().size() + 1) + "\\" + fits, "total");
    std::wstring too_long = LongPath(folder + "\\" + over);
    HANDLE h = CreateFileW(too_long.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::string deep = folder + "\\" + std::string(255 - folder.size(), 'c');
    ASSERT_TRUE(CreateDirectoryW(LongPath(deep).c_str(), nullptr));
    std::wstring hidden = LongPath(deep + "\\inner.txt");
    h = CreateFileW(hidden.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    Names all = Found(tree, "", nullptr, 0);
    Names text = Found(tree, nullptr, "total", 0);
    DeleteFileW(too_long.c_str());
    DeleteFileW(hidden.c_str());
    std::string below = folder.substr(tree.root().size() + 1) + "\\";
    std::string expected = below + fits;
    EXPECT_EQ(all, (Names{expected, below + over,
                          below + std::string(255 - folder.size(), 'c') + "\\inner.txt"}));
    EXPECT_EQ(text, Names{expected});
}

TEST(WriteFindFile, WritesTheViewInOrderAsTextLines) {
    tv::TempTree tree("find-file");
    FolderEntry a = tv::MakeEntry("C:\\x\\second.txt"), b = tv::MakeEntry("C:\\x\\first.txt");
    // A name with a line break would read as two results: it is left out.
    FolderEntry broken = tv::MakeEntry("C:\\x\\two\nlines.txt");
    ViewSlot view[4] = {{&b, 4, 0, 0}, {nullptr, 0, 0, 0}, {&broken, 0, 0, 0}, {&a, 0, 0, 0}};
    std::string path = tree.path("find.txt");
    ASSERT_EQ(WriteFindFile(path.c_str(), view), 0);
    EXPECT_EQ(tv::ReadFile(path), "C:\\x\\first.txt\r\nC:\\x\\second.txt\r\n");
    EXPECT_EQ(WriteFindFile(tree.path("no\\such\\find.txt").c_str(), view), 1);
}

TEST(SearchFolder, FilesWhoseContentsLiveElsewhereAreNotOpened) {
    tv::TempTree tree("offline");
    tree.file("here.txt", "the needle");
    std::string away = tree.file("away.txt", "the needle");
    SetFileAttributesA(away.c_str(), FILE_ATTRIBUTE_OFFLINE);
    if (!(GetFileAttributesA(away.c_str()) & FILE_ATTRIBUTE_OFFLINE))
        GTEST_SKIP() << "this file system keeps no offline mark";
    EntryList list;
    SearchFolder(list, tree.root().c_str(), nullptr, "needle", 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(FullName(list, 0), tree.path("here.txt"));
    // A name match still lists it: only the reading is left out.
    SearchFolder(list, tree.root().c_str(), "away", nullptr, 0);
    EXPECT_EQ(list.size(), 2u);
    SetFileAttributesA(away.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

// Every result of a search with `readers` reader threads, in the list's order, with its folder.
Names InListOrder(const std::string& root, const char* pattern, const char* text, int both,
                  unsigned readers, const std::atomic<bool>* stop = nullptr,
                  std::function<void(const char*)> entering = nullptr) {
    SearchControl control;
    control.readers = readers;
    control.stop = stop;
    control.entering = std::move(entering);
    EntryList list;
    SearchFolder(list, root.c_str(), pattern, text, both, &control);
    Names names;
    for (size_t i = 0; i < list.size(); i++)
        names.push_back(FullName(list, i));
    return names;
}

}  // namespace

TEST(SearchFolder, ReadersKeepTheOrderOfTheWalk) {
    // Files of very different sizes, so that the readers finish them out of order: the text
    // sits at the end of the large ones, and some files lack it.
    tv::TempTree tree("find-order");
    std::string large;
    while (large.size() < 300000)
        large += std::string(99, 'q') + "\n";
    for (int d = 0; d < 6; d++)
        for (int f = 0; f < 40; f++) {
            std::string name = "d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt";
            if (f % 7 == 3)
                tree.file(name, large + "needle\n");
            else if (f % 5 == 1)
                tree.file(name, "no such text\n");
            else
                tree.file(name, "a needle\n");
        }
    tree.file("d2\\empty\\none.txt", "x");

    Names one = InListOrder(tree.root(), nullptr, "needle", 0, 0);
    ASSERT_EQ(one.size(), 6u * 33);
    EXPECT_EQ(InListOrder(tree.root(), nullptr, "needle", 0, 1), one);
    EXPECT_EQ(InListOrder(tree.root(), nullptr, "needle", 0, 2), one);
    EXPECT_EQ(InListOrder(tree.root(), nullptr, "needle", 0, 5), one);
    Names both = InListOrder(tree.root(), "f1", "needle", 1, 0);
    EXPECT_EQ(InListOrder(tree.root(), "f1", "needle", 1, 2), both);
    EXPECT_EQ(both.size(), 6u * 8);

    // A search stopped on its way keeps the results it took before in the walk's order: the
    // first of them, none missing; and it leaves no file open.
    std::atomic<bool> stop{false};
    int entered = 0;
    Names stopped = InListOrder(tree.root(), nullptr, "needle", 0, 2, &stop, [&](const char*) {
        if (++entered == 4) stop = true;
    });
    ASSERT_LT(stopped.size(), one.size());
    EXPECT_TRUE(std::equal(stopped.begin(), stopped.end(), one.begin()));
    for (int d = 0; d < 6; d++)
        for (int f = 0; f < 40; f++) {
            std::string path =
                tree.path("d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt");
            HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            EXPECT_NE(h, INVALID_HANDLE_VALUE) << path << " is still open";
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
}
