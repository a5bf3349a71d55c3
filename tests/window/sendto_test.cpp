// The Send To submenu and its entries, the command window and the wallpaper, in the real
// window with real shortcut files, processes and desktop settings.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/clnk.h"
#include "fileops/cshl.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "scan/find.h"
#include "tests/support/app_fixture.h"

namespace {

std::string SendToFolder() {
    CSHL shell;
    return shell.special_folder(CSIDL_SENDTO);
}

// Empties the Send To folder of the test prefix (before and after each test).
void EmptySendTo() {
    std::string folder = SendToFolder();
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((folder + "\\" + fd.cFileName).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

void MakeShortcut(const std::string& file, const std::string& target) {
    CLnk link(nullptr);
    link.path = target.c_str();
    ASSERT_EQ(link.set_link((SendToFolder() + "\\" + file).c_str()), 0) << file;
}

struct Item {
    UINT id;
    std::string text;
    bool grayed;
};
std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[MAX_PATH] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        items.push_back({GetMenuItemID(menu, i), text, (state & MF_GRAYED) != 0});
    }
    return items;
}

class SendToTest : public tv::AppTest {
  protected:
    void SetUp() override { EmptySendTo(); }
    void TearDown() override {
        EmptySendTo();
        SetEnvironmentVariableA("TV_HELPER_OUT", nullptr);
    }
    tv::TempTree tree_{"sendto"};
};

}  // namespace

TEST_F(SendToTest, TheSubmenuListsShortcutsByTheirNamesAndWritesNotepadOnce) {
    ASSERT_FALSE(SendToFolder().empty());
    std::string helper = tv::HelperExe();
    // Two files without ".lnk", one with it in the middle, one in upper case, a broken one.
    CopyFileA(tree_.file("readme.txt", "r").c_str(), (SendToFolder() + "\\readme.txt").c_str(),
              FALSE);
    CopyFileA(tree_.file("desktop.ini", "d").c_str(), (SendToFolder() + "\\desktop.ini").c_str(),
              FALSE);
    MakeShortcut("x.lnk.txt", helper);
    MakeShortcut("A.LNK", helper);
    CopyFileA(tree_.file("broken.lnk", "not a shortcut").c_str(),
              (SendToFolder() + "\\broken.lnk").c_str(), FALSE);
    StartApp();
    ASSERT_TRUE(mcfg.make_notepad_link);
    HMENU menu = CreatePopupMenu();
    SendTo(menu, 0);
    EXPECT_FALSE(mcfg.make_notepad_link);
    std::vector<Item> items = Items(menu);
    // Listing order is the file system's (by name here): Notepad.lnk, broken.lnk, x.lnk.txt.
    std::vector<std::string> texts;
    for (const Item& item : items)
        texts.push_back(item.text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"Notepad", "broken", "x"}));
    ASSERT_EQ(items.size(), 3u);
    for (size_t i = 0; i < items.size(); i++) {
        EXPECT_EQ(items[i].id, (UINT)(CMD_SENDTO_FIRST + i));
        EXPECT_EQ(items[i].grayed, items[i].text == "broken") << items[i].text;
        const std::string& target = mcfg.sendto_targets[i];
        if (items[i].text == "broken") {
            EXPECT_EQ(target, "") << "took another entry's target";
        } else if (items[i].text == "x") {
            EXPECT_EQ(_stricmp(target.c_str(), helper.c_str()), 0) << target;
        } else {
            EXPECT_NE(target.find("notepad.exe"), std::string::npos) << target;
        }
    }
    DestroyMenu(menu);
}

TEST_F(SendToTest, AUsersNotepadShortcutIsKeptAndMoreThanTwentyShortcutsStayInTheirRange) {
    std::string helper = tv::HelperExe();
    MakeShortcut("Notepad.lnk", helper);
    for (int i = 0; i < 23; i++) {
        char name[32];
        snprintf(name, sizeof name, "tool%02d.lnk", i);
        MakeShortcut(name, helper);
    }
    StartApp();
    HMENU menu = CreatePopupMenu();
    SendTo(menu, 0);
    CLnk notepad(nullptr);
    ASSERT_EQ(notepad.get_link((SendToFolder() + "\\Notepad.lnk").c_str()), 0);
    EXPECT_EQ(_stricmp(notepad.path.c_str(), helper.c_str()), 0) << "the user's shortcut was replaced";
    std::vector<Item> items = Items(menu);
    EXPECT_EQ(items.size(), (size_t)(CMD_SENDTO_LAST - CMD_SENDTO_FIRST + 1));
    for (const Item& item : items) {
        EXPECT_GE(item.id, (UINT)CMD_SENDTO_FIRST);
        EXPECT_LE(item.id, (UINT)CMD_SENDTO_LAST);
        EXPECT_NE(item.id, (UINT)CMD_EXIT);
    }
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SendTo () tool2"), 0);
    DestroyMenu(menu);
}

TEST_F(SendToTest, AnEntryRunsItsTargetWithTheFirstSelectedRow) {
    std::string helper = tv::HelperExe();
    MakeShortcut("Recorder.lnk", helper);
    tree_.file("Data\\a.txt", "a");
    tree_.file("Data\\b.txt", "b");
    StartApp(tree_.path("Data").c_str());
    HMENU menu = CreatePopupMenu();
    SendTo(menu, 0);
    int index = -1;
    for (size_t i = 0; i < mcfg.sendto_targets.size(); i++)
        if (!_stricmp(mcfg.sendto_targets[i].c_str(), helper.c_str())) index = (int)i;
    ASSERT_GE(index, 0);
    std::string out = tv::HelperOutput(tree_.path("out.txt"));
    tv::SelectRows({tv::RowOf("b.txt"), tv::RowOf("a.txt")});
    SendCommand(CMD_SENDTO_FIRST + index);
    tv::HelperRun run = tv::WaitForHelper(out);
    std::string expected =
        "\"" + std::string(mcfg.sendto_targets[index]) + "\" \"" + tree_.path("Data\\a.txt") + "\"";
    EXPECT_EQ(run.command_line, expected);

    // In find mode the row's full path goes as it is.
    mcby.SetText("b.txt");
    ASSERT_TRUE(tv::FindAndWait());
    ASSERT_TRUE(mcfg.find_mode);
    tv::SelectRows({0});
    out = tv::HelperOutput(tree_.path("out2.txt"));
    SendCommand(CMD_SENDTO_FIRST + index);
    EXPECT_EQ(tv::WaitForHelper(out).command_line,
              "\"" + mcfg.sendto_targets[index] + "\" \"" + tree_.path("Data\\b.txt") + "\"");

    // A command line past the platform's 32,766 characters starts nothing.
    mcfg.sendto_targets[index] = "C:\\" + std::string(32700, 't') + ".exe";
    std::string long_name = std::string(240, 'n');
    tree_.file("Data\\" + long_name.substr(0, 200), "n");
    ReadPath(tree_.path("Data").c_str());
    tv::SelectRows({tv::RowOf(long_name.substr(0, 200).c_str())});
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_SENDTO_FIRST + index);
        ok.wait();
        // The message names the whole target, longer than the box's label shows.
        EXPECT_TRUE(ok.pressed());
    }
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SendTo () " + std::to_string(index) +
                                                  " failed: the command line is too long"),
              0);
    // No row: nothing runs, the index is logged with an empty line.
    tv::SelectRows({});
    SendCommand(CMD_SENDTO_FIRST + index);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SendTo () " + std::to_string(index) + "  OK ..."),
              0);
    DestroyMenu(menu);
}

TEST_F(SendToTest, NewCmdOpensTheInterpreterInTheFolderThatWasRead) {
    tree_.dir("Work");
    StartApp(tree_.path("Work").c_str());
    // The interpreter is found through WinDir: a folder of the test's own with the helper
    // as its System32\cmd.exe records where it was started.
    // The program reads WinDir through the runtime's environment, which _putenv_s changes.
    const char* windir_now = getenv("WinDir");
    std::string saved = windir_now ? windir_now : "";
    tv::TempTree windir("windir");
    windir.dir("System32");
    ASSERT_TRUE(
        CopyFileA(tv::HelperExe().c_str(), windir.path("System32\\cmd.exe").c_str(), FALSE));
    _putenv_s("WinDir", windir.root().c_str());
    std::string out = tv::HelperOutput(tree_.path("cmd.txt"));
    SendCommand(CMD_NEW_CMD);
    tv::HelperRun run = tv::WaitForHelper(out);
    _putenv_s("WinDir", saved.c_str());
    EXPECT_EQ(run.folder, tree_.path("Work"));
    EXPECT_EQ(run.command_line, windir.path("System32\\cmd.exe"));
    // The helper may still hold its file open for a moment while it ends.
    tv::WaitUntil([&] { return DeleteFileA(windir.path("System32\\cmd.exe").c_str()) != 0; }, 5000);

    // With no interpreter there, the refusal is told with the platform's reason.
    _putenv_s("WinDir", windir.root().c_str());
    tv::DialogPresser ok("Trelvista", IDOK);
    SendCommand(CMD_NEW_CMD);
    ok.wait();
    _putenv_s("WinDir", saved.c_str());
    EXPECT_NE(ok.text().find("The command window " + windir.path("System32\\cmd.exe") +
                             " was not started in \"" + tree_.path("Work") + "\": "),
              std::string::npos)
        << ok.text();
    EXPECT_GE(tv::FindEntry(tv::LogEntries(),
                            "NewCmd () " + windir.path("System32\\cmd.exe") + " failed: "),
              0);
}

TEST_F(SendToTest, WallpaperTakesTheFirstSelectedJpgOrPngAndStretchesIt) {
    for (const char* name :
         {"beach.jpg", "logo.png", "x.jpgx", "PHOTO.JPG", "image.jpeg", "image.gif"})
        tree_.file(std::string("Pics\\") + name, "picture");
    StartApp(tree_.path("Pics").c_str());
    auto stored = [] {
        char value[MAX_PATH] = {};
        DWORD size = sizeof value;
        RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", RRF_RT_REG_SZ,
                     nullptr, value, &size);
        return std::string(value);
    };
    for (const char* refused : {"PHOTO.JPG", "image.jpeg", "image.gif"}) {
        std::string before = stored();
        tv::SelectRows({tv::RowOf(refused)});
        SendCommand(CMD_WALLPAPER);
        EXPECT_EQ(stored(), before) << refused;
    }
    for (const char* taken : {"beach.jpg", "logo.png", "x.jpgx"}) {
        tv::SelectRows({tv::RowOf(taken)});
        SendCommand(CMD_WALLPAPER);
        EXPECT_EQ(stored(), tree_.path(std::string("Pics\\") + taken));
    }
    char style[8] = {};
    DWORD size = sizeof style;
    RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "WallpaperStyle", RRF_RT_REG_SZ,
                 nullptr, style, &size);
    EXPECT_STREQ(style, "2");
    // Two rows: the first selected one.
    tv::SelectRows({tv::RowOf("logo.png"), tv::RowOf("beach.jpg")});
    SendCommand(CMD_WALLPAPER);
    EXPECT_EQ(stored(), tree_.path("Pics\\beach.jpg"));
    std::vector<std::string> log = tv::LogEntries();
    EXPECT_GE(tv::FindEntry(log, "CADP::CADP () OK"), 0);
    EXPECT_GE(tv::FindEntry(log, "CADP::set_dpwp (" + tree_.path("Pics\\beach.jpg") + ") OK"), 0);
    EXPECT_GE(tv::FindEntry(log, "CADP::~CADP () OK"), 0);
}

namespace {

// The bytes of a shortcut with no item list and no link information: the header and, when
// given, a relative path string of `relative_length` characters claimed and `written` written.
std::string RawShortcut(size_t relative_length, size_t written) {
    std::string b(0x4C, '\0');
    b[0] = 0x4C;
    const unsigned char link_class[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    memcpy(&b[4], link_class, 16);
    b[0x14] = 0x08;  // HasRelativePath
    b += (char)(relative_length & 0xFF);
    b += (char)(relative_length >> 8);
    b += std::string(written, 'r');
    return b;
}

}  // namespace

TEST_F(SendToTest, ShortcutsFromAnywhereAreCheckedBeforeLoadingAndRunNothingElse) {
    std::string folder = SendToFolder();
    // A relative path of 1,205 characters, a string that passes the file's end, and a file
    // that is no shortcut: each listed greyed, never loaded.
    tree_.file("unused", "");
    std::string bad[] = {RawShortcut(1205, 1205), RawShortcut(200, 20), std::string(100, 'x')};
    for (int i = 0; i < 3; i++) {
        FILE* f = fopen((folder + "\\Bad" + std::to_string(i) + ".lnk").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bad[i].data(), 1, bad[i].size(), f);
        fclose(f);
    }
    tree_.file("Data\\a.txt", "a");
    StartApp(tree_.path("Data").c_str());
    HMENU menu = CreatePopupMenu();
    SendTo(menu, 0);
    for (const Item& item : Items(menu))
        if (item.text.compare(0, 3, "Bad") == 0) {
            EXPECT_TRUE(item.grayed) << item.text;
        }
    EXPECT_GE(tv::CountEntries("SendTo () Bad"), 3);

    // A target holding a double quote runs nothing: no second command.
    ASSERT_FALSE(mcfg.sendto_targets.empty());
    std::string marker = tree_.path("INJECTED.txt");
    mcfg.sendto_targets[0] = "C:\\windows\\system32\\cmd.exe\" /c echo INJECTED> " + marker + " & rem \"";
    tv::SelectRows({tv::RowOf("a.txt")});
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(CMD_SENDTO_FIRST);
        ok.wait();
        EXPECT_NE(ok.text().find("it is no program file"), std::string::npos) << ok.text();
    }
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SendTo () 0 failed: the target is no program"), 0);
    EXPECT_FALSE(tv::WaitUntil([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 1000));
    DestroyMenu(menu);
}
