#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

#include "core/mcfg.h"
#include "fileops/cadp.h"
#include "fileops/clnk.h"
#include "fileops/cprc.h"
#include "fileops/fileops.h"
#include "tests/support/testenv.h"

namespace {

// A log file of the test's own in mcfg.log, read back as text.
class OwnLog {
  public:
    OwnLog() : path_(tree_.path("log.txt")) { mcfg.log = fopen(path_.c_str(), "wt"); }
    ~OwnLog() {
        if (mcfg.log) fclose(mcfg.log);
        mcfg.log = nullptr;
    }
    std::string text() const {
        fflush(mcfg.log);
        return tv::ReadFile(path_);
    }

  private:
    tv::TempTree tree_{"ownlog"};
    std::string path_;
};

}  // namespace

TEST(CLnk, WritesAndReadsBackEveryText) {
    tv::TempTree tree("clnk");
    OwnLog log;
    std::string target = tree.file("tool.exe", "MZ");
    std::string shortcut = tree.path("Tool.lnk");
    {
        CLnk link(mcfg.log);
        link.arguments = "--flag \"x y\"";
        link.description = "A tool of the test";
        link.icon_location = target.c_str();
        link.icon_index = 3;
        link.path = target.c_str();
        link.working_dir = tree.root().c_str();
        EXPECT_EQ(link.set_link(shortcut.c_str()), 0);
    }
    CLnk back(mcfg.log);
    ASSERT_EQ(back.get_link(shortcut.c_str()), 0);
    EXPECT_EQ(back.arguments, "--flag \"x y\"");
    EXPECT_EQ(back.description, "A tool of the test");
    EXPECT_EQ(back.icon_location, target);
    EXPECT_EQ(back.icon_index, 3);
    EXPECT_EQ(_stricmp(back.path.c_str(), target.c_str()), 0) << back.path;
    EXPECT_EQ(back.working_dir, tree.root());
    EXPECT_NE(log.text().find("CLnk::set_link () " + shortcut + " OK ..."), std::string::npos);
    EXPECT_NE(log.text().find("\tCLnk::get_link () "), std::string::npos);
}

TEST(CLnk, AMissingTargetIsKeptAndANonShortcutIsNotRead) {
    tv::TempTree tree("clnkbad");
    std::string shortcut = tree.path("Gone.lnk");
    std::string missing = tree.path("not-there.exe");
    {
        CLnk link(nullptr);
        link.path = missing.c_str();
        EXPECT_EQ(link.set_link(shortcut.c_str()), 0);
    }
    CLnk back(nullptr);
    ASSERT_EQ(back.get_link(shortcut.c_str()), 0);
    EXPECT_EQ(_stricmp(back.path.c_str(), missing.c_str()), 0) << back.path;

    // A target of 120 characters of Chinese is 360 bytes and well within the link's 259
    // characters: it comes back whole, as does a description of 200 of them.
    std::string chinese, longer;
    for (int i = 0; i < 120; i++) chinese += "\xE6\xBC\xA2";
    for (int i = 0; i < 200; i++) longer += "\xE5\xAD\x97";
    {
        CLnk link(nullptr);
        link.path = tree.path(chinese + ".exe");
        link.description = longer;
        EXPECT_EQ(link.set_link(shortcut.c_str()), 0);
    }
    ASSERT_EQ(back.get_link(shortcut.c_str()), 0);
    EXPECT_EQ(_stricmp(back.path.c_str(), tree.path(chinese + ".exe").c_str()), 0) << back.path;
    EXPECT_EQ(back.description, longer);

    // Not a shortcut: 1, and the texts stay as they were.
    std::string text = tree.file("notes.lnk", "just some text");
    back.description = "kept";
    EXPECT_EQ(back.get_link(text.c_str()), 1);
    EXPECT_EQ(back.description, "kept");
    EXPECT_EQ(back.get_link(tree.path("absent.lnk").c_str()), 1);
    back.clear();
    EXPECT_EQ(back.path, "");
    EXPECT_EQ(back.icon_index, 0);
}

TEST(CPrc, ReturnsTheExitCodeOrStillActiveAfterItsWaits) {
    OwnLog log;
    tv::TempTree tree("cprcwait");
    std::string helper = "\"" + tv::HelperExe() + "\"";
    CPrc process;
    // The helper writes its file before it sleeps or ends, so a run without that file is one
    // the platform never started (seen rarely under Wine on a loaded machine): that start is
    // tried once more instead of being taken for the wrapper's answer.
    auto run = [&](int waits) {
        std::string out = tv::HelperOutput(tree.path("out.txt"));
        int code = process.new_prc(helper.c_str(), "C:\\", waits, mcfg.log);
        if (code != 259 && tv::WaitForHelper(out, 2000).command_line.empty()) {
            printf("the helper never started (%d); starting it again\n", code);
            code = process.new_prc(helper.c_str(), "C:\\", waits, mcfg.log);
        }
        return code;
    };
    SetEnvironmentVariableA("TV_HELPER_EXIT", "7");
    EXPECT_EQ(run(3), 7) << log.text();
    EXPECT_NE(log.text().find("CPrc::new_prc (" + helper + ", C:\\) returned: 7"),
              std::string::npos)
        << log.text();
    SetEnvironmentVariableA("TV_HELPER_SLEEP", "6000");
    EXPECT_EQ(run(3), 259) << log.text();
    EXPECT_NE(log.text().find("CPrc::new_prc (" + helper + ", C:\\) timeout: 3"),
              std::string::npos)
        << log.text();
    SetEnvironmentVariableA("TV_HELPER_OUT", nullptr);
    SetEnvironmentVariableA("TV_HELPER_SLEEP", nullptr);
    SetEnvironmentVariableA("TV_HELPER_EXIT", nullptr);

    EXPECT_EQ(process.new_prc(nullptr, "C:\\", 3, mcfg.log), 0);
    EXPECT_EQ(process.new_prc("C:\\no\\such\\program.exe", "C:\\", 0, mcfg.log), 1);
    EXPECT_NE(log.text().find("CPrc::CreateProcess (C:\\no\\such\\program.exe, C:\\) failed: "),
              std::string::npos);
}

TEST(CPrc, StartsInTheFolderGiven) {
    tv::TempTree tree("cprc");
    std::string out = tv::HelperOutput(tree.path("out.txt"));
    CPrc process;
    std::string helper = "\"" + tv::HelperExe() + "\" one two";
    EXPECT_EQ(process.new_prc(helper.c_str(), tree.root().c_str(), 0, nullptr), 0);
    tv::HelperRun run = tv::WaitForHelper(out);
    EXPECT_EQ(run.command_line, helper);
    EXPECT_EQ(run.folder, tree.root());
    SetEnvironmentVariableA("TV_HELPER_OUT", nullptr);
}

TEST(Wallpaper, TakesJpgAndPngByTheirLastDotOnly) {
    for (const char* yes : {"beach.jpg", "logo.png", "x.jpgx", "a.b.png"})
        EXPECT_TRUE(WallpaperName(yes)) << yes;
    for (const char* no : {"PHOTO.JPG", "image.jpeg", "image.gif", "jpg", "a.jpg.txt", ""})
        EXPECT_FALSE(WallpaperName(no)) << no;
}

TEST(IconBitmap, KeepsTheColoursAndWhitensTheTransparentPart) {
    // A 16x16 icon: left half opaque red, right half transparent.
    BYTE and_bits[16 * 2], xor_bits[16 * 16 * 4] = {};
    for (int y = 0; y < 16; y++) {
        and_bits[y * 2] = 0x00;
        and_bits[y * 2 + 1] = 0xFF;
        for (int x = 0; x < 8; x++)
            xor_bits[(y * 16 + x) * 4 + 2] = 0xFF;
    }
    HICON icon = CreateIcon(nullptr, 16, 16, 1, 32, and_bits, xor_bits);
    ASSERT_NE(icon, nullptr);
    HBITMAP bitmap = icon_bitmap(icon);
    DestroyIcon(icon);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 2, 5), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 12, 5), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}
