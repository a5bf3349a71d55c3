// Every name as it is spelled in the real window: names in other scripts go everywhere under
// their own names, names the platform would read as others act on their own entries or on
// nothing, searches through devices and pipes never hold the window, and case twins are each
// reached by their own spelling. The names are made from the Linux side, byte for byte, and the
// disk is checked after each operation.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/clnk.h"
#include "fileops/cshl.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "scan/find.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::LinuxEntry;

bool Has(const std::vector<std::wstring>& names, const wchar_t* name) {
    return std::find(names.begin(), names.end(), std::wstring(name)) != names.end();
}

using tv::ClipboardBlock;
using tv::Exists;

class NamesWindow : public tv::AppTest {
  protected:
    void TearDown() override {
        if (!shortcut_.empty()) DeleteFileA(shortcut_.c_str());
        SetEnvironmentVariableA("TV_HELPER_OUT", nullptr);
    }
    // Renames the row `from` to `to` as F2 and Enter do.
    void Rename(const char* from, const char* to) {
        tv::SelectNames({from});
        SendCommand(CMD_RENAME, 1);
        ASSERT_NE(panel.rename_edit, nullptr) << from;
        SetWindowTextA(panel.rename_edit, to);
        tv::PressThroughLoop(panel.rename_edit, VK_RETURN);
    }
    // Runs a command that must be refused with a message box, and returns the box's text.
    std::string Refused(int command) {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(command, 1);
        ok.wait();
        EXPECT_TRUE(ok.pressed()) << "no message for command " << command;
        return ok.text();
    }
    tv::TempTree tree_{"names"};
    std::string shortcut_;
};

}  // namespace

TEST_F(NamesWindow, OtherScriptsGoEverywhereUnderTheirOwnNames) {
    std::string from = tree_.dir("From"), to = tree_.dir("To");
    ASSERT_TRUE(tv::MakeLinuxEntries(from, {{LinuxEntry::kFile, "日本語.txt", "ja"},
                                            {LinuxEntry::kFile, "Ωμέγα.txt", "el"},
                                            {LinuxEntry::kFile, "📷.jpg", "emoji"}}));
    StartApp(from.c_str());
    ASSERT_GE(tv::RowOf("日本語.txt"), 0);
    ASSERT_GE(tv::RowOf("Ωμέγα.txt"), 0);
    ASSERT_GE(tv::RowOf("📷.jpg"), 0);

    // Copy: the clipboard holds the real names, wide, for any program; Paste copies them whole.
    tv::SelectNames({"日本語.txt"});
    SendCommand(CMD_COPY, 1);
    std::string block = ClipboardBlock();
    std::string wide = tv::WideListBytes(from + "\\日本語.txt" + '\0' + '\0');
    ASSERT_GE(block.size(), 20 + wide.size());
    EXPECT_EQ(block[16], 1) << "fWide";
    EXPECT_EQ(block.substr(20, wide.size()), wide);
    ReadPath(to.c_str());
    SendCommand(CMD_PASTE, 1);
    EXPECT_EQ(tv::WideNames(to), std::vector<std::wstring>{L"\x65E5\x672C\x8A9E.txt"});
    EXPECT_EQ(tv::ReadFile(to + "\\日本語.txt"), "ja");

    // Cut and Paste move; F2 renames; the R button sets the attribute: each under its name.
    ReadPath(from.c_str());
    tv::SelectNames({"Ωμέγα.txt"});
    SendCommand(CMD_CUT, 1);
    ReadPath(to.c_str());
    SendCommand(CMD_PASTE, 1);
    EXPECT_EQ(tv::ReadFile(to + "\\Ωμέγα.txt"), "el");
    EXPECT_FALSE(Exists(from + "\\Ωμέγα.txt"));
    ReadPath(from.c_str());
    Rename("📷.jpg", "📷 🌍.jpg");
    std::vector<std::wstring> names = tv::WideNames(from);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"\x65E5\x672C\x8A9E.txt",
                                                L"\xD83D\xDCF7 \xD83C\xDF0D.jpg"}));
    tv::SelectNames({"日本語.txt"});
    SendCommand(CMD_ATTR_R);
    EXPECT_TRUE(GetFileAttributesA((from + "\\日本語.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesA((to + "\\日本語.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    // Send To hands the target the real path.
    int command = tv::HelperSendToCommand("Recorder.lnk", &shortcut_);
    ASSERT_NE(command, 0);
    std::string helper = tv::HelperExe();
    std::string out = tv::HelperOutput(tree_.path("out.txt"));
    tv::SelectNames({"📷 🌍.jpg"});
    SendCommand(command);
    EXPECT_EQ(tv::WaitForHelper(out).command_line, "\"" + helper + "\" \"" + from + "\\📷 🌍.jpg\"");

    // The recycle bin takes the file under its own name.
    const char* xdg = getenv("XDG_DATA_HOME");
    ASSERT_TRUE(xdg && *xdg);
    std::string trash = std::string("Z:") + xdg + "\\Trash\\files";
    std::replace(trash.begin(), trash.end(), '/', '\\');
    ReadPath(to.c_str());
    tv::SelectNames({"日本語.txt"});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE, 1);
    }
    EXPECT_FALSE(Exists(to + "\\日本語.txt"));
    EXPECT_TRUE(Has(tv::WideNames(trash), L"\x65E5\x672C\x8A9E.txt"));
}

TEST_F(NamesWindow, RowsThePathRulesReadAsOthersActOnTheirOwnEntriesOrOnNothing) {
    std::string dir = tree_.dir("Data");
    ASSERT_TRUE(tv::MakeLinuxEntries(
        dir, {{LinuxEntry::kFile, "x", "x"},
              {LinuxEntry::kFile, "x.", "x-dot"},
              {LinuxEntry::kFile, "y", "y"},
              {LinuxEntry::kFile, "y ", "y-blank"},
              {LinuxEntry::kFolder, "d", ""},
              {LinuxEntry::kFile, "d/inside", "in d"},
              {LinuxEntry::kFolder, "d.", ""},
              {LinuxEntry::kFile, "d./inside", "in d-dot"},
              {LinuxEntry::kFile, "...", "dots"},
              {LinuxEntry::kFile, "\xEE\xF2\xF7\xE5\xF2.doc", std::string(1500, 'o')},
              {LinuxEntry::kFile, "\xF1\xF3\xEC\xEC\xE0.doc", std::string(6000, 's')}}));
    StartApp(dir.c_str());
    auto unix_has = [&](const std::string& name) {
        return tv::RunLinuxAndWait("test -e '" + tv::UnixPath(dir) + "/" + name + "'");
    };

    // Delete for good of "x." deletes "x." and leaves "x".
    tv::SelectNames({"x."});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_FALSE(unix_has("x.")) << "x. was not deleted";
    EXPECT_EQ(tv::ReadFile(dir + "\\x"), "x");
    // The R button on "y " sets "y " read-only, not "y".
    tv::SelectNames({"y "});
    SendCommand(CMD_ATTR_R);
    int row = tv::RowOf("y ");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(panel.view[row].entry->attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesA((dir + "\\y").c_str()) & FILE_ATTRIBUTE_READONLY);
    // A cut of "x"'s twin folder "d." would move it under its short name: refused.
    tv::SelectNames({"d."});
    std::string text = Refused(CMD_CUT);
    EXPECT_NE(text.find("\"d.\""), std::string::npos) << text;
    // Delete for good of the folder "d." removes "d." alone.
    tv::SelectNames({"d."});
    {
        tv::DialogPresser yes("Confirm folder deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_FALSE(unix_has("d."));
    EXPECT_EQ(tv::ReadFile(dir + "\\d\\inside"), "in d");
    // "..." is the folder itself to the platform: a cut is refused, a delete takes the entry
    // alone and the folder stays.
    tv::SelectNames({"..."});
    Refused(CMD_CUT);
    tv::SelectNames({"..."});
    {
        tv::DialogPresser yes("Confirm file deletion", 6);
        SendCommand(CMD_DELETE, 1);
    }
    EXPECT_FALSE(unix_has("..."));
    EXPECT_EQ(tv::ReadFile(dir + "\\d\\inside"), "in d");
    EXPECT_EQ(std::string(panel.folder), dir);

    // Two cp1251 names of one length list alike and share their short name: every operation
    // on either is refused, and both stay as they were.
    std::vector<int> lost;
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        if (panel.view[i].entry->reach == kReachNone) lost.push_back((int)i);
    ASSERT_EQ(lost.size(), 2u);
    tv::SelectRows({lost[1]});
    text = Refused(CMD_DELETE_FOREVER);
    EXPECT_NE(text.find("cannot be reached by its name"), std::string::npos) << text;
    tv::SelectRows({lost[0]});
    Refused(CMD_COPY);
    tv::SelectRows({lost[0]});
    Refused(CMD_RENAME);
    EXPECT_EQ(panel.rename_edit, nullptr) << "an edit opened for a row that cannot be renamed";
    EXPECT_TRUE(unix_has("\xEE\xF2\xF7\xE5\xF2.doc"));
    EXPECT_TRUE(unix_has("\xF1\xF3\xEC\xEC\xE0.doc"));
}

TEST_F(NamesWindow, ASearchThroughDevicesAndPipesNeverHoldsTheWindow) {
    std::string dir = tree_.dir("src");
    ASSERT_TRUE(tv::MakeLinuxEntries(dir, {{LinuxEntry::kFolder, "drivers/i2c", ""},
                                           {LinuxEntry::kFile, "drivers/i2c/aux.c", "needle"},
                                           {LinuxEntry::kFile, "com1.txt", "needle"},
                                           {LinuxEntry::kIdleFifo, "pipe.txt", ""},
                                           {LinuxEntry::kLink, "zero.txt", "/dev/zero"},
                                           {LinuxEntry::kFile, "found.txt", "a needle here"}}));
    StartApp(dir.c_str());
    mcby.SetText("{needle}");
    ASSERT_TRUE(tv::FindAndWait(10000));
    ASSERT_EQ(panel.entries.size(), 1u);
    EXPECT_STREQ(panel.entries[0]->name(), "found.txt");

    // Esc during a search and a navigation during another: the window answers at once.
    for (int round = 0; round < 2; round++) {
        Find();
        DWORD start = GetTickCount();
        if (round == 0)
            StopFind(true);
        else
            ReadPath(dir.c_str());
        EXPECT_LT(GetTickCount() - start, 500u);
        EXPECT_FALSE(FindRunning());
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutA(mwin.hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 500, &answer));
    }
}

TEST_F(NamesWindow, CaseTwinsAreEachReachedByTheirOwnSpelling) {
    std::string dir = tree_.dir("Twins");
    ASSERT_TRUE(tv::MakeLinuxEntries(dir, {{LinuxEntry::kFolder, "Foo", ""},
                                           {LinuxEntry::kFile, "Foo/upper.txt", "U"},
                                           {LinuxEntry::kFolder, "foo", ""},
                                           {LinuxEntry::kFile, "foo/lower.txt", "l"},
                                           {LinuxEntry::kFile, "a.txt", "small"},
                                           {LinuxEntry::kFile, "A.txt", "CAPITAL"}}));
    StartApp(dir.c_str());
    // The path box: Enter on "...\foo" opens foo.
    mcbx.SetText((dir + "\\foo").c_str());
    PathEntered();
    EXPECT_EQ(std::string(panel.folder), dir + "\\foo");
    EXPECT_GE(tv::RowOf("lower.txt"), 0);
    // The tree: the item "Foo" opens Foo, "foo" opens foo.
    ASSERT_TRUE(Navigate(dir.c_str()));
    HTREEITEM upper = mtvw.FindChild(mtvw.Caret(), "Foo");
    HTREEITEM lower = mtvw.FindChild(mtvw.Caret(), "foo");
    ASSERT_TRUE(upper && lower && upper != lower);
    mtvw.Select(upper);
    tv::PumpMessages(true);
    EXPECT_GE(tv::RowOf("upper.txt"), 0);
    mtvw.Select(lower);
    tv::PumpMessages(true);
    EXPECT_GE(tv::RowOf("lower.txt"), 0);
    // Shift+Del with the tree on "foo" and no row deletes foo, never Foo.
    tv::SelectRows({});
    {
        tv::DialogPresser yes("Confirm folder deletion", 6);
        SendCommand(CMD_DELETE_FOREVER, 1);
    }
    EXPECT_EQ(tv::ReadFile(dir + "\\Foo\\upper.txt"), "U");
    EXPECT_FALSE(tv::RunLinuxAndWait("test -e '" + tv::UnixPath(dir) + "/foo'"));

    // A rename of a.txt to A.txt beside A.txt is refused before anything moves.
    ReadPath(dir.c_str());
    {
        tv::DialogPresser ok("Trelvista", IDOK);
        Rename("a.txt", "A.txt");
        ok.wait();
        EXPECT_NE(ok.text().find("already exists"), std::string::npos) << ok.text();
    }
    std::vector<std::wstring> names = tv::WideNames(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A.txt", L"Foo", L"a.txt"}));
    EXPECT_EQ(tv::ReadFile(dir + "\\a.txt"), "small");
}
