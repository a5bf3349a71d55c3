// How far a running copy has come, read from its destinations.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <vector>

#include "core/outcome.h"
#include "tests/support/testenv.h"

TEST(TransferProgress, CountsWholeItemsInTheirOrderAndTheFileInProgressByItsBytes) {
    tv::TempTree tree("progress");
    tree.sized_file("From\\a.bin", 1000);
    tree.sized_file("From\\Fold\\in.bin", 300);
    tree.sized_file("From\\b.bin", 500);
    std::string to = tree.dir("To");
    std::vector<TransferItem> items;
    for (const char* name : {"a.bin", "Fold", "b.bin"})
        items.push_back(TransferItemOf(tree.path("From\\") + name, to + "\\" + name));
    TransferProgress progress(items);
    EXPECT_EQ(progress.total(), 1800u);
    EXPECT_EQ(progress.Read(), 0u);
    tree.sized_file("To\\a.bin", 400);
    EXPECT_EQ(progress.Read(), 400u);
    tree.sized_file("To\\a.bin", 1000);
    // A folder in progress counts nothing until the next item has begun.
    tree.sized_file("To\\Fold\\in.bin", 300);
    EXPECT_EQ(progress.Read(), 1000u);
    tree.sized_file("To\\b.bin", 200);
    EXPECT_EQ(progress.Read(), 1500u);
    tree.sized_file("To\\b.bin", 500);
    EXPECT_EQ(progress.Read(), 1800u);
}

TEST(NotDoneLine, SaysWhatWasNotDoneAndThePlatformsReasonInOneLine) {
    std::string line = NotDoneLine("\"C:\\a.txt\" was not deleted", ERROR_ACCESS_DENIED);
    EXPECT_EQ(line.rfind("\"C:\\a.txt\" was not deleted: ", 0), 0u) << line;
    EXPECT_GT(line.size(), std::string("\"C:\\a.txt\" was not deleted: .").size()) << line;
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '.');
    EXPECT_NE(line.substr(line.size() - 2), "..");
    // A code the platform has no text for is named by its number.
    EXPECT_EQ(NotDoneLine("x", 0x2FFFFFFF), "x: error " + std::to_string(0x2FFFFFFF) + ".");
}

TEST(TransferStatusText, CountsItemsAndBytesInGroups) {
    EXPECT_EQ(TransferStatusText(true, 3201, 20000, 1258291, 41943040, ','),
              "Copying 3,201 of 20,000 items, 1 MB of 40 MB");
    EXPECT_EQ(TransferStatusText(false, 0, 1, 0, 12, '.'), "Moving 0 of 1 item, 0 B of 12 B");
}
