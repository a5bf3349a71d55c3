#include <gtest/gtest.h>

#include <windows.h>
#include <utility>

#include "core/handles.h"

namespace {

// Whether `h` is still an open handle of this process.
bool Open(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

}  // namespace

TEST(Handles, EachHandleIsClosedOnceByItsLastOwner) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(raw);
    {
        Handle first(raw);
        Handle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        Handle third;
        third = std::move(second);
        EXPECT_TRUE(Open(raw));
    }
    EXPECT_FALSE(Open(raw));

    // A handle released is the caller's, and reset closes the one held before taking another.
    HANDLE kept = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE next = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        Handle owner(kept);
        EXPECT_EQ(owner.release(), kept);
        owner.reset(next);
    }
    EXPECT_TRUE(Open(kept));
    EXPECT_FALSE(Open(next));
    CloseHandle(kept);
}

TEST(Handles, WhatDidNotOpenIsNeverClosed) {
    Handle file(CreateFileA("C:\\no such folder here\\x.txt", GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    WIN32_FIND_DATAA record;
    FindHandle find(FindFirstFileA("C:\\no such folder here\\*", &record));
    EXPECT_FALSE(find);
    FindHandle none;
    EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
    RegKey key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\No Such Key Of Trelvista", 0,
                            KEY_READ, key.out()),
              ERROR_SUCCESS);
    EXPECT_FALSE(key);
}
