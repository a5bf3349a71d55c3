#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/mcfg.h"
#include "core/panel.h"
#include "browse/format.h"
#include "tests/support/testenv.h"

namespace {

std::string Size(long long size, int unit, char sep = '.') {
    char out[32];
    memset(out, 'x', sizeof out);
    FormatSizeWith(out, size, unit, sep);
    return out;
}

FILETIME FileTimeOf(unsigned long long value) {
    FILETIME t;
    t.dwLowDateTime = (DWORD)value;
    t.dwHighDateTime = (DWORD)(value >> 32);
    return t;
}

FolderEntry Entry(const char* name, DWORD attributes = 0x20, unsigned long long size = 0) {
    FolderEntry e = tv::MakeEntry(name, attributes);
    SetEntrySize(e, size);
    return e;
}

std::string Cell(const FolderEntry& e, int column) {
    char out[MAX_PATH];
    memset(out, 'x', sizeof out);
    if (!CellText(e, column, out, sizeof out)) return "<none>";
    return out;
}

std::string Type(const char* name) {
    char out[MAX_PATH];
    TypeText(name, out, sizeof out);
    return out;
}

std::string Attributes(DWORD attributes) {
    char out[16];
    AttributeText(attributes, out, sizeof out);
    return out;
}

}  // namespace

TEST(FormatSize, EveryWorkedExampleHolds) {
    struct {
        long long size;
        int unit;
        const char* text;
    } cases[] = {
        {0, 1, "0 KB"},
        {511, 1, "0 KB"},
        {512, 1, "1 KB"},
        {1536, 1, "2 KB"},
        {1048576, 1, "1.024 KB"},
        {123456789012LL, 1, "120.563.271 KB"},
        {1572864, 2, "2 MB"},
        {5368709120LL, 3, "5 GB"},
        {1234567, 0, "1.234.567 B"},
        {999, 0, "999 B"},
        {0, -1, "0 B"},
        {1023, -1, "1.023 B"},
        {1024, -1, "1 KB"},
        {1048575, -1, "1.024 KB"},
        {3000000000LL, -1, "3 GB"},
        {1099511627776LL, -1, "1 TB"},
        {3377699720527872LL, -1, "3.072 TB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Size(c.size, c.unit), c.text) << c.size << " " << c.unit;
}

TEST(FormatSize, GroupsDigitsFromTheRightWithTheSeparatorGiven) {
    EXPECT_EQ(Size(1234567, 0, ' '), "1 234 567 B");
    EXPECT_EQ(Size(1234567, 0, ','), "1,234,567 B");
    // Group boundaries: three digits take no separator, four and seven take their first.
    EXPECT_EQ(Size(100, 0), "100 B");
    EXPECT_EQ(Size(1000, 0), "1.000 B");
    EXPECT_EQ(Size(100000, 0), "100.000 B");
    EXPECT_EQ(Size(1000000, 0), "1.000.000 B");
    // The longest text of all still fits the 32 bytes of the contract.
    std::string longest = Size(9223372036854775807LL, 0);
    EXPECT_EQ(longest, "9.223.372.036.854.775.807 B");
    EXPECT_LT(longest.size(), 32u);
    // Tera is the largest unit, also for sizes far beyond it.
    EXPECT_EQ(Size(9223372036854775807LL, -1), "8.388.608 TB");
}

TEST(FormatSize, UsesTheSeparatorOfTheSettingsAndKeepsUnitNamesInRange) {
    char saved = mcfg.sep;
    mcfg.sep = ' ';
    char out[32];
    FormatSize(out, 1234567, 0);
    EXPECT_STREQ(out, "1 234 567 B");
    mcfg.sep = saved;
    // A unit beyond the table is not used to index the unit names.
    EXPECT_EQ(Size(5368709120LL, 9), "0 TB");
    EXPECT_EQ(Size(999, -7), "999 B");
}

TEST(FormatDate, ShowsUtcDatesAndRefusesTimesBeyondThePlatform) {
    DateText date;
    FormatDate(date, FileTimeOf(0));
    EXPECT_STREQ(date.text, "1601.01.01 00:00");
    EXPECT_EQ(date.year, 1601);

    // 2024-03-05 07:08:09 UTC, whatever the time zone of the machine.
    SYSTEMTIME st = {};
    st.wYear = 2024;
    st.wMonth = 3;
    st.wDay = 5;
    st.wHour = 7;
    st.wMinute = 8;
    st.wSecond = 9;
    FILETIME known;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &known));
    FormatDate(date, known);
    EXPECT_STREQ(date.text, "2024.03.05 07:08");
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.day, 5);
    EXPECT_EQ(date.hour, 7);
    EXPECT_EQ(date.minute, 8);
    EXPECT_EQ(date.second, 9);

    // The platform refuses 2^63 and above: the text says so, the numbers stay as they were.
    FormatDate(date, FileTimeOf(1ULL << 63));
    EXPECT_STREQ(date.text, "YYYY.MM.DD hh:mm");
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.second, 9);
    FormatDate(date, FileTimeOf(~0ULL));
    EXPECT_STREQ(date.text, "YYYY.MM.DD hh:mm");
}

TEST(CellTexts, TypeIsTheLowerCasedTextFromTheLastDot) {
    EXPECT_EQ(Type("README"), "");
    EXPECT_EQ(Type("Archive.TAR.GZ"), ".gz");
    EXPECT_EQ(Type("x."), ".");
    EXPECT_EQ(Type(".profile"), ".profile");
    EXPECT_EQ(Type("Foto.JpEg"), ".jpeg");
    // In find mode the whole path is searched, so a dot of a folder counts.
    EXPECT_EQ(Type("C:\\v1.2\\Makefile"), ".2\\makefile");
    // Only ASCII letters change case: cp1252 letters stay as they are.
    EXPECT_EQ(Type("a.\xC4\xD6"), ".\xC4\xD6");

    // A short buffer is filled and terminated, never overrun.
    char small[4];
    memset(small, 'x', sizeof small);
    TypeText("a.html", small, 3);
    EXPECT_STREQ(small, ".h");
    EXPECT_EQ(small[3], 'x');

    EXPECT_EQ(Cell(Entry("README"), 3), "<none>");
    EXPECT_EQ(Cell(Entry("Archive.TAR.GZ"), 3), ".gz");
}

TEST(CellTexts, AttributeLettersFollowTheirFixedOrder) {
    EXPECT_EQ(Attributes(0x20 | 0x2 | 0x4), "AHS");
    EXPECT_EQ(Attributes(0x1 | 0x800), "CR");
    EXPECT_EQ(Attributes(0x10), "");
    EXPECT_EQ(Attributes(0x400 | 0x10), "");
    EXPECT_EQ(Attributes(0xFFFFFFFF), "ACHRPS");
    EXPECT_EQ(Attributes(0x200 | 0x1), "RP");
    EXPECT_EQ(Cell(Entry("Docs", 0x10), 4), "");
}

TEST(CellTexts, NameSizeAndDateOfAnEntry) {
    EXPECT_EQ(Cell(Entry("Docs", 0x410), 0), "Docs->");
    EXPECT_EQ(Cell(Entry("Docs", 0x10), 0), "Docs");
    EXPECT_EQ(Cell(Entry("Docs", 0x400), 0), "Docs");

    int saved_unit = mcfg.unit;
    char saved_sep = mcfg.sep;
    mcfg.unit = 1;
    mcfg.sep = '.';
    FolderEntry folder = Entry("Data", 0x10);
    EXPECT_EQ(Cell(folder, 1), "0 KB");
    SetEntrySize(folder, 5368709120ULL);
    EXPECT_EQ(Cell(folder, 1), "5.242.880 KB");
    // A file of 4 GiB and one byte: both halves count.
    FolderEntry big = Entry("big.bin", 0x20);
    SetEntrySize(big, (1ULL << 32) + 1);
    mcfg.unit = 0;
    EXPECT_EQ(Cell(big, 1), "4.294.967.297 B");
    mcfg.unit = saved_unit;
    mcfg.sep = saved_sep;

    FolderEntry dated = Entry("a.txt");
    dated.last_write_time = FileTimeOf(0);
    EXPECT_EQ(Cell(dated, 2), "1601.01.01 00:00");
    EXPECT_EQ(Cell(dated, 5), "<none>");
    EXPECT_EQ(Cell(dated, -1), "<none>");

    // The longest name a record holds, with the link mark, is cut to the buffer.
    std::string long_name(259, 'n');
    FolderEntry linked = Entry(long_name.c_str(), 0x410);
    char out[MAX_PATH + 8];
    memset(out, 'x', sizeof out);
    ASSERT_TRUE(CellText(linked, 0, out, MAX_PATH));
    EXPECT_EQ(strlen(out), 259u);
    EXPECT_EQ(out[MAX_PATH], 'x');
}

TEST(ItemText, AnswersOnlyForRowsOfTheViewAndOnlyWithinTheListsBuffer) {
    FolderEntry entries[7];
    ViewSlot view[7] = {};
    for (int i = 0; i < 7; i++) {
        char name[16];
        snprintf(name, sizeof name, "file%d.Txt", i);
        entries[i] = Entry(name, 0x21, 1000u * i);
        view[i].entry = &entries[i];
    }
    view[0].count = 7;
    ViewSlot* saved_view = panel.view;
    int saved_unit = mcfg.unit;
    panel.view = view;
    mcfg.unit = 0;

    auto Ask = [](int row, int column, char* buffer, int size, UINT mask = LVIF_TEXT) {
        NMLVDISPINFOA request = {};
        request.item.mask = mask;
        request.item.iItem = row;
        request.item.iSubItem = column;
        request.item.pszText = buffer;
        request.item.cchTextMax = size;
        request.item.iImage = 12345;
        ItemText(&request);
        return request;
    };
    char buffer[MAX_PATH];
    for (int row : {7, 8, -1, -100}) {
        lstrcpynA(buffer, "untouched", sizeof buffer);
        NMLVDISPINFOA r = Ask(row, 0, buffer, sizeof buffer, LVIF_TEXT | LVIF_IMAGE);
        EXPECT_STREQ(buffer, "untouched") << row;
        EXPECT_EQ(r.item.iImage, 12345) << row;
    }

    NMLVDISPINFOA r = Ask(6, 0, buffer, sizeof buffer);
    EXPECT_EQ(r.item.pszText, buffer);
    EXPECT_STREQ(buffer, "file6.Txt");
    Ask(6, 1, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "6.000 B");
    Ask(6, 3, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, ".txt");
    Ask(6, 4, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "AR");
    // A column without a text leaves the cell empty rather than with an older text.
    Ask(6, 9, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    // A text-only request leaves the icon alone.
    EXPECT_EQ(Ask(6, 0, buffer, sizeof buffer).item.iImage, 12345);

    // A buffer shorter than the text is filled up to its end and no further.
    char small[8];
    memset(small, 'x', sizeof small);
    Ask(3, 0, small, 5);
    EXPECT_STREQ(small, "file");
    EXPECT_EQ(small[5], 'x');

    // A request without a buffer is pointed at one that outlives the call.
    r = Ask(2, 0, nullptr, 0);
    ASSERT_NE(r.item.pszText, nullptr);
    EXPECT_STREQ(r.item.pszText, "file2.Txt");

    // A slot without an entry gets no answer.
    view[4].entry = nullptr;
    lstrcpynA(buffer, "untouched", sizeof buffer);
    Ask(4, 0, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "untouched");

    panel.view = nullptr;
    Ask(0, 0, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "untouched");

    panel.view = saved_view;
    mcfg.unit = saved_unit;
}

TEST(GetIico, GivesAnIndexForAFileAndMinusOneWithoutOne) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_GE(get_iico(windows), 0);
    EXPECT_EQ(get_iico(nullptr), -1);
    EXPECT_EQ(get_iico(nullptr, 0x20), -1);
}

TEST(GetIico, ByTypeAndKindAgreesWithTheLookupOnTheDisk) {
    tv::TempTree tree("icons");
    std::string folder = tree.dir("Folder");
    std::string text = tree.file("notes.txt", "x");
    EXPECT_EQ(get_iico(folder.c_str(), 0x10), get_iico(folder.c_str()));
    EXPECT_EQ(get_iico(text.c_str(), 0x20), get_iico(text.c_str()));
    EXPECT_NE(get_iico(folder.c_str(), 0x10), get_iico(text.c_str(), 0x20));
    // The type alone serves, so a file of the type need not exist.
    EXPECT_EQ(get_iico(tree.path("missing.txt").c_str(), 0x20), get_iico(text.c_str(), 0x20));
    // Types already looked up answer as the shell does, also after the table is forgotten:
    // a folder whose name has a dot is no file of that type, nor a file with no extension.
    ForgetTypeIcons();
    int file = get_iico(tree.path("README").c_str(), 0x20);
    EXPECT_EQ(get_iico(tree.path("NOTES.TXT").c_str(), 0x20), get_iico(text.c_str(), 0x20));
    EXPECT_EQ(get_iico(tree.path("a.txt").c_str(), 0x10), get_iico(folder.c_str(), 0x10));
    EXPECT_EQ(get_iico(tree.path("README").c_str(), 0x20), file);
    EXPECT_NE(file, get_iico(folder.c_str(), 0x10));

    EXPECT_TRUE(HasOwnIcon("C:\\Tools\\Setup.EXE"));
    EXPECT_TRUE(HasOwnIcon("Notepad.lnk"));
    EXPECT_TRUE(HasOwnIcon("app.ico"));
    EXPECT_FALSE(HasOwnIcon("notes.txt"));
    EXPECT_FALSE(HasOwnIcon("exe"));
    EXPECT_FALSE(HasOwnIcon("C:\\v.exe\\README"));
    EXPECT_FALSE(HasOwnIcon("setup.exe.txt"));
    EXPECT_FALSE(HasOwnIcon(nullptr));
}

TEST(FindRow, FindsTheNextNameByItsBeginningCaseIgnoredAndWraps) {
    const char* names[] = {"alpha.txt", "Beta.txt", "bravo.txt", "zeta.txt",
                           "\xC9t\xE9.txt"};  // "Été.txt" in the ANSI code page
    FolderEntry entries[5] = {};
    ViewSlot view[5] = {};
    for (int i = 0; i < 5; i++) {
        entries[i] = tv::MakeEntry(names[i]);
        view[i].entry = &entries[i];
    }
    view[0].count = 5;
    EXPECT_EQ(FindRow(view, "b", 0, true, true), 1);
    EXPECT_EQ(FindRow(view, "B", 2, true, true), 2) << "from the start row on";
    EXPECT_EQ(FindRow(view, "al", 3, true, true), 0) << "wrapped to the top";
    EXPECT_EQ(FindRow(view, "al", 3, true, false), -1) << "without wrapping";
    EXPECT_EQ(FindRow(view, "bravo", 0, false, true), -1) << "a whole name asked";
    EXPECT_EQ(FindRow(view, "BRAVO.TXT", 0, false, true), 2);
    EXPECT_EQ(FindRow(view, "\xE9t", 0, true, true), 4) << "accented letters too";
    EXPECT_EQ(FindRow(view, "", 0, true, true), -1);
    EXPECT_EQ(FindRow(nullptr, "a", 0, true, true), -1);
    EXPECT_EQ(FindRow(view, "a", 99, true, true), 0) << "a start past the end";
}
