#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "pages/pages.h"
#include "tests/support/testenv.h"

namespace {

FILETIME Utc(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st = {};
    st.wYear = (WORD)year;
    st.wMonth = (WORD)month;
    st.wDay = (WORD)day;
    st.wHour = (WORD)hour;
    st.wMinute = (WORD)minute;
    st.wSecond = (WORD)second;
    FILETIME ft = {};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

FolderEntry Entry(const char* name, DWORD attributes) { return tv::MakeEntry(name, attributes); }

EntryProperties Properties(const char* name, DWORD attributes) {
    EntryProperties p;
    p.name = name;
    p.attributes = attributes;
    return p;
}

std::string Page(const EntryProperties& e, const char* path) {
    tv::TempTree tree("page");
    std::string file = tree.path("page.htm");
    FILE* out = fopen(file.c_str(), "wt");
    WritePropertiesPage(out, e, path);
    fclose(out);
    return tv::ReadFile(file);
}

// Presses OK on the first message box (class "#32770", titled "Trelvista") and keeps its text.
class MessageBoxAnswer {
  public:
    explicit MessageBoxAnswer(DWORD timeout_ms = 10000) {
        thread_ = std::thread([this, timeout_ms] {
            DWORD start = GetTickCount();
            while (!stop_ && GetTickCount() - start < timeout_ms) {
                HWND h = FindWindowA("#32770", "Trelvista");
                if (h && IsWindowVisible(h) && GetDlgItem(h, IDOK)) {
                    GetDlgItemTextA(h, 0xFFFF, text_, sizeof text_);
                    PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                 (LPARAM)GetDlgItem(h, IDOK));
                    shown_ = true;
                    return;
                }
                Sleep(10);
            }
        });
    }
    ~MessageBoxAnswer() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool shown() const { return shown_; }
    std::string text() const { return text_; }

  private:
    std::atomic<bool> stop_{false}, shown_{false};
    char text_[256] = {};
    std::thread thread_;
};

// A tree and a path box of the test's own, in a hidden window, standing in for the main
// window's controls; a view over the given entries; and a log file to count lines in.
class OpenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        owner_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                                 nullptr, nullptr);
        mtvw.hwnd = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD, 0, 0, 200, 200, owner_, nullptr,
                                    nullptr, nullptr);
        mcbx.hwnd = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 0, 0, 200, 100,
                                    owner_, nullptr, nullptr, nullptr);
        top_ = mtvw.InsertItem("Top", 0, nullptr, nullptr);
        sub_ = mtvw.InsertItem("Sub", 0, top_, nullptr);
        mtvw.Select(top_);
        GetCurrentDirectoryA(sizeof cwd_, cwd_);
        log_path_ = tree_.path("log.txt");
        mcfg.log = fopen(log_path_.c_str(), "wt");
    }
    void TearDown() override {
        panel.view = nullptr;
        mcfg.find_mode = 0;
        panel.folder.clear();
        if (mcfg.log) fclose(mcfg.log);
        mcfg.log = nullptr;
        DestroyWindow(owner_);
        mtvw.hwnd = nullptr;
        mcbx.hwnd = nullptr;
        // ShellOpen enters the file's folder, which could then not be removed.
        SetCurrentDirectoryA(cwd_);
    }
    void SetView(FolderEntry* entries, unsigned n) {
        for (unsigned i = 0; i < n; i++)
            view_[i] = {&entries[i], i == 0 ? n : 0, 0, 0};
        panel.view = view_;
    }
    int OpenLines() {
        fflush(mcfg.log);
        std::string log = tv::ReadFile(log_path_);
        int n = 0;
        for (size_t at = log.find("\tOpen () OK ...\r\n"); at != std::string::npos;
             at = log.find("\tOpen () OK ...\r\n", at + 1))
            n++;
        return n;
    }

    tv::TempTree tree_{"open"};
    HWND owner_ = nullptr;
    HTREEITEM top_ = nullptr, sub_ = nullptr;
    ViewSlot view_[4] = {};
    std::string log_path_;
    char cwd_[MAX_PATH] = {};
};

}  // namespace

TEST(PropertiesPage, ListsTheEntryLineByLine) {
    EntryProperties e = Properties("report.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_READONLY);
    e.short_name = "REPORT.TXT";
    e.creation_time = Utc(2024, 3, 5, 7, 8, 9);
    e.last_write_time = Utc(2023, 12, 31, 23, 59, 58);
    e.size = (1ULL << 32) + 1073741824;
    mcfg.unit = 0;
    EXPECT_EQ(Page(e, "C:\\data\\report.txt"),
              "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
              "charset=utf-8\"></head>\r\n<body>\r\n"
              "<b><code>Properties: C:\\data\\report.txt</code></b><br>\r\n<p>\r\n"
              "<table>\r\n"
              "<tr><td><code>Name:</code></td><td><code>report.txt</code></td></tr>\r\n"
              "<tr><td><code>Name (short):</code></td><td><code>REPORT.TXT</code></td></tr>\r\n"
              "<tr><td><code>Attributes:</code></td><td><code>AHR</code></td></tr>\r\n"
              "<tr><td><code>CreationTime:</code></td><td><code>2024.03.05 07:08:09</code></td>"
              "</tr>\r\n"
              "<tr><td><code>LastAccessTime:</code></td><td><code>1601.01.01 00:00:00</code>"
              "</td></tr>\r\n"
              "<tr><td><code>LastWriteTime:</code></td><td><code>2023.12.31 23:59:58</code>"
              "</td></tr>\r\n"
              "<tr><td><code>File size:</code></td><td><code>5.368.709.120 B</code></td></tr>\r\n"
              "</table>\r\n</body>\r\n</html>\r\n");
}

TEST(PropertiesPage, EmptyCellsAndUnconvertibleTimes) {
    // No attribute of the five kinds, no short name; a time beyond the platform's range
    // shows placeholders instead of the fields of another row.
    EntryProperties e =
        Properties("C:\\found\\a.txt", FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_SPARSE_FILE);
    e.creation_time = Utc(2020, 1, 2, 3, 4, 5);
    e.last_access_time = {0xFFFFFFFF, 0xFFFFFFFF};
    e.size = 1536;
    mcfg.unit = 1;
    std::string page = Page(e, e.name.c_str());
    EXPECT_NE(page.find("<b><code>Properties: C:\\found\\a.txt</code></b><br>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("<td><code>Attributes:</code></td><td><code></code></td></tr>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("<td><code>Name (short):</code></td><td><code></code></td></tr>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("LastAccessTime:</code></td><td><code>YYYY.MM.DD hh:mm:ss</code>"),
              std::string::npos);
    EXPECT_NE(page.find("<td><code>2 KB</code>"), std::string::npos);
}

TEST(PropertiesPage, TakesTheListedFactsAndReadsTheTwoTimesTheListDoesNotKeep) {
    tv::TempTree tree("times");
    std::string path = tree.file("a.txt", "abc");
    FILETIME accessed = Utc(2022, 1, 2, 3, 4, 5);
    HANDLE h =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(h, nullptr, &accessed, nullptr));
    CloseHandle(h);
    // The creation time as a listing reports it (the file system may keep no settable one).
    WIN32_FIND_DATAA record;
    HANDLE find = FindFirstFileA(path.c_str(), &record);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    FILETIME created = record.ftCreationTime;
    EntryList list;
    ASSERT_EQ(ListFolder(list, tree.root().c_str()), 0);
    ASSERT_EQ(list.size(), 1u);
    // The listing changes after the read: the page shows what the list shows.
    FolderEntry& e = *list[0];
    SetEntrySize(e, 5368709120ULL);
    EntryProperties p = PropertiesOf(e, path.c_str());
    EXPECT_EQ(p.name, "a.txt");
    EXPECT_EQ(p.size, 5368709120ULL);
    EXPECT_EQ(p.attributes, e.attributes);
    EXPECT_EQ(CompareFileTime(&p.last_write_time, &e.last_write_time), 0);
    EXPECT_EQ(CompareFileTime(&p.creation_time, &created), 0);
    EXPECT_EQ(CompareFileTime(&p.last_access_time, &accessed), 0);

    // Times that cannot be read show the page's placeholders.
    p = PropertiesOf(e, tree.path("gone.txt").c_str());
    EXPECT_NE(Page(p, "x").find("CreationTime:</code></td><td><code>YYYY.MM.DD hh:mm:ss"),
              std::string::npos);
    EXPECT_NE(Page(p, "x").find("LastAccessTime:</code></td><td><code>YYYY.MM.DD hh:mm:ss"),
              std::string::npos);
}

TEST(PropertiesPage, ShortNameTheReadDidNotKeepComesFromTheDisk) {
    tv::TempTree tree("shortname");
    std::string path = tree.file("a rather long name.txt", "abc");
    WIN32_FIND_DATAA record;
    HANDLE find = FindFirstFileA(path.c_str(), &record);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    ASSERT_NE(record.cAlternateFileName[0], '\0') << "the platform gave no short name";
    EntryList list;
    ASSERT_EQ(ListFolder(list, tree.root().c_str()), 0);
    ASSERT_EQ(list.size(), 1u);
    // Reached by its own name, the entry holds no short name of its own.
    EXPECT_EQ(list[0]->reach, kReachName);
    EXPECT_STREQ(list[0]->short_name(), "");
    EXPECT_EQ(PropertiesOf(*list[0], path.c_str()).short_name, record.cAlternateFileName);
}

TEST_F(OpenTest, RowsOutsideTheViewAndFoldersOffTheDrivesTreeOpenNothing) {
    // This tree holds no drive item: a folder row's navigation has nowhere to go.
    FolderEntry entries[2] = {Entry("nomatch", FILE_ATTRIBUTE_DIRECTORY),
                              Entry("sub", FILE_ATTRIBUTE_DIRECTORY)};
    Open(0, 0);
    EXPECT_EQ(OpenLines(), 1) << "an empty view gives only the log line";
    panel.folder = tree_.root().c_str();
    SetView(entries, 2);
    Open(0, 0);
    Open(2, 0);
    Open(0xFFFFFFFFu, 0);
    Open(1, 0);
    EXPECT_EQ(mtvw.Caret(), top_);
    EXPECT_EQ(OpenLines(), 5);
}

TEST_F(OpenTest, LinkedFoldersAndFilesGoToTheShell) {
    // Neither exists, so the shell's failure shows that ShellOpen had them.
    FolderEntry entries[2] = {Entry("Sub", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
                              Entry("missing.txt", FILE_ATTRIBUTE_ARCHIVE)};
    panel.folder = tree_.root().c_str();
    SetView(entries, 2);
    for (unsigned i = 0; i < 2; i++) {
        MessageBoxAnswer answer;
        Open(i, 0);
        answer.Stop();
        EXPECT_EQ(answer.text().rfind("ShellExecute () error: ", 0), 0u) << i << answer.text();
    }
    EXPECT_EQ(mtvw.Caret(), top_);
}

TEST_F(OpenTest, PropertiesPageGoesToTempWithTheEntryPath) {
    char page[MAX_PATH];
    snprintf(page, sizeof page, "%s\\file-properties.htm", getenv("TEMP"));
    DeleteFileA(page);
    // The second is a find result: its folder in the results' table, its name apart.
    FolderEntry entries[2] = {Entry("report.txt", 0), Entry("a.txt", 0)};
    panel.entries.clear();
    entries[1].folder = panel.entries.AddFolder("C:\\found");
    panel.folder = "C:\\data";
    SetView(entries, 2);
    // Each page is handed to the shell; where no program shows pages (this prefix), that is
    // told, and the log says so.
    int shown = 0;
    auto open = [&](unsigned index) {
        MessageBoxAnswer told(10000);
        Open(index, 1);
        told.Stop();
        if (told.shown())
            EXPECT_NE(told.text().find("was not shown: "), std::string::npos) << told.text();
        else
            shown++;
    };
    open(0);
    EXPECT_NE(tv::ReadFile(page).find("Properties: C:\\data\\report.txt</code>"),
              std::string::npos);
    mcfg.find_mode = 1;
    open(1);
    EXPECT_NE(tv::ReadFile(page).find("Properties: C:\\found\\a.txt</code>"), std::string::npos);
    panel.entries.clear();
    // A page that cannot be created is told, with the platform's reason.
    mcfg.find_mode = 0;
    MessageBoxAnswer told(10000);
    std::string temp = getenv("TEMP");
    _putenv_s("TEMP", tree_.path("missing").c_str());
    Open(0, 1);
    _putenv_s("TEMP", temp.c_str());
    told.Stop();
    EXPECT_TRUE(told.shown());
    EXPECT_NE(told.text().find("The page \"" + tree_.path("missing") +
                               "\\file-properties.htm\" was not written: "),
              std::string::npos)
        << told.text();
    EXPECT_EQ(OpenLines(), shown);
}

TEST(PropertiesPage, NamesAndPathsAreWrittenAsTextNotMarkup) {
    EntryProperties e = Properties("a&b <i>.txt", 0);
    std::string page = Page(e, "C:\\x&y\\\"q\">\\a&b <i>.txt");
    EXPECT_NE(page.find("Properties: C:\\x&amp;y\\&quot;q&quot;&gt;\\a&amp;b &lt;i&gt;.txt</code>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<td><code>a&amp;b &lt;i&gt;.txt</code></td>"), std::string::npos);
    EXPECT_EQ(page.find("<i>"), std::string::npos);
}

TEST(ShellOpen, ReportsFailuresAndLeavesTheCurrentFolderAlone) {
    char before[MAX_PATH], cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    tv::TempTree tree("shellopen");
    {
        MessageBoxAnswer answer;
        EXPECT_EQ(ShellOpen(tree.path("gone.txt").c_str()), 1);
        answer.Stop();
        EXPECT_EQ(answer.text(), "ShellExecute () error: 2");
        GetCurrentDirectoryA(sizeof cwd, cwd);
        EXPECT_STREQ(cwd, before);
    }
    {
        MessageBoxAnswer answer;
        char root_file[MAX_PATH];
        snprintf(root_file, sizeof root_file, "C:\\tv-gone-%lu.txt", GetCurrentProcessId());
        EXPECT_EQ(ShellOpen(root_file), 1);
        answer.Stop();
        GetCurrentDirectoryA(sizeof cwd, cwd);
        EXPECT_STREQ(cwd, before);
    }
    {
        // Results above 30 count as success, 31 ("no association") among them.
        MessageBoxAnswer none(2000);
        EXPECT_EQ(ShellOpen(tree.file("page.hta", "x").c_str()), 0);
        none.Stop();
        EXPECT_FALSE(none.shown());
    }
    SetCurrentDirectoryA(before);
}
