// Which file a name reaches: the program's UTF-8 code page, the names the path rules would
// read as others, proved short names, files that are no files on a disk, and the texts that
// cross the program's edges (painted text, file lists in other code pages).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "browse/entries.h"
#include "controls/painttext.h"
#include "core/names.h"
#include "core/paths.h"
#include "core/texts.h"
#include "fileops/cshl.h"
#include "fileops/transfer.h"
#include "scan/find.h"
#include "tests/support/testenv.h"

namespace {

using tv::LinuxEntry;

// The entries of a listing by their name as listed.
std::map<std::string, const FolderEntry*> ByName(const EntryList& list) {
    std::map<std::string, const FolderEntry*> out;
    for (size_t i = 0; i < list.size(); i++)
        out[list[i]->name()] = list[i];
    return out;
}

// What the entry's path reaches, read as a file ("" without a path).
std::string Reached(const std::string& folder, const FolderEntry& e) {
    panel.folder = folder.c_str();
    std::string path;
    return EntryPath(e, &path) ? tv::ReadFile(path) : std::string();
}

}  // namespace

TEST(Names, TheProgramSpeaksUtf8) { EXPECT_EQ(GetACP(), (UINT)CP_UTF8); }

TEST(Names, ThePathRulesAndTheDevices) {
    for (const char* rewritten :
         {"x.", "y ", "...", "....", "d. ", "aux", "AUX.c", "com1.txt", "Lpt9", "nul .txt",
          "CONIN$", "conout$.log", "COM\xC2\xB9.txt", "com0", "prn.tar.gz"})
        EXPECT_TRUE(NameRewritten(rewritten)) << rewritten;
    for (const char* plain : {"x", ".", "..", ".profile", "auxiliary.c", "com10.txt", "comx",
                              "a.b.c", " lead", "con-fig", "lpt", "\xE6\x97\xA5.txt"})
        EXPECT_FALSE(NameRewritten(plain)) << plain;
    for (const char* bad : {"a*b", "a?b", "q:r", "a\nb", "a\tb", "a|b"})
        EXPECT_FALSE(NameReachable(bad)) << bad;
    EXPECT_TRUE(PathHasRewrittenStep("C:\\src\\drivers\\aux.c"));
    EXPECT_TRUE(PathHasRewrittenStep("C:\\d.\\in.txt"));
    EXPECT_FALSE(PathHasRewrittenStep("C:\\a\\..\\b\\.\\c.txt"));
    EXPECT_FALSE(PathHasRewrittenStep("C:"));
}

TEST(Names, TextsAreCutOnACharacter) {
    const char* text = "ab\xE6\x97\xA5\xE6\x9C\xAC";  // "ab" and two three-byte characters
    EXPECT_EQ(CharacterPrefix(text, 8, 8), 8u);
    EXPECT_EQ(CharacterPrefix(text, 8, 7), 5u);
    EXPECT_EQ(CharacterPrefix(text, 8, 4), 2u);
    EXPECT_EQ(CharacterPrefix(text, 8, 2), 2u);
    char cell[6];
    FolderEntry e = tv::MakeEntry(text);
    ASSERT_TRUE(CellText(e, 0, cell, sizeof cell));
    EXPECT_STREQ(cell, "ab\xE6\x97\xA5");
}

TEST(ListFolder, EveryNameIsReachedByItsOwnSpellingOrAProvedShortNameOrNotAtAll) {
    tv::TempTree tree("reach");
    std::string folder = tree.dir("f");
    ASSERT_TRUE(tv::MakeLinuxEntries(
        folder, {{LinuxEntry::kFile, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "ja"},
                 {LinuxEntry::kFile, "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt", "el"},
                 {LinuxEntry::kFile, "\xF0\x9F\x93\xB7.jpg", "emoji"},
                 {LinuxEntry::kFile, "x", "1"},
                 {LinuxEntry::kFile, "x.", "22"},
                 {LinuxEntry::kFile, "y", "1"},
                 {LinuxEntry::kFile, "y ", "333"},
                 {LinuxEntry::kFile, "...", "dots"},
                 {LinuxEntry::kFile, "aux.c", "device"},
                 {LinuxEntry::kFile, "com1.txt", "device"},
                 {LinuxEntry::kFile, "a*b", "star"},
                 // Two cp1251 names of one length: both list as five U+FFFD.
                 {LinuxEntry::kFile, "\xEE\xF2\xF7\xE5\xF2.doc", "1500"},
                 {LinuxEntry::kFile, "\xF1\xF3\xEC\xEC\xE0.doc", "6000"}}));
    EntryList list;
    ASSERT_EQ(ListFolder(list, folder.c_str()), 0);
    ASSERT_EQ(list.size(), 13u);
    auto entries = ByName(list);
    // Other scripts list, and are reached, under their own names.
    for (auto [name, content] : {std::pair<const char*, const char*>{"日本語.txt", "ja"},
                                 {"Ωμέγα.txt", "el"},
                                 {"📷.jpg", "emoji"},
                                 {"x", "1"},
                                 {"y", "1"}}) {
        ASSERT_TRUE(entries.count(name)) << name;
        EXPECT_EQ(entries[name]->reach, kReachName) << name;
        EXPECT_EQ(Reached(folder, *entries[name]), content) << name;
    }
    // Names the path rules read as others go by a short name that opens the entry itself.
    for (auto [name, content] :
         {std::pair<const char*, const char*>{"x.", "22"}, {"y ", "333"}, {"...", "dots"}}) {
        ASSERT_TRUE(entries.count(name)) << name;
        const FolderEntry& e = *entries[name];
        EXPECT_EQ(e.reach, kReachShort) << name;
        EXPECT_EQ(Reached(folder, e), content) << name << " reached another file";
    }
    // Devices (no short name here), names with path characters and names that stand for two
    // entries are not reached at all.
    int unreached = 0;
    for (size_t i = 0; i < list.size(); i++) {
        const FolderEntry& e = *list[i];
        if (e.reach != kReachNone) continue;
        unreached++;
        std::string path;
        std::string why;
        EXPECT_FALSE(EntryPath(e, &path, &why)) << e.name();
        EXPECT_EQ(why, UnreachableText(e.name()));
    }
    EXPECT_EQ(unreached, 5);
    EXPECT_EQ(entries["aux.c"]->reach, kReachNone);
    EXPECT_EQ(entries["com1.txt"]->reach, kReachNone);

    // A proved short name is proved again at each use: the entry made anew is another one.
    ASSERT_TRUE(tv::RunLinuxAndWait("cd '" + tv::UnixPath(folder) +
                                    "' && mv 'x.' old && printf new > 'x.'"));
    std::string path;
    EXPECT_FALSE(EntryPath(*entries["x."], &path));
}

TEST(ListFolder, ALoneNameWithLostCharactersIsReachedByItsShortName) {
    tv::TempTree tree("lone");
    std::string folder = tree.dir("f");
    ASSERT_TRUE(
        tv::MakeLinuxEntries(folder, {{LinuxEntry::kFile, "\xEE\xF2\xF7\xE5\xF2.doc", "1500"},
                                      {LinuxEntry::kFile, "plain.doc", "p"}}));
    EntryList list;
    ASSERT_EQ(ListFolder(list, folder.c_str()), 0);
    auto entries = ByName(list);
    ASSERT_EQ(entries.count("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.doc"),
              1u);
    const FolderEntry& lost =
        *entries["\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.doc"];
    EXPECT_EQ(lost.reach, kReachShort);
    EXPECT_EQ(Reached(folder, lost), "1500");
}

TEST(OpenDiskFile, DevicesAndPipesAreNeverRead) {
    tv::TempTree tree("devices");
    std::string folder = tree.dir("f");
    ASSERT_TRUE(tv::MakeLinuxEntries(folder, {{LinuxEntry::kFile, "aux.c", "int x;"},
                                              {LinuxEntry::kFifo, "pipe.txt", ""},
                                              {LinuxEntry::kLink, "zero.txt", "/dev/zero"},
                                              {LinuxEntry::kFile, "plain.txt", "text"}}));
    for (const char* name : {"aux.c", "pipe.txt", "zero.txt"}) {
        std::string path = folder + "\\" + name;
        EXPECT_FALSE(OpenDiskFile(path.c_str())) << name;
        EXPECT_FALSE(IsDiskFile(path.c_str())) << name;
        EXPECT_FALSE(FileContains(path.c_str(), "x")) << name;
    }
    std::string plain = folder + "\\plain.txt";
    EXPECT_TRUE(IsDiskFile(plain.c_str()));
    EXPECT_TRUE(FileContains(plain.c_str(), "ex"));
    EXPECT_FALSE(OpensNoDiskFile((folder + "\\missing").c_str()));
}

TEST(PaintText, TextAndFaceNamesGoThroughTheWideCalls) {
    EXPECT_EQ(PaintedText("日本語 Ωμέγα"),
              std::wstring(L"\x65E5\x672C\x8A9E \x03A9\x03BC\x03AD\x03B3\x03B1"));
    EXPECT_EQ(PaintedText("abc", 2), std::wstring(L"ab"));
    EXPECT_EQ(PaintedText(nullptr), std::wstring());
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    SIZE wide = {};
    GetTextExtentPoint32W(dc, L"\x65E5\x672C\x8A9E", 3, &wide);
    SIZE painted = PaintedSize(dc, "日本語");
    EXPECT_EQ(painted.cx, wide.cx);
    EXPECT_GT(painted.cx, 0);
    DeleteDC(dc);

    // A face name in the program's code page comes back as it went in.
    LOGFONTA lf = {};
    lf.lfHeight = 17;
    lstrcpynA(lf.lfFaceName, "ＭＳ ゴシック", LF_FACESIZE);
    HFONT font = MakeFont(lf);
    ASSERT_NE(font, nullptr);
    LOGFONTA back = {};
    ASSERT_TRUE(DescribeFont(font, &back));
    EXPECT_STREQ(back.lfFaceName, "ＭＳ ゴシック");
    EXPECT_EQ(back.lfHeight, 17);
    DeleteObject(font);
    EXPECT_FALSE(DescribeFont(GetStockObject(BLACK_BRUSH), &back));
}

TEST(DropBlock, ListsFromOtherProgramsAreReadInTheirOwnCodePage) {
    // The program's own list goes out wide, with the real names.
    PathList own;
    own.append("C:\\d\\日本語.txt");
    own.append("C:\\d\\📷.jpg");
    own.close();
    std::string block = BuildDropBlock(own);
    std::string wide = tv::WideListBytes(std::string(own.data(), own.length()));
    EXPECT_EQ(block.substr(20, wide.size()), wide);
    PathList back;
    EXPECT_EQ(ParseDropBlock(block.data(), block.size(), back), 2);
    EXPECT_EQ(std::string(back.data(), back.length()), std::string(own.data(), own.length()));

    // An 8-bit list is in the system's code page (here 1252): "caf\xE9" is "café", never the
    // bytes as they stand, which are no UTF-8.
    ASSERT_EQ(SystemAnsiCodePage(), 1252u);
    DROPFILES header = {};
    header.pFiles = sizeof header;
    static const char names[] = "C:\\d\\caf\xE9.txt\0C:\\d\\\xDC.txt\0C:\\d\\plain.txt\0";
    std::string eight((const char*)&header, sizeof header);
    eight += std::string(names, sizeof names);
    PathList list;
    EXPECT_EQ(ParseDropBlock(eight.data(), eight.size(), list), 3);
    EXPECT_EQ(list.paths(),
              (std::vector<std::string>{"C:\\d\\café.txt", "C:\\d\\Ü.txt", "C:\\d\\plain.txt"}));
}
