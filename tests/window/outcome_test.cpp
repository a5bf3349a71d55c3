// What a file operation really did is told: copies and moves cut short by a full disk, a tree
// copied in part, new items on a disk that takes none, and the program's own dialogs, inside
// which no command runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <string>
#include <thread>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "controls/msgbox.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::Exists;

unsigned long long SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

using tv::ClipboardBlock;

class Outcomes : public tv::AppTest {
  protected:
    // Runs the command, which must tell something in a message box, and returns its text.
    std::string Told(int command) {
        tv::DialogPresser ok("Trelvista", IDOK);
        SendCommand(command, 1);
        ok.wait();
        EXPECT_TRUE(ok.pressed()) << "nothing was told for command " << command;
        return ok.text();
    }
    tv::TempTree tree_{"outcome"};
};

}  // namespace

TEST_F(Outcomes, ACopyOrMoveCutShortByAFullDiskIsToldAndLosesNothing) {
    std::string from = tree_.dir("From"), small = tree_.path("Small");
    tree_.sized_file("From\\big.bin", 3000000);
    tree_.file("From\\small.txt", "s");
    tree_.sized_file("From\\Fold\\b.bin", 2000000);
    tree_.file("From\\Fold\\a.txt", "a");
    tv::TmpfsMount disk(small, "size=1m");
    if (!disk.mounted()) GTEST_SKIP() << "no file system can be mounted here";
    StartApp(from.c_str());

    // A copy: big.bin does not fit, small.txt does; the partial copy goes.
    tv::SelectNames({"big.bin", "small.txt"});
    SendCommand(CMD_COPY, 1);
    ReadPath(small.c_str());
    std::string text = Told(CMD_PASTE);
    EXPECT_NE(text.find("\"big.bin\" was not copied"), std::string::npos) << text;
    EXPECT_FALSE(Exists(small + "\\big.bin")) << "the partial copy was left";
    // The shell may give up the rest of a job at its first failure: small.txt is there whole,
    // or the message names it.
    bool small_copied = tv::ReadFile(small + "\\small.txt") == "s";
    EXPECT_NE(small_copied, text.find("\"small.txt\" was not copied") != std::string::npos) << text;
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Paste () " + small + " failed: "), 0);
    EXPECT_LT(tv::FindEntry(tv::LogEntries(), "Paste () " + small + " OK"), 0);

    // A cut of a folder and a file: nothing fits, the sources stay whole, and the cut list
    // stays on the clipboard for another try.
    ReadPath(from.c_str());
    tv::SelectNames({"Fold", "big.bin"});
    SendCommand(CMD_CUT, 1);
    std::string cut = ClipboardBlock();
    ReadPath(small.c_str());
    text = Told(CMD_PASTE);
    EXPECT_NE(text.find("Not everything was moved"), std::string::npos) << text;
    EXPECT_EQ(SizeOf(from + "\\big.bin"), 3000000u);
    EXPECT_EQ(SizeOf(from + "\\Fold\\b.bin") + SizeOf(small + "\\Fold\\b.bin"), 2000000u);
    EXPECT_FALSE(Exists(small + "\\big.bin"));
    tv::PumpMessages(true);
    EXPECT_EQ(ClipboardBlock(), cut) << "the cut list was spent on a move that fell short";
}

TEST_F(Outcomes, ADiskThatTakesNothingSaysSoForNewItemsAndPastes) {
    std::string from = tree_.dir("From"), locked = tree_.path("Locked");
    tree_.file("From\\a.txt", "a");
    tv::TmpfsMount disk(locked, "ro,size=1m");
    if (!disk.mounted()) GTEST_SKIP() << "no file system can be mounted here";
    StartApp(from.c_str());
    tv::SelectNames({"a.txt"});
    SendCommand(CMD_COPY, 1);
    ReadPath(locked.c_str());
    EXPECT_NE(Told(CMD_NEW_FOLDER).find("\"" + locked + "\\New Folder\" could not be made"),
              std::string::npos);
    EXPECT_NE(Told(CMD_NEW_FILE).find("could not be made"), std::string::npos);
    EXPECT_NE(Told(CMD_PASTE).find("\"a.txt\" was not copied"), std::string::npos);
    EXPECT_TRUE(tv::WideNames(locked).empty());
}

TEST_F(Outcomes, ATreeCopiedInPartIsToldAndItsPartialCopyRemoved) {
    std::string from = tree_.dir("From"), to = tree_.dir("To");
    // A tree of 300 levels, far deeper than 259 characters.
    std::string script = "cd '" + tv::UnixPath(from) +
                         "' && mkdir deep && cd deep && for i in $(seq 300); do mkdir a && "
                         "cd a || exit 1; done && printf bottom > f";
    ASSERT_TRUE(tv::RunLinuxAndWait(script));
    StartApp(from.c_str());
    tv::SelectNames({"deep"});
    SendCommand(CMD_COPY, 1);
    ReadPath(to.c_str());
    tv::DialogPresser ok("Trelvista", IDOK, 60000);
    SendCommand(CMD_PASTE, 1);
    ok.wait();
    if (!ok.pressed()) {
        // The shell copied it whole here: then the copy is there, all of it.
        EXPECT_TRUE(tv::RunLinuxAndWait("cd '" + tv::UnixPath(to) +
                                        "/deep' && test $(find . -type d | wc -l) -eq 301"));
        return;
    }
    EXPECT_NE(ok.text().find("\"deep\" was not copied whole"), std::string::npos) << ok.text();
    EXPECT_FALSE(Exists(to + "\\deep")) << "the partial copy was left";
}

TEST_F(Outcomes, NoCommandRunsInsideTheProgramsOwnMessageBox) {
    std::string dir = tree_.dir("Data");
    StartApp(dir.c_str());
    // While the box is open, a command arrives (as a click on the window would): it runs
    // neither inside the box nor after it.
    std::thread clicker([] {
        HWND box = tv::WaitForWindow("#32770", "Trelvista", 10000, GetCurrentProcessId());
        PostMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(CMD_NEW_FOLDER, 0), 0);
        PostMessageA(mwin.hwnd, WM_TIMER, ID_TIMER, 0);
        if (box) PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    MsgBox("a message");
    clicker.join();
    tv::PumpMessages(true);
    EXPECT_FALSE(Exists(dir + "\\New Folder"));
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Command (212) refused: a dialog is open"), 0);
}

TEST_F(Outcomes, ADeleteThePlatformRefusesIsToldForGoodAndToTheBin) {
    // Wine's shell deletes a read-only file as the desktop's does (it clears the attribute
    // first); a disk mounted read-only refuses every delete.
    std::string disk = tree_.path("Disk");
    tv::TmpfsMount mount(disk, "size=1m");
    if (!mount.mounted()) GTEST_SKIP() << "no file system can be mounted here";
    std::string locked = tree_.file("Disk\\locked.txt", "l");
    ASSERT_TRUE(tv::RunLinuxAndWait("mount -o remount,ro '" + tv::UnixPath(disk) + "'"));
    StartApp(disk.c_str());
    for (int command : {CMD_DELETE_FOREVER, CMD_DELETE}) {
        tv::SelectNames({"locked.txt"});
        tv::DialogPresser yes("Confirm file deletion", 6);
        std::string text = Told(command);
        EXPECT_NE(text.find("\"" + locked + "\" was not deleted"), std::string::npos) << text;
        EXPECT_EQ(tv::ReadFile(locked), "l") << command;
        EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Open () " + locked + " failed: "), 0);
        EXPECT_LT(tv::FindEntry(tv::LogEntries(), "Open () " + locked + " OK"), 0);
        EXPECT_GE(tv::RowOf("locked.txt"), 0);
    }
}

TEST_F(Outcomes, AttributesThePlatformRefusesAreToldOnceForAllTheRows) {
    std::string disk = tree_.path("Disk");
    tv::TmpfsMount mount(disk, "size=1m");
    if (!mount.mounted()) GTEST_SKIP() << "no file system can be mounted here";
    tree_.file("Disk\\a.txt", "a");
    tree_.file("Disk\\b.txt", "b");
    ASSERT_TRUE(tv::RunLinuxAndWait("mount -o remount,ro '" + tv::UnixPath(disk) + "'"));
    StartApp(disk.c_str());
    tv::SelectNames({"a.txt", "b.txt"});
    mbtr.SetCheck(0);
    std::string text = Told(CMD_ATTR_R);
    for (const char* name : {"a.txt", "b.txt"}) {
        std::string path = disk + "\\" + name;
        EXPECT_NE(text.find("The attributes of \"" + path + "\" were not changed: "),
                  std::string::npos)
            << text;
        EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) << name;
    }
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "SetAttr () 3 failed: "), 0);
    EXPECT_LT(tv::FindEntry(tv::LogEntries(), "SetAttr (3) OK"), 0);
}
