#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "core/entry.h"
#include "core/keptrows.h"
#include "core/names.h"
#include "tests/support/testenv.h"

namespace {

const FolderEntry* Named(const EntryList& list, const char* name) {
    for (size_t i = 0; i < list.size(); i++)
        if (std::string(list[i]->name()) == name) return list[i];
    return nullptr;
}

}  // namespace

TEST(KeptRows, AListingGivesEachEntryTheIdentityItsPathOpens) {
    tv::TempTree tree("kept");
    tree.file("a.txt", "a");
    tree.dir("Sub");
    EntryList list;
    ASSERT_EQ(ListFolder(list, tree.root().c_str()), 0);
    for (const char* name : {"a.txt", "Sub"}) {
        const FolderEntry* e = Named(list, name);
        ASSERT_NE(e, nullptr) << name;
        FileId opened;
        ASSERT_TRUE(IdentityOf(tree.path(name), &opened)) << name;
        EXPECT_TRUE(e->id == opened) << name;
    }
}

TEST(KeptRows, TheSelectionFollowsIdentitiesAndNamesOnlyWhereNoneIsKnown) {
    tv::TempTree tree("kept");
    tree.file("c.txt", "picked");
    tree.file("d.txt", "other");
    EntryList before;
    ASSERT_EQ(ListFolder(before, tree.root().c_str()), 0);
    KeptRows kept;
    const FolderEntry* c = Named(before, "c.txt");
    ASSERT_NE(c, nullptr);
    kept.selected.push_back({c->name(), c->id});
    kept.focused = kept.selected.front();

    // c.txt renamed to x.txt, d.txt to c.txt: the pick goes with the file.
    ASSERT_TRUE(MoveFileA(tree.path("c.txt").c_str(), tree.path("x.txt").c_str()));
    ASSERT_TRUE(MoveFileA(tree.path("d.txt").c_str(), tree.path("c.txt").c_str()));
    EntryList after;
    ASSERT_EQ(ListFolder(after, tree.root().c_str()), 0);
    KeptRowMatch match(kept);
    EXPECT_TRUE(match.Selected(*Named(after, "x.txt")));
    EXPECT_TRUE(match.Focused(*Named(after, "x.txt")));
    EXPECT_FALSE(match.Selected(*Named(after, "c.txt")));
    EXPECT_FALSE(match.Focused(*Named(after, "c.txt")));

    // Names kept without an identity (what an operation made) are taken by their names.
    KeptRows named = KeptNames({"c.txt"});
    KeptRowMatch by_name(named);
    EXPECT_TRUE(by_name.Selected(*Named(after, "c.txt")));
    EXPECT_TRUE(by_name.Focused(*Named(after, "c.txt")));
    EXPECT_FALSE(by_name.Selected(*Named(after, "x.txt")));
}
