#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fileops/fileops.h"
#include "core/plan.h"
#include "tests/support/testenv.h"

namespace {

// A file system of names, compared ignoring case as the platform does.
struct Names {
    std::set<std::string> paths;
    bool operator()(const std::string& p) const {
        for (const std::string& q : paths)
            if (_stricmp(p.c_str(), q.c_str()) == 0) return true;
        return false;
    }
};

}  // namespace

TEST(FreeName, CopiesAndMovesGetNamesThatReplaceNothing) {
    std::set<std::string> taken = {"a.txt",    "a - Copy.txt", "b (2).tar.gz",
                                   "b.tar.gz", ".profile",     "README"};
    auto is_taken = [&](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(FreeName("new.txt", true, is_taken), "new.txt");
    EXPECT_EQ(FreeName("a.txt", true, is_taken), "a - Copy (2).txt");
    EXPECT_EQ(FreeName("a.txt", false, is_taken), "a (2).txt");
    EXPECT_EQ(FreeName("b.tar.gz", false, is_taken), "b.tar (2).gz")
        << "the extension is the last dot's";
    EXPECT_EQ(FreeName(".profile", true, is_taken), ".profile - Copy");
    EXPECT_EQ(FreeName("README", false, is_taken), "README (2)");
    EXPECT_EQ(FreeName("x", true, [](const std::string&) { return true; }), "");
}

TEST(PlanTransfer, EverySourceGetsItsOwnFreeDestination) {
    Names fs{{"C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\Other\\a.txt", "C:\\Other\\Sub",
              "C:\\Target\\b.txt"}};
    // Into the folder they came from: copies under new names, the originals untouched.
    TransferPlan same = PlanTransfer({"C:\\Data\\a.txt", "C:\\Data\\b.txt"}, "C:\\Data", true, fs);
    EXPECT_EQ(same.to,
              (std::vector<std::string>{"C:\\Data\\a - Copy.txt", "C:\\Data\\b - Copy.txt"}));
    // Two sources of one name (find results from two folders), and a name taken there.
    TransferPlan two = PlanTransfer({"C:\\Data\\a.txt", "C:\\Other\\a.txt", "C:\\Data\\b.txt"},
                                    "C:\\Target\\", false, fs);
    EXPECT_EQ(two.from.size(), 3u);
    EXPECT_EQ(two.to, (std::vector<std::string>{"C:\\Target\\a.txt", "C:\\Target\\a (2).txt",
                                                "C:\\Target\\b (2).txt"}));
    EXPECT_TRUE(two.left_out.empty());
    // A drive's root takes names without a doubled backslash.
    TransferPlan root = PlanTransfer({"C:\\Data\\a.txt"}, "C:\\", true, fs);
    EXPECT_EQ(root.to, (std::vector<std::string>{"C:\\a.txt"}));
}

TEST(PlanTransfer, SourcesThatCannotGoAreLeftOutWithTheirReason) {
    Names fs{{"C:\\Data", "C:\\Data\\Sub", "C:\\Data\\a.txt", "C:\\Data\\x?.txt"}};
    TransferPlan plan = PlanTransfer(
        {"C:\\Data\\x?.txt", "C:\\Data\\*", "C:\\Data\\gone.txt", "C:\\Data", "C:\\DATA\\a.txt"},
        "c:\\data\\Sub", false, fs);
    // Only a.txt may go: into Sub, whatever the letter case of the paths.
    EXPECT_EQ(plan.from, (std::vector<std::string>{"C:\\DATA\\a.txt"}));
    EXPECT_EQ(plan.to, (std::vector<std::string>{"c:\\data\\Sub\\a.txt"}));
    ASSERT_EQ(plan.left_out.size(), 4u);
    EXPECT_STREQ(plan.left_out[0].reason, "wildcard characters");
    EXPECT_STREQ(plan.left_out[1].reason, "wildcard characters");
    EXPECT_STREQ(plan.left_out[2].reason, "no such file");
    EXPECT_STREQ(plan.left_out[3].reason, "a folder cannot go into itself");
    // a.txt may move into Sub; the folder itself may not, nor a move within one folder.
    TransferPlan within = PlanTransfer({"C:\\Data\\a.txt", "C:\\Data\\Sub"}, "C:\\Data", false, fs);
    EXPECT_TRUE(within.from.empty());
    EXPECT_STREQ(within.left_out[0].reason, "already in that folder");
    EXPECT_STREQ(within.left_out[1].reason, "already in that folder");
    TransferPlan onto_itself = PlanTransfer({"C:\\Data\\Sub"}, "C:\\Data\\Sub", true, fs);
    EXPECT_TRUE(onto_itself.from.empty());
    // A name that is no full path would be read against the current folder.
    Names relative{{"x", "C:\\x"}};
    TransferPlan partial = PlanTransfer({"x", "C:x", "\\x"}, "C:\\To", true, relative);
    EXPECT_TRUE(partial.from.empty());
    ASSERT_EQ(partial.left_out.size(), 3u);
    for (const LeftOut& out : partial.left_out)
        EXPECT_STREQ(out.reason, "not a full path") << out.path;
    // A step that the path rules read as another name would take another file.
    Names rewritten{{"C:\\x.", "C:\\x", "C:\\d.\\f", "C:\\src\\aux.c"}};
    TransferPlan other = PlanTransfer({"C:\\x.", "C:\\d.\\f", "C:\\src\\aux.c"}, "C:\\To", true, rewritten);
    EXPECT_TRUE(other.from.empty());
    ASSERT_EQ(other.left_out.size(), 3u);
    for (const LeftOut& out : other.left_out)
        EXPECT_STREQ(out.reason, "the platform would read another name") << out.path;
    Names share{{"\\\\server\\share\\f.txt"}};
    EXPECT_EQ(PlanTransfer({"\\\\server\\share\\f.txt"}, "C:\\To", true, share).from.size(), 1u);
    // A destination past the platform's longest path is left out, never cut.
    std::string deep = "C:\\" + std::string(32750, 'd');
    Names long_fs{{"C:\\Data\\a-long-name.txt"}};
    TransferPlan too_long = PlanTransfer({"C:\\Data\\a-long-name.txt"}, deep, true, long_fs);
    EXPECT_TRUE(too_long.from.empty());
    EXPECT_STREQ(too_long.left_out[0].reason, "no destination name fits");
}

TEST(PathWithin, ComparesWholeStepsIgnoringCase) {
    EXPECT_TRUE(PathWithin("C:\\Data", "c:\\data"));
    EXPECT_TRUE(PathWithin("C:\\Data\\Sub\\x", "C:\\Data"));
    EXPECT_TRUE(PathWithin("C:\\Data\\", "C:\\Data"));
    EXPECT_FALSE(PathWithin("C:\\Database", "C:\\Data"));
    EXPECT_FALSE(PathWithin("C:\\Dat", "C:\\Data"));
}

TEST(RenameRule, RefusesNamesThatAreNoNames) {
    for (const char* bad :
         {".", "..", "..\\x", "a/b", "c:d", "x*", "what?", "\"q\"", "<a>", "a|b", "   ", "x.",
          "y ", "aux.c", "COM1", "tab\there"})
        EXPECT_NE(RenameRule(bad), nullptr) << bad;
    for (const char* good : {"a.txt", "...dots", "name with blanks", "Ünïcödé"})
        EXPECT_EQ(RenameRule(good), nullptr) << good;
}

TEST(NewFileName, TakesTheFirstFreeName) {
    std::set<std::string> taken;
    auto is_taken = [&](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(NewFileName(is_taken), "New File.txt");
    taken = {"New File.txt", "New File (2).txt"};
    EXPECT_EQ(NewFileName(is_taken), "New File (3).txt");
}

TEST(FolderNames, OneListingAnswersEveryNameIgnoringCase) {
    tv::TempTree tree("foldernames");
    tree.file("To\\Report.TXT", "r");
    tree.dir("To\\Sub");
    FolderNames names(tree.path("To"));
    EXPECT_TRUE(names.Holds("report.txt"));
    EXPECT_TRUE(names.Holds("SUB"));
    EXPECT_FALSE(names.Holds("Report - Copy.txt"));
    // A plan against the listing takes the next free name, as one against the disk would.
    TransferPlan plan = PlanTransfer(
        {tree.file("From\\report.txt", "mine")}, tree.path("To"), true,
        [](const std::string& p) {
            return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
        },
        nullptr, [&names](const std::string& n) { return names.Holds(n); });
    ASSERT_EQ(plan.to.size(), 1u);
    EXPECT_EQ(plan.to[0], tree.path("To\\report - Copy.txt"));
    names.Add("ü.txt");
    EXPECT_TRUE(names.Holds("Ü.TXT"));
    EXPECT_FALSE(FolderNames(tree.path("Gone")).Holds("x"));
}
