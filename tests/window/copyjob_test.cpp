// The program's own copies and moves: another program's file at a destination name is never
// written or removed, a copy stops at Esc, a long list of names leaves the window answering
// and every name left out is told, and a read-only file keeps its attribute.
#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "fileops/copyjob.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

using tv::Exists;

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Writes a file as another program would, only where no entry of that name exists.
void WriteTheirs(const std::wstring& path, const char* text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD put = 0;
    if (h != INVALID_HANDLE_VALUE) {
        WriteFile(h, text, (DWORD)strlen(text), &put, nullptr);
        CloseHandle(h);
    }
}

class CopyJobs : public tv::AppTest {
  protected:
    // Reads `folder` and waits for the read: every operation waits for a pending read.
    void Read(const std::string& folder) {
        ReadPath(folder.c_str());
        ASSERT_TRUE(Until([] { return !ReadRunning(); })) << folder;
    }
    // Pastes, and waits for the read of the folder that follows the job.
    void Paste() {
        SendCommand(CMD_PASTE, 1);
        ASSERT_TRUE(Until([] { return !ReadRunning(); }));
    }
    // Another program writes its own file under `name` just before the job makes that name.
    void TheyWrite(const wchar_t* name) {
        std::wstring end = std::wstring(L"\\") + name;
        auto done = std::make_shared<bool>(false);
        copy_job_before_file = [end, done](const std::wstring& to) {
            if (!*done && EndsWith(to, end)) {
                *done = true;
                WriteTheirs(to, "theirs");
            }
        };
    }
    // Pastes; nothing is to be told.
    void PasteQuietly() {
        tv::DialogPresser ok("Trelvista", IDOK, 60000);
        SendCommand(CMD_PASTE, 1);
        EXPECT_FALSE(ok.pressed()) << ok.text();
    }
    tv::TempTree tree_{"copyjob"};
};

}  // namespace

TEST_F(CopyJobs, AnotherProgramsFileAtADestinationNameIsNeverWrittenNorRemoved) {
    tree_.sized_file("From\\big.bin", 3000000);
    tree_.file("From\\small.txt", "mine");
    std::string to = tree_.dir("To"), moved = tree_.dir("Moved");
    StartApp(tree_.path("From").c_str());
    tv::SelectNames({"big.bin", "small.txt"});
    SendCommand(CMD_COPY, 1);

    // A copy: the other program's small.txt stays as it wrote it; ours goes beside it.
    Read(to);
    TheyWrite(L"small.txt");
    PasteQuietly();
    EXPECT_EQ(tv::ReadFile(to + "\\small.txt"), "theirs");
    EXPECT_EQ(tv::ReadFile(to + "\\small - Copy.txt"), "mine");
    EXPECT_EQ(tv::ReadFile(to + "\\big.bin").size(), 3000000u);
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Paste () " + to + " OK"), 0);

    // A move on the same disk: a rename that replaces nothing, under the next free name.
    Read(tree_.path("From"));
    tv::SelectNames({"big.bin", "small.txt"});
    SendCommand(CMD_CUT, 1);
    Read(moved);
    TheyWrite(L"small.txt");
    PasteQuietly();
    EXPECT_EQ(tv::ReadFile(moved + "\\small.txt"), "theirs");
    EXPECT_EQ(tv::ReadFile(moved + "\\small (2).txt"), "mine");
    EXPECT_FALSE(Exists(tree_.path("From\\small.txt")));
    EXPECT_FALSE(Exists(tree_.path("From\\big.bin")));
    // The spent cut list leaves the clipboard (its owner, this window, is told so).
    EXPECT_TRUE(Until([] { return !IsClipboardFormatAvailable(CF_HDROP); }));

    // A move onto another disk: copied under a free name, and only then the source removed.
    std::string other = tree_.path("Other");
    tv::TmpfsMount disk(other, "size=8m");
    if (!disk.mounted()) GTEST_SKIP() << "no file system can be mounted here";
    tree_.file("From\\small.txt", "mine again");
    tree_.file("From\\Fold\\Sub\\in.txt", "in");
    Read(tree_.path("From"));
    tv::SelectNames({"Fold", "small.txt"});
    SendCommand(CMD_CUT, 1);
    Read(other);
    TheyWrite(L"small.txt");
    PasteQuietly();
    EXPECT_EQ(tv::ReadFile(other + "\\small.txt"), "theirs");
    EXPECT_EQ(tv::ReadFile(other + "\\small (2).txt"), "mine again");
    EXPECT_EQ(tv::ReadFile(other + "\\Fold\\Sub\\in.txt"), "in");
    EXPECT_FALSE(Exists(tree_.path("From\\small.txt")));
    EXPECT_FALSE(Exists(tree_.path("From\\Fold")));
}

TEST_F(CopyJobs, EscStopsACopyWithinALargeFileRemovesItsPartAndTellsWhatArrived) {
    tree_.file("From\\1.txt", "one");
    tree_.sized_file("From\\2.bin", 1ll << 30);
    tree_.file("From\\3.txt", "three");
    std::string to = tree_.dir("To");
    StartApp(tree_.path("From").c_str());
    tv::SelectNames({"1.txt", "2.bin", "3.txt"});
    SendCommand(CMD_COPY, 1);
    Read(to);
    // Esc reaches the window's thread as the large file begins, as a key pressed then would.
    copy_job_before_file = [](const std::wstring& to) {
        if (EndsWith(to, L"\\2.bin")) PostMessageA(mlvw.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    tv::DialogPresser ok("Trelvista", IDOK, 60000);
    SendCommand(CMD_PASTE, 1);
    ok.wait();
    EXPECT_NE(ok.text().find("was stopped: 1 of 3 items arrived"), std::string::npos) << ok.text();
    EXPECT_EQ(tv::ReadFile(to + "\\1.txt"), "one");
    EXPECT_FALSE(Exists(to + "\\2.bin")) << "the stopped file's part was left";
    EXPECT_FALSE(Exists(to + "\\3.txt"));
    EXPECT_GE(tv::FindEntry(tv::LogEntries(), "Paste () " + to + " stopped"), 0);
}

TEST_F(CopyJobs, AListOf20000NamesLeavesTheWindowAnsweringAndTellsTheMissingOnes) {
    tree_.file("From\\real-1.txt", "1");
    tree_.file("From\\real-2.txt", "2");
    std::string to = tree_.dir("To");
    std::vector<std::string> names{tree_.path("From\\real-1.txt")};
    for (int i = 0; i < 20000; i++)
        names.push_back(tree_.path("From\\missing-" + std::to_string(i) + ".txt"));
    names.push_back(tree_.path("From\\real-2.txt"));
    StartApp(to.c_str());
    ASSERT_TRUE(tv::PutFilesOnClipboard(names));

    HWND window = mwin.hwnd;
    std::atomic<bool> pasted{false};
    int answered = 0, missed = 0;
    std::thread pinger([&] {
        while (!pasted) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result))
                answered++;
            else
                missed++;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    });
    tv::DialogPresser ok("Trelvista", IDOK, 120000);
    SendCommand(CMD_PASTE, 1);
    ok.wait();
    pasted = true;
    pinger.join();
    EXPECT_NE(ok.text().find("missing-0.txt\": no such file"), std::string::npos) << ok.text();
    EXPECT_NE(ok.text().find("and 19990 more"), std::string::npos) << ok.text();
    EXPECT_EQ(tv::ReadFile(to + "\\real-1.txt"), "1");
    EXPECT_EQ(tv::ReadFile(to + "\\real-2.txt"), "2");
    EXPECT_GE(answered, 1);
    EXPECT_LE(missed * 50, answered)
        << missed << " pings missed the 100 ms, " << answered << " answered";
}

TEST_F(CopyJobs, AReadOnlyFileIsCopiedAndMovedWithItsAttributeAndTime) {
    std::string file = tree_.file("From\\locked.txt", "locked");
    HANDLE h =
        CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME old = {0xD53E8000, 0x01A8E79F};  // 1999-12-31
    SetFileTime(h, nullptr, nullptr, &old);
    CloseHandle(h);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string to = tree_.dir("To");
    StartApp(tree_.path("From").c_str());
    tv::SelectNames({"locked.txt"});
    SendCommand(CMD_COPY, 1);
    Read(to);
    Paste();
    std::string copy = to + "\\locked.txt";
    EXPECT_EQ(tv::ReadFile(copy), "locked");
    EXPECT_TRUE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(copy.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &old), 0);

    // Pasted again into the same folder: a copy beside it, read-only too.
    Paste();
    EXPECT_TRUE(GetFileAttributesA((to + "\\locked - Copy.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    // Once more: both names are taken, found so by the creates themselves; the third goes on.
    Paste();
    EXPECT_EQ(tv::ReadFile(to + "\\locked - Copy (2).txt"), "locked");
    EXPECT_EQ(tv::ReadFile(to + "\\locked - Copy.txt"), "locked");
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((to + "\\locked - Copy.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((to + "\\locked - Copy (2).txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}
