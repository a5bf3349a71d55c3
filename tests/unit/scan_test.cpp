#include <gtest/gtest.h>

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "scan/scan.h"
#include "tests/support/testenv.h"

namespace {

// The Linux path of a Windows path when running under Wine, "" elsewhere.
std::string UnixPath(const std::string& path) {
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    ToUnix to_unix =
        (ToUnix)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!to_unix) return "";
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
    char* unix_path = to_unix(wide);
    if (!unix_path) return "";
    std::string result = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    return result;
}

// Runs a Linux command line (Wine starts Linux programs through CreateProcess) and waits,
// with a bound, until `done` holds: the handle of a Linux process may signal before the
// process has done its work.
bool RunLinux(const std::string& command, const std::function<bool()>& done) {
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return tv::WaitUntil(done, 10000);
}

// Makes `link` a Linux symbolic link to the folder `target`, which Wine lists as a linked
// folder (attributes 0x410). False when that cannot be done here.
bool MakeFolderLink(const std::string& target, const std::string& link) {
    std::string from = UnixPath(target), to = UnixPath(link);
    if (from.empty() || to.empty()) return false;
    return RunLinux("/bin/ln -s \"" + from + "\" \"" + to + "\"", [&] {
        DWORD attributes = GetFileAttributesA(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & 0x410) == 0x410;
    });
}

TEST(FolderSize, CountsEveryFileBelowTheFolder) {
    tv::TempTree tree("fsize");
    EXPECT_EQ(FolderSize(tree.root().c_str()), 0) << "an empty folder";

    // Files only.
    tree.file("a.txt", "12345");
    tree.file("b.bin", std::string(1000, 'x'));
    EXPECT_EQ(FolderSize(tree.root().c_str()), 1005);

    // Nested folders at several depths, and an empty one, add their files.
    tree.file("one\\c.txt", "abc");
    tree.file("one\\two\\three\\d.txt", std::string(70000, 'y'));
    tree.dir("one\\empty");
    EXPECT_EQ(FolderSize(tree.root().c_str()), 1005 + 3 + 70000);
    EXPECT_EQ(FolderSize(tree.path("one").c_str()), 3 + 70000);

    // A file past 4 GiB counts with its high half: 5 GiB is high 1, low 1073741824.
    tree.sized_file("big\\five.dat", 5368709120LL);
    EXPECT_EQ(FolderSize(tree.path("big").c_str()), 5368709120LL);
    EXPECT_EQ(FolderSize(tree.root().c_str()), 5368709120LL + 1005 + 3 + 70000);
}

TEST(FolderSize, LinkedFoldersAreNotFollowed) {
    tv::TempTree tree("fsize");
    tree.file("target\\inside.dat", std::string(4096, 'z'));
    tree.file("shown\\own.txt", "12");
    if (!MakeFolderLink(tree.path("target"), tree.path("shown\\link")))
        GTEST_SKIP() << "no linked folder can be made here";

    WIN32_FIND_DATAA record;
    HANDLE find = FindFirstFileA(tree.path("shown\\link").c_str(), &record);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    long long own = ((long long)record.nFileSizeHigh << 32) | record.nFileSizeLow;
    // The link adds its own record's size, not the 4096 bytes it points at.
    EXPECT_EQ(FolderSize(tree.path("shown").c_str()), 2 + own);
    // The tree's own removal cannot take a Linux link away; Linux removes the link alone.
    std::string link = tree.path("shown\\link");
    RunLinux("/bin/rm -f \"" + UnixPath(link) + "\"",
             [&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

TEST(FolderSize, MissingAndOverlongPathsCountNothingAndOverrunNothing) {
    EXPECT_EQ(FolderSize(nullptr), 0);
    EXPECT_EQ(FolderSize(""), 0);
    EXPECT_EQ(FolderSize("C:\\no such folder here\\at all"), 0);
    std::string overlong(400, 'a');
    EXPECT_EQ(FolderSize(overlong.c_str()), 0);

    // A tree deeper than a 259-character path: the part that fits is counted, the folder
    // whose path would not fit is skipped. Linux makes the tree, as the ANSI calls cannot.
    tv::TempTree tree("fsize");
    tree.file("shallow.txt", "123");
    std::string near_name(249 - tree.root().size(), 'n'), deep_name(40, 'd');
    std::string near_limit = tree.path(near_name);
    std::string unix_root = UnixPath(tree.root());
    if (unix_root.empty()) GTEST_SKIP() << "no Linux side here";
    std::string unix_near = unix_root + "/" + near_name;
    std::string unix_deep = unix_near + "/" + deep_name;
    std::string marker = tree.path("made");
    std::string command = "/bin/sh -c \"mkdir -p '" + unix_deep + "' && printf 1234567 > '" +
                          unix_near + "/near.txt' && printf 89 > '" + unix_deep +
                          "/deep.txt' && : > '" + unix_root + "/made'\"";
    ASSERT_TRUE(RunLinux(
        command, [&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    ASSERT_EQ(near_limit.size(), 250u);
    EXPECT_EQ(FolderSize(tree.root().c_str()), 3 + 7) << "the 2 bytes below 259 characters";
    EXPECT_EQ(FolderSize(near_limit.c_str()), 7);
    // The tree's own removal cannot reach below 259 characters either.
    RunLinux("/bin/sh -c \"rm -rf '" + unix_near + "'\"",
             [&] { return GetFileAttributesA(near_limit.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace
