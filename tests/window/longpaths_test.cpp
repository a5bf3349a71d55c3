// Paths longer than 259 bytes of UTF-8, and longer than 259 characters, through the window:
// typed into the path box, listed, copied in and out, renamed, found, scanned and deleted,
// each checked on the disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "browse/navigate.h"
#include "core/longtree.h"
#include "core/paths.h"
#include "fileops/fileops.h"
#include "core/mcfg.h"
#include "res/resource.h"
#include "scan/scan.h"
#include "tests/support/app_fixture.h"

namespace {

// `n` CJK characters: three bytes of UTF-8 each, one unit of UTF-16.
std::string Cjk(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; i++)
        text += i % 2 ? "\xE6\xBC\xA2" : "\xE5\xAD\x97";
    return text;
}

bool OnDisk(const std::string& path) { return PathAttributes(path) != INVALID_FILE_ATTRIBUTES; }

bool MakeDir(const std::string& path) {
    return CreateDirectoryW(LongPath(path).c_str(), nullptr) != 0;
}

bool WriteLong(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(h);
    return written == bytes.size();
}

std::string ReadLong(const std::string& path) {
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    char buffer[256];
    DWORD got = 0;
    std::string bytes;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

class LongPaths : public tv::AppTest {
  protected:
    void TearDown() override {
        // The tree's own removal goes through the plain calls, which stop at 259 characters.
        DeleteTree(tree_.root());
        if (!shortcut_.empty()) DeleteFileA(shortcut_.c_str());
        SetEnvironmentVariableA("TV_HELPER_OUT", nullptr);
    }
    // Types `folder` into the path box and presses Enter; true once it is the folder read.
    bool Type(const std::string& folder) {
        mcbx.SetText(folder.c_str());
        EXPECT_EQ(std::string(mcbx.GetText()), folder) << GetWindowTextLengthA(mcbx.hwnd);
        if (std::string(mcbx.GetText()) != folder) return false;
        PathEntered();
        return Until([&] { return !ReadRunning() && panel.folder == folder; });
    }
    // Runs a command that asks a question in a message box, and answers it with `button`.
    std::string Answer(int command, int button) {
        tv::DialogPresser box("Trelvista", button);
        SendCommand(command, 1);
        box.wait();
        return box.text();
    }
    void PasteQuietly() {
        tv::DialogPresser ok("Trelvista", IDOK, 60000);
        SendCommand(CMD_PASTE, 1);
        EXPECT_FALSE(ok.pressed()) << ok.text();
    }
    tv::TempTree tree_{"long"};
    std::string shortcut_;
};

}  // namespace

TEST_F(LongPaths, CjkNamesAndPathsPast259CharactersGoThroughEveryOperation) {
    // A folder 120 CJK characters below its parent (two names of 60, 180 bytes each: one
    // name holds at most 255 bytes here), a name of 85 (255 bytes), and below them a folder
    // whose file has a path of 330 characters.
    std::string top = tree_.path(Cjk(60));
    std::string folder = top + "\\" + Cjk(60);
    std::string name = Cjk(85);
    ASSERT_TRUE(MakeDir(top));
    ASSERT_TRUE(MakeDir(folder));
    ASSERT_TRUE(WriteLong(folder + "\\" + name, "cjk"));
    std::string deep = folder + "\\" + std::string(150, 'd');
    ASSERT_TRUE(MakeDir(deep));
    std::string far_name = std::string(330 - PathUnits(deep) - 1 - 4, 'f') + ".txt";
    std::string far_file = deep + "\\" + far_name;
    ASSERT_EQ(PathUnits(far_file), 330u);
    ASSERT_TRUE(WriteLong(far_file, "far away"));
    std::string to = tree_.dir("To");

    StartApp(tree_.root().c_str());
    // Typed into the path box: listed, each row by its own name.
    ASSERT_TRUE(Type(folder));
    EXPECT_GE(tv::RowOf(name.c_str()), 0);
    ASSERT_TRUE(Type(deep));
    EXPECT_GE(tv::RowOf(far_name.c_str()), 0);

    // Copied out: the 330-character path into a short folder.
    tv::SelectNames({far_name.c_str()});
    SendCommand(CMD_COPY, 1);
    ASSERT_TRUE(Type(to));
    PasteQuietly();
    EXPECT_EQ(ReadLong(to + "\\" + far_name), "far away");

    // Copied in: the 85-character name into the deep folder, a path of 422 characters.
    ASSERT_TRUE(Type(folder));
    tv::SelectNames({name.c_str()});
    SendCommand(CMD_COPY, 1);
    ASSERT_TRUE(Type(deep));
    PasteQuietly();
    EXPECT_EQ(ReadLong(deep + "\\" + name), "cjk");
    EXPECT_EQ(ReadLong(folder + "\\" + name), "cjk");

    // Renamed where the path passes 259 characters.
    ASSERT_GE(tv::RowOf(far_name.c_str()), 0);
    SetFocus(mlvw.hwnd);
    tv::SelectNames({far_name.c_str()});
    SendCommand(CMD_RENAME, 1);
    HWND edit = panel.rename_edit;
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "near.txt");
    tv::PressThroughLoop(edit, VK_RETURN);
    EXPECT_TRUE(Until([&] { return !ReadRunning() && tv::RowOf("near.txt") >= 0; }));
    EXPECT_EQ(ReadLong(deep + "\\near.txt"), "far away");
    EXPECT_FALSE(OnDisk(far_file));

    // Found below the CJK folder, with whole paths, also in find.txt.
    ASSERT_TRUE(Type(folder));
    mcby.SetText("near");
    ASSERT_TRUE(tv::FindAndWait());
    ASSERT_EQ(ViewCount(panel.view), 1u);
    std::string found;
    ASSERT_TRUE(EntryPath(*panel.view[0].entry, &found));
    EXPECT_EQ(found, deep + "\\near.txt");
    char temp[MAX_PATH] = {};
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    EXPECT_EQ(tv::ReadFile(std::string(temp) + "\\find.txt"), deep + "\\near.txt\r\n");

    // Scanned: the deep folder counts what lies past 259 characters.
    ASSERT_TRUE(Type(folder));
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([&] { return mcfg.scanning == 0 && !ReadRunning(); }, 20000));
    int row = tv::RowOf(std::string(150, 'd').c_str());
    ASSERT_GE(row, 0);
    EXPECT_EQ(EntrySize(*panel.view[row].entry), 8u + 3u);
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([&] { return mcfg.scanning == 0; }));

    // Deleted: past the recycle bin's reach the user is asked, and No changes nothing.
    ASSERT_TRUE(Type(deep));
    tv::SelectNames({"near.txt"});
    std::string asked = Answer(CMD_DELETE, IDNO);
    EXPECT_NE(asked.find("too long for the recycle bin"), std::string::npos) << asked;
    EXPECT_TRUE(OnDisk(deep + "\\near.txt"));
    tv::SelectNames({"near.txt"});
    Answer(CMD_DELETE, IDYES);
    EXPECT_FALSE(OnDisk(deep + "\\near.txt"));
    EXPECT_TRUE(OnDisk(deep + "\\" + name));

    // A folder whose own path is short but holds longer ones is deleted whole, for good.
    ASSERT_TRUE(Type(tree_.root()));
    tv::SelectNames({Cjk(60).c_str()});
    asked = Answer(CMD_DELETE_FOREVER, IDYES);
    EXPECT_NE(asked.find("holds paths longer than the 259 characters"), std::string::npos)
        << asked;
    EXPECT_FALSE(OnDisk(top));
    EXPECT_TRUE(OnDisk(to + "\\" + far_name));
}

TEST_F(LongPaths, ThePlatformsPiecesRefuseLongerPathsAndNothingIsCut) {
    std::string deep = tree_.path(std::string(120, 'a'));
    ASSERT_TRUE(MakeDir(deep));
    deep += "\\" + std::string(150, 'b');
    ASSERT_TRUE(MakeDir(deep));
    ASSERT_TRUE(WriteLong(deep + "\\x.jpg", "not a picture"));
    StartApp(deep.c_str());
    ASSERT_EQ(panel.folder, deep);
    EXPECT_GE(tv::RowOf("x.jpg"), 0);
    // The command window cannot start in the folder: it is said, and nothing starts.
    tv::DialogPresser box("Trelvista", IDOK);
    NewCmd();
    box.wait();
    EXPECT_NE(box.text().find("too long for the command window's folder"), std::string::npos)
        << box.text();
    EXPECT_NE(box.text().find(deep), std::string::npos) << "the path is named whole";
    // Nor can the desktop take the picture as its wallpaper.
    tv::SelectNames({"x.jpg"});
    {
        tv::DialogPresser refused("Trelvista", IDOK);
        Wallpaper();
        refused.wait();
        EXPECT_NE(refused.text().find("too long for the desktop's wallpaper"), std::string::npos)
            << refused.text();
        EXPECT_NE(refused.text().find(deep + "\\x.jpg"), std::string::npos);
    }
    // Send To hands its program the whole path on the command line, which takes 32,766
    // characters.
    int command = tv::HelperSendToCommand("Long recorder.lnk", &shortcut_);
    ASSERT_NE(command, 0);
    std::string helper = tv::HelperExe();
    std::string out = tv::HelperOutput(tree_.path("out.txt"));
    SendCommand(command);
    EXPECT_EQ(tv::WaitForHelper(out).command_line, "\"" + helper + "\" \"" + deep + "\\x.jpg\"");
    // A picture there is previewed, and its properties page names it whole.
    ASSERT_TRUE(tv::WritePicture(tree_.path("p.png"), 40, 30, 0x00C000, false));
    ASSERT_TRUE(CopyFileW(LongPath(tree_.path("p.png")).c_str(),
                          LongPath(deep + "\\p.png").c_str(), TRUE));
    ReadPath(deep.c_str());
    ASSERT_TRUE(Until([&] { return !ReadRunning() && tv::RowOf("p.png") >= 0; }));
    SendCommand(CMD_PREVIEW);
    tv::SelectRows({tv::RowOf("p.png")});
    InvalidateRect(mwin.hwnd, nullptr, TRUE);
    UpdateWindow(mwin.hwnd);
    EXPECT_EQ(mcfg.image_w, 40);
    EXPECT_EQ(mcfg.image_h, 30);
    SendCommand(CMD_PREVIEW);
    {
        // A prefix with no program for pages tells so.
        tv::DialogPresser told("Trelvista", IDOK, 2000);
        SendCommand(CMD_PROPERTIES, 1);
    }
    std::string page = tv::ReadFile(std::string(getenv("TEMP")) + "\\file-properties.htm");
    EXPECT_NE(page.find(deep + "\\p.png"), std::string::npos) << page;
    // A new file is made in the folder through the program's own calls.
    NewFile();
    EXPECT_TRUE(OnDisk(deep + "\\New File.txt"));
}
