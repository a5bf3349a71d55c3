#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <cstring>
#include <string>

#include "fileops/cshl.h"
#include "fileops/transfer.h"
#include "tests/support/testenv.h"

TEST(DropBlock, SizeIsTheSmallestMultipleOf32HoldingTheListAndThreeZeros) {
    const uint32_t lengths[] = {0, 1, 3, 9, 10, 15, 41, 42, 73, 74};
    const uint32_t sizes[] = {32, 32, 32, 32, 64, 64, 64, 96, 96, 128};
    for (size_t i = 0; i < sizeof lengths / sizeof lengths[0]; i++) {
        EXPECT_EQ(DropBlockSize(lengths[i]), sizes[i]) << lengths[i];
        EXPECT_GE(DropBlockSize(lengths[i]), lengths[i] + 23);
    }
}

TEST(DropBlock, HoldsTheHeaderTheListAndZerosByteForByte) {
    PathList list;
    list.append("C:\\Data\\a.txt");
    list.close();
    ASSERT_EQ(list.length(), 15u);
    std::string block = BuildDropBlock(list);
    // The list goes out wide: 30 bytes of names, the header, zeros to a multiple of 32.
    ASSERT_EQ(block.size(), 64u);
    DWORD header[5];
    memcpy(header, block.data(), sizeof header);
    EXPECT_EQ(header[0], 20u) << "pFiles";
    EXPECT_EQ(header[1], 0u);
    EXPECT_EQ(header[2], 0u);
    EXPECT_EQ(header[3], 0u);
    EXPECT_EQ(header[4], 1u) << "fWide: the paths are UTF-16";
    EXPECT_EQ(block.substr(20, 30), tv::WideListBytes(std::string("C:\\Data\\a.txt\0\0", 15)));
    EXPECT_EQ(block.substr(50), std::string(14, '\0'));

    // An empty list is a 32-byte block whose file list names nothing.
    PathList empty;
    std::string none = BuildDropBlock(empty);
    EXPECT_EQ(none.size(), 32u);
    EXPECT_EQ(none.substr(20), std::string(12, '\0'));
}

TEST(DropBlock, ReadsBackThroughThePlatformsOwnDropQueries) {
    PathList list;
    list.append("C:\\Data\\a");
    list.append("C:\\Data\\b");
    list.close();
    std::string image = BuildDropBlock(list);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, image.size());
    memcpy(GlobalLock(block), image.data(), image.size());
    GlobalUnlock(block);
    HDROP drop = (HDROP)block;
    EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    PathList back;
    EXPECT_EQ(ReadDropList(drop, back), 2);
    EXPECT_EQ(back.length(), list.length());
    EXPECT_EQ(std::string(back.data(), back.length()), std::string(list.data(), list.length()));
    GlobalFree(block);
}

TEST(PathList, CountsEveryByteUpToTheClosingNul) {
    PathList list;
    EXPECT_EQ(list.length(), 0u);
    EXPECT_TRUE(list.paths().empty());
    list.close();
    EXPECT_EQ(list.length(), 1u);
    list.clear();
    list.append("x");
    list.close();
    EXPECT_EQ(list.length(), 3u);
    EXPECT_EQ(std::string(list.data(), 4), std::string("x\0\0\0", 4)) << "one more NUL in store";
    CSHL shl;
    shl.add_from("C:\\a");
    EXPECT_EQ(shl.from.length(), 6u);
    shl.add_to("C:\\b");
    shl.each_destination = true;
    shl.clear(1);
    EXPECT_TRUE(shl.from.empty());
    EXPECT_FALSE(shl.to.empty());
    shl.clear(7);
    EXPECT_FALSE(shl.to.empty());
    shl.clear(2);
    EXPECT_TRUE(shl.to.empty());
    EXPECT_FALSE(shl.each_destination);
}

TEST(ShellJob, RunsTheShellAndRefusesWhatItMustNot) {
    tv::TempTree tree("shelljob");
    std::string a = tree.file("a.txt", "alpha");
    tree.file("b.txt", "beta");
    EXPECT_EQ(ShellJobFlags(0), 0x14);
    EXPECT_EQ(ShellJobFlags(1), 0x108);
    EXPECT_EQ(ShellJobFlags(2), 0x148);
    EXPECT_EQ(ShellJobFlags(3), -1);
    EXPECT_EQ(ShellJobFunction(0), 0u);

    // A wildcard never reaches the shell, which would expand it to a.txt and b.txt.
    CSHL job;
    job.add_from(tree.path("?.txt").c_str());
    EXPECT_EQ(job.shell_job(1, 0, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(tv::ReadFile(a), "alpha");
    job.clear(0);
    job.add_from(a.c_str());
    EXPECT_EQ(job.shell_job(9, 1, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(job.shell_job(2, 5, nullptr), ERROR_INVALID_PARAMETER);

    // A copy under a name of its own in the same folder; then a rename onto a taken name,
    // which the shell refuses and which changes nothing.
    job.clear(2);
    job.to.append(tree.path("a - Copy.txt").c_str());
    job.to.close();
    job.each_destination = true;
    EXPECT_EQ(job.shell_job(2, 0, nullptr), 0);
    EXPECT_EQ(tv::ReadFile(tree.path("a - Copy.txt")), "alpha");
    EXPECT_EQ(tv::ReadFile(a), "alpha");
    job.clear(2);
    job.add_to(tree.path("b.txt").c_str());
    EXPECT_NE(job.shell_job(4, 0, nullptr), 0);
    EXPECT_EQ(tv::ReadFile(tree.path("b.txt")), "beta");
    EXPECT_EQ(tv::ReadFile(a), "alpha");
}

namespace {

std::string Header(DWORD files, BOOL wide) {
    DROPFILES h = {};
    h.pFiles = files;
    h.fWide = wide;
    return std::string((const char*)&h, sizeof h);
}

int Parse(const std::string& block, PathList& list) {
    return ParseDropBlock(block.data(), block.size(), list);
}

}  // namespace

TEST(DropBlock, CraftedBlocksAreRefusedWholeAndNeverReadPastTheirEnd) {
    PathList list;
    // A header that does not fit, names that start in the header or past the block.
    EXPECT_EQ(Parse(std::string(19, '\0'), list), -1);
    EXPECT_EQ(Parse(Header(8, FALSE) + "C:\\a\0\0", list), -1);
    EXPECT_EQ(Parse(Header(0x7FFFFFF0, FALSE) + std::string(12, '\0'), list), -1);
    // The last name, or the list, has no closing zero inside the block.
    EXPECT_EQ(Parse(Header(20, FALSE) + "C:\\a.txt", list), -1);
    EXPECT_EQ(Parse(Header(20, FALSE) + std::string("C:\\a.txt\0", 9), list), -1);
    EXPECT_TRUE(list.empty());
    std::string odd = Header(20, TRUE) + std::string((const char*)L"C:\\a", 8) + "\0";
    EXPECT_EQ(Parse(odd, list), -1) << "half a wide character at the end";
    // A sound block: one walk, every name whole; an overlong one is left out.
    std::string names = std::string("C:\\a\0", 5) + std::string(32763, 'x') + '\0' + "C:\\b" +
                        std::string(2, '\0');
    EXPECT_EQ(Parse(Header(20, FALSE) + names, list), 2);
    EXPECT_EQ(list.paths(), (std::vector<std::string>{"C:\\a", "C:\\b"}));
}

TEST(DropBlock, TwentyThousandNamesAreReadInOneWalk) {
    PathList names;
    for (int i = 0; i < 20000; i++)
        names.append(("C:\\Data\\file" + std::to_string(i) + ".txt").c_str());
    names.close();
    std::string block = BuildDropBlock(names);
    PathList list;
    ASSERT_EQ(Parse(block, list), 20000);
    EXPECT_EQ(std::string(list.data(), list.length()), std::string(names.data(), names.length()));
}
